#include <gtest/gtest.h>

#include "layout_messages.h"
#include "layout_test_support.h"

using namespace lw;
using namespace lw::test;

namespace {

void FillRow(RowFixture& f) {
    Append(f.s, 0, Note(1, 3, 2));
    Append(f.s, 0, Rest(23));
    Append(f.s, 1, Note(2, 5, 2));
    f.ed->ReLayoutTAB("all");
    f.port.calls.clear();
}

}  // namespace

TEST(ReLayout, HooksRunInOrderAndHiddenSwitchKeepsDialogHidden) {
    RowFixture f;
    FillRow(f);
    ASSERT_TRUE(f.ed->ReLayoutTAB("all"));
    EXPECT_EQ(f.port.calls, (std::vector<std::string>{"NoteEntryHide", "ClearAccidentalMemory", "PutRhythm all", "NoteEntryShow"}));
    f.port.rhythmOk = false;
    f.port.calls.clear();
    EXPECT_FALSE(f.ed->ReLayoutTAB("0"));
    EXPECT_FALSE(f.port.Has("NoteEntryShow"));
    f.port.rhythmOk = true;
    f.g.KeepNoteEntryHidden = true;
    f.port.calls.clear();
    f.ed->ReLayoutTAB("0");
    EXPECT_FALSE(f.port.Has("NoteEntryShow"));
    EXPECT_EQ(f.s.CurDan().Syosetsu[0].DrawFlag, 0);
}

TEST(ReLayout, OldControlsAreHiddenWhenTheRowShrinks) {
    RowFixture f;
    FillRow(f);
    f.s.CurDan().Syosetsu[1].OnpuCnt = 0;
    f.ed->ReLayoutTAB("all");
    for (size_t i = 7; i < f.scene.labPos.size(); ++i) EXPECT_FALSE(f.scene.labPos[i].Visible);
    EXPECT_FALSE(f.scene.labInx[1][1].Visible);
    EXPECT_TRUE(f.scene.picKyufu[1].Visible);
    EXPECT_EQ(f.scene.picKyufu[1].Image, Stamp::pic4Kyufu);
    // Style 1 without note drawing: a quarter rest sits above the TAB.
    EXPECT_DOUBLE_EQ(f.scene.picKyufu[1].Top, 600 - 60 - f.scene.picKyufu[1].Height);
}

TEST(CellClick, NoteSelectsThePositionInTheDialog) {
    RowFixture f;
    FillRow(f);
    f.ed->CellMouseDown(1, 1, kLeftButton, 10, 700);
    f.ed->CellClick(1, 1);
    EXPECT_EQ(f.g.CurSyosetsuIx, 1);
    EXPECT_EQ(f.g.NewNoteFlag, 0);
    EXPECT_TRUE(f.port.Has("SetUpdateTag 01/01/0"));
    EXPECT_TRUE(f.port.Has("SetNowData 1 1"));
    EXPECT_TRUE(f.port.Has("MoveKoSetForm 1 1"));
    EXPECT_TRUE(f.port.Has("SetUpdateEnabled 1"));
    EXPECT_TRUE(f.port.Has("SelectTab 0"));
    const int k = f.ed->GetCtrlIndex(1, 1, 0);
    EXPECT_TRUE(f.port.Has("SetBefore " + std::to_string((long)f.scene.labPos[k].Left) + " " +
                           std::to_string((long)f.scene.labPos[k].Top)));
    EXPECT_EQ(f.scene.labAsisto.BackStyle, 1);
    EXPECT_DOUBLE_EQ(f.scene.labAsisto.Left, f.scene.labInx[1][1].Left);
    EXPECT_DOUBLE_EQ(f.g.MouseX, f.scene.labInx[1][1].Left + 10);
}

