#include <gtest/gtest.h>

#include <QPainter>

#include "render_test_support.h"
#include "stamps.h"

using namespace lw;
using lwtest::InkBox;

namespace {

class Stamps : public ::testing::TestWithParam<int> {
protected:
    static void SetUpTestSuite() { lwtest::EnsureApp(); }
};

}  // namespace

// Engraved proportions at every staff size: a head one space tall, a stem
// three and a half spaces from the head's centre, accidentals three spaces.
TEST_P(Stamps, ProportionsFollowTheStaffSpace) {
    const int s = GetParam();
    const StampBook& book = StampBook::ForSize(s, s * 13 / 8);
    ASSERT_TRUE(book.HasMusicFont());
    for (Stamp head : {Stamp::pic4note, Stamp::pic2note}) {
        const QImage& img = book.Get(head);
        EXPECT_EQ(img.height(), s + 2);
        EXPECT_NEAR(InkBox(img).height(), s, 1.5) << int(head);
        EXPECT_NEAR(InkBox(img).center().y(), (s + 2) / 2.0, 1.0) << int(head);
    }
    const QRect up = InkBox(book.Get(Stamp::pic4up_2));
    EXPECT_NEAR(up.height(), 4 * s, 2);  // 3.5 spaces of stem + half a head
    const QRect flag = InkBox(book.Get(Stamp::pic8Up_2));
    EXPECT_GT(flag.width(), up.width() + s / 2);  // the flag stands out right of the stem
    const QRect down = InkBox(book.Get(Stamp::pic8Down_2));
    EXPECT_NEAR(down.height(), 4 * s, 2);

    // Sharps and naturals centre on the note's line; the sharp is three spaces tall.
    EXPECT_EQ(book.Get(Stamp::picSharp).height(), 3 * s);
    EXPECT_NEAR(InkBox(book.Get(Stamp::picSharp)).center().y(), 1.5 * s, 1.0);
    const QImage& nat = book.Get(Stamp::picNatural);
    EXPECT_NEAR(InkBox(nat).center().y(), nat.height() / 2.0, 1.5);
    // The flat's bowl (its lowest ink minus the bowl's half height) on its line.
    const QImage& flat = book.Get(Stamp::picFlat);
    const double line = 4.0 * flat.height() / 9.0 + s / 2.0;
    EXPECT_NEAR(InkBox(flat).bottom(), line + 0.75 * s, 0.4 * s);

    // Clefs: the G clef's curl around its line, the F clef's dots round its line.
    const QRect g = InkBox(book.Get(Stamp::picToon));
    EXPECT_NEAR(g.height(), 7.3 * s, 0.6 * s);
    EXPECT_NEAR(g.top(), 0.7 * s, 0.4 * s);
    const QRect fclef = InkBox(book.Get(Stamp::picHeon));
    EXPECT_NEAR(fclef.top(), 0.6 * s, 0.4 * s);
    EXPECT_NEAR(fclef.height(), 3.2 * s, 0.5 * s);

    // Rests come from the font: a quarter rest spans about three spaces.
    EXPECT_NEAR(InkBox(book.Get(Stamp::pic4Kyufu)).height(), 3 * s, 0.5 * s);
    EXPECT_NEAR(InkBox(book.Get(Stamp::pic2Kyufu)).height(), s / 2.0, 1.5);
}

INSTANTIATE_TEST_SUITE_P(StaffSpaces, Stamps, ::testing::Values(6, 8, 12));

TEST(StampBooks, RowGeometryChoosesTheSize) {
    lwtest::EnsureApp();
    DanLayoutData l;
    l.StaffInterval = 120;
    l.StringInterval = 195;
    EXPECT_EQ(StampBook::ForLayout(l, 15).SpacePx(), 8);
    EXPECT_EQ(StampBook::ForLayout(l, 15).StringPx(), 13);
    l.StaffInterval = 180;
    EXPECT_EQ(StampBook::ForLayout(l, 15).SpacePx(), 12);
    EXPECT_EQ(&StampBook::ForLayout(l, 15), &StampBook::ForSize(12, 13));
    l.StaffInterval = 0;  // no staff: the rhythm glyphs follow the TAB lines
    EXPECT_EQ(StampBook::ForLayout(l, 15).SpacePx(), 8);
    // The TAB word spans 3.4 string intervals.
    EXPECT_NEAR(StampBook::ForLayout(l, 15).Get(Stamp::picTABstring).height(), 3.4 * 13, 1);

    // A sheet of every stamp, for a person to look at.
    const StampBook& book = StampBook::ForSize(12, 19);
    QImage sheet(900, 160, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    int x = 4;
    for (int i = 1; i <= int(Stamp::pic5Sen_Hosoku); ++i) {
        const QImage& img = book.Get(Stamp(i));
        if (x + img.width() > sheet.width()) break;
        p.drawImage(x, 4, img);
        x += img.width() + 6;
    }
    p.end();
    lwtest::WriteDebugPng("stamp_sheet", sheet);
}
