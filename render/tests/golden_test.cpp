// Row starts and key signatures compared with pictures a person has looked
// at (render/tests/data/*.png). LUTEWISE_UPDATE_GOLDEN=1 writes them anew;
// look at every changed picture before committing it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cmath>

#include "burn_in.h"
#include "render_test_support.h"
#include "row_drawing.h"

using namespace lw;

namespace {

// The row start of the default staff layout (TABn1.bmp, style 1) in a key.
QImage RowStart(const std::string& key, bool bass) {
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
    PutImgInitForm(lwtest::Paint(pic), scene, l, style.Start(), BurnContextOf(style, l, nullptr));
    return pic.copy(0, 20, 150, 200);
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

TEST_F(Golden, KeySignaturesOfThreeSharpsAndFourFlats) {
    lwtest::ExpectLooksLike(RowStart("A", false), "key_treble_3_sharps");
    lwtest::ExpectLooksLike(RowStart("A♭", false), "key_treble_4_flats");
    lwtest::ExpectLooksLike(RowStart("F#m", true), "key_bass_3_sharps");
    lwtest::ExpectLooksLike(RowStart("Fm", true), "key_bass_4_flats");
}
