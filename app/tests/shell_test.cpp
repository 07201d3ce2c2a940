// The application shell driven as a user would through its commands, with
// the main window on the offscreen platform and a scripted UI port.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QRadioButton>
#include <QScrollBar>
#include <filesystem>
#include <memory>

#include "app_test_support.h"
#include "document_window.h"
#include "main_window.h"
#include "messages.h"
#include "qt_ui_port.h"
#include "settings.h"
#include "shell.h"
#include "startup.h"
#include "tab_file.h"

namespace fs = std::filesystem;
using namespace lw;
using namespace lwtest;

namespace {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApp();
        work = std::make_unique<WorkFolder>();
        Start();
    }
    void TearDown() override {
        if (mw) mw->shell().AskSave = false;
        mw.reset();
        work.reset();
    }
    void Start() {
        mw = std::make_unique<MainWindow>(ui, store);
        mw->LoadMainForm();
        mw->show();
        mw->shell().InitStartValues();
    }
    Shell& sh() { return mw->shell(); }
    std::vector<std::string> Captions() {
        std::vector<std::string> c;
        for (auto& r : sh().Rows()) c.push_back(r->Caption);
        return c;
    }
    RowDoc* RowNamed(const std::string& caption) {
        for (auto& r : sh().Rows())
            if (r->Caption == caption) return r.get();
        return nullptr;
    }
    // Puts one note (string 1, fret f) into measure 0 of the row.
    void PutNote(RowDoc& row, int fret) {
        auto& m = sh().s.DanBuf[row.Slot()].Syosetsu[0];
        m.OnpuCnt = 1;
        m.Onpu[1].PosNo = 1;
        StoreNote(m.Onpu[1], 1, fret, 2);
    }
    std::string Msg(int id) { return MessageText(id); }

    ScriptedUi ui;
    MemoryUserStore store;
    std::unique_ptr<WorkFolder> work;
    std::unique_ptr<MainWindow> mw;
};

// ------------------------------------------------------------ numbering

TEST_F(ShellTest, NewRowsAreNumberedSlottedAndOffsetBy400Twips) {
    for (int i = 0; i < 3; ++i) ASSERT_NE(sh().DoFileNew(), nullptr);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"1段目", "2段目", "3段目"}));
    for (int i = 0; i < 3; ++i) {
        const RowDoc& r = *sh().Rows()[i];
        EXPECT_EQ(r.Slot(), i);
        EXPECT_EQ(r.Tag, "0" + std::to_string(i) + "none");
        EXPECT_EQ(r.RecoverySeq, i);
        const QPoint pos = mw->SubWindowOf(r.Id)->pos();
        EXPECT_EQ(pos, QPoint(i * 400 / 15, i * 400 / 15));
        EXPECT_FALSE(mw->optDanNo[i]->isHidden());
        EXPECT_EQ(mw->optDanNo[i]->text().toStdString(), r.Caption);
    }
    EXPECT_EQ(sh().s.CurDanIx, 2);
    EXPECT_TRUE(mw->optDanNo[2]->isChecked());
    EXPECT_TRUE(mw->optDanNo[3]->isHidden());
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(ShellTest, ClosingAMiddleRowNumbersTheNextAboveTheHighest) {
    for (int i = 0; i < 3; ++i) sh().DoFileNew();
    ui.answers = {kIdNo};  // do not save
    ASSERT_TRUE(sh().CloseRow(*RowNamed("2段目")));
    RowDoc* r = sh().DoFileNew();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->Caption, "4段目");
    EXPECT_EQ(r->Slot(), 3);
    EXPECT_TRUE(mw->optDanNo[1]->isHidden());
}

TEST_F(ShellTest, ClosingTheHighestRowReusesItsNumberAndSlot) {
    for (int i = 0; i < 3; ++i) sh().DoFileNew();
    ui.answers = {kIdNo};
    ASSERT_TRUE(sh().CloseRow(*RowNamed("3段目")));
    RowDoc* r = sh().DoFileNew();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->Caption, "3段目");
    EXPECT_EQ(r->Slot(), 2);
    // the recovery number is not reused
    EXPECT_EQ(r->RecoverySeq, 3);
}

