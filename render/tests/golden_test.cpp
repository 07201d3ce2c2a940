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

std::string GoldenPath(const std::string& name) {
    return std::string(LUTEWISE_SOURCE_DIR) + "/render/tests/data/" + name + ".png";
}

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

// Differences a font's anti-aliasing may bring are tolerated; a glyph moved
// by a pixel or a missing sign is not.
void ExpectLooksLike(const QImage& actual, const std::string& name) {
    if (const char* u = std::getenv("LUTEWISE_UPDATE_GOLDEN"); u && *u == '1') {
        ASSERT_TRUE(actual.save(QString::fromStdString(GoldenPath(name)), "PNG"));
        return;
    }
    const QImage golden = QImage(QString::fromStdString(GoldenPath(name))).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(golden.isNull()) << GoldenPath(name);
    ASSERT_EQ(golden.size(), actual.size()) << name;
    int far = 0;
    double sum = 0;
    for (int y = 0; y < golden.height(); ++y)
        for (int x = 0; x < golden.width(); ++x) {
            const int d = std::abs(qGray(golden.pixel(x, y)) - qGray(actual.pixel(x, y)));
            sum += d;
            far += d > 96;
        }
    EXPECT_LE(far, 12) << name;
    EXPECT_LT(sum / (golden.width() * golden.height()), 2.0) << name;
    lwtest::WriteDebugPng("golden_" + name, actual);
}

class Golden : public ::testing::Test {
protected:
    static void SetUpTestSuite() { lwtest::EnsureApp(); }
};

}  // namespace

TEST_F(Golden, RowStartWithTrebleAndBassClef) {
    ExpectLooksLike(RowStart("C", false), "row_start_treble");
    ExpectLooksLike(RowStart("C", true), "row_start_bass");
}

TEST_F(Golden, KeySignaturesOfThreeSharpsAndFourFlats) {
    ExpectLooksLike(RowStart("A", false), "key_treble_3_sharps");
    ExpectLooksLike(RowStart("A♭", false), "key_treble_4_flats");
    ExpectLooksLike(RowStart("F#m", true), "key_bass_3_sharps");
    ExpectLooksLike(RowStart("Fm", true), "key_bass_4_flats");
}