TEST(CellClick, RestSelectsTheRestTabAndRightButtonOpensThePopup) {
    RowFixture f;
    FillRow(f);
    f.ed->CellMouseDown(0, 2, kLeftButton, 5, 5);
    f.ed->CellClick(0, 2);
    EXPECT_TRUE(f.port.Has("SetNowData_kyf 0 2"));
    EXPECT_TRUE(f.port.Has("SetRestButtons 00/02/1 1"));
    EXPECT_TRUE(f.port.Has("SelectTab 1"));
    f.port.calls.clear();
    f.ed->CellMouseDown(0, 1, kRightButton, 5, 5);
    f.ed->CellClick(0, 1);
    EXPECT_FALSE(f.port.Has("SetNowData 0 1"));  // a right click does not select
    f.ed->CellMouseUp(0, 1, kRightButton);
    EXPECT_TRUE(f.port.Has("ShowNotePopup"));
    EXPECT_EQ(f.ed->PopupOpen(), -1);
}

TEST(CellClick, EraseModeRemovesTheClickedStringOrThePosition) {
    RowFixture f;
    FillRow(f);
    f.ed->SetEditMode(kModeErase);
    f.ed->CellMouseDown(0, 1, kLeftButton, 0, 600);  // on string 1
    f.ed->CellClick(0, 1);
    EXPECT_TRUE(f.port.Has("SetFletPosNo 1 0"));
    EXPECT_TRUE(f.port.Has("UpdateProc"));
    EXPECT_TRUE(f.port.Has("WriteRecovery"));
    EXPECT_FALSE(f.port.updateEnabled);
    f.port.calls.clear();
    f.ed->CellMouseDown(0, 1, kLeftButton, 0, 1500);  // below every string
    f.ed->CellClick(0, 1);
    EXPECT_TRUE(f.port.Has("ClearFlet"));
}

TEST(KyufuClick, SelectsTheCellUnderTheRest) {
    RowFixture f;
    FillRow(f);
    f.ed->KyufuClick(1);
    EXPECT_TRUE(f.port.Has("SetNowData_kyf 0 2"));
}

TEST(FrameEvents, NormalModeMarksTheStringForANewNote) {
    RowFixture f;
    f.ed->FrameMouseDown(kLeftButton, 2000, 720);
    EXPECT_EQ(f.g.NewNoteFlag, 1);
    EXPECT_TRUE(f.port.Has("ClearFlet"));
    EXPECT_TRUE(f.scene.labFletEdit.Visible);
    EXPECT_EQ(f.scene.labAsisto.BackStyle, 1);
    f.ed->FrameMouseMove(0, 2100, 800);
    EXPECT_FALSE(f.scene.labFletEdit.Visible);
    EXPECT_DOUBLE_EQ(f.scene.lineBeemTate.X1, 2100);
    EXPECT_DOUBLE_EQ(f.scene.lineBeemYoko.Y1, 800);
    f.ed->FrameMouseUp(kRightButton, 0, 0);
    EXPECT_TRUE(f.port.Has("ShowFramePopup"));
}

TEST(FrameEvents, StaffNoteModeEntersTheMappedNote) {
    RowFixture f;
    f.ed->SetEditMode(kModeStaffNote);
    f.port.staffHit = true;
    f.port.staffString = 2;
    f.port.staffFret = 3;
    f.g.Entry.CurOnpu = Note(2, 3, 2);
    f.ed->FrameMouseDown(kLeftButton, 1000, 200);
    EXPECT_TRUE(f.port.Has("SelectStringFret 2 3"));
    EXPECT_EQ(f.s.CurDan().Syosetsu[0].OnpuCnt, 1);
    f.ed->FrameMouseDown(kLeftButton, 1000, 700);  // on the TAB: not the staff
    EXPECT_EQ(f.s.CurDan().Syosetsu[0].OnpuCnt, 1);
    f.ed->FrameMouseMove(0, 1000, -200);
    EXPECT_TRUE(f.scene.pic5Sen_Hosoku.Visible);
}

