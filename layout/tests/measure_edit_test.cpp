#include <gtest/gtest.h>

#include "layout_messages.h"
#include "layout_test_support.h"
#include "messages.h"

using namespace lw;
using namespace lw::test;

namespace {

int Ticks(const Session& s, int m) { return MeasureTicks(s, m); }

std::vector<int> Counts(const Session& s, int n) {
    std::vector<int> v;
    for (int m = 0; m < n; ++m) v.push_back(s.CurDan().Syosetsu[m].OnpuCnt);
    return v;
}

}  // namespace

TEST(MeasureFull, LastNoteMayOverfillAndNextIsAskedAbout) {
    RowFixture f;
    for (int i = 0; i < 3; ++i) Append(f.s, 0, Note(1, i, 2));
    f.g.Entry.CurOnpu = Note(1, 5, 1);  // a half note onto 72 ticks: accepted
    ASSERT_TRUE(f.ed->PutNoteAt(1000, 700));
    EXPECT_EQ(Ticks(f.s, 0), 120);
    EXPECT_TRUE(f.port.Has("SetUnDoArea"));

    f.ui.answers = {kIdNo};
    EXPECT_FALSE(f.ed->PutNoteAt(1000, 700));
    ASSERT_EQ(f.ui.texts.size(), 1u);
    EXPECT_EQ(f.ui.texts[0], MessageText(3) + "\n\r" + MessageText(4));
    EXPECT_EQ(f.ui.buttons[0], 36);
    EXPECT_EQ(f.s.CurDan().Syosetsu[0].OnpuCnt, 4);
    EXPECT_EQ(f.s.CurDan().Syosetsu[1].OnpuCnt, 0);

    f.ui.answers = {kIdYes};
    f.port.calls.clear();
    ASSERT_TRUE(f.ed->PutNoteAt(1000, 700));
    EXPECT_EQ(f.s.CurDan().Syosetsu[1].OnpuCnt, 1);
    EXPECT_EQ(f.g.CurSyosetsuIx, 1);
    EXPECT_TRUE(f.port.Has("SetBefore 0 0"));
    EXPECT_TRUE(f.port.Has("WriteRecovery"));  // the note landed in another measure
}

TEST(MeasureFull, LastMeasureRefusesWithMessage3) {
    RowFixture f(5, 2, 12);  // 3/4, two measures
    for (int i = 0; i < 3; ++i) Append(f.s, 1, Note(1, i, 2));
    f.g.Entry.CurOnpu = Note(1, 0, 2);
    EXPECT_FALSE(f.ed->PutNoteAt(3400, 700));
    ASSERT_EQ(f.ui.texts.size(), 1u);
    EXPECT_EQ(f.ui.texts[0], MessageText(3));
    EXPECT_EQ(f.s.CurDan().Syosetsu[1].OnpuCnt, 3);
}

TEST(MeasureFull, YesOnTheLastButOneFillsTheLastEvenWhenFull) {
    RowFixture f(5, 2, 1);  // 6/8
    for (int i = 0; i < 6; ++i) Append(f.s, 0, Note(1, i, 3));
    for (int i = 0; i < 6; ++i) Append(f.s, 1, Note(1, i, 3));
    f.g.Entry.CurOnpu = Note(1, 0, 3);
    f.ui.answers = {kIdYes};
    ASSERT_TRUE(f.ed->PutNoteAt(500, 700));
    EXPECT_EQ(f.s.CurDan().Syosetsu[1].OnpuCnt, 7);
}

TEST(MeasureFull, TwentyFourPositionsAreTheLimit) {
    RowFixture f(5, 4, 22);
    for (int i = 0; i < 24; ++i) Append(f.s, 0, Note(1, 0, 5));  // 24 x 3 ticks = 72: not full
    f.g.Entry.CurOnpu = Note(1, 0, 5);
    const auto before = f.s.CurDan().Syosetsu[0];
    EXPECT_FALSE(f.ed->PutNoteAt(1000, 700));
    ASSERT_EQ(f.ui.texts.size(), 1u);
    EXPECT_EQ(f.ui.texts[0], kMsgMeasurePositionsFull);
    EXPECT_EQ(f.s.CurDan().Syosetsu[0].OnpuCnt, 24);
    EXPECT_EQ(f.s.CurDan().Syosetsu[0].Onpu[24].Flet, before.Onpu[24].Flet);
    EXPECT_FALSE(f.port.Has("SetUnDoArea"));
}