TEST_F(ShellTest, RowTenOpenRefusesANewRowWith0029) {
    for (int i = 0; i < 10; ++i) ASSERT_NE(sh().DoFileNew(), nullptr);
    sh().AskSave = false;
    for (int i = 1; i <= 9; ++i) ASSERT_TRUE(sh().CloseRow(*RowNamed(std::to_string(i) + "段目")));
    sh().AskSave = true;
    ASSERT_EQ(sh().Rows().size(), 1u);
    EXPECT_EQ(sh().DoFileNew(), nullptr);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, Msg(29));
    EXPECT_EQ(ui.shown[0].title, "Lutewise");
    // opening a file while refused loads nothing
    sh().DoFileOpen(work->File("x.tab"));
    EXPECT_EQ(sh().Rows().size(), 1u);
}

// ------------------------------------------------------------ saving

TEST_F(ShellTest, SaveAsksOnceThenWritesToTheSamePath) {
    RowDoc* r = sh().DoFileNew();
    PutNote(*r, 7);
    const std::string p = work->File("a.tab");
    ui.saveAnswers = {p};
    ASSERT_TRUE(sh().FileSave());
    EXPECT_EQ(ui.saveAsked, 1);
    EXPECT_EQ(r->Tag, "00" + p);
    ASSERT_TRUE(fs::exists(p));
    fs::remove(p);
    ASSERT_TRUE(sh().FileSave());
    EXPECT_EQ(ui.saveAsked, 1) << "the second save needs no dialog";
    EXPECT_TRUE(fs::exists(p));
    EXPECT_TRUE(sh().AskSave);
}

TEST_F(ShellTest, SaveToTabFileAsksEveryTimeProposingTheCurrentPath) {
    sh().DoFileNew();
    const std::string p = work->File("b.tab");
    ui.saveAnswers = {p, p};
    ASSERT_TRUE(sh().FileSaveTab());
    ASSERT_TRUE(sh().FileSaveTab());
    EXPECT_EQ(ui.saveAsked, 2);
    EXPECT_EQ(ui.saveProposals[1], p);
    // a cancelled dialog saves nothing and changes nothing
    fs::remove(p);
    EXPECT_FALSE(sh().FileSaveTab());
    EXPECT_FALSE(fs::exists(p));
}

TEST_F(ShellTest, AFailedSaveReportsTheReasonAndKeepsTheRowUnsaved) {
    RowDoc* r = sh().DoFileNew();
    const std::string bad = work->File("no-such-folder/c.tab");
    ui.saveAnswers = {bad};
    EXPECT_FALSE(sh().FileSave());
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].buttons, 16);
    EXPECT_NE(ui.shown[0].text.find(bad), std::string::npos);
    EXPECT_EQ(r->Tag, "00none");
    // closing: "Yes", the save fails again -> the row stays open
    ui.answers = {kIdYes};
    ui.saveAnswers = {bad};
    EXPECT_FALSE(sh().CloseRow(*r));
    ASSERT_EQ(sh().Rows().size(), 1u);
    EXPECT_FALSE(mw->optDanNo[0]->isHidden());
    EXPECT_TRUE(mw->action("mnuFileSave")->isEnabled());
}

TEST_F(ShellTest, AFailedSaveLeavesThePreviousFileIntact) {
    RowDoc* r = sh().DoFileNew();
    PutNote(*r, 3);
    const std::string p = work->File("keep.tab");
    ui.saveAnswers = {p};
    ASSERT_TRUE(sh().FileSave());
    const std::string before = ReadBytes(p);
    // make the rename impossible: the target's folder becomes read-only to
    // the rename by replacing the file with a non-empty directory
    const std::string dirTarget = work->File("dir.tab");
    fs::create_directories(fs::path(dirTarget) / "x");
    ui.saveAnswers = {dirTarget};
    EXPECT_FALSE(sh().FileSaveTab());
    EXPECT_EQ(ReadBytes(p), before);
    EXPECT_TRUE(fs::is_directory(dirTarget));
    EXPECT_EQ(r->Tag, "00" + p);
}

