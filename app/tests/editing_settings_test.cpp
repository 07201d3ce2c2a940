// Settings that hold and the one rule for a changed row, driven through the
// main window as a user would: the tuning, hand-moved bar lines, the changed
// mark with its question and recovery copy, closing all, the project list.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <filesystem>
#include <memory>

#include "app_test_support.h"
#include "document_window.h"
#include "ko_kytsu_setei.h"
#include "ko_set_flet.h"
#include "ko_tuning.h"
#include "ko_wizard.h"
#include "main_window.h"
#include "settings.h"
#include "shell.h"

namespace fs = std::filesystem;
using namespace lw;
using namespace lwtest;

namespace {

class EditingTest : public FreshEditor {
protected:
    std::string SaveAs(const std::string& name) {
        const std::string p = work->File(name);
        ui.saveAnswers = {p};
        EXPECT_TRUE(sh().FileSave());
        return p;
    }
    // The wizard answered with OK (or Cancel) and nothing else changed.
    void Wizard(bool ok) {
        mw->DialogHook = [ok](QDialog& d) {
            if (auto* w = dynamic_cast<KoWizard*>(&d)) (ok ? w->OK : w->Cancel)->click();
            return d.result();
        };
        mw->RunWizard(kStartOpenRow);
        mw->DialogHook = [](QDialog&) { return int(QDialog::Rejected); };
    }
};

}  // namespace

// Open-D chosen in the tuning dialog stays the tuning through a measure
// count change, new and opened rows, the common settings and the wizard,
// and the next start reads it.
TEST_F(EditingTest, TheTuningChosenHoldsAndIsThereAtTheNextStart) {
    ASSERT_NE(sh().DoFileNew(), nullptr);
    ASSERT_EQ(sh().s.GakkiCode, 0);
    mw->DialogHook = [](QDialog& d) {
        auto* t = dynamic_cast<KoTuning*>(&d);
        if (!t) return int(QDialog::Rejected);
        t->Option1[6]->click();  // "Open-D (DADF#AD)"
        t->OK->click();
        return t->result();
    };
    mw->mnuSeteiTuning();
    mw->DialogHook = [](QDialog&) { return int(QDialog::Rejected); };
    EXPECT_EQ(sh().s.GakkiCode, 6);
    EXPECT_NE(Ini().find("Gakki=6\r\n"), std::string::npos);
    const std::string saved = SaveAs("opend.tab");
    mw->VScroll1->setValue(3);
    EXPECT_EQ(sh().s.GakkiCode, 6) << "measure count";
    ASSERT_NE(sh().DoFileNew(), nullptr);
    EXPECT_EQ(sh().s.GakkiCode, 6) << "new row";
    sh().DoFileOpen(saved);
    EXPECT_EQ(sh().s.GakkiCode, 6) << "opened row";
    mw->mnuSeteiKyotsu();
    EXPECT_EQ(sh().s.GakkiCode, 6) << "common settings";
    Wizard(false);
    Wizard(true);
    EXPECT_EQ(sh().s.GakkiCode, 6) << "wizard";
    EXPECT_EQ(sh().s.MaxStringIx, 5);
    Session next;
    ASSERT_TRUE(ReadIniSettings(next, ui, work->File("Lutewise.ini")));
    EXPECT_EQ(next.GakkiCode, 6) << "the next start";
}

// A bar line moved by hand stays through the common settings (cancelled or
// not), the wizard and a measure-count round trip of the options, and is
// in the saved file.
TEST_F(EditingTest, AMovedBarLineSurvivesTheSettingsDialogsAndIsSaved) {
    RowDoc* row = sh().DoFileNew();
    ASSERT_NE(row, nullptr);
    const int16_t moved = sh().s.DanLayout[0].SyosetsuLeft[1] + 450;
    ASSERT_TRUE(row->Editor->MoveKugiri(0, moved));
    mw->mnuSeteiKyotsu();  // cancelled
    EXPECT_EQ(sh().s.DanLayout[0].SyosetsuLeft[1], moved) << "common settings cancelled";
    mw->DialogHook = [](QDialog& d) {
        if (auto* k = dynamic_cast<KoKytsuSetei*>(&d)) k->OK->click();
        return d.result();
    };
    mw->mnuSeteiKyotsu();
    EXPECT_EQ(sh().s.DanLayout[0].SyosetsuLeft[1], moved) << "common settings OK";
    Wizard(false);
    Wizard(true);
    EXPECT_EQ(sh().s.DanLayout[0].SyosetsuLeft[1], moved) << "wizard";
    const std::string p = SaveAs("moved.tab");
    Session read;
    read.PosRhythm = sh().s.PosRhythm;
    ASSERT_TRUE(ReadIniSettings(read, ui, work->File("Lutewise.ini")));
    RowItems items;
    ASSERT_TRUE(LoadTab(read, items, p).ok);
    EXPECT_EQ(read.DanLayout[0].SyosetsuLeft[1], moved);
}

