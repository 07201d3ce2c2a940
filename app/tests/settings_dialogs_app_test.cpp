// The document settings dialogs inside the editor: free texts, signs and
// repeat bars on an open row.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QToolButton>
#include <filesystem>
#include <memory>

#include "app_test_support.h"
#include "document_window.h"
#include "ko_kytsu_setei.h"
#include "ko_rep_mark.h"
#include "ko_set_flet.h"
#include "ko_syousets.h"
#include "ko_wizard.h"
#include "messages.h"
#include "settings.h"
#include "ko_text_in.h"
#include "main_window.h"
#include "shell.h"

namespace fs = std::filesystem;
using namespace lw;
using namespace lwtest;

namespace {

class SettingsDialogsTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(OpenExampleRow());
        mw->DialogHook = [](QDialog&) { return int(QDialog::Rejected); };
    }
    // A click on the row's ground (the tool modes act on mouse-down).
    void Click(double x, double y) {
        row->Editor->FrameMouseDown(kLeftButton, x, y);
        row->Editor->FrameMouseUp(kLeftButton, x, y);
    }
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
    QAction* tool = mw->action("tbText");
    tool->setChecked(true);
    EXPECT_EQ(sh().g.EditMode, kModeText);
    Click(3000, 300);
    QCoreApplication::processEvents();
    EXPECT_FALSE(tool->isChecked());  // the tool acted once
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

// A chord name changed in "小節設定" is one undo step of its own: the row is
// marked changed and its recovery copy holds the name; undo brings back the
// saved state, which needs no copy.
TEST_F(SettingsDialogsTest, AChordNameChangeIsItsOwnUndoStepWithChangedMarkAndRecoveryCopy) {
    const DanData& d = sh().s.DanBuf[row->Slot()];
    const std::string was1 = d.Syosetsu[0].Chord1, was2 = d.Syosetsu[1].Chord2;
    // The measure-text record holds Chord1, Chord2 of measure 1, then of measure 2.
    const std::string record = "\"Dm\",\"" + d.Syosetsu[0].Chord2 + "\",\"" + d.Syosetsu[1].Chord1 + "\",\"A7\"";
    ASSERT_NE(was1, "Dm");
    const std::string copy = work->File("Recovery/#rec" + std::string(row->RecoverySeq < 10 ? "0" : "") +
                                        std::to_string(row->RecoverySeq) + ".tab");
    ASSERT_FALSE(row->Modified);
    ASSERT_FALSE(fs::exists(copy));
    mw->DialogHook = [](QDialog& dlg) {
        auto* k = dynamic_cast<KoSyousets*>(&dlg);
        if (!k) return int(QDialog::Rejected);
        k->txtChord[0]->setText("Dm");
        k->txtChord[3]->setText("A7");
        k->OK->click();
        return k->result();
    };
    mw->mnuSeteiSyosetsu();
    EXPECT_EQ(d.Syosetsu[0].Chord1, "Dm");
    EXPECT_EQ(d.Syosetsu[1].Chord2, "A7");
    EXPECT_TRUE(row->Modified);
    ASSERT_TRUE(fs::exists(copy));
    EXPECT_NE(ReadBytes(copy).find(record), std::string::npos) << ReadBytes(copy);
    ASSERT_TRUE(sh().Undo());
    EXPECT_EQ(d.Syosetsu[0].Chord1, was1);
    EXPECT_EQ(d.Syosetsu[1].Chord2, was2);
    EXPECT_FALSE(row->Modified);
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_FALSE(sh().Undo()) << "the change was one step";
    ASSERT_TRUE(sh().Redo());
    EXPECT_EQ(d.Syosetsu[0].Chord1, "Dm");
    EXPECT_TRUE(row->Modified);
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
    // The flags are one undo step of their own: undo takes them back and
    // keeps the sign placed before.
    ASSERT_TRUE(sh().Undo());
    EXPECT_EQ(dan.TopRepStart, 0);
    EXPECT_EQ(dan.Syosetsu[1].BarFlag[kBarRepEnd], 0);
    EXPECT_EQ(row->Items.RepMarks.size(), before + 1);
    ASSERT_TRUE(sh().Redo());
    EXPECT_EQ(dan.TopRepStart, kTrue);
    // The palette goes with the last row.
    EXPECT_TRUE(pal->isVisible());
    ui.answers = {kIdNo};
    ASSERT_TRUE(sh().CloseRow(*row));
    EXPECT_FALSE(pal->isVisible());
}

