// The application shell driven as a user would through its commands, with
// the main window on the offscreen platform and a scripted UI port.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>
#include <optional>

#include "app_test_support.h"
#include "document_window.h"
#include "main_window.h"
#include "messages.h"
#include "qt_ui_port.h"
#include "settings.h"
#include "score_print.h"
#include "shell.h"
#include "startup.h"
#include "tab_file.h"
#include "text_codec.h"

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

TEST_F(ShellTest, ClosingTheActiveRowBringsBackTheRowUsedBeforeIt) {
    for (int i = 0; i < 4; ++i) sh().DoFileNew();
    sh().BringRowToFront(1);  // 2段目
    sh().BringRowToFront(3);  // 4段目
    ui.answers = {kIdNo};
    ASSERT_TRUE(sh().CloseRow(*RowNamed("4段目")));
    ASSERT_NE(sh().ActiveRow(), nullptr);
    EXPECT_EQ(sh().ActiveRow()->Caption, "2段目");
    EXPECT_EQ(mw->mdiArea()->activeSubWindow(), mw->SubWindowOf(sh().ActiveRow()->Id));
    EXPECT_TRUE(mw->optDanNo[1]->isChecked());
    EXPECT_EQ(sh().s.CurDanIx, 1);
    // closing a row that is not active leaves the active one alone
    ui.answers = {kIdNo};
    ASSERT_TRUE(sh().CloseRow(*RowNamed("3段目")));
    EXPECT_EQ(sh().ActiveRow()->Caption, "2段目");
    EXPECT_EQ(mw->mdiArea()->activeSubWindow(), mw->SubWindowOf(sh().ActiveRow()->Id));
}

TEST_F(ShellTest, WithMaximisedRowsANewRowIsNeitherMovedNorSized) {
    RowDoc* first = sh().DoFileNew();
    mw->SubWindowOf(first->Id)->showMaximized();
    RowDoc* second = sh().DoFileNew();
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(second->Moved);
    EXPECT_TRUE(mw->SubWindowOf(second->Id)->isMaximized());
    EXPECT_EQ(mw->mdiArea()->activeSubWindow(), mw->SubWindowOf(second->Id));
}

TEST_F(ShellTest, ClosingTheLastRowClosesTheProjectListAndForgetsTheProject) {
    const std::string proj = work->File("l.tbp");
    WriteBytes(proj, "");
    sh().DoFileProjectOpen(proj);
    sh().DoFileNew();
    sh().DoFileNew();
    mw->action("mnuWindowProjectList")->trigger();
    ui.answers = {kIdNo};
    sh().FileClose();
    EXPECT_TRUE(mw->projectList()->isVisible()) << "one row is still open";
    EXPECT_EQ(sh().CurProject, proj);
    EXPECT_TRUE(mw->action("mnuEditDelProject")->isEnabled());
    ui.answers = {kIdNo};
    sh().FileClose();
    EXPECT_FALSE(mw->projectList()->isVisible());
    EXPECT_TRUE(sh().CurProject.empty());
    EXPECT_FALSE(mw->action("mnuEditDelProject")->isEnabled());
}

TEST_F(ShellTest, BarLinesMovedByHandSurviveOtherRowsBeingCreatedOpenedAndResized) {
    RowDoc* first = sh().DoFileNew();
    const DanLayoutData even = sh().s.DanLayout[0];
    ASSERT_TRUE(first->Editor->MoveKugiri(0, even.SyosetsuLeft[1] + 450));
    const DanLayoutData moved = sh().s.DanLayout[0];
    ASSERT_EQ(moved.SyosetsuLeft[1], even.SyosetsuLeft[1] + 450);
    auto sameBoxes = [&](const DanLayoutData& now) {
        for (int m = 0; m < kMeasureSlots; ++m)
            if (now.SyosetsuLeft[m] != moved.SyosetsuLeft[m] || now.SyosetsuWidth[m] != moved.SyosetsuWidth[m])
                return false;
        return true;
    };
    // a second row is created and given another measure count
    RowDoc* second = sh().DoFileNew();
    EXPECT_TRUE(sameBoxes(sh().s.DanLayout[0])) << "creating a row";
    mw->VScroll1->setValue(3);
    ASSERT_EQ(sh().ActiveRow(), second);
    EXPECT_TRUE(sameBoxes(sh().s.DanLayout[0])) << "another row's measure count";
    EXPECT_EQ(sh().s.DanBuf[1].SyosetsuCnt, 6);
    // a saved row with its own count is opened
    const std::string p = work->File("six.tab");
    ui.saveAnswers = {p};
    ASSERT_TRUE(sh().FileSave());
    sh().DoFileOpen(p);
    EXPECT_TRUE(sameBoxes(sh().s.DanLayout[0])) << "opening a row";
    // back on the first row: its boxes are laid out and saved as moved
    sh().BringRowToFront(0);
    EXPECT_EQ(sh().s.CurSyosetsuCnt, 4);
    EXPECT_TRUE(sameBoxes(sh().s.DanLayout[0])) << "activating it again";
    const std::string q = work->File("moved.tab");
    ui.saveAnswers = {q};
    ASSERT_TRUE(sh().FileSave());
    sh().DoFileOpen(q);
    const DanLayoutData& back = sh().s.DanLayout[sh().ActiveRow()->Slot()];
    for (int m = 0; m <= 4; ++m) {  // four measures and the right end
        EXPECT_EQ(back.SyosetsuLeft[m], moved.SyosetsuLeft[m]) << "saved and read back, measure " << m;
        if (m < 4) {
            EXPECT_EQ(back.SyosetsuWidth[m], moved.SyosetsuWidth[m]) << "saved and read back, measure " << m;
        }
    }
}