TEST_F(ShellTest, ClosingAsksToSaveWithTheCaption) {
    sh().DoFileNew();
    const std::string p = work->File("q.tab");
    ui.answers = {kIdYes};
    ui.saveAnswers = {p};
    ASSERT_TRUE(sh().CloseRow(*sh().Rows()[0]));
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "1段目をTABﾌｧｲﾙに保存しますか？");
    EXPECT_EQ(ui.shown[0].buttons, 36);
    EXPECT_TRUE(fs::exists(p));
    EXPECT_TRUE(sh().Rows().empty());
    EXPECT_FALSE(mw->action("mnuFileSave")->isEnabled());
}

TEST_F(ShellTest, SavedRowReopensWithItsContent) {
    RowDoc* r = sh().DoFileNew();
    PutNote(*r, 12);
    const std::string p = work->File("round.tab");
    ui.saveAnswers = {p};
    ASSERT_TRUE(sh().FileSave());
    ui.answers = {kIdNo};
    ASSERT_TRUE(sh().CloseRow(*r));
    sh().s.DanBuf[0] = DanData{};
    ui.openAnswers = {p};
    sh().CmdOpen();
    ASSERT_EQ(sh().Rows().size(), 1u);
    RowDoc* back = sh().Rows()[0].get();
    EXPECT_EQ(back->Tag, "00" + p);
    const auto& m = sh().s.DanBuf[0].Syosetsu[0];
    EXPECT_EQ(m.OnpuCnt, 1);
    EXPECT_EQ(m.Onpu[1].Flet[1], 12);
}

TEST_F(ShellTest, ALoadErrorIsShownAndTheWindowStays) {
    const std::string p = work->File("broken.tab");
    WriteBytes(p, "\"TAB\",9,0,\"C\",0,22,0,0,0,\"201\"\r\n");
    sh().DoFileOpen(p);
    ASSERT_EQ(sh().Rows().size(), 1u);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_NE(ui.shown[0].text.find(p), std::string::npos);
}

// ------------------------------------------------------------ close all / save all

TEST_F(ShellTest, CloseAllWithoutConfirmationsAsksNothingMore) {
    for (int i = 0; i < 3; ++i) sh().DoFileNew();
    ui.answers = {kIdNo, kIdYes};  // @0031 No, @0032 Yes
    ASSERT_TRUE(sh().FileCloseAll());
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[0].text, Msg(31));
    EXPECT_EQ(ui.shown[1].text, Msg(32));
    EXPECT_TRUE(sh().Rows().empty());
    EXPECT_TRUE(sh().AskSave);
    for (auto* b : mw->optDanNo) EXPECT_TRUE(b->isHidden());
}

TEST_F(ShellTest, CloseAllWithConfirmationsAsksEveryRow) {
    for (int i = 0; i < 2; ++i) sh().DoFileNew();
    ui.answers = {kIdYes, kIdNo, kIdNo};
    ASSERT_TRUE(sh().FileCloseAll());
    ASSERT_EQ(ui.shown.size(), 3u);
    EXPECT_EQ(ui.shown[1].text, "2段目をTABﾌｧｲﾙに保存しますか？");
    EXPECT_EQ(ui.shown[2].text, "1段目をTABﾌｧｲﾙに保存しますか？");
    EXPECT_TRUE(sh().Rows().empty());
}

TEST_F(ShellTest, SaveAllAsksThenEveryRowAsksForItself) {
    for (int i = 0; i < 2; ++i) sh().DoFileNew();
    ui.answers = {kIdNo};
    sh().FileSaveAll();
    EXPECT_EQ(sh().Rows().size(), 2u) << "No to @0034 stops";
    ui.shown.clear();
    ui.answers = {kIdYes, kIdYes, kIdNo};
    ui.saveAnswers = {work->File("s2.tab")};
    sh().FileSaveAll();
    EXPECT_EQ(ui.shown[0].text, Msg(34));
    EXPECT_TRUE(fs::exists(work->File("s2.tab")));
    EXPECT_TRUE(sh().Rows().empty());
}

