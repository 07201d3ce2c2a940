// A row window used with the mouse as a person would: clicks on note
// columns, bar-line drags, text and mark moves, and the measure commands.
#include <gtest/gtest.h>

#include <QAction>
#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QLabel>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QToolButton>
#include <filesystem>
#include <memory>

#include "app_test_support.h"
#include "document_window.h"
#include "ko_key.h"
#include "ko_rep_mark.h"
#include "ko_text_in.h"
#include "main_window.h"
#include "shell.h"
#include "tab_file.h"
#include "ko_chord_piano.h"
#include "ko_set_flet.h"

namespace fs = std::filesystem;
using namespace lw;
using namespace lwtest;

namespace {

// A fret number the layout placed; the row picture holds it once burnt in,
// and the label itself is hidden then.
bool Placed(const SceneLabel& l) { return !l.Caption.empty(); }

class RowWindowTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        mw->PopupHook = [this](QMenu& m) { menus.push_back(m.objectName().toStdString()); };
        mw->DialogHook = [](QDialog&) { return int(QDialog::Rejected); };  // a click on a text opens its dialog
        ASSERT_NO_FATAL_FAILURE(OpenExampleRow());
    }
    const DanLayoutData& Lay() { return sh().s.DanLayout[row->Slot()]; }
    SyosetsuData& Measure(int m) { return sh().s.DanBuf[row->Slot()].Syosetsu[m]; }
    void Click(double x, double y, int button = kLeftButton) {
        doc->PressAt(button, x, y);
        doc->ReleaseAt(button, x, y);
    }
    void Drag(double x0, double y0, double x1, double y1) {
        doc->PressAt(kLeftButton, x0, y0);
        doc->MoveAt(kLeftButton, (x0 + x1) / 2, (y0 + y1) / 2);
        doc->MoveAt(kLeftButton, x1, y1);
        doc->ReleaseAt(kLeftButton, x1, y1);
    }
    double Twips(int px) const { return px * 15.0; }
    // An x inside the last measure where no note column stands.
    double FreeX() {
        for (double x = Lay().SyosetsuLeft[4] - 60; x > Lay().SyosetsuLeft[3]; x -= 30)
        {
            bool free = true;
            for (double dx : {-150.0, 0.0, 150.0})
                for (int k : {0, 5})
                    free = free && doc->HitTest(x + dx, Lay().TabTop + k * Lay().StringInterval).kind ==
                                       DocumentWindow::HitKind::Frame;
            if (free) return x;
        }
        ADD_FAILURE() << "no free place in the last measure";
        return 0;
    }
    void Tool(const char* key, bool on) { mw->action(QStringLiteral("tb%1").arg(key))->setChecked(on); }

    std::vector<std::string> menus;  // pop-up menus opened
};

TEST_F(RowWindowTest, ClickingAFretNumberHighlightsItsColumn) {
    // The third position of measure 1: its fret label and its column cell.
    const SceneLabel* label = nullptr;
    for (size_t i = 1; i < row->Scene.labPos.size() && !label; ++i)
        if (Placed(row->Scene.labPos[i]) && row->Scene.labPos[i].Left > Lay().SyosetsuLeft[1]) label = &row->Scene.labPos[i];
    ASSERT_NE(label, nullptr);
    const double x = label->Left + label->Width / 2, y = label->Top + label->Height / 2;
    const auto hit = doc->HitTest(x, y);
    ASSERT_EQ(hit.kind, DocumentWindow::HitKind::Cell);
    EXPECT_EQ(hit.measure, 1);
    EXPECT_EQ(row->Scene.labAsisto.BackStyle, 0);
    Click(x, y);
    EXPECT_EQ(row->Scene.labAsisto.BackStyle, 1);
    EXPECT_DOUBLE_EQ(row->Scene.labAsisto.Left, row->Scene.labInx[hit.measure][hit.index].Left);
    EXPECT_EQ(sh().g.CurSyosetsuIx, 1);
}