namespace {
using FreshEditorTest = FreshEditor;
}  // namespace

TEST_F(FreshEditorTest, TheInstrumentMenuIsWrittenAndRefusesOtherStringCountsWhileRowsAreOpen) {
    mw->mnuSeteiGakki[5]->trigger();
    EXPECT_EQ(sh().s.GakkiCode, 21);
    EXPECT_EQ(sh().s.MaxStringIx, 4);
    EXPECT_NE(Ini().find("Gakki=21"), std::string::npos);
    mw->mnuSeteiGakki[1]->trigger();
    EXPECT_TRUE(mw->mnuSeteiGakki[1]->isChecked());
    ASSERT_NE(sh().DoFileNew(), nullptr);
    mw->mnuSeteiGakki[0]->trigger();  // a guitar would lose nothing but save six strings
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "４弦から６弦、４弦から５弦へのチューニングの変更はできません。");
    EXPECT_EQ(sh().s.GakkiCode, 1);
    EXPECT_TRUE(mw->mnuSeteiGakki[1]->isChecked());
    mw->mnuSeteiGakki[2]->trigger();  // same string count: allowed
    EXPECT_EQ(sh().s.GakkiCode, 2);
    EXPECT_NE(Ini().find("Gakki=2\r\n"), std::string::npos);
}

TEST_F(FreshEditorTest, ChordNamesAreStoredDrawnAndEnteredAsChordPositions) {
    mw->mnuSeteiGakki[1]->trigger();
    RowDoc* row = sh().DoFileNew();
    ASSERT_NE(row, nullptr);
    mw->DialogHook = [](QDialog& d) {
        auto* k = dynamic_cast<KoSyousets*>(&d);
        EXPECT_NE(k, nullptr);
        if (!k) return int(QDialog::Rejected);
        k->txtChord[0]->setText("C");
        k->txtChord[1]->setText("Am");
        k->txtChord[2]->setText("G7");
        k->cmdAutoChord->click();
        k->OK->click();
        return k->result();
    };
    mw->mnuSeteiSyosetsu();
    const DanData& d = sh().s.DanBuf[row->Slot()];
    EXPECT_EQ(d.Syosetsu[0].Chord1, "C");
    EXPECT_EQ(d.Syosetsu[1].Chord1, "G7");
    // The chord labels of the row show the names.
    std::vector<std::string> labels;
    for (size_t i = 1; i < row->Scene.labChord.size(); ++i)
        if (row->Scene.labChord[i].Visible) labels.push_back(row->Scene.labChord[i].Caption);
    EXPECT_EQ(labels, (std::vector<std::string>{"C", "Am", "G7"}));
    // First hand positions: C 3 0 0 0, Am 0 0 0 2 (strings 1..4), G7 2 1 2 0.
    ASSERT_EQ(d.Syosetsu[0].OnpuCnt, 2);
    ASSERT_EQ(d.Syosetsu[1].OnpuCnt, 1);
    auto frets = [](const OnpuData& p) {
        return std::array<int, 4>{p.Flet[1], p.Flet[2], p.Flet[3], p.Flet[4]};
    };
    EXPECT_EQ(frets(d.Syosetsu[0].Onpu[1]), (std::array<int, 4>{3, 0, 0, 0}));
    EXPECT_EQ(frets(d.Syosetsu[0].Onpu[2]), (std::array<int, 4>{0, 0, 0, 2}));
    EXPECT_EQ(frets(d.Syosetsu[1].Onpu[1]), (std::array<int, 4>{2, 1, 2, 0}));
    EXPECT_TRUE(row->Modified);
}