TEST(FrameEvents, RowAreaTextAndMarkModes) {
    RowFixture f;
    f.ed->SetEditMode(kModeRowArea);
    f.ed->FrameMouseDown(kLeftButton, 1234, 567);
    EXPECT_TRUE(f.port.Has("RowAreaPick 1234 567"));
    f.ed->SetEditMode(kModeText);
    f.ed->FrameMouseDown(kLeftButton, 800, 1500);
    ASSERT_EQ(f.items.Texts.size(), 2u);
    EXPECT_DOUBLE_EQ(f.items.Texts[1].Left, 800);
    EXPECT_TRUE(f.port.Has("ShowTextDialog 1"));
    EXPECT_EQ(f.g.EditMode, kModeNormal);
    f.ed->SetEditMode(kModeRepMark);
    f.ed->FrameMouseDown(kLeftButton, 900, 50);  // no mark chosen: nothing
    EXPECT_EQ(f.items.RepMarks.size(), 1u);
    f.port.markChosen = true;
    f.ed->SetEditMode(kModeRepMark);
    f.ed->FrameMouseDown(kLeftButton, 900, 50);
    ASSERT_EQ(f.items.RepMarks.size(), 2u);
    EXPECT_EQ(f.items.RepMarks[1].Tag, "2");
    EXPECT_TRUE(f.items.RepMarks[1].Visible);
}

TEST(Dragging, TextsAndMarksMoveInMoveModeOnly) {
    RowFixture f;
    f.items.Texts.push_back(TextItem{100, 100, 200, 400, "Intro", 10, true});
    f.ed->TextMouseDown(1, 10, 20);  // normal mode: no drag
    f.ed->FrameDragDrop(500, 600);
    EXPECT_DOUBLE_EQ(f.items.Texts[1].Left, 100);
    f.ed->SetEditMode(kModeMove);
    f.ed->TextMouseDown(1, 10, 20);
    f.ed->FrameDragDrop(500, 600);
    EXPECT_DOUBLE_EQ(f.items.Texts[1].Left, 490);
    EXPECT_DOUBLE_EQ(f.items.Texts[1].Top, 580);
    f.ed->TextMouseDown(1, 0, 0);
    f.ed->FrameDragDrop(90000, 10);  // far outside: refused, not wrapped
    EXPECT_DOUBLE_EQ(f.items.Texts[1].Left, 490);
    EXPECT_EQ(f.ui.texts.back(), kMsgCoordinateRange);
    f.ed->TextClick(1);
    EXPECT_TRUE(f.port.Has("ShowTextDialog 1"));
    f.ed->RepMarkMouseUp(3, kRightButton);
    EXPECT_TRUE(f.port.Has("ShowRepMarkPopup 3"));
}