TEST_F(ShellTest, ANewRowGeometryLaysOutOtherRowsAgainForTheirOwnCount) {
    RowDoc* first = sh().DoFileNew();
    ASSERT_TRUE(first->Editor->MoveKugiri(0, sh().s.DanLayout[0].SyosetsuLeft[1] + 450));
    sh().DoFileNew();
    mw->VScroll1->setValue(3);  // the second row has six measures
    // the row-area dialog wrote a narrower row into the settings and was accepted
    const std::string sec = "POSITION" + std::to_string(sh().s.PosRhythm);
    ASSERT_TRUE(ProfileFile::Write(work->File("Lutewise.ini"), sec, "DanWidth", "900"));
    sh().KoTabAreaOK();
    const DanLayoutData& act = sh().s.DanLayout[1];
    EXPECT_EQ(act.SyosetsuLeft[6], act.TabLeft + act.TabWidth);
    sh().BringRowToFront(0);
    const DanLayoutData& lay = sh().s.DanLayout[0];
    EXPECT_EQ(sh().s.CurSyosetsuCnt, 4);
    EXPECT_EQ(lay.TabWidth, 900 * 15);
    EXPECT_EQ(lay.SyosetsuLeft[4], lay.TabLeft + lay.TabWidth) << "four measures fill the new width";
    for (int m = 0; m < 4; ++m) EXPECT_EQ(lay.SyosetsuWidth[m], 900 * 15 / 4) << m;
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
    PutNote(*r, 2);
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

TEST_F(ShellTest, ClosingAChangedRowAsksToSaveNamingTheRowAndItsFile) {
    PutNote(*sh().DoFileNew(), 1);
    const std::string p = work->File("q.tab");
    ui.answers = {kIdYes};
    ui.saveAnswers = {p};
    ASSERT_TRUE(sh().CloseRow(*sh().Rows()[0]));
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "1段目をTABﾌｧｲﾙに保存しますか？\n\r（まだﾌｧｲﾙに保存されていません）");
    EXPECT_EQ(ui.shown[0].buttons, 35) << "yes, no and cancel";
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
    sh().DoFileOpen("");
    ASSERT_EQ(sh().Rows().size(), 1u);
    RowDoc* back = sh().Rows()[0].get();
    EXPECT_EQ(back->Tag, "00" + p);
    const auto& m = sh().s.DanBuf[0].Syosetsu[0];
    EXPECT_EQ(m.OnpuCnt, 1);
    EXPECT_EQ(m.Onpu[1].Flet[1], 12);
}

TEST_F(ShellTest, AFileThatFailsToLoadOpensNoRowAndJoinsNoProject) {
    const std::string proj = work->File("p.tbp");
    WriteBytes(proj, "");
    sh().DoFileProjectOpen(proj);
    // a row file cut off in a position record, and a file that is no row
    const std::string p = work->File("broken.tab");
    const std::string good = ReadBytes(std::string(LUTEWISE_SOURCE_DIR) + "/data/examples/kirakira1.tab");
    const std::string cut = good.substr(0, good.find("\r\n", good.size() / 2)) + "\r\n0,1,1,\r\n";
    const std::string random = work->File("random.tab");
    WriteBytes(random, std::string("\x89PNG\r\n\x1a\n garbage \x01\x02", 19));
    for (const std::string& bytes : {cut, std::string("\"TAB\",9,0,\"C\",0,22,0,0,0,\"201\"\r\n")}) {
        WriteBytes(p, bytes);
        for (const std::string& f : {p, random}) {
            ui.shown.clear();
            sh().DoFileOpen(f);
            EXPECT_TRUE(sh().Rows().empty()) << f;
            ASSERT_EQ(ui.shown.size(), 1u) << "only the reason, no project question";
            EXPECT_NE(ui.shown[0].text.find(f), std::string::npos);
            EXPECT_EQ(ui.shown[0].buttons, 16);
        }
        EXPECT_EQ(ReadBytes(p), bytes) << "the file is left as it was";
    }
    EXPECT_EQ(ReadBytes(proj), "");
    EXPECT_EQ(sh().CurProject, proj);
}

// ------------------------------------------------------------ close all / save all

TEST_F(ShellTest, CloseAllWithoutConfirmationsAsksNothingMore) {
    for (int i = 0; i < 3; ++i) PutNote(*sh().DoFileNew(), i);
    ui.answers = {kIdNo, kIdYes};  // @0031 No, @0032 Yes
    ASSERT_TRUE(sh().FileCloseAll());
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[0].text, Msg(31));
    EXPECT_EQ(ui.shown[1].text, Msg(32));
    EXPECT_TRUE(sh().Rows().empty());
    EXPECT_TRUE(sh().AskSave);
    for (auto* b : mw->optDanNo) EXPECT_TRUE(b->isHidden());
}

TEST_F(ShellTest, CloseAllWithConfirmationsAsksEveryChangedRow) {
    for (int i = 0; i < 2; ++i) PutNote(*sh().DoFileNew(), i);
    sh().DoFileNew();  // unchanged: closes without a question
    ui.answers = {kIdYes, kIdNo, kIdNo};
    ASSERT_TRUE(sh().FileCloseAll());
    ASSERT_EQ(ui.shown.size(), 3u);
    EXPECT_EQ(ui.shown[1].text.substr(0, ui.shown[1].text.find('\n')), "2段目をTABﾌｧｲﾙに保存しますか？");
    EXPECT_EQ(ui.shown[2].text.substr(0, ui.shown[2].text.find('\n')), "1段目をTABﾌｧｲﾙに保存しますか？");
    EXPECT_TRUE(sh().Rows().empty());
}