// ------------------------------------------------------------ menus and spinner

TEST_F(ShellTest, MenuEnablingFollowsTheRowsAndTheProject) {
    EXPECT_FALSE(mw->action("mnuFileSave")->isEnabled());
    EXPECT_FALSE(mw->action("mnuFileCloseAll")->isEnabled());
    sh().DoFileNew();
    EXPECT_TRUE(mw->action("mnuFileSave")->isEnabled());
    EXPECT_TRUE(mw->action("mnuFileClose")->isEnabled());
    EXPECT_FALSE(mw->action("mnuEditAddProject")->isEnabled()) << "no project open";
    sh().DoFileNew();
    ui.answers = {kIdNo};
    sh().FileClose();
    EXPECT_TRUE(mw->action("mnuFileSave")->isEnabled()) << "one row is still open";
}

TEST_F(ShellTest, MeasureSpinnerValueThreeGivesSixMeasures) {
    sh().DoFileNew();
    mw->VScroll1->setValue(3);
    EXPECT_EQ(sh().s.CurSyosetsuCnt, 6);
    EXPECT_EQ(sh().s.DanBuf[0].SyosetsuCnt, 6);
    EXPECT_EQ(mw->lblSyou->text().toStdString(), "小節数:6");
    // a second row keeps its own count; activating the first restores 6
    mw->VScroll1->setValue(5);
    EXPECT_EQ(sh().s.DanBuf[0].SyosetsuCnt, 4);
    sh().DoFileNew();
    mw->VScroll1->setValue(2);
    sh().BringRowToFront(0);
    EXPECT_EQ(mw->VScroll1->value(), 5);
    EXPECT_EQ(sh().s.CurSyosetsuCnt, 4);
    sh().BringRowToFront(1);
    EXPECT_EQ(sh().s.CurSyosetsuCnt, 7);
}

TEST_F(ShellTest, TimeSignatureMenuChecksOneItemAndSetsTheLabel) {
    EXPECT_EQ(mw->labMeter->text().toStdString(), "4/4");
    sh().SetmenuMeter(12);
    EXPECT_EQ(sh().s.MeterID, 12);
    EXPECT_EQ(mw->labMeter->text().toStdString(), "3/4");
    int checked = 0;
    for (auto* a : mw->mnuSeteiMeter) checked += a->isChecked() ? 1 : 0;
    EXPECT_EQ(checked, 1);
    EXPECT_TRUE(mw->action("mnuSeteiMeter12")->isChecked());
}

TEST_F(ShellTest, MenuCaptionsAreThoseOfTheProgram) {
    QStringList fileItems;
    for (auto* a : mw->menuBar()->actions()[0]->menu()->actions())
        if (!a->isSeparator() && !a->text().isEmpty()) fileItems << a->text();
    EXPECT_EQ(fileItems, (QStringList{"新規作成(&N)", "開く(&O)", "閉じる(&C)", "新規ﾌﾟﾛｼﾞｪｸﾄ(&R)",
                                      "ﾌﾟﾛｼﾞｪｸﾄを開く(&J)", "すべて閉じる(&E)", "保存(&S)", "すべて保存(&L)",
                                      "TABﾌｧｲﾙに保存する(&T)", "終了(&X)"}));
    EXPECT_EQ(mw->windowTitle(), "Lutewise");
    EXPECT_EQ(mw->VScroll1->minimum(), 1);
    EXPECT_EQ(mw->VScroll1->maximum(), 8);
    EXPECT_EQ(mw->VScroll1->value(), 5);
}

