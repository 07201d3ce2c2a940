// The document settings dialogs inside the editor: free texts, signs and
// repeat bars on an open row.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <filesystem>
#include <memory>

#include "app_test_support.h"
#include "document_window.h"
#include "ko_rep_mark.h"
#include "ko_text_in.h"
#include "main_window.h"
#include "shell.h"

namespace fs = std::filesystem;
using namespace lw;
using namespace lwtest;

namespace {

class SettingsDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApp();
        work = std::make_unique<WorkFolder>();
        mw = std::make_unique<MainWindow>(ui, store);
        mw->LoadMainForm();
        mw->show();
        sh().InitStartValues();
        const std::string example = work->File("kirakira1.tab");
        fs::copy_file(fs::path(LUTEWISE_SOURCE_DIR) / "data/examples/kirakira1.tab", example);
        sh().DoFileOpen(example);
        ASSERT_EQ(sh().Rows().size(), 1u);
        row = sh().Rows()[0].get();
        doc = mw->SubWindowOf(row->Id)->Document();
        mw->DialogHook = [](QDialog&) { return int(QDialog::Rejected); };
    }
    void TearDown() override {
        sh().AskSave = false;
        mw.reset();
        work.reset();
    }
    Shell& sh() { return mw->shell(); }
    // A click on the row's ground (the tool modes act on mouse-down).
    void Click(double x, double y) {
        row->Editor->FrameMouseDown(kLeftButton, x, y);
        row->Editor->FrameMouseUp(kLeftButton, x, y);
    }
    ScriptedUi ui;
    MemoryUserStore store;
    std::unique_ptr<WorkFolder> work;
    std::unique_ptr<MainWindow> mw;
    RowDoc* row = nullptr;
    DocumentWindow* doc = nullptr;
};

}  // namespace

TEST_F(SettingsDialogsTest, TheTextToolPlacesATextEditedInTheTextDialog) {
    int asked = 0;
    mw->DialogHook = [&](QDialog& d) {
        auto* t = dynamic_cast<KoTextIN*>(&d);
        EXPECT_NE(t, nullptr);
        if (!t) return int(QDialog::Rejected);
        ++asked;
        t->txtIN->setPlainText(asked == 1 ? "Fine" : "ignored");
        t->txtFontsize->setText("11");
        if (asked == 1) t->OK->click(); else t->Cancel->click();
        return t->result();
    };
    const size_t before = row->Items.Texts.size();
    row->Editor->SetEditMode(kModeText);
    Click(3000, 300);
    ASSERT_EQ(row->Items.Texts.size(), before + 1);
    const TextItem& t = row->Items.Texts.back();
    EXPECT_EQ(t.Caption, "Fine");
    EXPECT_EQ(t.FontSize, 11);
    EXPECT_GT(t.Width, 0);
    EXPECT_TRUE(row->Modified);
    // A click on the text opens it again; Cancel keeps it.
    row->Editor->TextClick(static_cast<int>(before));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(row->Items.Texts.back().Caption, "Fine");
    // Placing and typing are one step.
    EXPECT_TRUE(sh().Undo());
    EXPECT_EQ(row->Items.Texts.size(), before);
}

TEST_F(SettingsDialogsTest, ThePaletteChoosesASignToPlaceAndTheRepeatDialogRedrawsTheBars) {
    mw->ShowRepMarkPalette();
    KoRepMark* pal = mw->koRepMark();
    ASSERT_NE(pal, nullptr);
    pal->optRep[0]->click();
    EXPECT_EQ(sh().g.EditMode, kModeRepMark);
    const size_t before = row->Items.RepMarks.size();
    Click(2500, 200);
    ASSERT_EQ(row->Items.RepMarks.size(), before + 1);
    EXPECT_EQ(row->Items.RepMarks.back().Tag, "0");
    EXPECT_GT(row->Items.RepMarks.back().Width, 0);
    EXPECT_EQ(sh().g.EditMode, kModeNormal);
    pal->optRep[10]->click();
    EXPECT_EQ(sh().g.EditMode, kModeMove);
    pal->optRep[9]->click();
    EXPECT_EQ(sh().g.EditMode, kModeNormal);

    const size_t dots = row->Scene.picRepten.size();
    pal->ExecHook = [](KoRepMark2& d) {
        d.chkRepStart[0]->setChecked(true);
        d.chkRepEnd[1]->setChecked(true);
        d.OK->click();
        return d.result();
    };
    pal->cmdRepMark[0]->click();
    const DanData& dan = sh().s.DanBuf[row->Slot()];
    EXPECT_EQ(dan.TopRepStart, kTrue);
    EXPECT_EQ(dan.Syosetsu[1].BarFlag[kBarRepEnd], kTrue);
    // Leading bar thick, closing bar of measure 2 thick, dots for both.
    EXPECT_EQ(row->Scene.lineKugiri[2].BorderWidth, 3);
    EXPECT_EQ(row->Scene.lineKugiri[4 + 6 + 2].BorderWidth, 3);
    EXPECT_GT(row->Scene.picRepten.size(), dots + 1);
    EXPECT_TRUE(row->Modified);
}