TEST_F(ShellTest, SaveAllAsksThenEveryRowAsksForItself) {
    for (int i = 0; i < 2; ++i) PutNote(*sh().DoFileNew(), i);
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

TEST_F(ShellTest, EachRowKeepsItsOwnTimeSignature) {
    sh().DoFileNew();
    sh().DoFileNew();
    sh().MeterMenu(1);  // 6/8 for the second row only
    EXPECT_EQ(sh().s.DanBuf[1].MeterID, 1);
    EXPECT_EQ(sh().s.DanBuf[0].MeterID, 22);
    sh().BringRowToFront(0);
    EXPECT_EQ(sh().s.MeterID, 22);
    EXPECT_EQ(mw->labMeter->text().toStdString(), "4/4");
    EXPECT_TRUE(mw->action("mnuSeteiMeter22")->isChecked());
    sh().BringRowToFront(1);
    EXPECT_EQ(mw->labMeter->text().toStdString(), "6/8");
    EXPECT_TRUE(mw->action("mnuSeteiMeter1")->isChecked());
}

TEST_F(ShellTest, MenuCaptionsAreThoseOfTheProgram) {
    auto items = [this](int menu) {
        QStringList list;
        for (auto* a : mw->menuBar()->actions()[menu]->menu()->actions())
            if (!a->isSeparator() && !a->text().isEmpty()) list << a->text();
        return list;
    };
    EXPECT_EQ(items(0), (QStringList{"新規作成(&N)", "開く(&O)", "閉じる(&C)", "新規ﾌﾟﾛｼﾞｪｸﾄ(&R)",
                                     "ﾌﾟﾛｼﾞｪｸﾄを開く(&J)", "ﾌﾟﾛｼﾞｪｸﾄから楽譜作成(&G)", "すべて閉じる(&E)", "保存(&S)", "すべて保存(&L)",
                                     "TABﾌｧｲﾙに保存する(&T)", "名前を付けて楽譜を保存(&A)...", "MusicXMLを読み込む...", "MusicXMLで書き出す...",
                                     "MIDIファイルで書き出す...", "ﾌﾟﾛﾊﾟﾃｨ(&I)", "ﾍﾟｰｼﾞ設定(&U)...",
                                     "印刷ﾌﾟﾚﾋﾞｭｰ(&V)", "印刷(&P)...", "終了(&X)"}));
    EXPECT_EQ(items(1), (QStringList{"元に戻す(&U)", "やり直し(&R)", "切り取り(&T)", "ｺﾋﾟｰ(&C)", "貼り付け(&P)", "形式を選択して貼り付け(&S)...",
                                     "小節の内容を削除する...", "移調(&M)", "楽譜作成(&G)", "楽譜作成（五線譜のみ）（&F)", "ﾌﾟﾛｼﾞｪｸﾄに追加する(&A)",
                                     "ﾌﾟﾛｼﾞｪｸﾄから削除する(&D)", "ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙを編集する。(&P)"}));
    EXPECT_EQ(items(2), (QStringList{"ﾂｰﾙ ﾊﾞｰ(&T)", "ｽﾃｰﾀｽ ﾊﾞｰ(&B)", "最新の情報に更新(&R)", "リズム譜を書きなおす", "音符を描画する",
                                     "MIDIで再生(&M)", "ｵﾌﾟｼｮﾝ(&O)..."}));
    QStringList keys;
    for (auto* a : mw->tbToolBar->actions())
        if (!a->isSeparator()) keys << a->data().toString();
    EXPECT_EQ(keys, (QStringList{"New", "Open", "Save", "Print", "Cut", "Copy", "Paste", "Text", "Pointer", "note",
                                 "Erase", "Kugiri", "Midi", "Gakufu", "Key", "Bold", "Italic", "Underline", "Left", "Center", "Right"}));
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

TEST_F(ShellTest, CommandsThatAreNotOfferedSayWhyAndFormattingKeysDoNothing) {
    const std::string notReady = "ただいま製作中につきしばらくお待ちください。m（_ _）m";
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"mnuEditCut", notReady},
        {"mnuEditPaste", notReady},
        {"mnuEditPasteSpecial", notReady},
        {"mnuViewOptions", notReady},
        {"mnuFileProperties", "ﾌﾟﾛﾊﾟﾃｨの表示処理をここに記述します !"},
        {"tbCut", notReady},
        {"tbPaste", notReady}};
    for (const auto& [name, text] : cases) {
        ui.shown.clear();
        QAction* a = mw->action(name);
        ASSERT_NE(a, nullptr) << name;
        a->trigger();
        ASSERT_EQ(ui.shown.size(), 1u) << name;
        EXPECT_EQ(ui.shown[0].text, text) << name;
        EXPECT_EQ(ui.shown[0].buttons, 0) << name;
    }
    // Printing has nothing to print without a row.
    ui.shown.clear();
    for (const char* name : {"mnuFilePrint", "mnuFilePrintPreview", "tbPrint"}) mw->action(name)->trigger();
    EXPECT_TRUE(ui.shown.empty());
    sh().DoFileNew();
    for (const char* key : {"tbBold", "tbItalic", "tbUnderline", "tbLeft", "tbCenter", "tbRight"}) {
        ASSERT_NE(mw->action(key), nullptr) << key;
        mw->action(key)->trigger();
    }
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(sh().g.EditMode, 0);
    EXPECT_EQ(sh().Rows().size(), 1u);
}

TEST_F(ShellTest, VersionOfTheAboutWindowAndOfSavedRowsIsTheSame) {
    const std::string caption = VersionCaption();
    ASSERT_EQ(caption.rfind("Version ", 0), 0u);
    std::string digits = caption.substr(8);
    EXPECT_EQ(std::count(digits.begin(), digits.end(), '.'), 2) << caption;
    digits.erase(std::remove(digits.begin(), digits.end(), '.'), digits.end());
    EXPECT_EQ(sh().s.VersionText, digits);
    RowDoc* r = sh().DoFileNew();
    (void)r;
    const std::string p = work->File("v.tab");
    ui.saveAnswers = {p};
    ASSERT_TRUE(sh().FileSave());
    const std::string header = ReadBytes(p).substr(0, ReadBytes(p).find('\r'));
    EXPECT_NE(header.find("\"" + digits + "\""), std::string::npos) << header;
}