TEST_F(RowWindowTest, DraggingTheBarLineBetweenMeasuresOneAndTwoChangesOnlyTheirWidthsAndIsSaved) {
    const DanLayoutData before = Lay();
    Tool("Kugiri", true);
    ASSERT_GE(row->Scene.labKugiri.size(), 2u);
    const SceneLabel h = row->Scene.labKugiri[0];
    ASSERT_TRUE(h.Visible);
    const double gx = h.Left + h.Width / 2, gy = h.Top + h.Height / 2;
    ASSERT_EQ(doc->HitTest(gx, gy).kind, DocumentWindow::HitKind::Kugiri);
    Drag(gx, gy, gx + 600, gy);
    Tool("Kugiri", false);
    EXPECT_EQ(Lay().SyosetsuLeft[1], before.SyosetsuLeft[1] + 600);
    EXPECT_EQ(Lay().SyosetsuWidth[0], before.SyosetsuWidth[0] + 600);
    EXPECT_EQ(Lay().SyosetsuWidth[1], before.SyosetsuWidth[1] - 600);
    for (int m = 2; m < 4; ++m) {
        EXPECT_EQ(Lay().SyosetsuLeft[m], before.SyosetsuLeft[m]) << m;
        EXPECT_EQ(Lay().SyosetsuWidth[m], before.SyosetsuWidth[m]) << m;
    }
    EXPECT_FALSE(row->Scene.labKugiri[0].Visible);  // handles go with the tool

    // Saved with the row and read back by a new window.
    const std::string p = work->File("moved.tab");
    ui.saveAnswers = {p};
    ASSERT_TRUE(sh().FileSaveTab());
    ui.answers = {kIdNo};
    ASSERT_TRUE(sh().CloseRow(*row));
    sh().DoFileOpen(p);
    ASSERT_EQ(sh().Rows().size(), 1u);
    const DanLayoutData& back = sh().s.DanLayout[sh().Rows()[0]->Slot()];
    EXPECT_EQ(back.SyosetsuLeft[1], before.SyosetsuLeft[1] + 600);
    EXPECT_EQ(back.SyosetsuWidth[1], before.SyosetsuWidth[1] - 600);
    EXPECT_EQ(back.SyosetsuLeft[2], before.SyosetsuLeft[2]);
}

TEST_F(RowWindowTest, BarLinesCannotBeDraggedOutsideTheBarLineTool) {
    const DanLayoutData before = Lay();
    // Without the tool the handles are hidden: a drag there does nothing.
    const double x = Lay().SyosetsuLeft[1], y = Lay().TabTop;
    Drag(x, y, x + 600, y);
    EXPECT_EQ(Lay().SyosetsuLeft[1], before.SyosetsuLeft[1]);
    EXPECT_EQ(Lay().SyosetsuWidth[0], before.SyosetsuWidth[0]);
}

TEST_F(RowWindowTest, TextsAndMarksMoveWithTheMoveTool) {
    TextItem t;
    t.Left = 3000;
    t.Top = 300;
    t.Width = 900;
    t.Height = 300;
    t.Caption = "Moderato";
    row->Items.Texts.push_back(t);
    const size_t ti = row->Items.Texts.size() - 1;
    RepMarkItem r;
    r.Left = 6000;
    r.Top = 200;
    r.Width = 400;
    r.Height = 400;
    r.Tag = "0";
    r.Visible = true;
    row->Items.RepMarks.push_back(r);
    const size_t ri = row->Items.RepMarks.size() - 1;

    // In the normal tool a press on a text does not drag it.
    Drag(3100, 400, 4100, 700);
    EXPECT_DOUBLE_EQ(row->Items.Texts[ti].Left, 3000);

    Tool("Pointer", true);
    Drag(3100, 400, 4100, 700);  // grabbed 100, 100 inside
    EXPECT_DOUBLE_EQ(row->Items.Texts[ti].Left, 4000);
    EXPECT_DOUBLE_EQ(row->Items.Texts[ti].Top, 600);
    Drag(6200, 300, 7200, 500);
    EXPECT_DOUBLE_EQ(row->Items.RepMarks[ri].Left, 7000);
    EXPECT_DOUBLE_EQ(row->Items.RepMarks[ri].Top, 400);
    Tool("Pointer", false);
    EXPECT_EQ(sh().g.EditMode, kModeNormal);
}

