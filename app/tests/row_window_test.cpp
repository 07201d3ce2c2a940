// A row window used with the mouse as a person would: clicks on note
// columns, bar-line drags, text and mark moves, and the measure commands.
#include <gtest/gtest.h>

#include <QAction>
#include <filesystem>
#include <memory>

#include "app_test_support.h"
#include "document_window.h"
#include "main_window.h"
#include "shell.h"

namespace fs = std::filesystem;
using namespace lw;
using namespace lwtest;

namespace {

class RowWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApp();
        work = std::make_unique<WorkFolder>();
        mw = std::make_unique<MainWindow>(ui, store);
        mw->LoadMainForm();
        mw->show();
        sh().InitStartValues();
        example = work->File("kirakira1.tab");
        fs::copy_file(fs::path(LUTEWISE_SOURCE_DIR) / "data/examples/kirakira1.tab", example);
        sh().DoFileOpen(example);
        ASSERT_EQ(sh().Rows().size(), 1u);
        row = sh().Rows()[0].get();
        doc = mw->SubWindowOf(row->Id)->Document();
    }
    void TearDown() override {
        sh().AskSave = false;
        mw.reset();
        work.reset();
    }
    Shell& sh() { return mw->shell(); }
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
    void Tool(const char* key, bool on) { mw->action(QStringLiteral("tb%1").arg(key))->setChecked(on); }

    ScriptedUi ui;
    MemoryUserStore store;
    std::unique_ptr<WorkFolder> work;
    std::unique_ptr<MainWindow> mw;
    std::string example;
    RowDoc* row = nullptr;
    DocumentWindow* doc = nullptr;
};

TEST_F(RowWindowTest, ClickingAFretNumberHighlightsItsColumn) {
    // The third position of measure 1: its fret label and its column cell.
    const SceneLabel* label = nullptr;
    for (size_t i = 1; i < row->Scene.labPos.size() && !label; ++i)
        if (row->Scene.labPos[i].Visible && row->Scene.labPos[i].Left > Lay().SyosetsuLeft[1]) label = &row->Scene.labPos[i];
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
        if (l.Visible) EXPECT_FALSE(l.Left > Lay().SyosetsuLeft[1] && l.Left < Lay().SyosetsuLeft[2]);
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
        if (l.Visible && l.Left >= Lay().SyosetsuLeft[3] && l.Left < Lay().SyosetsuLeft[4]) ++inside;
    }
    EXPECT_GT(inside, 0);
}

}  // namespace