TEST_F(ShellTest, CancellingTheSaveDialogWhileClosingKeepsTheRowAndItsWork) {
    RowDoc* r = sh().DoFileNew();
    PutNote(*r, 4);
    ui.answers = {kIdYes};  // save? yes - then the dialog is cancelled
    EXPECT_FALSE(sh().CloseRow(*r));
    ASSERT_EQ(sh().Rows().size(), 1u);
    EXPECT_EQ(sh().s.DanBuf[0].Syosetsu[0].Onpu[1].Flet[1], 4);
    // close all stops at that row; the program does not end either
    PutNote(*sh().DoFileNew(), 6);
    ui.answers = {kIdYes, kIdYes};  // @0031 yes, 2段目 save? yes -> cancelled
    EXPECT_FALSE(sh().FileCloseAll());
    EXPECT_EQ(sh().Rows().size(), 2u);
    EXPECT_TRUE(sh().AskSave);
    ui.answers = {kIdYes};
    EXPECT_FALSE(mw->Shutdown());
    EXPECT_EQ(sh().Rows().size(), 2u);
    EXPECT_NE(store.Get("Recovery", "x"), "0") << "the run has not ended";
    // "キャンセル" stops closing, closing all and the program's end alike
    const int asked = ui.saveAsked;
    for (int round = 0; round < 3; ++round) {
        ui.answers = round == 1 ? std::deque<int>{kIdYes, kIdCancel} : std::deque<int>{kIdCancel};
        const bool closed = round == 0 ? sh().CloseRow(*sh().ActiveRow()) : round == 1 ? sh().FileCloseAll() : mw->Shutdown();
        EXPECT_FALSE(closed) << round;
        EXPECT_EQ(sh().Rows().size(), 2u) << round;
        EXPECT_EQ(ui.saveAsked, asked) << "no file dialog after cancel";
    }
    EXPECT_EQ(sh().s.DanBuf[1].Syosetsu[0].Onpu[1].Flet[1], 6);
    EXPECT_TRUE(sh().ActiveRow()->Modified || sh().IsRowChanged(*sh().ActiveRow()));
}

// A clsKoComm stand-in that delivers its events at once, as the library does,
// and notices when it is deleted.
struct FakeKoComm : clsKoComm {
    static inline int alive = 0;
    KoCommEvents* sink = nullptr;
    FakeKoComm() { ++alive; }
    ~FakeKoComm() override { --alive; }
    void SetEventSink(KoCommEvents* s) override { sink = s; }
    int32_t get_p_X() const override { return 0; }
    void let_p_X(int32_t) override {}
    void let_p_SyosetsuSu(int16_t) override {}
    void let_p_DocumentCount(int32_t) override {}
    void let_p_Gakki(int16_t) override {}
    void let_p_TabAreaPos(double) override {}
    void let_p_TabAreaPos2(double) override {}
    void let_p_FormatType(int16_t) override {}
    void let_p_LineCnt(int16_t) override {}
    std::optional<double> get_p_SyosetsuSu() const override { return std::nullopt; }
    std::optional<double> get_p_TabAreaPos() const override { return std::nullopt; }
    int16_t get_p_OnMouseFlag() const override { return 1; }
    void let_p_OnMouseFlag(int16_t) override {}
    void Put_ActiveteDocumentEvent(int16_t& Index) override {
        if (sink) sink->ActiveteDocument(Index);
    }
    void Put_KoTabAreaOKEvent() override {
        if (sink) sink->KoTabAreaOK();
        stillHere = alive;  // the object is used after its event returned
    }
    void Put_KoTabAreaRefreshEvent() override {
        if (sink) sink->KoTabAreaRefresh();
        stillHere = alive;
    }
    int stillHere = 0;
};

clsKoComm* MakeFakeKoComm() { return new FakeKoComm; }

TEST_F(ShellTest, KoCommEventsActivateARowAndEndTheRowAreaTool) {
    mw->SetKoCommFactory(&MakeFakeKoComm);
    for (int i = 0; i < 3; ++i) sh().DoFileNew();
    ui.answers = {kIdNo};
    ASSERT_TRUE(sh().CloseRow(*RowNamed("2段目")));
    sh().DoFileNew();  // rows in window order: 1, 3, 4
    auto* obj = dynamic_cast<FakeKoComm*>(mw->KoCommObject());
    ASSERT_NE(obj, nullptr);
    int16_t index = 1;
    obj->Put_ActiveteDocumentEvent(index);
    ASSERT_NE(sh().ActiveRow(), nullptr);
    EXPECT_EQ(sh().ActiveRow()->Caption, "3段目");
    EXPECT_EQ(mw->mdiArea()->activeSubWindow(), mw->SubWindowOf(sh().ActiveRow()->Id));
    EXPECT_TRUE(mw->optDanNo[2]->isChecked());
    index = 7;  // no such row: nothing changes
    obj->Put_ActiveteDocumentEvent(index);
    EXPECT_EQ(sh().ActiveRow()->Caption, "3段目");

    // The row-area dialog accepted: settings read again, tool back to 0.
    mw->action("tbText")->trigger();
    ASSERT_EQ(sh().g.EditMode, 3);
    const int slot = sh().ActiveRow()->Slot();
    const auto tabLeft = sh().s.DanLayout[slot].TabLeft;
    sh().s.DanLayout[slot].TabLeft = 5;
    obj->Put_KoTabAreaOKEvent();
    EXPECT_EQ(sh().s.DanLayout[slot].TabLeft, tabLeft);
    EXPECT_EQ(sh().g.EditMode, 0);
    EXPECT_FALSE(mw->action("tbText")->isChecked());
    EXPECT_EQ(obj->stillHere, 1) << "released inside its own event";
    EXPECT_FALSE(mw->HasKoCommObject());
    QCoreApplication::processEvents();
    EXPECT_EQ(FakeKoComm::alive, 0);

    // Closed without accepting: only the tool is reset.
    auto* again = dynamic_cast<FakeKoComm*>(mw->KoCommObject());
    ASSERT_NE(again, nullptr);
    mw->action("tbErase")->trigger();
    again->Put_KoTabAreaRefreshEvent();
    EXPECT_EQ(sh().g.EditMode, 0);
    EXPECT_FALSE(mw->action("tbErase")->isChecked());
    QCoreApplication::processEvents();
    EXPECT_EQ(FakeKoComm::alive, 0);
}