TEST(Dragging, BarLineMovesOnlyTheTwoNeighbouringMeasures) {
    RowFixture f;
    FillRow(f);
    f.ed->LoadKugiri();
    f.ed->SetEditMode(kModeKugiri);
    for (int m = 0; m < 4; ++m) EXPECT_TRUE(f.scene.labKugiri[m].Visible) << "every closing bar line, the last too";
    EXPECT_FALSE(f.scene.labKugiri[4].Visible);
    const DanLayoutData before = f.s.CurLayout();
    f.ed->KugiriMouseDown(0, 60, 120);
    f.ed->FrameDragDrop(2800, 700);
    const DanLayoutData& l = f.s.CurLayout();
    EXPECT_EQ(l.SyosetsuLeft[1], 2800);
    EXPECT_EQ(l.SyosetsuWidth[0], 2500);
    EXPECT_EQ(l.SyosetsuWidth[1], 3500);
    for (int m = 2; m <= 4; ++m) {
        EXPECT_EQ(l.SyosetsuLeft[m], before.SyosetsuLeft[m]);
        EXPECT_EQ(l.SyosetsuWidth[m], before.SyosetsuWidth[m]);
    }
    EXPECT_DOUBLE_EQ(f.scene.lineKugiri[4 + 2].X1, 2800);
    EXPECT_DOUBLE_EQ(f.scene.labInx[1][1].Left, 2800 + 300);  // re-laid out
    EXPECT_TRUE(f.port.Has("RowModified"));
    // A drop goes only as far as both measures keep room for their notes:
    // measure 1's two quarters need their columns a cell (240) and 60 twips
    // apart, which takes a note area of 1200 (a quarter of it each); measure
    // 2's one note needs one cell.
    const struct { int handle; double drop; int left; } cases[] = {
        {0, 400, 300 + 300 + 1200},    // too narrow for measure 1's notes
        {0, 6400, 6300 - 300 - 240},   // past the next bar line
        {3, 11000, 11000},             // the row's right end moves in
        {3, 20000, 300 + 12000},       // but not past the end of the lines
    };
    for (const auto& c : cases) {
        f.ed->KugiriMouseDown(c.handle, 0, 0);
        f.ed->FrameDragDrop(c.drop, 700);
        EXPECT_EQ(f.s.CurLayout().SyosetsuLeft[c.handle + 1], c.left) << c.handle << " to " << c.drop;
        EXPECT_EQ(f.s.CurLayout().SyosetsuWidth[c.handle],
                  c.left - f.s.CurLayout().SyosetsuLeft[c.handle]);
    }
    EXPECT_TRUE(f.ui.texts.empty());
    // Outside 16 bits: refused, nothing moves.
    const int16_t kept = f.s.CurLayout().SyosetsuLeft[1];
    f.ed->KugiriMouseDown(0, 0, 0);
    f.ed->FrameDragDrop(70000, 700);
    ASSERT_FALSE(f.ui.texts.empty());
    EXPECT_EQ(f.ui.texts.back(), kMsgCoordinateRange);
    EXPECT_EQ(f.s.CurLayout().SyosetsuLeft[1], kept);
    // Outside bar-line mode a handle is not dragged.
    f.ed->SetEditMode(kModeNormal);
    f.ed->KugiriMouseDown(0, 0, 0);
    f.ed->FrameDragDrop(2000, 700);
    EXPECT_EQ(f.s.CurLayout().SyosetsuLeft[1], kept);
}

TEST(Dragging, OnlyTheLeftButtonStartsADragAndAReleaseEndsIt) {
    RowFixture f;
    f.items.Texts.push_back(TextItem{1000, 1000, 200, 600, "Intro", 10, true});
    f.g.EditMode = kModeMove;
    f.ed->TextMouseDown(1, 10, 10, kRightButton);
    EXPECT_EQ(f.ed->Drag().kind, DragKind::None);
    f.ed->TextMouseDown(1, 10, 10, kLeftButton);
    EXPECT_EQ(f.ed->Drag().kind, DragKind::Text);
    f.ed->EndDrag();  // released outside the row
    f.ed->FrameDragDrop(5000, 500);
    EXPECT_DOUBLE_EQ(f.items.Texts[1].Left, 1000);
    EXPECT_DOUBLE_EQ(f.items.Texts[1].Top, 1000);
}

TEST(Geometry, MinimumMeasureWidthKeepsColumnsAndChordNamesApart) {
    RowFixture f;
    EXPECT_DOUBLE_EQ(MinSyosetsuWidth(f.s, 0, 240, 600), 300 + 240) << "an empty measure keeps room for a note";
    for (int i = 0; i < 8; ++i) Append(f.s, 0, Note(1, i, 3));  // eighths: an eighth of it apart
    EXPECT_DOUBLE_EQ(MinSyosetsuWidth(f.s, 0, 240, 600), 300 + 8 * (240 + 60));
    // The second chord name (at half the note area + 80) starts after the
    // first (at 100, "Am7" about 3 x 130 + 40 wide).
    auto& chords = f.s.CurDan().Syosetsu[1];
    chords.Chord1 = "Am7";
    chords.Chord2 = "D7";
    EXPECT_DOUBLE_EQ(MinSyosetsuWidth(f.s, 1, 240, 600), 300 + 2 * (100 + 430 - 80));
}