TEST_F(RowWindowTest, DeleteMeasureItemsFollowTheMeasureCountAndClearOnlyTheirMeasure) {
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(mw->mnuEditDeleteSyosetsu[i]->isVisible(), i < sh().s.CurSyosetsuCnt) << i;
    const int keep0 = Measure(0).OnpuCnt, keep2 = Measure(2).OnpuCnt;
    ASSERT_GT(Measure(1).OnpuCnt, 0);
    mw->mnuEditDeleteSyosetsu[1]->trigger();
    EXPECT_EQ(Measure(1).OnpuCnt, 0);
    EXPECT_EQ(Measure(0).OnpuCnt, keep0);
    EXPECT_EQ(Measure(2).OnpuCnt, keep2);
    // Its fret labels are gone from the window.
    for (size_t i = 1; i < row->Scene.labPos.size(); ++i) {
        const SceneLabel& l = row->Scene.labPos[i];
        if (l.Visible) {
            EXPECT_FALSE(l.Left > Lay().SyosetsuLeft[1] && l.Left < Lay().SyosetsuLeft[2]);
        }
    }
}

TEST_F(RowWindowTest, CopyingAMeasureFillsTheDestination) {
    const SyosetsuData src = Measure(0);
    ASSERT_GT(src.OnpuCnt, 0);
    mw->CopySyosetsu(row->Slot(), 0, row->Slot(), 3);
    ASSERT_EQ(Measure(3).OnpuCnt, src.OnpuCnt);
    for (int p = 1; p <= src.OnpuCnt; ++p) {
        EXPECT_EQ(Measure(3).Onpu[p].FletUse, src.Onpu[p].FletUse) << p;
        EXPECT_EQ(Measure(3).Onpu[p].Flet, src.Onpu[p].Flet) << p;
        EXPECT_EQ(Measure(3).Onpu[p].NoteLengthID, src.Onpu[p].NoteLengthID) << p;
    }
    // The copied notes have their labels inside measure 3.
    int inside = 0;
    for (size_t i = 1; i < row->Scene.labPos.size(); ++i) {
        const SceneLabel& l = row->Scene.labPos[i];
        if (Placed(l) && l.Left >= Lay().SyosetsuLeft[3] && l.Left < Lay().SyosetsuLeft[4]) ++inside;
    }
    EXPECT_GT(inside, 0);
}

// ------------------------------------------------------------ faults of the event plumbing

TEST_F(RowWindowTest, ADragReleasedOutsideTheRowIsCancelledAndTheNextClickIsAClick) {
    TextItem t;
    t.Left = 3000, t.Top = 300, t.Width = 900, t.Height = 300, t.Caption = "Moderato";
    row->Items.Texts.push_back(t);
    const size_t ti = row->Items.Texts.size() - 1;
    const double outside = Twips(doc->width()) + 500;
    auto unmoved = [&] { return row->Items.Texts[ti].Left == 3000 && row->Items.Texts[ti].Top == 300; };
    Tool("Pointer", true);
    Drag(3100, 400, outside, 400);  // released beside the row
    EXPECT_TRUE(unmoved());
    Click(8000, Lay().TabTop);  // an ordinary click elsewhere
    EXPECT_TRUE(unmoved()) << "the click is no drop";
    // a right-button press on the text starts no drag either
    doc->PressAt(kRightButton, 3100, 400);
    doc->ReleaseAt(kRightButton, 3100, 400);
    Click(8000, Lay().TabTop);
    EXPECT_TRUE(unmoved());
    Tool("Pointer", false);
    // the same for a bar-line handle
    const DanLayoutData before = Lay();
    Tool("Kugiri", true);
    const SceneLabel h = row->Scene.labKugiri[1];
    Drag(h.Left + 60, h.Top + 60, outside, h.Top + 60);
    doc->PressAt(kRightButton, h.Left + 60, h.Top + 60);
    doc->ReleaseAt(kRightButton, h.Left + 60, h.Top + 60);
    Click(Lay().SyosetsuLeft[3] + 500, Lay().TabTop);
    EXPECT_EQ(Lay().SyosetsuLeft[2], before.SyosetsuLeft[2]);
    EXPECT_FALSE(row->Modified);
}