// The common-settings options hold for the run: a measure-count change and
// opening the dialog again keep them.
TEST_F(EditingTest, TheCommonSettingsOptionsHoldForTheRun) {
    ASSERT_NE(sh().DoFileNew(), nullptr);
    sh().s.MoveFletForm = false;
    sh().s.RhythmRewrite = true;
    mw->VScroll1->setValue(4);
    EXPECT_FALSE(sh().s.MoveFletForm);
    EXPECT_TRUE(sh().s.RhythmRewrite);
    bool shownMove = true, shownRewrite = false;
    mw->DialogHook = [&](QDialog& d) {
        if (auto* k = dynamic_cast<KoKytsuSetei*>(&d)) {
            shownMove = k->Check1[0]->isChecked();
            shownRewrite = k->Check1[1]->isChecked();
        }
        return int(QDialog::Rejected);
    };
    mw->mnuSeteiKyotsu();
    EXPECT_FALSE(shownMove);
    EXPECT_TRUE(shownRewrite);
}

// The View menu's "音符を描画する" shows what the wizard chose.
TEST_F(EditingTest, TheNoteDrawingTickFollowsTheWizard) {
    for (int style : {0, 1}) {
        mw->DialogHook = [style](QDialog& d) {
            auto* w = dynamic_cast<KoWizard*>(&d);
            if (!w) return int(QDialog::Rejected);
            w->Option2[style]->click();  // the first style draws notes
            w->OK->click();
            return w->result();
        };
        mw->RunWizard(kStartNewRow);
        EXPECT_EQ(sh().DrawNote, style == 0);
        EXPECT_EQ(mw->action("mnuViewDrawNote")->isChecked(), style == 0) << style;
    }
}

// One rule: a row is changed exactly when its saved form differs from its
// file. The row-area dialog's OK changes the geometry the file holds, so the
// row shows " *" and "（変更あり）", has a recovery copy, and closing asks.
TEST_F(EditingTest, TheRowAreaMarksTheRowChangedWithItsCopyAndQuestion) {
    RowDoc* row = sh().DoFileNew();
    ASSERT_NE(row, nullptr);
    SaveAs("area.tab");
    ASSERT_FALSE(row->Modified);
    const std::string copy = sh().RecoveryFileOf(row->RecoverySeq);
    ASSERT_FALSE(fs::exists(copy));
    const std::string sec = "POSITION" + std::to_string(sh().s.PosRhythm);
    ASSERT_TRUE(ProfileFile::Write(work->File("Lutewise.ini"), sec, "DanWidth", "900"));
    sh().KoTabAreaOK();
    EXPECT_TRUE(row->Modified);
    EXPECT_TRUE(mw->SubWindowOf(row->Id)->windowTitle().endsWith(" *"));
    EXPECT_TRUE(mw->labFilePath->text().contains("（変更あり）"));
    EXPECT_TRUE(fs::exists(copy));
    ui.answers = {kIdNo};
    ASSERT_TRUE(sh().CloseRow(*row));
    EXPECT_EQ(ui.shown.size(), 1u) << "closing asks to save";
}

// "すべて閉じる" asks nothing when no row changed; with one changed row it
// asks about that row only.
TEST_F(EditingTest, CloseAllAsksOnlyAboutChangedRows) {
    sh().DoFileNew();
    sh().DoFileNew();
    ASSERT_TRUE(sh().FileCloseAll());
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_TRUE(sh().Rows().empty());
    sh().DoFileNew();
    RowDoc* edited = sh().DoFileNew();
    StoreNote(sh().s.DanBuf[edited->Slot()].Syosetsu[0].Onpu[1], 1, 3, 2);
    sh().s.DanBuf[edited->Slot()].Syosetsu[0].OnpuCnt = 1;
    sh().RowEdited();
    ui.answers = {kIdYes, kIdNo};  // confirm each: yes; save 2段目: no
    ASSERT_TRUE(sh().FileCloseAll());
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[1].text.substr(0, ui.shown[1].text.find('\n')), "2段目をTABﾌｧｲﾙに保存しますか？");
}