TEST_F(ShellTest, ToolButtonsSetTheEditModeAndReleaseToZero) {
    sh().DoFileNew();
    QAction* text = mw->action("tbText");
    QAction* erase = mw->action("tbErase");
    text->trigger();
    EXPECT_EQ(sh().g.EditMode, 3);
    erase->trigger();
    EXPECT_EQ(sh().g.EditMode, 8);
    EXPECT_FALSE(text->isChecked());
    erase->trigger();
    EXPECT_EQ(sh().g.EditMode, 0);
}

// ------------------------------------------------------------ projects

TEST_F(ShellTest, AddingSavedRowsWritesAbsolutePathLines) {
    const std::string proj = work->File("p.tbp");
    ui.saveAnswers = {proj};
    sh().NewProjectFile();
    EXPECT_EQ(sh().CurProject, proj);
    EXPECT_TRUE(fs::exists(proj));
    sh().DoFileNew();
    EXPECT_TRUE(mw->action("mnuEditAddProject")->isEnabled());
    ui.saveAnswers = {work->File("r1.tab")};
    ui.answers = {kIdYes};  // @0023
    ASSERT_TRUE(sh().FileSave());
    sh().DoFileNew();
    ui.saveAnswers = {work->File("r2.tab")};
    ui.answers = {kIdYes};
    ASSERT_TRUE(sh().FileSave());
    EXPECT_EQ(ReadBytes(proj), "00:" + work->File("r1.tab") + "\r\n01:" + work->File("r2.tab") + "\r\n");
    EXPECT_EQ(ui.shown.back().text, Msg(23));
}

TEST_F(ShellTest, AddingAnUnsavedRowAsksToSaveFirst) {
    const std::string proj = work->File("p.tbp");
    WriteBytes(proj, "");
    ui.answers = {};
    sh().DoFileProjectOpen(proj);
    sh().DoFileNew();
    sh().AddProjectFile("00", "none");
    ASSERT_FALSE(ui.shown.empty());
    EXPECT_EQ(ui.shown.back().text, Msg(22));
    EXPECT_EQ(ui.shown.back().buttons, 64);
    EXPECT_EQ(ReadBytes(proj), "");
}

TEST_F(ShellTest, OpeningAProjectOpensItsRowsInFileOrderWithRelativePaths) {
    fs::create_directories(work->path / "proj" / "sub");
    // three rows saved by the program
    std::vector<std::string> files = {(work->path / "proj" / "a.tab").string(),
                                      (work->path / "proj" / "sub" / "b.tab").string(),
                                      (work->path / "c.tab").string()};
    for (size_t i = 0; i < files.size(); ++i) {
        RowDoc* r = sh().DoFileNew();
        PutNote(*r, static_cast<int>(i) + 1);
        ui.saveAnswers = {files[i]};
        ASSERT_TRUE(sh().FileSave());
    }
    sh().AskSave = false;
    sh().CloseAllRows();
    sh().AskSave = true;
    const std::string proj = (work->path / "proj" / "song.tbp").string();
    WriteBytes(proj, "07:" + files[2] + "\r\n05:sub\\b.tab\r\n\r\n09:a.tab\r\n");
    sh().DoFileProjectOpen(proj);
    ASSERT_EQ(Captions(), (std::vector<std::string>{"1段目", "2段目", "3段目"}));
    EXPECT_EQ(sh().Rows()[0]->Path(), files[2]);
    EXPECT_EQ(sh().Rows()[1]->Path(), (work->path / "proj" / "sub/b.tab").string());
    EXPECT_EQ(sh().Rows()[2]->Path(), (work->path / "proj" / "a.tab").string());
    EXPECT_EQ(sh().s.DanBuf[0].Syosetsu[0].Onpu[1].Flet[1], 3);
    EXPECT_EQ(sh().s.DanBuf[1].Syosetsu[0].Onpu[1].Flet[1], 2);
    EXPECT_EQ(sh().s.DanBuf[2].Syosetsu[0].Onpu[1].Flet[1], 1);
    EXPECT_EQ(sh().CurProject, proj);
    EXPECT_TRUE(mw->isEnabled());
    EXPECT_FALSE(sh().ProjectLoading);
    auto items = sh().ProjectListItems();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1].FileName, "b.tab");
    EXPECT_EQ(items[1].Caption, "2段目");
}

