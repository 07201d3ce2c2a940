// A new user's first hour: what opens at the first start, the first row after
// the wizard, rows that go on in the key and metre of the row before, the key
// command, tool windows off the active row, the score in front, the exports'
// notices and the manual.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <fstream>

#include "app_test_support.h"
#include "document_window.h"
#include "first_start.h"
#include "ko_key.h"
#include "ko_rep_mark.h"
#include "ko_set_flet.h"
#include "ko_wizard.h"
#include "main_window.h"
#include "manual.h"
#include "new_row_settings.h"
#include "tool_window_place.h"
#include "tool_windows.h"

namespace fs = std::filesystem;
using namespace lw;
using namespace lwtest;

namespace {

// ------------------------------------------------------------ placement

struct PlaceCase {
    const char* what;
    PlaceRect screen, row;
    int x, y, w, h;
    int wantX, wantY;
};

TEST(ToolWindowPlace, OnTheScreenAndOffTheActiveRow) {
    const PlaceRect screen{0, 0, 1280, 900};
    const PlaceRect row{10, 100, 1050, 300};  // x 10..1060, y 100..400
    const PlaceCase cases[] = {
        {"clear of the row: stays", screen, row, 1100, 50, 150, 200, 1100, 50},
        {"past the right edge: pulled in", screen, row, 1200, 500, 200, 100, 1080, 500},
        {"past the bottom: pulled up", screen, row, 100, 850, 200, 100, 100, 800},
        {"on the row, room beside it: right of it", screen, row, 900, 150, 200, 300, 1064, 150},
        {"too wide for beside: below", screen, row, 100, 200, 600, 300, 100, 404},
        {"row at the bottom: above it", screen, {0, 500, 1280, 350}, 50, 600, 400, 300, 50, 196},
        {"no free place: the least covered, nearest", screen, {0, 100, 1280, 700}, 100, 300, 300, 200, 100, 0},
        {"larger than the screen: top-left on it", screen, {}, 50, 50, 1400, 1000, 0, 0},
        {"second screen", {1280, 0, 1920, 1080}, {}, 100, 100, 200, 200, 1280, 100},
        {"no row: only the screen", screen, {}, -40, -30, 200, 200, 0, 0},
    };
    for (const PlaceCase& c : cases) {
        SCOPED_TRACE(c.what);
        const PlaceRect r = PlaceToolWindow(c.screen, c.row, c.x, c.y, c.w, c.h);
        EXPECT_EQ(r.x, c.wantX);
        EXPECT_EQ(r.y, c.wantY);
        EXPECT_EQ(r.w, c.w);
        EXPECT_EQ(r.h, c.h);
    }
}

TEST(ToolWindowPlace, OverlapAreaCountsSharedPixels) {
    EXPECT_EQ(OverlapArea({0, 0, 10, 10}, {5, 5, 10, 10}), 25);
    EXPECT_EQ(OverlapArea({0, 0, 10, 10}, {10, 0, 10, 10}), 0) << "touching edges share nothing";
    EXPECT_EQ(OverlapArea({0, 0, 10, 10}, {2, 3, 4, 5}), 20);
}

// ------------------------------------------------------------ first start

TEST(FirstStart, TheExampleOpensOnlyOnTheVeryFirstStart) {
    struct C {
        bool named, earlier, recent, exists, opens;
    } cases[] = {
        {false, false, false, true, true},   // empty HOME, prepared folder
        {false, true, false, true, false},   // second start
        {false, false, true, true, false},   // a project opened before
        {true, false, false, true, false},   // files on the command line
        {false, false, false, false, false}, // no example in the folder
    };
    for (const C& c : cases) {
        StartFacts f;
        f.filesNamed = c.named;
        f.earlierRun = c.earlier;
        f.recentProject = c.recent;
        f.exampleExists = c.exists;
        EXPECT_EQ(OpensExample(f), c.opens) << c.named << c.earlier << c.recent << c.exists;
    }
    EXPECT_FALSE(HasRecentProject({"", "", "", ""}));
    EXPECT_FALSE(HasRecentProject({" ", "", "", ""}));
    EXPECT_TRUE(HasRecentProject({"", "", "/home/u/piece.tbp", ""}));
    EXPECT_EQ(ExampleProjectPath("/w"), "/w/examples/example.tbp");
}

// ------------------------------------------------------------ new rows

TEST(NewRowSettings, ARowGoesOnAsTheRowBeforeIt) {
    Session s;
    s.CurDanIx = 0;
    s.CurSyosetsuCnt = 4;
    s.MeterID = 12;  // 3/4: the active row's, as the wizard or menu set it
    s.KeyName[2] = "G";
    s.DanBuf[2].SyosetsuCnt = 6;
    s.DanBuf[2].MeterID = 1;  // 6/8
    struct C {
        int previous;
        bool project;
        int measures, meter;
        const char* key;
    } cases[] = {
        {2, true, 6, 1, "G"},     // in a project: all three of the row before
        {2, false, 4, 12, "G"},   // without: the key; count and metre as the wizard chose
        {-1, true, 4, 12, "C"},   // the first row
        {0, true, 4, 12, "C"},    // the row before is the active one: the session's settings
    };
    for (const C& c : cases) {
        const NewRowSettings n = SettingsForNewRow(s, c.previous, c.project);
        EXPECT_EQ(n.measures, c.measures) << c.previous << c.project;
        EXPECT_EQ(n.meter, c.meter);
        EXPECT_EQ(n.key, c.key);
    }
}

// ------------------------------------------------------------ the editor

using FirstHour = EditorTest;

TEST_F(FirstHour, TheWizardOfANewProjectLeavesItsFirstRowOpenForKeys) {
    ui.saveAnswers = {work->File("piece.tbp")};
    mw->DialogHook = [](QDialog& d) {
        auto* wiz = dynamic_cast<KoWizard*>(&d);
        return wiz && wiz->OnOk() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    };
    mw->action("mnuFileNewProject")->trigger();
    EXPECT_EQ(sh().CurProject, work->File("piece.tbp"));
    ASSERT_EQ(sh().OpenRowCount(), 1);
    RowDoc* row = sh().ActiveRow();
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->Caption, "1段目");
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(mw->SubWindowOf(row->Id)->Document()));
    // A typed fret is the first note.
    QTest::keyClick(mw->SubWindowOf(row->Id)->Document(), Qt::Key_3);
    EXPECT_EQ(sh().s.DanBuf[row->Slot()].Syosetsu[0].OnpuCnt, 1);
}