TEST(NoteAtPoint, NoIntervalOrOutsideTheRowEntersNothing) {
    RowFixture f;
    f.g.Entry.CurOnpu = Note(1, 0, 2);
    EXPECT_FALSE(f.ed->PutNoteAt(100, 700));   // left of the first measure: silent
    EXPECT_TRUE(f.ui.texts.empty());
    EXPECT_FALSE(f.ed->PutNoteAt(40000, 700)); // beyond 16 bits: refused with a message
    ASSERT_EQ(f.ui.texts.size(), 1u);
    EXPECT_EQ(f.ui.texts[0], kMsgCoordinateRange);
    f.s.CurLayout().StringInterval = 0;
    EXPECT_FALSE(f.ed->PutNoteAt(1000, 700));
    EXPECT_EQ(f.ui.texts.back(), MessageText(18));
    EXPECT_EQ(f.s.CurDan().Syosetsu[0].OnpuCnt, 0);
}

TEST(NoteAtPoint, PlacesTheNewPositionsLabelsAndCell) {
    RowFixture f;
    f.g.Entry.CurOnpu = Note(3, 5, 2);
    ASSERT_TRUE(f.ed->PutNoteAt(3400, 700));
    EXPECT_EQ(f.s.CurDan().Syosetsu[1].OnpuCnt, 1);
    EXPECT_EQ(f.s.CurDan().Syosetsu[1].Onpu[1].PosNo, 1);
    const SceneLabel& cell = f.scene.labInx[1][1];
    EXPECT_EQ(cell.Tag, "01/01/0");
    EXPECT_DOUBLE_EQ(cell.Left, 3300 + 300);
    const SceneLabel& lab = f.scene.labPos[3];  // string 3 of the first position
    EXPECT_TRUE(lab.Visible);
    EXPECT_EQ(lab.Caption, "5");
    EXPECT_DOUBLE_EQ(lab.Top, 600 + 2 * 120 - lab.Height / 2);
    EXPECT_EQ(f.s.CurDan().Syosetsu[1].Onpu[1].PosRect[3].Left, 3600);
}

// Insertion re-packs by the meter's capacity.
TEST(InsertNote, FourFourPushesTheLastNoteOn) {
    RowFixture f(5, 3, 22);
    for (int i = 1; i <= 4; ++i) Append(f.s, 0, Note(1, i, 2));
    Append(f.s, 1, Note(1, 9, 1));
    f.g.Entry.CurOnpu = Note(1, 0, 2);
    ASSERT_TRUE(f.ed->InsertNote(0, 1));
    EXPECT_EQ(Counts(f.s, 3), (std::vector<int>{4, 2, 0}));
    const auto& d = f.s.CurDan();
    EXPECT_EQ(d.Syosetsu[0].Onpu[1].Flet[1], 1);
    EXPECT_EQ(d.Syosetsu[0].Onpu[2].Flet[1], 0);  // the inserted note
    EXPECT_EQ(d.Syosetsu[0].Onpu[4].Flet[1], 3);
    EXPECT_EQ(d.Syosetsu[1].Onpu[1].Flet[1], 4);
    EXPECT_EQ(d.Syosetsu[1].Onpu[2].Flet[1], 9);
    for (int p = 1; p <= 2; ++p) EXPECT_EQ(d.Syosetsu[1].Onpu[p].PosNo, p);
}

TEST(InsertNote, ThreeFourAndSixEightUseSeventyTwoTicks) {
    for (int meter : {12, 1}) {
        RowFixture f(5, 3, meter);
        f.s.MeterID = 22;  // another row's 4/4 in the menu: the row keeps its own
        for (int i = 1; i <= 3; ++i) Append(f.s, 0, Note(1, i, 2));
        f.g.Entry.CurOnpu = Note(1, 0, 2);
        ASSERT_TRUE(f.ed->InsertNote(0, 0)) << meter;
        EXPECT_EQ(Counts(f.s, 3), (std::vector<int>{3, 1, 0})) << meter;
        EXPECT_EQ(f.s.CurDan().Syosetsu[0].Onpu[1].Flet[1], 0);
        EXPECT_EQ(f.s.CurDan().Syosetsu[1].Onpu[1].Flet[1], 3);
    }
}

