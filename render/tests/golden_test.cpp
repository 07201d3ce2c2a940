// Row starts and key signatures compared with pictures a person has looked
// at (render/tests/data/*.png). LUTEWISE_UPDATE_GOLDEN=1 writes them anew;
// look at every changed picture before committing it.
#include <gtest/gtest.h>

#include <QPainter>
#include <cstdlib>
#include <cmath>

#include "burn_in.h"
#include "render_test_support.h"
#include "row_drawing.h"

using namespace lw;

namespace {

// The row start of the default staff layout (TABn1.bmp, style 1) in a key.
QImage RowStart(const std::string& key, bool bass, int width = 150) {
    DanLayoutData l;
    l.TabLeft = 36 * 15;
    l.TabTop = 150 * 15;
    l.StringInterval = 13 * 15;
    l.StaffTop = 52 * 15;
    l.StaffInterval = 8 * 15;
    RowStyle style;
    style.bassClef = bass;
    style.maxStringIx = bass ? 3 : 5;
    style.keyName = key;
    RowRenderState st;
    EXPECT_TRUE(PrepareGround(st, std::string(LUTEWISE_SOURCE_DIR) + "/data", style, l));
    RowScene scene;
    PlaceKeySignature(scene, l, key, bass, true, style.tpp);
    QImage pic = st.ground.image;
    PutImgInitForm(lwtest::Paint(pic), scene, l, style.Start(), BurnContextOf(style, l));
    return pic.copy(0, 20, width, 200);
}

class Golden : public ::testing::Test {
protected:
    static void SetUpTestSuite() { lwtest::EnsureApp(); }
};

}  // namespace

TEST_F(Golden, RowStartWithTrebleAndBassClef) {
    lwtest::ExpectLooksLike(RowStart("C", false), "row_start_treble");
    lwtest::ExpectLooksLike(RowStart("C", true), "row_start_bass");
}

TEST_F(Golden, KeySignaturesOfEveryKeyInBothClefs) {
    // The fifteen signatures (each a major key and its relative minor), in a
    // row per clef: sharps and flats in the zig-zag within the staff.
    const char* keys[] = {"C", "G", "D", "A", "E", "B", "F#", "C#", "F", "B♭", "E♭", "A♭", "D♭", "G♭", "C♭"};
    for (const bool bass : {false, true}) {
        QImage all(15 * 150, 90, QImage::Format_RGB32);
        QPainter p(&all);
        for (int k = 0; k < 15; ++k) p.drawImage(150 * k, 0, RowStart(keys[k], bass, 170).copy(20, 0, 150, 90));
        p.end();
        lwtest::ExpectLooksLike(all, bass ? "key_signatures_bass" : "key_signatures_treble");
    }
}