TEST_F(ShellTest, HanelAllHidesTheProjectListAndLaysOutEveryRow) {
    sh().HanelAll();  // nothing open: nothing happens
    sh().mnuViewRefresh();
    sh().mnuViewReDraw();
    for (int i = 0; i < 3; ++i) {
        RowDoc* r = sh().DoFileNew();
        PutNote(*r, i + 1);
    }
    mw->action("mnuWindowProjectList")->trigger();
    ASSERT_TRUE(mw->projectList()->isVisible());
    ASSERT_EQ(sh().Rows().size(), 3u);
    auto shownFrets = [](RowDoc& r) {
        int n = 0;
        for (size_t i = 1; i < r.Scene.labPos.size(); ++i) n += r.Scene.labPos[i].Caption.empty() ? 0 : 1;
        return n;
    };
    for (auto& r : sh().Rows()) EXPECT_EQ(shownFrets(*r), 0) << r->Caption << " has not been laid out yet";
    sh().HanelAll();
    EXPECT_FALSE(mw->projectList()->isVisible());
    for (auto& r : sh().Rows()) EXPECT_EQ(shownFrets(*r), 1) << r->Caption;
    EXPECT_EQ(sh().ActiveRow(), sh().Rows().back().get());
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

TEST_F(ShellTest, ProjectLinesKeepJapaneseAndOtherCharactersOfPaths) {
    const std::string proj = work->File("p.tbp");
    ui.saveAnswers = {proj};
    sh().NewProjectFile();
    // One name CP932 holds, one it does not (a G clef sign).
    const std::string jp = work->File("段目一.tab"), clef = work->File("\xF0\x9D\x84\x9E.tab");
    for (const std::string& name : {jp, clef}) {
        sh().DoFileNew();
        ui.saveAnswers = {name};
        ui.answers = {kIdYes};
        ASSERT_TRUE(sh().FileSave());
    }
    const std::string bytes = ReadBytes(proj);
    EXPECT_NE(bytes.find(Utf8ToCp932("00:" + jp)), std::string::npos);  // CP932 where it can be
    std::vector<std::string> lines;
    ASSERT_TRUE(ReadProjectLines(proj, lines, nullptr));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "00:" + jp);
    EXPECT_EQ(lines[1], "01:" + clef);
}

TEST_F(ShellTest, ANewRowInAReusedSlotHasNoRepeatStartOfTheClosedRow) {
    RowDoc* r = sh().DoFileNew();
    sh().s.DanBuf[r->Slot()].TopRepStart = kTrue;
    ui.answers = {kIdNo};
    ASSERT_TRUE(sh().CloseRow(*r));
    RowDoc* again = sh().DoFileNew();
    ASSERT_EQ(again->Slot(), 0);
    EXPECT_EQ(sh().s.DanBuf[0].TopRepStart, 0);
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
    // the last row loaded is the active window, as the row buttons say
    ASSERT_NE(sh().ActiveRow(), nullptr);
    EXPECT_EQ(sh().ActiveRow()->Caption, "3段目");
    EXPECT_EQ(mw->mdiArea()->activeSubWindow(), mw->SubWindowOf(sh().ActiveRow()->Id));
    EXPECT_TRUE(mw->optDanNo[2]->isChecked());
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
    EXPECT_EQ(sh().Rows().size(), 1u) << "the failing line opens no row, the rows after it are not opened";
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
    // A file of the same name in another folder is another row: it stays.
    expected += "\r\n13:/other/folder/x.tab\r\n14:/last/row.tab\r\n";
    EXPECT_EQ(ReadBytes(proj), expected);
    EXPECT_EQ(ui.shown[0].text, Msg(28));
    EXPECT_TRUE(sh().Rows().empty());
    EXPECT_TRUE(sh().CurProject.empty()) << "closing the last row forgets the project";
}

TEST_F(ShellTest, RemovingARowOfAProjectWithRelativeLinesTakesItsLineAway) {
    const fs::path src = fs::path(LUTEWISE_SOURCE_DIR) / "data/examples";
    for (const char* f : {"example.tbp", "kirakira1.tab", "kirakira2.tab", "ode1.tab", "ode2.tab"})
        fs::copy_file(src / f, work->path / f);
    const std::string proj = work->File("example.tbp");
    sh().DoFileProjectOpen(proj);
    ASSERT_EQ(sh().Rows().size(), 4u);
    sh().BringRowToFront(1);
    ui.answers = {kIdYes};
    sh().DoEditDelProject();
    EXPECT_EQ(ReadBytes(proj), "00:kirakira1.tab\r\n02:ode1.tab\r\n03:ode2.tab\r\n");
    EXPECT_EQ(sh().Rows().size(), 3u);
    auto items = sh().ProjectListItems();
    ASSERT_EQ(items.size(), 3u);
    for (const auto& it : items) EXPECT_NE(it.FileName, "kirakira2.tab");
    sh().DoFileProjectOpen(proj);
    EXPECT_EQ(sh().Rows().size(), 3u) << "the project opens without the removed row";
}