TEST_F(ShellTest, AnUnreadableProjectLineIsNamedAndEndsTheLoading) {
    RowDoc* r = sh().DoFileNew();
    ui.saveAnswers = {work->File("ok.tab")};
    ASSERT_TRUE(sh().FileSave());
    sh().AskSave = false;
    sh().CloseRow(*r);
    sh().AskSave = true;
    const std::string missing = work->File("missing.tab");
    const std::string proj = work->File("m.tbp");
    WriteBytes(proj, "00:" + work->File("ok.tab") + "\r\n01:" + missing + "\r\n02:" + work->File("ok.tab") + "\r\n");
    ui.shown.clear();
    sh().DoFileProjectOpen(proj);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_NE(ui.shown[0].text.find(missing), std::string::npos);
    EXPECT_EQ(sh().Rows().size(), 2u) << "the failing row stays, the rows after it are not opened";
    EXPECT_TRUE(mw->isEnabled());
    EXPECT_FALSE(sh().ProjectLoading);
}

TEST_F(ShellTest, RemovingARowKeepsEveryOtherLineAndBlankLines) {
    const std::string target = work->File("x.tab");
    RowDoc* r = sh().DoFileNew();
    ui.saveAnswers = {target};
    ASSERT_TRUE(sh().FileSave());
    sh().AskSave = false;
    sh().CloseRow(*r);
    sh().AskSave = true;
    std::string content;
    content += "00:" + target + "\r\n";
    for (int i = 1; i <= 12; ++i) content += (i < 10 ? "0" : "") + std::to_string(i) + ":/elsewhere/row" + std::to_string(i) + ".tab\r\n";
    content += "\r\n";
    content += "13:/other/folder/x.tab\r\n";
    content += "14:/last/row.tab\r\n";
    const std::string proj = work->File("big.tbp");
    WriteBytes(proj, "00:" + target + "\r\n");
    sh().DoFileProjectOpen(proj);
    ASSERT_EQ(sh().Rows().size(), 1u);
    WriteBytes(proj, content);
    ui.answers = {kIdYes, kIdNo};  // @0028 Yes, then the row's save question No
    sh().DoEditDelProject();
    std::string expected;
    for (int i = 1; i <= 12; ++i) expected += (i < 10 ? "0" : "") + std::to_string(i) + ":/elsewhere/row" + std::to_string(i) + ".tab\r\n";
    expected += "\r\n14:/last/row.tab\r\n";
    EXPECT_EQ(ReadBytes(proj), expected);
    EXPECT_EQ(ui.shown[0].text, Msg(28));
    EXPECT_TRUE(sh().Rows().empty());
    EXPECT_TRUE(sh().CurProject.empty()) << "closing the last row forgets the project";
}

TEST_F(ShellTest, ProjectLinePathsFollowTheRelativePathRule) {
    EXPECT_EQ(ProjectLinePath("00:/abs/a.tab", "/p"), "/abs/a.tab");
    EXPECT_EQ(ProjectLinePath("01:sub\\b.tab", "/p"), "/p/sub/b.tab");
    EXPECT_EQ(ProjectLinePath("02:c.tab\r", "/p"), "/p/c.tab");
    EXPECT_EQ(ProjectLinePath("03:C:\\songs\\d.tab", "/p"), "C:/songs/d.tab");
}

// ------------------------------------------------------------ recent list