TEST_F(FirstHour, TheKeyCommandSetsTheKeyAndANewRowOfTheProjectTakesKeyMetreAndCount) {
    ui.saveAnswers = {work->File("piece.tbp")};
    sh().NewProjectFile();
    RowDoc* first = sh().DoFileNew();
    ASSERT_NE(first, nullptr);
    mw->DialogHook = [](QDialog& d) {
        auto* key = dynamic_cast<KoKey*>(&d);
        if (!key) return int(QDialog::Rejected);
        EXPECT_EQ(key->cmbKey->currentText(), QStringLiteral("C")) << "the row's key is shown";
        key->cmbKey->setCurrentText(QStringLiteral("G"));
        key->OnOk();
        return key->result();
    };
    mw->action("mnuSeteiKey")->trigger();
    EXPECT_EQ(sh().s.KeyName[first->Slot()], "G") << "one choice sets it";
    EXPECT_TRUE(first->Modified);
    sh().MeterMenu(12);       // 3/4
    sh().VScroll1Change(3);   // six measures
    ASSERT_EQ(sh().s.DanBuf[first->Slot()].SyosetsuCnt, 6);
    mw->action("mnuFileNew")->trigger();  // with the project open: a new row at once
    ASSERT_EQ(sh().OpenRowCount(), 2);
    RowDoc* second = sh().ActiveRow();
    ASSERT_NE(second, first);
    EXPECT_EQ(sh().s.KeyName[second->Slot()], "G");
    EXPECT_EQ(sh().s.DanBuf[second->Slot()].SyosetsuCnt, 6);
    EXPECT_EQ(sh().s.MeterID, 12);
    EXPECT_EQ(sh().lblSyou, "小節数:6");
    EXPECT_EQ(sh().labMeter, "3/4");
    // The tool bar has the command too.
    EXPECT_NE(mw->action("tbKey"), nullptr);
}

TEST_F(FirstHour, ToolWindowsStayOffTheActiveRowAndRememberWhereTheUserPutThem) {
    RowDoc* row = sh().DoFileNew();  // shows the note-entry window and the palette
    ASSERT_NE(row, nullptr);
    QCoreApplication::processEvents();
    const QRect active = ActiveRowOnScreen(*mw);
    ASSERT_FALSE(active.isEmpty());
    const QRect screen = mw->screen()->availableGeometry();
    for (QWidget* w : {static_cast<QWidget*>(mw->koRepMark()), static_cast<QWidget*>(mw->koSetFlet())}) {
        ASSERT_NE(w, nullptr);
        ASSERT_TRUE(w->isVisible()) << w->objectName().toStdString();
        EXPECT_TRUE(screen.contains(w->frameGeometry())) << w->objectName().toStdString();
        // Off the row wherever the screen has room for the window beside, below or above it.
        const QSize s = w->frameGeometry().size() + QSize(4, 4);
        const bool room = screen.bottom() - active.bottom() >= s.height() || active.top() - screen.top() >= s.height() ||
                          screen.right() - active.right() >= s.width() || active.left() - screen.left() >= s.width();
        EXPECT_EQ(w->frameGeometry().intersects(active), !room) << w->objectName().toStdString();
    }
    // The user moves the palette; closing remembers it, the next run puts it there.
    QWidget* palette = mw->koRepMark();
    const QPoint put(screen.left() + 3, screen.bottom() - palette->height() - 3);
    palette->move(put);
    palette->hide();
    EXPECT_EQ(store.Get(ToolWindowKeeper::KeyOf(palette), ""),
              std::to_string(put.x()) + "," + std::to_string(put.y()));
    mw->shell().AskSave = false;
    mw.reset();
    mw = StartEditor(ui, store);
    sh().DoFileNew();
    QCoreApplication::processEvents();
    EXPECT_EQ(mw->koRepMark()->pos(), put);
}