TEST_F(FreshEditorTest, CommonSettingsKeepTheFontSizesAcrossStartsAndTheOptionsAcrossOpenings) {
    sh().s.MoveFletForm = false;
    mw->DialogHook = [](QDialog& d) {
        auto* k = dynamic_cast<KoKytsuSetei*>(&d);
        EXPECT_NE(k, nullptr);
        if (!k) return int(QDialog::Rejected);
        EXPECT_FALSE(k->Check1[0]->isChecked());
        k->txtFontSize->setText("13");
        k->txtFontSize2->setText("12");
        k->OK->click();
        return k->result();
    };
    mw->mnuSeteiKyotsu();
    EXPECT_EQ(sh().s.ChordFontSize, 13);
    EXPECT_NE(Ini().find("FontSize=13\r\n"), std::string::npos);
    EXPECT_NE(Ini().find("FontSize2=12\r\n"), std::string::npos);
    // A new start reads them.
    Session next;
    next.PosRhythm = 0;
    ASSERT_TRUE(ReadIniSettings(next, ui, work->File("Lutewise.ini")));
    EXPECT_EQ(next.ChordFontSize, 13);
    EXPECT_EQ(next.FletFontSize, 12);
}

TEST_F(FreshEditorTest, NewRunsTheWizardWhichSetsUpAUkuleleRowAndShowsTheNoteEntry) {
    int wizards = 0;
    mw->DialogHook = [&](QDialog& d) {
        auto* w = dynamic_cast<KoWizard*>(&d);
        EXPECT_NE(w, nullptr);
        if (!w) return int(QDialog::Rejected);
        ++wizards;
        w->Option1[2]->click();  // ukulele, high G
        w->Option2[2]->click();
        w->cmdNext->click();
        w->cmdNext->click();
        w->optMeter[12]->click();
        w->cmdNext->click();
        w->VScroll1->setValue(5);  // four measures
        w->OK->click();
        return w->result();
    };
    mw->action("mnuFileNew")->trigger();
    EXPECT_EQ(wizards, 1);
    ASSERT_EQ(sh().Rows().size(), 1u);
    EXPECT_EQ(sh().s.GakkiCode, 2);
    EXPECT_EQ(sh().s.MaxStringIx, 3);
    EXPECT_EQ(sh().s.PosRhythm, 3);
    EXPECT_EQ(sh().s.MeterID, 12);
    EXPECT_EQ(sh().s.CurSyosetsuCnt, 4);
    EXPECT_NE(Ini().find("Gakki=2\r\n"), std::string::npos);
    ASSERT_NE(mw->koSetFlet(), nullptr);
    EXPECT_TRUE(mw->koSetFlet()->isVisible());

    // Cancel creates nothing; "開く(&O)" with the wizard's OK asks for a file.
    mw->DialogHook = [&](QDialog& d) {
        ++wizards;
        auto* w = dynamic_cast<KoWizard*>(&d);
        if (!w) return int(QDialog::Rejected);
        if (wizards == 2) w->Cancel->click(); else w->OK->click();
        return w->result();
    };
    mw->action("mnuFileNew")->trigger();
    EXPECT_EQ(sh().Rows().size(), 1u);
    mw->action("mnuFileOpen")->trigger();
    EXPECT_EQ(wizards, 3);
    EXPECT_EQ(ui.openAsked, 1);
    EXPECT_EQ(sh().Rows().size(), 1u);  // the file dialog was cancelled
    // The project commands go through the wizard too.
    std::vector<QString> titles;
    mw->DialogHook = [&](QDialog& d) {
        titles.push_back(d.windowTitle());
        auto* w = dynamic_cast<KoWizard*>(&d);
        if (w) w->OK->click();
        return d.result();
    };
    mw->action("mnuFileOpenProject")->trigger();
    mw->action("mnuFileNewProject")->trigger();
    EXPECT_EQ(titles, (std::vector<QString>(2, "オプション設定ウイザード")));
    EXPECT_EQ(ui.openAsked, 2);
    EXPECT_EQ(ui.saveAsked, 1);
}