TEST_F(ShellTest, ARowSavedUnderAnotherNameKeepsItsPlaceInTheProject) {
    const std::string a = work->File("a.tab"), b = work->File("b.tab"), renamed = work->File("renamed.tab");
    for (const std::string& f : {a, b}) fs::copy_file(std::string(LUTEWISE_SOURCE_DIR) + "/data/examples/ode1.tab", f);
    const std::string proj = work->File("p.tbp");
    WriteBytes(proj, "00:a.tab\r\n01:" + b + "\r\n");
    sh().DoFileProjectOpen(proj);
    sh().BringRowToFront(0);
    ui.saveAnswers = {renamed};
    ASSERT_TRUE(sh().FileSaveTab());
    EXPECT_EQ(sh().ActiveRow()->Path(), renamed);
    EXPECT_EQ(ReadBytes(proj), "00:" + renamed + "\r\n01:" + b + "\r\n");
    auto items = sh().ProjectListItems();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].FileName, "renamed.tab");
    EXPECT_EQ(items[0].Caption, "1段目");
    EXPECT_TRUE(ui.shown.empty()) << "nothing to ask";
}

TEST_F(ShellTest, ClosingTheProjectsLastRowSavesItWithoutJoiningTheProject) {
    const std::string proj = work->File("last.tbp");
    WriteBytes(proj, "");
    sh().DoFileProjectOpen(proj);
    PutNote(*sh().DoFileNew(), 3);
    const std::string p = work->File("last.tab");
    ui.answers = {kIdYes};
    ui.saveAnswers = {p};
    ASSERT_TRUE(sh().CloseRow(*sh().Rows()[0]));
    ASSERT_EQ(ui.shown.size(), 1u) << "the save question only, no " << Msg(23);
    EXPECT_TRUE(fs::exists(p));
    EXPECT_EQ(ReadBytes(proj), "");
    EXPECT_TRUE(sh().CurProject.empty());
}

TEST_F(ShellTest, OnlyChangedRowsAskAndARowWithAFileIsSavedToIt) {
    const std::string p = work->File("k.tab");
    fs::copy_file(std::string(LUTEWISE_SOURCE_DIR) + "/data/examples/kirakira1.tab", p);
    const std::string original = ReadBytes(p);
    sh().DoFileOpen(p);
    sh().mnuViewRefresh();
    sh().BringRowToFront(0);
    EXPECT_TRUE(sh().CloseRow(*sh().Rows()[0]));
    EXPECT_TRUE(ui.shown.empty()) << "an unchanged row closes without a question";
    EXPECT_FALSE(fs::exists(work->File("Recovery/#rec00.tab")));
    for (const int answer : {kIdNo, kIdYes}) {
        sh().DoFileOpen(p);
        RowDoc* r = sh().ActiveRow();
        r->Editor->DeleteSyosetsu(0);
        EXPECT_TRUE(r->Modified);
        ui.answers = {answer};
        ASSERT_TRUE(sh().CloseRow(*r));
        ASSERT_FALSE(ui.shown.empty());
        EXPECT_NE(ui.shown.back().text.find(p), std::string::npos) << "the question names the file";
        EXPECT_EQ(ui.saveAsked, 0) << "a row with a file needs no dialog";
        if (answer == kIdNo) { EXPECT_EQ(ReadBytes(p), original); }
    }
    EXPECT_NE(ReadBytes(p), original);
    sh().DoFileOpen(p);
    EXPECT_EQ(sh().s.DanBuf[0].Syosetsu[0].OnpuCnt, 0) << "saved without its first measure";
}

TEST_F(ShellTest, AnOpenedRowTakesEveryBarPositionItsFileStores) {
    RowDoc* r = sh().DoFileNew();
    const DanLayoutData four = sh().s.DanLayout[0];
    mw->VScroll1->setValue(6);  // three measures
    // bar 1 moved to just where a four-measure row has its first bar
    ASSERT_TRUE(r->Editor->MoveKugiri(0, four.SyosetsuLeft[1]));
    const DanLayoutData moved = sh().s.DanLayout[0];
    const std::string p = work->File("three.tab");
    ui.saveAnswers = {p};
    ASSERT_TRUE(sh().FileSave());
    ASSERT_TRUE(sh().CloseRow(*r));
    sh().DoFileNew();
    ASSERT_EQ(sh().s.CurSyosetsuCnt, 3);
    mw->VScroll1->setValue(5);  // a four-measure row is active when the file is opened
    sh().DoFileOpen(p);
    const DanLayoutData& back = sh().s.DanLayout[sh().ActiveRow()->Slot()];
    EXPECT_EQ(sh().s.CurSyosetsuCnt, 3);
    for (int m = 0; m < 3; ++m) {
        EXPECT_EQ(back.SyosetsuLeft[m], moved.SyosetsuLeft[m]) << m;
        EXPECT_EQ(back.SyosetsuWidth[m], moved.SyosetsuWidth[m]) << m;
        EXPECT_EQ(back.SyosetsuLeft[m] + back.SyosetsuWidth[m], back.SyosetsuLeft[m + 1]) << "boxes meet, " << m;
    }
}