TEST(InsertNote, MeasureThatStillHasRoomAbsorbsTheInsertion) {
    RowFixture f(5, 2, 22);
    Append(f.s, 0, Note(1, 1, 2));
    Append(f.s, 1, Note(1, 2, 2));
    f.g.Entry.CurOnpu = Note(1, 0, 3);
    ASSERT_TRUE(f.ed->InsertNote(0, 1));
    EXPECT_EQ(Counts(f.s, 2), (std::vector<int>{2, 1}));
}

TEST(InsertNote, RefusedBeforeWritingWhenNotesWouldLeaveTheRow) {
    RowFixture f(5, 2, 22);
    for (int m = 0; m < 2; ++m)
        for (int i = 1; i <= 4; ++i) Append(f.s, m, Note(1, i, 2));
    const DanData before = f.s.CurDan();
    f.g.Entry.CurOnpu = Note(1, 0, 2);
    EXPECT_FALSE(f.ed->InsertNote(0, 2));
    ASSERT_EQ(f.ui.texts.size(), 1u);
    EXPECT_EQ(f.ui.texts[0], kMsgInsertOverflow);
    for (int m = 0; m < 3; ++m) {
        EXPECT_EQ(f.s.CurDan().Syosetsu[m].OnpuCnt, before.Syosetsu[m].OnpuCnt);
        for (int p = 1; p <= 4; ++p)
            EXPECT_EQ(f.s.CurDan().Syosetsu[m].Onpu[p].Flet[1], before.Syosetsu[m].Onpu[p].Flet[1]);
    }
}

TEST(DeleteMeasure, ClearsOnlyThatMeasure) {
    RowFixture f;
    Append(f.s, 0, Note(1, 1, 2));
    Append(f.s, 1, Note(2, 2, 2));
    Append(f.s, 1, Note(2, 3, 2));
    Append(f.s, 2, Note(3, 4, 2));
    f.ed->ReLayoutTAB("all");
    f.ed->DeleteSyosetsu(1);
    EXPECT_EQ(Counts(f.s, 3), (std::vector<int>{1, 0, 1}));
    EXPECT_EQ(f.s.CurDan().Syosetsu[1].Onpu[1].FletUse[2], 0);
    EXPECT_EQ(f.scene.labInx[1].size(), 1u);  // its cells are unloaded
    EXPECT_EQ(f.s.CurDan().Syosetsu[2].Onpu[1].Flet[3], 4);
    EXPECT_EQ(f.g.CurSyosetsuIx, 1);
    EXPECT_TRUE(f.port.Has("PutRhythm 0"));
    f.ed->DeleteSyosetsu(7);  // beyond the row: nothing
    EXPECT_EQ(Counts(f.s, 3), (std::vector<int>{1, 0, 1}));
}

TEST(CopyMeasure, FromAnotherRowFillsTheDestination) {
    RowFixture f(5, 4, 22, 1);
    SetUpRow(f.s, 0);
    Append(f.s, 0, Note(1, 3, 2));
    Append(f.s, 0, Rest(23));
    Append(f.s, 0, Note(2, 5, 1));
    f.s.CurDanIx = 1;
    Append(f.s, 2, Note(4, 9, 0));  // replaced
    f.ed->CopySyosetsu(0, 0, 2);
    EXPECT_EQ(f.s.CurDanIx, 1);
    const auto& dst = f.s.DanBuf[1].Syosetsu[2];
    ASSERT_EQ(dst.OnpuCnt, 3);
    EXPECT_EQ(dst.Onpu[1].Flet[1], 3);
    EXPECT_TRUE(IsRestPosition(dst.Onpu[2]));
    EXPECT_EQ(dst.Onpu[3].Flet[2], 5);
    EXPECT_EQ(f.s.DanBuf[0].Syosetsu[0].OnpuCnt, 3);  // source untouched
    EXPECT_TRUE(f.port.Has("BringRowToFront 1"));
    EXPECT_EQ(f.port.Count("RedrawRow"), 3);
    EXPECT_TRUE(f.port.Has("PutRhythm 0"));
}

TEST(CopyMeasure, EmptySourceEmptiesTheDestination) {
    RowFixture f;
    Append(f.s, 1, Note(1, 1, 2));
    f.ed->CopySyosetsu(0, 0, 1);
    EXPECT_EQ(f.s.CurDan().Syosetsu[1].OnpuCnt, 0);
}