TEST_F(ShellTest, OpeningTheSameProjectTwicePutsItTwiceAtTheHead) {
    const std::string proj = work->File("r.tbp");
    WriteBytes(proj, "");
    const std::string other = work->File("o.tbp");
    WriteBytes(other, "");
    sh().DoFileProjectOpen(other);
    sh().DoFileProjectOpen(proj);
    sh().DoFileProjectOpen(proj);
    EXPECT_EQ(sh().s.MruFiles[0], proj);
    EXPECT_EQ(sh().s.MruFiles[1], proj);
    EXPECT_EQ(sh().s.MruFiles[2], other);
    ASSERT_EQ(sh().RecentCaptions.size(), 3u);
    EXPECT_EQ(sh().RecentCaptions[0], "1." + proj);
    EXPECT_EQ(sh().RecentCaptions[2], "3." + other);
    EXPECT_TRUE(mw->mnuFileMRU[2]->isVisible());
    EXPECT_FALSE(mw->mnuFileMRU[3]->isVisible());
    EXPECT_EQ(ProfileFile::Read(work->File("Lutewise.ini"), "RIREKI", "MruList"), proj + "," + proj + "," + other);
    // four shown, three written
    sh().DoFileProjectOpen(other);
    EXPECT_EQ(sh().RecentCaptions.size(), 4u);
    EXPECT_TRUE(mw->mnuFileMRU[3]->isVisible());
    EXPECT_EQ(ProfileFile::Read(work->File("Lutewise.ini"), "RIREKI", "MruList"), other + "," + proj + "," + proj);
    // choosing an item opens the project named by its caption
    sh().OpenRecent(3);
    EXPECT_EQ(sh().CurProject, other);
}

// ------------------------------------------------------------ recovery

TEST_F(ShellTest, RecoveryAfterAnAbnormalEndRestoresBothRows) {
    store.Set("Recovery", "0");
    sh().RestoreRecovery();
    EXPECT_TRUE(ui.shown.empty()) << "no question after a normal end";
    EXPECT_EQ(store.Get("Recovery", ""), "1");
    RowDoc* a = sh().DoFileNew();
    PutNote(*a, 5);
    ASSERT_TRUE(sh().SaveRecoveryTabFile());
    RowDoc* b = sh().DoFileNew();
    PutNote(*b, 9);
    ASSERT_TRUE(sh().SaveRecoveryTabFile());
    EXPECT_TRUE(fs::exists(work->File("Recovery/#rec00.tab")));
    EXPECT_TRUE(fs::exists(work->File("Recovery/#rec01.tab")));
    // the process dies: nothing runs; the next start
    sh().AskSave = false;
    mw.reset();
    ui.shown.clear();
    Start();
    ui.answers = {kIdYes};
    sh().RestoreRecovery();
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[0].title, "リカバリー");
    EXPECT_EQ(ui.shown[0].text, Msg(6) + "\n\r" + Msg(7));
    EXPECT_EQ(ui.shown[0].buttons, 36);
    EXPECT_EQ(ui.shown[1].text, Msg(8) + "\n\r" + Msg(9));
    EXPECT_EQ(ui.shown[1].title, "リカバリー");
    ASSERT_EQ(sh().Rows().size(), 2u);
    EXPECT_EQ(sh().Rows()[0]->Tag, "00none");
    EXPECT_EQ(sh().s.DanBuf[0].Syosetsu[0].Onpu[1].Flet[1], 5);
    EXPECT_EQ(sh().s.DanBuf[1].Syosetsu[0].Onpu[1].Flet[1], 9);
    EXPECT_GE(sh().Rows()[0]->RecoverySeq, 2) << "new copies never overwrite the old ones";
    EXPECT_EQ(store.Get("Recovery", ""), "1");
    // a normal end
    ui.answers = {kIdNo, kIdNo};
    ASSERT_TRUE(mw->Shutdown());
    EXPECT_EQ(store.Get("Recovery", ""), "0");
    EXPECT_TRUE(fs::is_empty(work->File("Recovery")));
    EXPECT_FALSE(store.Get("MainWidth", "").empty());
}