TEST(Dragging, ChordLabelInMarkModeThenBackToNormal) {
    RowFixture f;
    f.s.CurDan().Syosetsu[0].Chord1 = "Am";
    f.s.CurDan().Syosetsu[0].Chord2 = "E7";
    f.ed->LoadChord();
    ASSERT_EQ(f.scene.labChord.size(), 3u);
    EXPECT_DOUBLE_EQ(f.scene.labChord[1].Left, 400);
    EXPECT_DOUBLE_EQ(f.scene.labChord[2].Left, 2700 / 4.0 * 2 + 300 + 80);
    f.ed->SetEditMode(kModeRepMark);
    f.ed->ChordMouseDown(2, 10, 10);
    EXPECT_EQ(f.g.EditMode, kModeNormal);
    f.ed->FrameDragDrop(3000, 100);
    EXPECT_DOUBLE_EQ(f.scene.labChord[2].Left, 2990);
    // Past a row start of 900 twips (clef, key signature): over the first note.
    f.s.CurLayout().RowStartInset = 900;
    f.ed->LoadChord();
    EXPECT_DOUBLE_EQ(f.scene.labChord[1].Left, 300 + 900 - 60);
}

TEST(NoteDrop, EntersTheNoteAndMovesTheDialog) {
    RowFixture f;
    f.g.Entry.CurOnpu = Note(1, 7, 2);
    f.ed->FrameOleDragDrop(3500, 700);
    EXPECT_EQ(f.s.CurDan().Syosetsu[1].OnpuCnt, 1);
    EXPECT_TRUE(f.port.Has("MoveKoSetForm 1 1"));
    EXPECT_TRUE(f.port.Has("FinishDropEntry"));
}

TEST(Accidental, CursorItemsSetTheTool) {
    RowFixture f;
    f.ed->SetHanonTool(2);
    EXPECT_EQ(f.g.HanonTool, 3);
    f.ed->SetHanonTool(5);
    EXPECT_EQ(f.g.HanonTool, 3);
}

namespace {

// Records the point the staff mapping is asked about.
struct StaffPointPort : RecordingPort {
    double askedY = 0;
    bool StaffPointToStringFret(double x, double y, int& s, int& f) override {
        askedY = y;
        return RecordingPort::StaffPointToStringFret(x, y, s, f);
    }
};

}  // namespace

TEST(CellClick, EraseModeInTheStaffAsksTheMappingHalfIntervalsHigher) {
    Session s;
    SetUpRow(s, 0);
    EditorGlobals g;
    RowScene scene;
    RowItems items;
    ScriptedUi ui;
    StaffPointPort port;
    RowEditor ed(s, g, scene, items, ui, port, 0);
    Append(s, 0, Note(2, 3, 2));
    ed.ReLayoutTAB("all");
    ed.SetEditMode(kModeErase);
    port.staffHit = true;
    port.staffString = 2;
    ed.CellMouseDown(0, 1, kLeftButton, 0, 200);  // above the TAB margin: staff area
    ed.CellClick(0, 1);
    EXPECT_DOUBLE_EQ(port.askedY, 200 - 80 / 2.0 * 3.5);
    EXPECT_TRUE(port.Has("SetFletPosNo 2 0"));
    EXPECT_TRUE(port.Has("UpdateProc"));
    port.calls.clear();
    port.staffHit = false;  // a staff point that names no string removes the position
    ed.CellClick(0, 1);
    EXPECT_TRUE(port.Has("ClearFlet"));
}

TEST(CellClick, RestTakesItsPicturePlaceAsTheDialogPoint) {
    RowFixture f;
    FillRow(f);
    f.ed->CellMouseDown(0, 2, kLeftButton, 5, 5);
    f.ed->CellClick(0, 2);
    const ScenePicture& pic = f.scene.picKyufu[1];
    EXPECT_TRUE(f.port.Has("SetBefore " + std::to_string(RoundHalfEven(pic.Left)) + " " +
                           std::to_string(RoundHalfEven(pic.Top))));
}

TEST(FrameEvents, BarLineEraseAndMoveModesDoNothingOnTheFrame) {
    for (int mode : {kModeKugiri, kModeErase, kModeMove}) {
        RowFixture f;
        f.ed->SetEditMode(mode);
        f.port.calls.clear();
        f.ed->FrameMouseDown(kLeftButton, 2000, 720);
        EXPECT_TRUE(f.port.calls.empty()) << mode;
        EXPECT_EQ(f.g.NewNoteFlag, 0) << mode;
        EXPECT_EQ(f.g.EditMode, mode);
        EXPECT_DOUBLE_EQ(f.g.MouseX, 2000);  // the point is stored in every mode
    }
}