TEST(CopyMeasure, OntoItselfKeepsTheMeasure) {
    RowFixture f;
    Append(f.s, 1, Note(1, 1, 2));
    Append(f.s, 1, Note(1, 2, 2));
    f.ed->CopySyosetsu(0, 1, 1);
    ASSERT_EQ(f.s.CurDan().Syosetsu[1].OnpuCnt, 2);
    EXPECT_EQ(f.s.CurDan().Syosetsu[1].Onpu[2].Flet[1], 2);
}

TEST(CopyMeasure, StopsWhenTheRedrawFails) {
    RowFixture f;
    for (int i = 0; i < 3; ++i) Append(f.s, 0, Note(1, i, 2));
    f.port.redrawOk = false;
    f.ed->CopySyosetsu(0, 0, 1);
    EXPECT_EQ(f.s.CurDan().Syosetsu[1].OnpuCnt, 1);
    EXPECT_FALSE(f.port.Has("PutRhythm 0"));
}

TEST(OpenRows, CountsRowCaptionsOnly) {
    std::vector<std::string> caps = {"1段目", "楽譜", "10段目", "100段目", "a段目"};
    EXPECT_TRUE(IsDanOpen(caps, 2));
    EXPECT_FALSE(IsDanOpen(caps, 3));
    EXPECT_FALSE(IsDanOpen(std::vector<std::string>{}, 1));
    EXPECT_TRUE(IsDanOpen(1, 1));
}

TEST(InsertNote, MeasuresAfterTheRowAreNeitherRepackedNorInTheWay) {
    RowFixture f(5, 4, 22);
    Append(f.s, 0, Note(1, 1, 2));
    // The slot after the row holds more than a measure's worth (left from a
    // larger measure count); it must not block an insertion that fits.
    for (int i = 0; i < 5; ++i) Append(f.s, 4, Note(1, 10 + i, 2));
    f.g.Entry.CurOnpu = Note(1, 0, 2);
    ASSERT_TRUE(f.ed->InsertNote(0, 1));
    EXPECT_TRUE(f.ui.texts.empty());
    EXPECT_EQ(Counts(f.s, 5), (std::vector<int>{2, 0, 0, 0, 5}));
    EXPECT_EQ(f.s.CurDan().Syosetsu[4].Onpu[5].Flet[1], 14);
}

TEST(InsertNote, EmptyMeasureTakesThePushedNoteAndTheNextKeepsItsOwn) {
    RowFixture f(5, 3, 22);
    for (int i = 1; i <= 4; ++i) Append(f.s, 0, Note(1, i, 2));
    Append(f.s, 2, Note(1, 9, 1));
    f.g.Entry.CurOnpu = Note(1, 0, 2);
    ASSERT_TRUE(f.ed->InsertNote(0, 0));
    EXPECT_EQ(Counts(f.s, 3), (std::vector<int>{4, 1, 1}));
    EXPECT_EQ(f.s.CurDan().Syosetsu[1].Onpu[1].Flet[1], 4);
    EXPECT_EQ(f.s.CurDan().Syosetsu[2].Onpu[1].Flet[1], 9);
}

TEST(MeasureFull, RefusedMoveWritesNoRecoveryAndEveryPlacedNoteDoes) {
    RowFixture f(5, 3, 22);
    for (int i = 0; i < 4; ++i) Append(f.s, 0, Note(1, i, 2));
    for (int i = 0; i < 24; ++i) Append(f.s, 1, Note(1, 0, 5));
    f.g.CurSyosetsuIx = 2;
    f.g.Entry.CurOnpu = Note(1, 0, 2);
    f.ui.answers = {kIdYes};
    EXPECT_FALSE(f.ed->PutNoteAt(1000, 700));  // yes moves it to measure 1, which has 24
    EXPECT_EQ(f.ui.texts.back(), kMsgMeasurePositionsFull);
    EXPECT_EQ(f.s.CurDan().Syosetsu[1].OnpuCnt, 24);
    EXPECT_FALSE(f.port.Has("WriteRecovery")) << "nothing was entered";
    f.port.calls.clear();
    ASSERT_TRUE(f.ed->PutNoteAt(6500, 700));  // the current measure changes too
    EXPECT_EQ(f.port.Count("WriteRecovery"), 1);
}