TEST_F(FirstHour, RowWindowsFitTheMainWindow) {
    mw->resize(500, 400);
    QCoreApplication::processEvents();
    RowDoc* row = sh().DoFileNew();
    QMdiSubWindow* sub = mw->SubWindowOf(row->Id);
    const QRect frame(QPoint(0, 0), mw->mdiArea()->viewport()->size());
    EXPECT_TRUE(frame.contains(sub->geometry())) << "its title bar buttons stay in view";
}

TEST_F(FirstHour, TheScoreComesToTheFront) {
    for (const char* f : {"kirakira1.tab", "kirakira2.tab"}) {
        const std::string p = work->File(f);
        fs::copy_file(fs::path(LUTEWISE_SOURCE_DIR) / "data/examples" / f, p);
        sh().DoFileOpen(p);
    }
    mw->action("mnuEditGakufu")->trigger();
    QTRY_VERIFY(mw->gakufuWindow() != nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(mw->mdiArea()->activeSubWindow(), static_cast<QMdiSubWindow*>(mw->gakufuWindow()));
    EXPECT_EQ(mw->mdiArea()->subWindowList(QMdiArea::StackingOrder).back(),
              static_cast<QMdiSubWindow*>(mw->gakufuWindow()));
}

TEST_F(FirstHour, AnExportNamesTheWrittenFileInTheStatusBar) {
    const std::string p = work->File("kirakira1.tab");
    fs::copy_file(fs::path(LUTEWISE_SOURCE_DIR) / "data/examples/kirakira1.tab", p);
    sh().DoFileOpen(p);
    ui.saveAnswers = {work->File("out.musicxml")};
    mw->action("mnuFileExportMusicXml")->trigger();
    ASSERT_TRUE(fs::exists(work->File("out.musicxml")));
    EXPECT_EQ(mw->statusBar()->currentMessage(), QStringLiteral("書き出しました: ") + QString::fromStdString(work->File("out.musicxml")));
    // Cancelled: nothing written, nothing said.
    mw->statusBar()->clearMessage();
    ui.saveAnswers = {""};
    mw->action("mnuFileExportMusicXml")->trigger();
    EXPECT_TRUE(mw->statusBar()->currentMessage().isEmpty());
}

TEST_F(FirstHour, TheManualIsFoundInstalledOrInTheBuildTreeAndOpensAtItsContents) {
    const fs::path root = work->path / "tree";
    struct C {
        const char* program;   // folder of the program
        const char* manual;    // where the manual lies ("" none)
    } cases[] = {
        {"usr/lib/lutewise", "usr/share/lutewise/manual/index.html"},
        {"build/bin", "build/share/lutewise/manual/index.html"},
        {"elsewhere/bin", ""},
    };
    for (const C& c : cases) {
        fs::create_directories(root / c.program);
        if (*c.manual) {
            fs::create_directories((root / c.manual).parent_path());
            std::ofstream(root / c.manual) << "<html></html>";
        }
        const std::string found = FindManual((root / "work").string(), (root / c.program).string());
        EXPECT_EQ(found, *c.manual ? (root / c.manual).string() : std::string()) << c.program;
    }
    // The working folder's own manual comes first.
    fs::create_directories(root / "work/ﾏﾆｭｱﾙ");
    std::ofstream(root / "work/ﾏﾆｭｱﾙ/Index.html") << "<html></html>";
    EXPECT_EQ(FindManual((root / "work").string(), (root / "build/bin").string()),
              (root / "work/ﾏﾆｭｱﾙ/Index.html").string());
    // "目次(&C)" opens the manual at its contents (the build tree's, here).
    QUrl opened;
    mw->OpenUrlHook = [&opened](const QUrl& u) { opened = u; };
    mw->action("mnuHelpContents")->trigger();
    ASSERT_FALSE(opened.isEmpty()) << "the build copies the manual beside the program";
    EXPECT_EQ(opened.fragment(), QStringLiteral("contents"));
    EXPECT_TRUE(QFileInfo::exists(opened.toLocalFile()));
}

}  // namespace