TEST_F(RowWindowTest, TheStringMarkerStaysUnderThePointerAndOpensTheNotePopup) {
    // An empty place on the second string, right of the row's last note.
    const double x = FreeX();
    const double y = Lay().TabTop + Lay().StringInterval;
    ASSERT_EQ(doc->HitTest(x, y).kind, DocumentWindow::HitKind::Frame);
    Click(x, y);
    const SceneLabel& mk = row->Scene.labFletEdit;
    ASSERT_TRUE(mk.Visible);
    EXPECT_EQ(doc->HitTest(x, y).kind, DocumentWindow::HitKind::Marker);
    doc->MoveAt(0, x + 15, y);  // one pixel
    EXPECT_TRUE(mk.Visible) << "moving over the marker keeps it";
    EXPECT_EQ(row->Scene.labAsisto.BackStyle, 1);
    doc->PressAt(kRightButton, x + 15, y);
    doc->ReleaseAt(kRightButton, x + 15, y);
    EXPECT_EQ(row->Editor->PopupOpen(), -1) << "the note pop-up, not the frame's";
    EXPECT_EQ(menus, std::vector<std::string>{"PopUp2"});
    // the column highlight around it takes the right button as well
    const double hx = row->Scene.labAsisto.Left + 5, hy = Lay().TabTop + 4 * Lay().StringInterval;
    EXPECT_EQ(doc->HitTest(hx, hy).kind, DocumentWindow::HitKind::Marker);
    // a left press there still picks another string
    Click(hx, hy);
    EXPECT_DOUBLE_EQ(mk.Top, Lay().TabTop + 4 * Lay().StringInterval - mk.Height / 2);
    // off the marker and its column the row hides them as before
    doc->MoveAt(0, Lay().SyosetsuLeft[4] + 300, y);
    EXPECT_FALSE(mk.Visible);
}

TEST_F(RowWindowTest, TheLastBarLineMovesTheRowsRightEnd) {
    const DanLayoutData before = Lay();
    Tool("Kugiri", true);
    const SceneLabel h = row->Scene.labKugiri[3];
    ASSERT_TRUE(h.Visible) << "the bar line closing the last measure has a handle";
    Drag(h.Left + 60, h.Top + 60, h.Left + 60 - 900, h.Top + 60);
    Tool("Kugiri", false);
    EXPECT_EQ(Lay().SyosetsuLeft[4], before.SyosetsuLeft[4] - 900);
    EXPECT_EQ(Lay().SyosetsuWidth[3], before.SyosetsuWidth[3] - 900);
    EXPECT_EQ(Lay().SyosetsuLeft[3], before.SyosetsuLeft[3]);
    EXPECT_DOUBLE_EQ(row->Scene.lineKugiri[4 + 6 * 3 + 2].X1, before.SyosetsuLeft[4] - 900);
    EXPECT_TRUE(row->Modified);
}

TEST_F(RowWindowTest, EveryChangeWritesTheRecoveryCopyAndSavingRemovesIt) {
    const std::string copy = work->File("Recovery/#rec" + std::string(row->RecoverySeq < 10 ? "0" : "") +
                                        std::to_string(row->RecoverySeq) + ".tab");
    auto expectCopy = [&](const char* what) {
        EXPECT_TRUE(row->Modified) << what;
        ASSERT_TRUE(fs::exists(copy)) << what;
        EXPECT_EQ(ReadBytes(copy), SerializeTab(sh().s, row->Items)) << what;
        // saved: the file holds the row and the copy is no longer needed
        ASSERT_TRUE(sh().FileSave()) << what;
        EXPECT_FALSE(fs::exists(copy)) << what;
        EXPECT_FALSE(row->Modified) << what;
    };
    EXPECT_FALSE(fs::exists(copy)) << "an opened row has nothing to recover";
    mw->mnuEditDeleteSyosetsu[1]->trigger();
    expectCopy("deleting a measure's content");
    mw->CopySyosetsu(row->Slot(), 0, row->Slot(), 1);
    expectCopy("copying a measure");
    Tool("Kugiri", true);
    const SceneLabel h = row->Scene.labKugiri[0];
    Drag(h.Left + 60, h.Top + 60, h.Left + 360, h.Top + 60);
    Tool("Kugiri", false);
    expectCopy("moving a bar line");
    mw->VScroll1->setValue(4);
    expectCopy("the measure count");
    mw->mnuSeteiMeter[5]->trigger();  // 3/4
    expectCopy("the time signature");
    const size_t n = row->Items.Texts.size();
    const double tx = FreeX();
    Tool("Text", true);
    Click(tx, 200);
    ASSERT_EQ(row->Items.Texts.size(), n + 1);
    expectCopy("placing a text");
    Tool("Pointer", true);
    Drag(tx + 50, 250, tx - 450, 350);
    Tool("Pointer", false);
    EXPECT_DOUBLE_EQ(row->Items.Texts[n].Left, tx - 500);
    expectCopy("moving a text");
}