// Two rows whose files share a name: the list tells them apart and names
// the row holding each; removing one row keeps the other's line.
TEST_F(EditingTest, TheProjectListTellsRowsOfTheSameFileNameApart) {
    fs::create_directories(work->path / "a");
    fs::create_directories(work->path / "b");
    const std::string a = work->File("a/row.tab"), b = work->File("b/row.tab");
    for (const std::string& p : {a, b}) {
        ASSERT_NE(sh().DoFileNew(), nullptr);
        SaveAs(p.substr(work->path.string().size() + 1));
        sh().FileClose();
    }
    const std::string project = work->File("two.tbp");
    WriteBytes(project, "00:" + a + "\r\n01:" + b + "\r\n");
    sh().DoFileProjectOpen(project);
    ASSERT_EQ(sh().Rows().size(), 2u);
    const auto items = sh().ProjectListItems();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].FileName, "row.tab（a）");
    EXPECT_EQ(items[1].FileName, "row.tab（b）");
    EXPECT_EQ(items[0].Caption, "1段目");
    EXPECT_EQ(items[1].Caption, "2段目");
    sh().BringRowToFront(1);
    ui.answers = {kIdYes};
    sh().DoEditDelProject();
    EXPECT_EQ(ReadBytes(project), "00:" + a + "\r\n");
}

// A project that fails to load leaves no project open, so "新規作成" runs
// the wizard again; rows read before the failing line stay as rows.
TEST_F(EditingTest, AProjectThatFailsToLoadLeavesNoProjectOpen) {
    ASSERT_NE(sh().DoFileNew(), nullptr);
    const std::string good = SaveAs("good.tab");
    sh().FileClose();
    const std::string project = work->File("broken.tbp");
    for (const std::string& body : {"00:" + work->File("missing.tab") + "\r\n",
                                    "00:" + good + "\r\n01:" + work->File("missing.tab") + "\r\n"}) {
        WriteBytes(project, body);
        sh().DoFileProjectOpen(project);
        EXPECT_TRUE(sh().CurProject.empty()) << body;
        int wizards = 0;
        mw->DialogHook = [&](QDialog& d) {
            wizards += dynamic_cast<KoWizard*>(&d) != nullptr;
            return int(QDialog::Rejected);
        };
        sh().CmdNew();
        EXPECT_EQ(wizards, 1) << body;
        mw->DialogHook = [](QDialog&) { return int(QDialog::Rejected); };
    }
    EXPECT_EQ(sh().Rows().size(), 1u) << "the readable row of the second project";
}

// After undo the note-entry window shows the note as the row holds it.
TEST_F(EditingTest, UndoBringsTheNoteEntryBackToTheRow) {
    RowDoc* row = sh().DoFileNew();
    ASSERT_NE(row, nullptr);
    NoteEntry& e = sh().Entry;
    e.SetFletPosNo(1, 4);  // fret 3
    e.CmdAdd();
    ASSERT_EQ(sh().s.DanBuf[row->Slot()].Syosetsu[0].OnpuCnt, 1);
    e.SelectPosition(0, 1, false);
    sh().SetNowData(0, 1);
    e.Live = true;
    e.OptFletClick(1, 9);  // fret 8, written at once
    ASSERT_EQ(sh().s.DanBuf[row->Slot()].Syosetsu[0].Onpu[1].Flet[1], 8);
    ASSERT_TRUE(sh().Undo());
    EXPECT_EQ(sh().s.DanBuf[row->Slot()].Syosetsu[0].Onpu[1].Flet[1], 3);
    EXPECT_EQ(e.GetPosNo(1), 4) << "the window shows fret 3 again";
}

// "符尾は下" stands in the note-entry window only while a staff is drawn,
// and the measure-copy window sits right below the note-entry window.
TEST_F(EditingTest, TheNoteEntryWindowFollowsTheLayoutAndCarriesTheCopyWindow) {
    ASSERT_NE(sh().DoFileNew(), nullptr);
    sh().menuWindowFlet();
    KoSetFlet* k = mw->koSetFlet();
    ASSERT_NE(k, nullptr);
    ASSERT_EQ(sh().s.PosRhythm, 1);
    EXPECT_TRUE(k->chkDownUp->isVisible());
    sh().SetPosRhythm(3);  // "TAB譜のみ、リズム譜はTAB譜の下"
    EXPECT_FALSE(k->chkDownUp->isVisible());
    sh().SetPosRhythm(1);
    EXPECT_TRUE(k->chkDownUp->isVisible());
    mw->ShowKoCopy();
    ASSERT_NE(mw->koCopy(), nullptr);
    k->move(k->pos() + QPoint(30, 20));
    ASSERT_TRUE(k->Activated);
    k->Activated();
    EXPECT_EQ(mw->koCopy()->pos().x(), k->frameGeometry().left());
    EXPECT_EQ(mw->koCopy()->pos().y(), k->frameGeometry().bottom() + 1);
}