TEST_F(ShellTest, LoweringTheMeasureCountBelowNotesAsksFirst) {
    RowDoc* r = sh().DoFileNew();
    auto& m3 = sh().s.DanBuf[r->Slot()].Syosetsu[3];
    m3.OnpuCnt = 1;
    StoreNote(m3.Onpu[1], 1, 5, 2);
    ui.answers = {kIdNo};
    mw->VScroll1->setValue(7);  // two measures would hide measure 4
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].buttons, 36);
    EXPECT_NE(ui.shown[0].text.find("4小節目"), std::string::npos);
    EXPECT_EQ(sh().s.CurSyosetsuCnt, 4) << "No leaves the count";
    EXPECT_EQ(mw->VScroll1->value(), 5);
    EXPECT_EQ(mw->lblSyou->text().toStdString(), "小節数:4");
    mw->VScroll1->setValue(1);  // more measures: nothing to ask
    EXPECT_EQ(sh().s.CurSyosetsuCnt, 8);
    EXPECT_EQ(ui.shown.size(), 1u);
    ui.answers = {kIdYes};
    mw->VScroll1->setValue(7);
    EXPECT_EQ(sh().s.CurSyosetsuCnt, 2);
    EXPECT_EQ(ui.shown.size(), 2u);
    PutNote(*sh().DoFileNew(), 1);  // notes in the first measure only
    mw->VScroll1->setValue(8);
    EXPECT_EQ(sh().s.CurSyosetsuCnt, 1);
    EXPECT_EQ(ui.shown.size(), 2u);
}

TEST_F(ShellTest, ProjectLinePathsFollowTheRelativePathRule) {
    EXPECT_EQ(ProjectLinePath("00:/abs/a.tab", "/p"), "/abs/a.tab");
    EXPECT_EQ(ProjectLinePath("01:sub\\b.tab", "/p"), "/p/sub/b.tab");
    EXPECT_EQ(ProjectLinePath("02:c.tab\r", "/p"), "/p/c.tab");
    EXPECT_EQ(ProjectLinePath("03:C:\\songs\\d.tab", "/p"), "C:/songs/d.tab");
}

// ------------------------------------------------------------ recent list

TEST_F(ShellTest, TheRecentListHoldsEachProjectOnceNewestFirst) {
    std::vector<std::string> p;
    for (const char* n : {"a.tbp", "b.tbp", "c.tbp", "d.tbp", "e.tbp"}) {
        p.push_back(work->File(n));
        WriteBytes(p.back(), "");
    }
    sh().DoFileProjectOpen(p[0]);
    sh().DoFileProjectOpen(p[1]);
    sh().DoFileProjectOpen(p[1]);
    EXPECT_EQ(sh().s.MruFiles, (std::array<std::string, 4>{p[1], p[0], "", ""}));
    ASSERT_EQ(sh().RecentCaptions.size(), 2u);
    EXPECT_EQ(sh().RecentCaptions[0], "1." + p[1]);
    EXPECT_EQ(sh().RecentCaptions[1], "2." + p[0]);
    EXPECT_TRUE(mw->mnuFileMRU[1]->isVisible());
    EXPECT_FALSE(mw->mnuFileMRU[2]->isVisible());
    EXPECT_EQ(ProfileFile::Read(work->File("Lutewise.ini"), "RIREKI", "MruList"), p[1] + "," + p[0] + ",");
    // opened again, an older entry moves to the head; four shown, three written
    for (int i : {2, 3, 0}) sh().DoFileProjectOpen(p[i]);
    EXPECT_EQ(sh().s.MruFiles, (std::array<std::string, 4>{p[0], p[3], p[2], p[1]}));
    EXPECT_TRUE(mw->mnuFileMRU[3]->isVisible());
    EXPECT_EQ(ProfileFile::Read(work->File("Lutewise.ini"), "RIREKI", "MruList"), p[0] + "," + p[3] + "," + p[2]);
    sh().DoFileProjectOpen(p[4]);
    EXPECT_EQ(sh().s.MruFiles, (std::array<std::string, 4>{p[4], p[0], p[3], p[2]}));
    // choosing an item opens the project named by its caption
    sh().OpenRecent(3);
    EXPECT_EQ(sh().CurProject, p[2]);
    EXPECT_EQ(sh().s.MruFiles[0], p[2]);
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
    // each restored row keeps the name of its copy: its next copy replaces it
    EXPECT_EQ(sh().Rows()[0]->RecoverySeq, 0);
    EXPECT_EQ(sh().Rows()[1]->RecoverySeq, 1);
    EXPECT_EQ(store.Get("Recovery", ""), "1");
    PutNote(*sh().Rows()[1], 11);
    sh().BringRowToFront(1);
    ASSERT_TRUE(sh().SaveRecoveryTabFile());
    // a new row never takes the name of a copy in the folder
    RowDoc* fresh = sh().DoFileNew();
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->RecoverySeq, 2);
    ASSERT_TRUE(sh().SaveRecoveryTabFile());
    std::vector<std::string> names;
    for (auto& e : fs::directory_iterator(work->File("Recovery"))) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"#rec00.tab", "#rec01.tab", "#rec02.tab"}))
        << "no stale duplicate of a restored row is left for a later restore";
    // closing a restored row without saving removes its copy
    ui.answers = {kIdNo};
    ASSERT_TRUE(sh().CloseRow(*sh().Rows()[0]));
    EXPECT_FALSE(fs::exists(work->File("Recovery/#rec00.tab")));
    // a normal end
    ui.answers = {kIdNo, kIdNo, kIdNo};
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

TEST_F(ShellTest, AnAbnormalEndWithoutCopiesAsksNothing) {
    store.Set("Recovery", "1");
    sh().RestoreRecovery();
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_TRUE(sh().Rows().empty());
    EXPECT_EQ(store.Get("Recovery", ""), "1");
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
    if (mw->isMinimized()) { EXPECT_EQ(store.Get("MainLeft", ""), "1234"); }
    EXPECT_EQ(store.Get("Recovery", ""), "0");
}