TEST_F(RowWindowTest, CascadedRowsKeepTheSizeThatShowsTheirRow) {
    sh().DoFileNew();
    sh().DoFileNew();
    mw->resize(1400, 900);
    mw->action("mnuWindowCascade")->trigger();
    const auto list = mw->mdiArea()->subWindowList();
    ASSERT_EQ(list.size(), 3);
    for (int i = 0; i < list.size(); ++i) {
        auto* sub = qobject_cast<RowSubWindow*>(list[i]);
        ASSERT_NE(sub, nullptr);
        EXPECT_GE(sub->widget()->width(), sub->Document()->width()) << i;
        EXPECT_GE(sub->widget()->height(), sub->Document()->height()) << i;
        if (i > 0) { EXPECT_GT(list[i]->pos().y(), list[i - 1]->pos().y()) << "cascaded"; }
    }
}

TEST_F(RowWindowTest, TheStatusBarNamesTheActiveRowsFile) {
    EXPECT_NE(mw->labFilePath->text().indexOf(QString::fromStdString(example)), -1);
    mw->mnuEditDeleteSyosetsu[0]->trigger();
    EXPECT_TRUE(mw->labFilePath->text().contains(QStringLiteral("変更あり")));
    EXPECT_TRUE(mw->SubWindowOf(row->Id)->windowTitle().endsWith(QStringLiteral(" *")));
    const std::string renamed = work->File("renamed.tab");
    ui.saveAnswers = {renamed};
    ASSERT_TRUE(sh().FileSaveTab());
    EXPECT_EQ(row->Path(), renamed) << "the row now holds the file it was saved to";
    EXPECT_NE(mw->labFilePath->text().indexOf(QString::fromStdString(renamed)), -1);
    EXPECT_EQ(mw->SubWindowOf(row->Id)->windowTitle(), QString::fromStdString(row->Caption));
    sh().DoFileNew();
    EXPECT_TRUE(mw->labFilePath->text().contains(QStringLiteral("未保存")));
}

// ------------------------------------------------------------ note entry and undo