TEST_F(ShellTest, AnsweringNoKeepsTheOldCopiesAndNewRowsDoNotOverwriteThem) {
    WriteBytes(work->File("Recovery/#rec00.tab"), "old");
    store.Set("Recovery", "1");
    ui.answers = {kIdNo};
    sh().RestoreRecovery();
    EXPECT_TRUE(sh().Rows().empty());
    RowDoc* r = sh().DoFileNew();
    ASSERT_TRUE(sh().SaveRecoveryTabFile());
    EXPECT_EQ(r->RecoverySeq, 1);
    EXPECT_EQ(ReadBytes(work->File("Recovery/#rec00.tab")), "old");
}

TEST_F(ShellTest, ClosingARowDeletesItsRecoveryCopy) {
    sh().DoFileNew();
    ASSERT_TRUE(sh().SaveRecoveryTabFile());
    ASSERT_TRUE(fs::exists(work->File("Recovery/#rec00.tab")));
    ui.answers = {kIdNo};
    sh().FileClose();
    EXPECT_FALSE(fs::exists(work->File("Recovery/#rec00.tab")));
}

TEST_F(ShellTest, ShutdownWhileMinimisedKeepsTheStoredGeometry) {
    store.Set("MainLeft", "1234");
    mw->showMinimized();
    ASSERT_TRUE(mw->Shutdown());
    if (mw->isMinimized()) EXPECT_EQ(store.Get("MainLeft", ""), "1234");
    EXPECT_EQ(store.Get("Recovery", ""), "0");
}

TEST_F(ShellTest, StartingWithoutStoredGeometryUsesTheDefaults) {
    EXPECT_EQ(mw->pos(), QPoint(1000 / 15, 1000 / 15));
    EXPECT_EQ(mw->size(), QSize(6500 / 15, 6500 / 15));
}

// ------------------------------------------------------------ start-up checks

TEST(StartupChecks, MissingIniShowsTheMessageWithTheStopIcon) {
    ScriptedUi ui;
    const auto dir = fs::temp_directory_path() / "lw_no_ini_here";
    fs::create_directories(dir);
    EXPECT_FALSE(CheckIniFile(ui, dir.string()));
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "ＩＮＩファイルが存在しません。\n\rショートカットの作業ホルダーを確認してください。");
    EXPECT_EQ(ui.shown[0].buttons, 16);
    fs::remove_all(dir);
}

TEST(StartupChecks, FontAdviceOnlyWhenAPixelIsNot15Twips) {
    ScriptedUi ui;
    EXPECT_FALSE(FontAdvice(ui, 15));
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_TRUE(FontAdvice(ui, 12));
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text.rfind(MessageText(13) + "\n\r\n\r" + MessageText(14), 0), 0u);
    EXPECT_EQ(ui.shown[0].buttons, 0);
}

TEST(StartupChecks, KoCommLibraryIsLoadedAndAnObjectCreated) {
    std::string reason;
    EXPECT_FALSE(CheckKoComm("/nonexistent/libKoComm.so", &reason));
    EXPECT_FALSE(reason.empty());
#ifdef KOCOMM_LIBRARY
    reason.clear();
    EXPECT_TRUE(CheckKoComm(KOCOMM_LIBRARY, &reason)) << reason;
#endif
}

TEST(StartupChecks, RecoveryFolderIsCreated) {
    const auto dir = fs::temp_directory_path() / "lw_recovery_create";
    fs::remove_all(dir);
    fs::create_directories(dir);
    EXPECT_TRUE(EnsureRecoveryFolder(dir.string(), nullptr));
    EXPECT_TRUE(fs::is_directory(dir / "Recovery"));
    fs::remove_all(dir);
}

TEST(MessageBoxText, LineBreakPairsBecomeSingleBreaks) {
    EXPECT_EQ(MessageBoxText("a\n\rb").toStdString(), "a\nb");
    EXPECT_EQ(MessageBoxText("a\r\nb").toStdString(), "a\nb");
    EXPECT_EQ(MessageBoxText("a\n\r\n\rb").toStdString(), "a\n\nb");
    EXPECT_EQ(QtFilter(kTabFilter).toStdString(), "TABﾌｧｲﾙ (*.tab)");
}

}  // namespace