TEST(LedgerGuide, ClickEntersANoteOnlyInTheStaffArea) {
    RowFixture f;
    f.ed->SetEditMode(kModeStaffNote);
    f.port.staffHit = true;
    f.port.staffString = 1;
    f.port.staffFret = 5;
    f.g.Entry.CurOnpu = Note(1, 5, 2);
    auto& guide = f.scene.pic5Sen_Hosoku;
    guide.Top = 420;  // below the staff, reaching down towards the TAB
    guide.Left = 900;
    f.ed->HosokuMouseDown(kLeftButton, 10, 250);  // y 670: on the TAB
    f.ed->HosokuClick();
    EXPECT_EQ(f.s.CurDan().Syosetsu[0].OnpuCnt, 0);
    f.ed->HosokuMouseDown(kLeftButton, 10, 10);   // y 430: still below the margin
    f.ed->HosokuClick();
    EXPECT_EQ(f.s.CurDan().Syosetsu[0].OnpuCnt, 0);
    guide.Top = -500;  // above the staff
    f.ed->HosokuMouseDown(kLeftButton, 10, 100);
    f.ed->HosokuClick();
    EXPECT_EQ(f.s.CurDan().Syosetsu[0].OnpuCnt, 1);
    EXPECT_TRUE(f.port.Has("SelectStringFret 1 5"));
    EXPECT_TRUE(f.port.Has("MoveKoSetForm 0 1"));
}

TEST(LedgerGuide, NormalModePressSelectsTheStaffPoint) {
    RowFixture f;
    f.port.staffHit = true;
    f.port.staffString = 3;
    f.port.staffFret = 2;
    f.scene.pic5Sen_Hosoku.Top = -500;
    f.ed->HosokuMouseDown(kRightButton, 10, 10);
    EXPECT_FALSE(f.port.Has("StaffPoint"));
    f.ed->HosokuMouseDown(kLeftButton, 10, 10);
    EXPECT_DOUBLE_EQ(f.g.MouseY, -490);
    EXPECT_TRUE(f.port.Has("SelectStringFret 3 2"));
    f.ed->HosokuMouseUp(kRightButton);
    EXPECT_TRUE(f.port.Has("ShowFramePopup"));
}

TEST(Dragging, ChordPressLeavesBarLineModeAndHidesTheHandles) {
    RowFixture f;
    f.ed->LoadKugiri();
    f.ed->SetEditMode(kModeKugiri);
    ASSERT_TRUE(f.scene.labKugiri[0].Visible);
    f.ed->ChordMouseDown(1, 0, 0);
    EXPECT_EQ(f.g.EditMode, kModeNormal);
    EXPECT_FALSE(f.scene.labKugiri[0].Visible);
    EXPECT_EQ(f.ed->Drag().kind, DragKind::None);  // only mark mode drags a chord
}

// The note pop-up's string under the pointer: on the staff the pitch is
// taken 3.5 half-spaces higher (staff lines 80 twips apart: 140 twips), on
// the TAB the nearest line (strings 120 twips apart from y 600).
TEST(RowEvents, TheStringUnderThePointerOnTheStaffAndOnTheTab) {
    RowFixture f;
    f.port.staffHit = true;
    f.port.staffString = 4;
    EXPECT_EQ(f.ed->StringAt(700, 300), 4);
    EXPECT_DOUBLE_EQ(f.port.staffY, 160);
    f.port.staffHit = false;
    EXPECT_EQ(f.ed->StringAt(700, 300), 0);
    EXPECT_EQ(f.ed->StringAt(700, 600 + 2 * 120), 3);
    EXPECT_EQ(f.ed->StringAt(700, 600 + 5 * 120), 6);
    EXPECT_EQ(f.ed->StringAt(700, 600 + 9 * 120), 0);
}