TEST_F(RowWindowTest, UndoAndRedoWalkBackAndForthOverEveryKindOfChange) {
    std::vector<std::string> images{SerializeTab(sh().s, row->Items)};
    auto snap = [&] {
        images.push_back(SerializeTab(sh().s, row->Items));
        EXPECT_EQ(row->UndoImages.size(), images.size() - 1) << "one undo step per change";
        EXPECT_EQ(row->CurrentImage, images.back());
    };
    mw->mnuEditDeleteSyosetsu[1]->trigger();
    snap();
    ASSERT_TRUE(row->Editor->MoveKugiri(0, Lay().SyosetsuLeft[1] + 450));
    snap();
    mw->VScroll1->setValue(3);  // six measures
    snap();
    mw->mnuSeteiMeter[5]->trigger();
    snap();
    const double x = Lay().SyosetsuLeft[5] + 400;  // the empty sixth measure
    Click(x, Lay().TabTop + Lay().StringInterval);  // string 2
    ASSERT_TRUE(doc->KeyAt(Qt::Key_7, "7", Qt::NoModifier));
    snap();
    Tool("Text", true);
    Click(x + 600, 150);
    snap();
    mw->DialogHook = [](QDialog& d) {  // the text edited in its dialog
        auto* t = dynamic_cast<KoTextIN*>(&d);
        if (!t) return int(QDialog::Rejected);
        t->txtIN->setPlainText("rit.");
        t->OK->click();
        return t->result();
    };
    row->Editor->TextClick(static_cast<int>(row->Items.Texts.size()) - 1);
    snap();
    mw->DialogHook = [](QDialog& d) {  // "移調" to D
        auto* k = dynamic_cast<KoKey*>(&d);
        if (!k) return int(QDialog::Rejected);
        k->cmbItyouKey->setCurrentText("D");
        k->OK->click();
        return k->result();
    };
    mw->mnuEditItyou();
    snap();
    mw->ShowRepMarkPalette();  // a segno placed, then deleted
    mw->koRepMark()->optRep[0]->click();
    Click(x + 1200, 200);
    snap();
    sh().DeleteRepMark(*row, static_cast<int>(row->Items.RepMarks.size()) - 1);
    snap();
    const size_t steps = images.size() - 1;
    for (size_t n = 1; n <= steps; ++n) ASSERT_NE(images[n], images[n - 1]) << "step " << n << " changed nothing";
    for (size_t n = 1; n <= steps; ++n) {
        ASSERT_TRUE(sh().Undo()) << n;
        EXPECT_EQ(SerializeTab(sh().s, row->Items), images[steps - n]) << "after " << n << " undos";
    }
    EXPECT_FALSE(sh().Undo()) << "nothing more to undo";
    EXPECT_FALSE(row->Modified) << "back as the file holds it";
    for (size_t n = 1; n <= steps; ++n) {
        ASSERT_TRUE(sh().Redo()) << n;
        EXPECT_EQ(SerializeTab(sh().s, row->Items), images[n]) << "after " << n << " redos";
    }
    EXPECT_TRUE(row->Modified);
    // a new change after an undo ends the redo
    sh().Undo();
    mw->mnuEditDeleteSyosetsu[0]->trigger();
    EXPECT_FALSE(sh().Redo());
    // the menu and its keys
    EXPECT_EQ(mw->action("mnuEditUndo")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_TRUE(mw->action("mnuEditRedo")->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));
}

TEST_F(RowWindowTest, AMelodyTypedWithTheKeyboardAlone) {
    mw->VScroll1->setValue(4);  // a fifth, empty measure
    const int m = 4;
    const double x = Lay().SyosetsuLeft[m] + 400;
    Click(x, Lay().TabTop);  // string 1 of the empty measure
    auto key = [&](int k, const char* text = "") { ASSERT_TRUE(doc->KeyAt(k, text, Qt::NoModifier)); };
    key(Qt::Key_3, "3");
    key(Qt::Key_Right);
    key(Qt::Key_Minus, "-");  // eighths from here
    key(Qt::Key_Down);
    key(Qt::Key_0, "0");
    key(Qt::Key_Right);
    key(Qt::Key_R, "r");
    ASSERT_EQ(Measure(m).OnpuCnt, 3);
    EXPECT_EQ(Measure(m).Onpu[1].Flet[1], 3);
    EXPECT_EQ(Measure(m).Onpu[1].NoteLengthID[1], 2);
    EXPECT_EQ(Measure(m).Onpu[2].FletUse[2], 255);
    EXPECT_EQ(Measure(m).Onpu[2].NoteLengthID[2], 3);
    EXPECT_TRUE(Measure(m).Onpu[3].IsRest());
    EXPECT_EQ(Measure(m).Onpu[3].NoteLengthID[1], 24);
    // the fret numbers are in the window and the row is changed
    int labels = 0;
    for (size_t i = 1; i < row->Scene.labPos.size(); ++i)
        if (Placed(row->Scene.labPos[i]) && row->Scene.labPos[i].Left > Lay().SyosetsuLeft[m]) ++labels;
    EXPECT_EQ(labels, 2);
    EXPECT_TRUE(row->Modified);
    EXPECT_FALSE(doc->KeyAt(Qt::Key_Z, "z", Qt::ControlModifier)) << "shortcuts are the menu's";
}

