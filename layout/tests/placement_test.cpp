// Where the layout puts fret labels, rest pictures and their cells, and how
// floating positions become integers.
#include <gtest/gtest.h>

#include "layout_test_support.h"

using namespace lw;
using namespace lw::test;

TEST(FretLabel, NoteDrawingShiftsTheLabelButNotItsCell) {
    for (bool drawNote : {false, true}) {
        RowFixture f;
        f.g.DrawNote = drawNote;
        // A label narrower than the note column is centred in it.
        f.scene.labPos[0].Width = 200;
        Append(f.s, 0, Note(2, 7, 2));
        ASSERT_TRUE(f.ed->ReLayoutTAB("all"));
        const SceneLabel& lab = f.scene.labPos[2];  // string 2 of the first position
        const double x = 600;                       // measure left 300 + inset 300
        EXPECT_DOUBLE_EQ(lab.Left, (240 - 200) / 2.0 + x - (drawNote ? 60 : 0)) << drawNote;
        EXPECT_DOUBLE_EQ(lab.Top, 600 + 120 - 105);
        EXPECT_TRUE(lab.Visible);
        EXPECT_EQ(lab.Caption, "7");
        // Silent strings keep an empty, hidden label.
        EXPECT_FALSE(f.scene.labPos[1].Visible);
        EXPECT_EQ(f.scene.labPos[1].Caption, "");
        const PosRectData& r = f.s.CurDan().Syosetsu[0].Onpu[1].PosRect[2];
        EXPECT_EQ(r.Left, 600);
        EXPECT_EQ(r.Top, 615);
        EXPECT_EQ(r.Width, 200);
        EXPECT_EQ(f.g.Entry.CurOnpu.PosRect[2].Top, 615);  // copied to the note being entered
    }
}

TEST(FretLabel, CellTopsThatLeaveSixteenBitsSaturate) {
    RowFixture f;
    f.s.CurLayout().TabTop = 32000;
    f.s.CurLayout().StringInterval = 200;
    Append(f.s, 0, Note(6, 1, 2));
    f.ed->ReLayoutTAB("all");
    // String 6 would sit at 32895: stored as the largest value, never wrapped.
    EXPECT_EQ(f.s.CurDan().Syosetsu[0].Onpu[1].PosRect[6].Top, 32767);
}

struct RestCase {
    bool drawNote;
    int style;
    int id;
    double top;
};

class RestTop : public ::testing::TestWithParam<RestCase> {};

TEST_P(RestTop, ByViewStyleAndRestValue) {
    const RestCase c = GetParam();
    RowFixture f;
    f.g.DrawNote = c.drawNote;
    f.s.PosRhythm = static_cast<int16_t>(c.style);
    Append(f.s, 0, Note(1, 0, 2));
    Append(f.s, 0, Rest(c.id));
    ASSERT_TRUE(f.ed->ReLayoutTAB("all"));
    const ScenePicture& pic = f.scene.picKyufu[1];
    EXPECT_DOUBLE_EQ(pic.Top, c.top);
    EXPECT_TRUE(pic.Visible);
    const PosRectData& r = f.s.CurDan().Syosetsu[0].Onpu[2].PosRect[1];
    EXPECT_EQ(r.Top, 600 + 120 - 105);
    EXPECT_EQ(r.Left, GetNoteX(f.s, 0, 2));  // after the quarter note
    EXPECT_GT(r.Left, 600);
    EXPECT_DOUBLE_EQ(pic.Left, r.Left);
}

// Staff at 100 (80 apart), TAB at 600 (120 apart), rest picture 270 high.
INSTANTIATE_TEST_SUITE_P(
    AllBranches, RestTop,
    ::testing::Values(RestCase{true, 1, 23, 100 + 40}, RestCase{true, 3, 24, 100 + 160},
                      RestCase{true, 1, 22, 100 + 80 + 20}, RestCase{true, 1, 21, 100 + 40},
                      RestCase{true, 5, 25, 100 + 120},
                      RestCase{false, 2, 23, 600 + 4.5 * 120}, RestCase{false, 3, 24, 600 + 5.5 * 120},
                      RestCase{false, 2, 22, 600 + 5 * 120}, RestCase{false, 3, 25, 600 + 5 * 120},
                      RestCase{false, 1, 23, 600 - 60 - 270}, RestCase{false, 4, 24, 600 - 3 * 270 / 4.0},
                      RestCase{false, 5, 21, 600 - 270}, RestCase{false, 4, 25, 600 - 270}));

TEST(Rounding, NoteXRoundsHalfToEvenInLayoutAndEntryAlike) {
    RowFixture f;  // 2700 twips of note area: eighths 337.5 apart
    for (int i = 0; i < 4; ++i) Append(f.s, 0, Note(1, i, 3));
    EXPECT_EQ(GetNoteX(f.s, 0, 4), 1612);     // 600 + 1012.5
    f.ed->ReLayoutTAB("all");
    EXPECT_DOUBLE_EQ(f.scene.labInx[0][4].Left, 1612);
    EXPECT_EQ(f.s.CurDan().Syosetsu[0].Onpu[4].PosRect[1].Left, 1612);
}

TEST(Cells, TagNamesThePositionTheCellCovers) {
    RowFixture f;
    Append(f.s, 0, Note(1, 1, 2));
    Append(f.s, 0, Note(1, 2, 2));
    f.s.CurDan().Syosetsu[0].Onpu[1].PosNo = 7;  // a stale number in the record
    f.ed->ReLayoutTAB("all");
    EXPECT_EQ(f.scene.labInx[0][1].Tag, "00/01/0");
    f.ed->CellMouseDown(0, 1, kLeftButton, 0, 700);
    f.ed->CellClick(0, 1);
    EXPECT_TRUE(f.port.Has("SetNowData 0 1"));
}