TEST_F(ShellTest, TheFirstStartOpensTheWindowLargeEnoughForARowWithinTheScreen) {
    const QRect avail = mw->screen()->availableGeometry();
    const QImage ground(QString::fromStdString(work->File("TABn1.bmp")));
    ASSERT_FALSE(ground.isNull());
    EXPECT_EQ(mw->width(), std::min(ground.width() + 60, avail.width() - 16));
    EXPECT_GE(mw->height(), std::min(ground.height() + 200, avail.height() - 40));
    EXPECT_TRUE(avail.contains(mw->geometry())) << "within the screen";
    // a row window opened now shows its whole row when the screen allows it
    RowDoc* r = sh().DoFileNew();
    if (avail.width() > ground.width() + 80) {
        EXPECT_GE(mw->mdiArea()->viewport()->width(), mw->SubWindowOf(r->Id)->width());
    }
}

TEST_F(ShellTest, StoredGeometrySurvivesStartAndEndUnchanged) {
    store.Set("MainLeft", "1500");
    store.Set("MainTop", "3000");
    store.Set("MainWidth", "9000");
    store.Set("MainHeight", "7500");
    mw.reset();
    Start();
    ASSERT_TRUE(mw->Shutdown());
    EXPECT_EQ(store.Get("MainLeft", ""), "1500");
    EXPECT_EQ(store.Get("MainTop", ""), "3000");
    EXPECT_EQ(store.Get("MainWidth", ""), "9000");
    EXPECT_EQ(store.Get("MainHeight", ""), "7500");
    // a place on no screen falls back to the default place
    store.Set("MainLeft", "900000");
    store.Set("MainTop", "900000");
    mw.reset();
    Start();
    EXPECT_EQ(mw->pos(), QPoint(1000 / 15, 1000 / 15));
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

TEST_F(ShellTest, TheScoreIsComposedShownAndSavedAsABitmap) {
    mw->action("mnuEditGakufu")->trigger();  // no row: nothing
    QCoreApplication::processEvents();
    EXPECT_EQ(mw->gakufuWindow(), nullptr);
    for (const char* f : {"kirakira1.tab", "kirakira2.tab"}) {
        const std::string p = work->File(f);
        fs::copy_file(fs::path(LUTEWISE_SOURCE_DIR) / "data/examples" / f, p);
        sh().DoFileOpen(p);
    }
    ui.shown.clear();
    // The staff-only score needs the notes on the staff.
    mw->action("mnuEditGakufu2")->trigger();
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, MessageText(30));
    // "楽譜作成(&G)" runs from Timer1 once the command's events are done.
    mw->action("mnuEditGakufu")->trigger();
    EXPECT_EQ(mw->gakufuWindow(), nullptr);
    QTRY_VERIFY(mw->gakufuWindow() != nullptr);
    ScoreWindow* score = mw->gakufuWindow();
    EXPECT_EQ(score->windowTitle(), QStringLiteral("楽譜"));
    const QImage& row = sh().Rows()[0]->Picture;
    EXPECT_EQ(score->Picture().size(), QSize(row.width(), 5 * row.height() + 80));
    EXPECT_NE(score->Area()->findChild<QScrollBar*>("scrlTate"), nullptr);
    EXPECT_EQ(ui.shown.size(), 1u) << "two rows fit: no message";
    // "保存(&S)" with the score in front saves the score.
    ui.saveAnswers.push_back(work->File("score.bmp"));
    mw->mdiArea()->setActiveSubWindow(score);
    mw->action("mnuFileSave")->trigger();
    const std::string bmp = ReadBytes(work->File("score.bmp"));
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(QImage(QString::fromStdString(work->File("score.bmp"))).size(), score->Picture().size());
    // "名前を付けて楽譜を保存(&A)...": the four formats, each file in the format its name says.
    EXPECT_NE(std::string(kScoreFilter).find("*.svg"), std::string::npos);
    const struct {
        const char* name;
        std::string magic;
    } formats[] = {{"s.bmp", "BM"}, {"s.png", "\x89PNG"}, {"s.pdf", "%PDF"}, {"s.svg", "<?xml"}, {"s.PNG", "\x89PNG"}};
    for (const auto& f : formats) {
        ui.saveAnswers.push_back(work->File(f.name));
        EXPECT_TRUE(mw->SaveImgFile()) << f.name;
        EXPECT_EQ(ReadBytes(work->File(f.name)).substr(0, f.magic.size()), f.magic) << f.name;
    }
    // Another extension is refused with the formats named, and nothing is written.
    ui.shown.clear();
    ui.saveAnswers.push_back(work->File("s.gif"));
    EXPECT_FALSE(mw->SaveImgFile());
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_NE(ui.shown[0].text.find(kScoreFormats), std::string::npos);
    EXPECT_FALSE(fs::exists(work->File("s.gif")));
    // From a project: loaded through the open dialog, then composed.
    mw->shell().AskSave = false;
    ui.openAnswers.push_back(work->File("two.tbp"));
    WriteBytes(work->File("two.tbp"), "00:kirakira1.tab\r\n01:kirakira2.tab\r\n");
    sh().GakufuRowCount = 0;
    mw->DoProjectToGakufu();
    EXPECT_EQ(sh().OpenRowCount(), 2);
    QTRY_COMPARE(sh().GakufuRowCount, 2);
    // Six rows of the staff layout: the picture keeps five and says so.
    for (int i = 0; i < 4; ++i) sh().DoFileNew();
    ui.shown.clear();
    ASSERT_TRUE(sh().CreateGakufu("0"));
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, MessageText(26) + "\n\r\n\r" + MessageText(27));
    EXPECT_EQ(ui.shown[0].buttons, 64);
}