TEST_F(RowWindowTest, TheNoteEntryDialogShowsAndEditsTheClickedPosition) {
    mw->action("menuWindowFlet")->trigger();
    KoSetFlet* dlg = mw->koSetFlet();
    ASSERT_NE(dlg, nullptr);
    ASSERT_TRUE(dlg->isVisible());
    // the first note of measure 2
    ASSERT_GT(Measure(1).OnpuCnt, 0);
    const OnpuData first = Measure(1).Onpu[1];
    int k = 1;
    while (k <= 6 && first.FletUse[k] != 255) ++k;
    ASSERT_LE(k, 6);
    const SceneLabel& cell = row->Scene.labInx[1][1];
    Click(cell.Left + 20, Lay().TabTop + (k - 1) * Lay().StringInterval);
    EXPECT_TRUE(dlg->windowTitle().contains(QStringLiteral("2小節目")));
    ASSERT_NE(dlg->optFlet[k]->checkedButton(), nullptr);
    EXPECT_EQ(sh().Entry.GetPosNo(k), first.Flet[k] + 1);
    EXPECT_TRUE(dlg->cmdUpdate->isEnabled());
    // choosing another fret in the dialog changes the note at once
    dlg->optFlet[k]->button(8)->click();  // fret 7 with the window at 0..15
    EXPECT_EQ(Measure(1).Onpu[1].Flet[k], 7);
    EXPECT_TRUE(row->Modified);
    // the window's note dropped on the row goes into the measure under the drop
    sh().Entry.ClearFlet2();
    sh().Entry.SetFletPosNo(2, 4);  // fret 3 on string 2
    sh().Entry.SetNoteData();
    mw->VScroll1->setValue(4);  // an empty fifth measure
    doc->DropNoteAt(Lay().SyosetsuLeft[4] + 500, Lay().TabTop);
    ASSERT_EQ(Measure(4).OnpuCnt, 1);
    EXPECT_EQ(Measure(4).Onpu[1].Flet[2], 3);
    // "３連符" opens the triplet options
    Click(cell.Left + 20, Lay().TabTop + (k - 1) * Lay().StringInterval);
    dlg->optLen->button(5)->click();
    auto* tri = mw->findChild<Ko3renOption*>("Ko3renOption");
    ASSERT_NE(tri, nullptr);
    EXPECT_TRUE(tri->isVisible());
    EXPECT_EQ(Measure(1).Onpu[1].NoteLengthID[k], 7);
}

TEST_F(RowWindowTest, ChordShapesStepThroughHandPositionsAndThePianoFingersItsKeys) {
    NoteEntry& e = sh().Entry;
    KoChord chord(e);
    chord.cmbChord->setCurrentIndex(0);  // C
    chord.cmbChordType->setCurrentIndex(0);
    // "Major" at root C: positions 0..4, strings 1..4
    const int frets[5][4] = {{3, 0, 0, 0}, {3, 3, 4, 5}, {7, 8, 7, 5}, {7, 8, 7, 9}, {10, 12, 12, 12}};
    for (int pos = 0; pos < 6; ++pos) {
        ASSERT_TRUE(chord.ChordSetClick()) << pos;
        for (int k = 1; k <= 4; ++k) EXPECT_EQ(e.GetPosNo(k), frets[std::min(pos, 4)][k - 1] + 1) << pos << "/" << k;
    }
    EXPECT_EQ(chord.cmdChordSet->text(), QStringLiteral("Next"));
    // The piano: the keys of a note's strings, and pressed keys fingered back
    // onto the strings of this six-string row.
    e.ClearFlet();
    e.SetFletPosNo(1, 1);  // open first string
    e.SetFletPosNo(2, 2);  // first fret on the second string
    e.SetNoteData();
    KoPiano piano(sh().s, e);
    // E4 (open value 28) and C4 (23 + 1) of the guitar.
    const std::vector<int> keys = piano.Pressed();
    EXPECT_EQ(keys, (std::vector<int>{24, 28}));
    ASSERT_TRUE(ApplyPianoKeys(sh().s, e, keys));
    EXPECT_EQ(e.GetPosNo(1), 1) << "the same strings and frets come back";
    EXPECT_EQ(e.GetPosNo(2), 2);
    piano.key[40]->click();  // above the staff's range: no fingering, the note is empty
    for (int k = 1; k <= 6; ++k) EXPECT_EQ(e.GetPosNo(k), 0) << k;
}

// Dark pixels of the row picture inside a rectangle given in twips.
int Ink(const QImage& img, double left, double top, double right, double bottom) {
    int n = 0;
    for (int y = std::max(0, int(top / 15)); y < std::min(img.height(), int(bottom / 15)); ++y)
        for (int x = std::max(0, int(left / 15)); x < std::min(img.width(), int(right / 15)); ++x)
            n += qGray(img.pixel(x, y)) < 128 ? 1 : 0;
    return n;
}

TEST_F(RowWindowTest, TheRowPictureCarriesTheNotesTheStaffAndTheKeySignature) {
    const QImage& pic = row->Picture;
    ASSERT_FALSE(pic.isNull());
    EXPECT_EQ(doc->size(), pic.size()) << "the window shows the whole picture";
    const double tabTop = Lay().TabTop, tabBottom = tabTop + 5.0 * Lay().StringInterval;
    auto measureInk = [&](const QImage& img, int m) {
        return Ink(img, Lay().SyosetsuLeft[m] + 60, tabTop - 100, Lay().SyosetsuLeft[m + 1] - 60, tabBottom + 100);
    };
    EXPECT_FALSE(sh().IsRowChanged(*row)) << "opened and drawn: unchanged";
    // The first note stands right of the clef and the key signature.
    EXPECT_GT(Lay().RowStartInset, 300);
    EXPECT_GE(row->Scene.labInx[0][1].Left, Lay().SyosetsuLeft[0] + Lay().RowStartInset - 1);
    // The fret numbers are burnt into the picture.
    EXPECT_GT(measureInk(pic, 1), measureInk(row->Render.ground.image, 1));

    // Notes on the staff: the staff ground, heads on it, and the staff
    // services of the note entry answer.
    mw->action("mnuViewDrawNote")->trigger();
    ASSERT_TRUE(sh().DrawNote);
    ASSERT_TRUE(sh().StaffShown());
    EXPECT_FALSE(row->Modified) << "drawing never changes the row";
    EXPECT_FALSE(sh().IsRowChanged(*row));
    ASSERT_GT(Lay().StaffInterval, 0);
    const double staffTop = Lay().StaffTop, staffBottom = staffTop + 4.0 * Lay().StaffInterval;
    const double l1 = Lay().SyosetsuLeft[1] + 60, r1 = Lay().SyosetsuLeft[2] - 60;
    EXPECT_GT(Ink(row->Picture, l1, staffTop - 200, r1, staffBottom + 200),
              Ink(row->Render.ground.image, l1, staffTop - 200, r1, staffBottom + 200) + 40)
        << "note heads on the staff";
    EXPECT_EQ(doc->size(), row->Picture.size());
    EXPECT_LT(sh().StaffLine(1, 0), sh().StaffLine(6, 0)) << "the highest string is the highest note";
    EXPECT_EQ(sh().StaffLine(1, 0), 1) << "the open first string is written in the top space";
    sh().g.MouseX = float(l1);
    sh().g.MouseY = float(staffTop + 2 * Lay().StaffInterval);
    EXPECT_GE(mw->StringUnderMouse(), 1) << "the string the pitch under the pointer is played on";

    // Key signature: three sharps of A major in the row start.
    sh().s.KeyName[row->Slot()] = "A";
    sh().PutKeySignature();
    int signs = 0;
    for (size_t i = 1; i < row->Scene.picKey.size(); ++i) signs += row->Scene.picKey[i].Visible ? 1 : 0;
    EXPECT_EQ(signs, 3);
    const int keyInset = Lay().RowStartInset;
    sh().mnuViewRefresh();
    EXPECT_GE(row->Scene.labInx[0][1].Left, Lay().SyosetsuLeft[0] + keyInset - 1) << "room for the signs";

    // No stale fret numbers: an emptied measure shows only the ground.
    sh().DeleteSyosetsuCmd(1);
    ASSERT_EQ(Measure(1).OnpuCnt, 0);
    EXPECT_EQ(measureInk(row->Picture, 1), measureInk(row->Render.ground.image, 1));

    mw->action("mnuViewDrawNote")->trigger();
    EXPECT_FALSE(sh().DrawNote);
    EXPECT_EQ(doc->size(), row->Picture.size());
}

}  // namespace

