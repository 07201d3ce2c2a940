// The document settings dialogs driven offscreen: text, repeat marks.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "ko_rep_mark.h"
#include "ko_text_in.h"
#include "messages.h"

using namespace lw;

namespace {

void EnsureApp() {
    static int argc = 1;
    static char name[] = "dialogs_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
}

struct Ui : UiPort {
    std::vector<std::string> texts;
    int MessageBox(const std::string& t, int, const std::string&) override {
        texts.push_back(t);
        return kIdOk;
    }
    std::string OpenFileName(const std::string&, const std::string&) override { return {}; }
    std::string SaveFileName(const std::string&, const std::string&) override { return {}; }
};

}  // namespace

TEST(KoTextINDialog, FillsOnlyWhenEmptyFiltersTheSizeAndStores) {
    EnsureApp();
    Ui ui;
    KoTextIN dlg(ui);
    EXPECT_EQ(dlg.windowTitle(), "テキスト入力");
    EXPECT_EQ(dlg.txtFontsize->text(), "9");
    EXPECT_EQ(dlg.cmbFont->currentText(), "ＭＳ Ｐゴシック");
    TextItem label;
    label.Caption = "Intro";
    label.FontSize = 14;
    label.FontName = "ＭＳ Ｐ明朝";
    dlg.SetTag(2);
    dlg.Activate(label);
    EXPECT_EQ(dlg.txtIN->toPlainText(), "Intro");
    EXPECT_EQ(dlg.txtFontsize->text(), "14");
    EXPECT_EQ(dlg.cmbFont->currentText(), "ＭＳ Ｐ明朝");
    EXPECT_EQ(dlg.txtIN->font().pointSize(), 14);
    // A second activation keeps what is typed.
    dlg.txtIN->setPlainText("Coda");
    dlg.Activate(label);
    EXPECT_EQ(dlg.txtIN->toPlainText(), "Coda");

    // Letters are dropped, digits and the editing keys work.
    dlg.txtFontsize->setFocus();
    dlg.txtFontsize->end(false);
    QTest::keyClicks(dlg.txtFontsize, "a-");
    EXPECT_EQ(dlg.txtFontsize->text(), "14");
    QTest::keyClick(dlg.txtFontsize, Qt::Key_Backspace);
    QTest::keyClick(dlg.txtFontsize, Qt::Key_Backspace);
    QTest::keyClicks(dlg.txtFontsize, "12");
    EXPECT_EQ(dlg.txtFontsize->text(), "12");
    EXPECT_EQ(dlg.txtIN->font().pointSize(), 12);
    dlg.cmbFont->setCurrentIndex(0);
    emit dlg.cmbFont->textActivated(dlg.cmbFont->currentText());
    EXPECT_EQ(dlg.txtIN->font().family(), QFont("ＭＳ Ｐゴシック").family());

    // A size of 0 or none is refused with a message; nothing is lost.
    for (const char* bad : {"0", ""}) {
        dlg.txtFontsize->setText(bad);
        dlg.OK->click();
        EXPECT_NE(dlg.result(), QDialog::Accepted) << bad;
    }
    ASSERT_EQ(ui.texts.size(), 2u);
    EXPECT_EQ(ui.texts[0], TextSizeMessage().toStdString());
    EXPECT_EQ(dlg.txtIN->toPlainText(), "Coda");
    dlg.txtFontsize->setText("12");
    dlg.OK->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    dlg.Store(label, 15);
    EXPECT_EQ(label.Caption, "Coda");
    EXPECT_EQ(label.FontSize, 12);
    EXPECT_EQ(label.FontName, "ＭＳ Ｐゴシック");
    EXPECT_GT(label.Width, 15 * 10);
    EXPECT_GT(label.Height, 15 * 5);
}

TEST(RepeatFlags, CheckBoxesReadAndWriteTheFlagsOfBothModes) {
    DanData d;
    d.Syosetsu[1].BarFlag[kBarRepStart] = kTrue;  // repeat start before measure 2
    d.Syosetsu[2].BarFlag[kBarRepEnd] = kTrue;
    d.Syosetsu[3].BarFlag[kBarEndMark] = kTrue;
    RepChecks c = LoadRepChecks(d, 4, 0);
    EXPECT_EQ(c.start, (std::array<bool, 8>{false, false, true, false}));
    EXPECT_EQ(c.end, (std::array<bool, 8>{false, false, true, false}));
    EXPECT_EQ(LoadRepChecks(d, 4, 1).end, (std::array<bool, 8>{false, false, false, true}));

    // The first start box is the row's own repeat start, not a measure flag.
    c.start = {true, false, false, true, true};  // box 4 lies beyond the row
    c.end = {false, true};
    StoreRepChecks(d, 4, 0, c);
    EXPECT_EQ(d.TopRepStart, kTrue);
    for (int m = 0; m < 8; ++m) {
        const auto& f = d.Syosetsu[m].BarFlag;
        EXPECT_EQ(f[kBarRepStart], m == 2 ? kTrue : kFalse) << m;
        EXPECT_EQ(f[kBarRepStart2], m == 2 ? kTrue : kFalse) << m;
        EXPECT_EQ(f[kBarRepEnd], m == 1 ? kTrue : kFalse) << m;
        EXPECT_EQ(f[kBarEndMark], m == 3 ? kTrue : kFalse) << m;  // untouched in repeat mode
    }
    RepChecks e;
    e.end = {true};
    StoreRepChecks(d, 4, 1, e);
    EXPECT_EQ(d.Syosetsu[0].BarFlag[kBarEndMark], kTrue);
    EXPECT_EQ(d.Syosetsu[3].BarFlag[kBarEndMark], kFalse);
    EXPECT_EQ(d.Syosetsu[1].BarFlag[kBarRepEnd], kTrue);  // untouched in end-mark mode
    EXPECT_EQ(d.TopRepStart, kTrue);
}

namespace {
struct RepHost : RepMarkHost {
    Session s;
    bool open = true;
    std::vector<int> options;
    int flagsChanged = 0;
    Session& RepSession() override { return s; }
    bool RepRowOpen() override { return open; }
    void RepOptionChosen(int option, const QImage& picture) override {
        options.push_back(option);
        EXPECT_FALSE(picture.isNull());
    }
    void RepFlagsChanged() override { ++flagsChanged; }
};
}  // namespace

TEST(KoRepMarkPalette, OptionsAndTheFlagDialogInBothModes) {
    EnsureApp();
    RepHost host;
    host.s.CurSyosetsuCnt = 4;
    KoRepMark pal(host);
    EXPECT_EQ(pal.windowTitle(), "装飾設定");
    EXPECT_EQ(pal.cmdRepMark[0]->text(), "ﾘﾋﾟｰﾄﾏｰｸ");
    EXPECT_EQ(pal.cmdRepMark[1]->text(), "エンドﾏｰｸ");
    for (int i = 0; i < kRepOptionCount; ++i) EXPECT_FALSE(pal.optRep[i]->icon().isNull()) << i;
    for (int i = 0; i <= 8; ++i) EXPECT_NE(RepOptionStamp(i), Stamp::None) << i;
    pal.optRep[2]->click();
    pal.optRep[10]->click();
    EXPECT_EQ(host.options, (std::vector<int>{2, 10}));
    EXPECT_EQ(pal.Option(), 10);

    // Repeat mode: four pairs shown, the row's start flag in box 0.
    host.s.CurDan().TopRepStart = kTrue;
    pal.ExecHook = [](KoRepMark2& d) {
        EXPECT_EQ(d.windowTitle(), "ﾘﾋﾟｰﾄﾏｰｸ設定");
        EXPECT_EQ(d.chkRepStart[0]->text(), "１小節目の始めから");
        EXPECT_EQ(d.chkRepEnd[7]->text(), "８小節目の終わりまで");
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(d.chkRepStart[i]->isEnabled(), i < 4) << i;
            EXPECT_EQ(d.chkRepEnd[i]->isEnabled(), i < 4) << i;
        }
        EXPECT_TRUE(d.chkRepStart[0]->isChecked());
        d.chkRepStart[0]->setChecked(false);
        d.chkRepEnd[3]->setChecked(true);
        d.OK->click();
        return d.result();
    };
    pal.cmdRepMark[0]->click();
    EXPECT_EQ(pal.Tag(), "0");
    EXPECT_EQ(host.s.CurDan().TopRepStart, kFalse);
    EXPECT_EQ(host.s.CurDan().Syosetsu[3].BarFlag[kBarRepEnd], kTrue);
    EXPECT_EQ(host.flagsChanged, 1);

    // End-mark mode: only the end boxes; Cancel changes nothing.
    pal.ExecHook = [](KoRepMark2& d) {
        EXPECT_FALSE(d.chkRepStart[0]->isEnabled());
        EXPECT_TRUE(d.chkRepEnd[0]->isEnabled());
        d.chkRepEnd[0]->setChecked(true);
        d.Cancel->click();
        return d.result();
    };
    pal.cmdRepMark[1]->click();
    EXPECT_EQ(pal.Tag(), "1");
    EXPECT_EQ(host.s.CurDan().Syosetsu[0].BarFlag[kBarEndMark], kFalse);
    EXPECT_EQ(host.flagsChanged, 1);
    // Without a row the dialog does not open.
    host.open = false;
    EXPECT_EQ(pal.OpenRepMark2(0), QDialog::Rejected);
}

// ------------------------------------------------------------ tuning

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <filesystem>
#include <fstream>

#include "ko_kytsu_setei.h"
#include "ko_syousets.h"
#include "ko_tuning.h"
#include "settings.h"

TEST(KoTuningDialog, RefusesOtherStringCountsAndShowsTheOpenStrings) {
    EnsureApp();
    struct Case {
        int maxStringIx, code, chosen;
        int message;  // 0: accepted
    };
    // Each string count refuses the others with its own catalogue entry.
    for (const Case& c : {Case{5, 2, 2, 1}, Case{5, 22, 22, 1}, Case{3, 0, 0, 2}, Case{3, 97, 97, 2},
                          Case{4, 99, 99, 38}, Case{4, 1, 1, 38}, Case{5, 13, 13, 0}, Case{3, 98, 98, 0},
                          Case{4, 97, 97, 0}}) {
        Session s;
        s.MaxStringIx = static_cast<int16_t>(c.maxStringIx);
        s.GakkiCode = c.maxStringIx == 5 ? 0 : c.maxStringIx == 3 ? 1 : 21;
        const int before = s.GakkiCode;
        Ui ui;
        KoTuning dlg(s, ui, "/nonexistent/Lutewise.ini");
        EXPECT_EQ(dlg.windowTitle(), "チューニング変更");
        EXPECT_TRUE(dlg.Option1[before]->isChecked());
        dlg.Option1[c.chosen]->click();
        if (c.message) {
            ASSERT_EQ(ui.texts.size(), 1u) << c.code;
            EXPECT_EQ(ui.texts[0], MessageText(c.message));
            EXPECT_EQ(s.GakkiCode, before);
            EXPECT_TRUE(dlg.Option1[before]->isChecked());
        } else {
            EXPECT_TRUE(ui.texts.empty());
            EXPECT_EQ(s.GakkiCode, c.code);
            const int n = c.maxStringIx + 1;
            for (int i = 0; i < 6; ++i) {
                EXPECT_EQ(dlg.cmbLineBase[i]->isVisibleTo(&dlg), i < n) << c.code << " " << i;
                EXPECT_EQ(dlg.cmbLineBase[i]->isEnabled(), c.code >= 97) << c.code;
            }
        }
    }
    Session s;
    s.MaxStringIx = 5;
    Ui ui;
    KoTuning dlg(s, ui, "/nonexistent/Lutewise.ini");
    dlg.Option1[13]->click();  // Modal-D
    std::vector<QString> shown;
    for (auto* c : dlg.cmbLineBase) shown.push_back(c->currentText());
    EXPECT_EQ(shown, (std::vector<QString>{"D (+1oct)", "A", "G", "D", "A (-1oct)", "D (-1oct)"}));
}

TEST(KoTuningDialog, UserTuningsAreWrittenAndReadBack) {
    EnsureApp();
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "lw_tuning_test";
    fs::create_directories(dir);
    const std::string ini = (dir / "Lutewise.ini").string();
    std::ofstream(ini, std::ios::binary)
        << "[TAB]\r\nFontSize=10\r\nFontSize2=9\r\nGakki=98\r\n[TUNING]\r\nSettei01=19,14,9,4,0,0\r\n"
           "Settei02=28,23,19,14,9,4\r\nSettei03=23,19,14,9,4,0\r\n[RIREKI]\r\nMruList=\r\n";
    Session s;
    s.PosRhythm = 0;
    Ui ui;
    ASSERT_TRUE(ReadIniSettings(s, ui, ini));
    ASSERT_EQ(s.MaxStringIx, 3);
    {
        KoTuning dlg(s, ui, ini);
        EXPECT_TRUE(dlg.Option1[98]->isChecked());
        EXPECT_EQ(dlg.cmbLineBase[0]->currentIndex(), 19);
        // A low-G ukulele tuned a tone down.
        const int values[4] = {17, 12, 7, 5};
        for (int i = 0; i < 4; ++i) dlg.cmbLineBase[i]->setCurrentIndex(values[i]);
        dlg.cmbLineBase[4]->setCurrentIndex(30);  // hidden: not a string of this instrument
        dlg.OK->click();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
    }
    Session back;
    back.PosRhythm = 0;
    ASSERT_TRUE(ReadIniSettings(back, ui, ini));
    for (int i = 0; i < 6; ++i) EXPECT_EQ(back.TuningTbl[i][0], (std::array<int, 6>{17, 12, 7, 5, 0, 0})[i]) << i;
    EXPECT_EQ(back.TuningTbl[0][1], 28);  // the other columns stay
    EXPECT_TRUE(ui.texts.empty());
    fs::remove_all(dir);
}

TEST(InstrumentMenu, ItemsSetCodeStringsAndMenuIndex) {
    struct Case {
        int item, code, maxStringIx;
    };
    for (const Case& c : {Case{0, 0, 5}, Case{1, 1, 3}, Case{2, 2, 3}, Case{3, 3, 3}, Case{4, 4, 3},
                          Case{5, 21, 4}, Case{6, 22, 4}}) {
        Session s;
        ChooseInstrument(s, c.item);
        EXPECT_EQ(s.GakkiCode, c.code) << c.item;
        EXPECT_EQ(s.MaxStringIx, c.maxStringIx) << c.item;
        EXPECT_EQ(s.GakkiMenuIx, c.item);
        EXPECT_EQ(StringCountOfCode(c.code), c.maxStringIx + 1);
    }
}

// ------------------------------------------------------------ chord names

namespace {
struct ChordHost : SyousetsHost {
    int stored = 0;
    std::vector<std::pair<int, std::string>> entered;
    int failAt = -1;
    void ChordsStored() override { ++stored; }
    bool EnterChord(int m, const std::string& name, bool& found) override {
        found = name != "Xq";
        entered.push_back({m, name});
        return static_cast<int>(entered.size()) - 1 != failAt;
    }
};
}  // namespace

TEST(KoSyousetsDialog, ShowsTheRowsMeasuresStoresNamesAndEntersChords) {
    EnsureApp();
    Session s;
    s.CurSyosetsuCnt = 3;
    s.MaxStringIx = 3;
    s.CurDan().Syosetsu[1].Chord1 = "G7";
    s.CurDan().Syosetsu[0].ChordPos = 2;
    Ui ui;
    ChordHost host;
    KoSyousets dlg(s, ui, host);
    EXPECT_EQ(dlg.windowTitle(), "小節設定");
    for (int m = 0; m < 8; ++m) EXPECT_EQ(dlg.frmSyosetsu[m]->isVisibleTo(&dlg), m < 3) << m;
    EXPECT_EQ(dlg.frmSyosetsu[2]->title(), "３小節");
    EXPECT_EQ(dlg.txtChord[2]->text(), "G7");
    EXPECT_TRUE(dlg.optPos[2]->isChecked());
    EXPECT_TRUE(dlg.cmdAutoChord->isEnabled());

    dlg.txtChord[0]->setText("C");
    dlg.txtChord[1]->setText("Am");
    dlg.txtChord[5]->setText("Xq");
    dlg.optPos[1]->click();
    dlg.Update->click();
    EXPECT_EQ(host.stored, 1);
    const DanData& d = s.CurDan();
    EXPECT_EQ(d.Syosetsu[0].Chord1, "C");
    EXPECT_EQ(d.Syosetsu[0].Chord2, "Am");
    EXPECT_EQ(d.Syosetsu[2].Chord2, "Xq");
    for (int m = 0; m < 3; ++m) EXPECT_EQ(d.Syosetsu[m].ChordPos, 1);

    // "コード反映": in order, measure by measure; a name without a shape is
    // skipped and named.
    dlg.cmdAutoChord->click();
    EXPECT_EQ(host.entered, (std::vector<std::pair<int, std::string>>{{0, "C"}, {0, "Am"}, {1, "G7"}, {2, "Xq"}}));
    ASSERT_EQ(ui.texts.size(), 1u);
    EXPECT_EQ(ui.texts[0], NoShapeMessage("Xq").toStdString());
    EXPECT_TRUE(dlg.isEnabled());
    // A failed redraw ends the command.
    host.entered.clear();
    host.failAt = 1;
    dlg.cmdAutoChord->click();
    EXPECT_EQ(host.entered.size(), 2u);

    Session six;
    six.MaxStringIx = 5;
    KoSyousets guitar(six, ui, host);
    EXPECT_FALSE(guitar.cmdAutoChord->isEnabled());
}

// ------------------------------------------------------------ common settings

TEST(KoKytsuSeteiDialog, ReadsAgainRefusesBadSizesAndStores) {
    EnsureApp();
    Session s;
    s.ChordFontSize = 10;
    s.FletFontSize = 9;
    s.RhythmRewrite = true;
    Ui ui;
    int reloads = 0;
    KoKytsuSetei dlg(s, ui, [&] {
        ++reloads;
        s.RhythmRewrite = false;
    });
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(dlg.windowTitle(), "共通設定");
    EXPECT_EQ(dlg.txtFontSize->text(), "10");
    EXPECT_FALSE(dlg.Check1[1]->isChecked());
    for (const char* bad : {"0", "", "abc", "73"}) {
        dlg.txtFontSize2->setText(bad);
        EXPECT_FALSE(dlg.OnOk()) << bad;
    }
    EXPECT_EQ(ui.texts.size(), 4u);
    EXPECT_EQ(s.FletFontSize, 9);
    dlg.txtFontSize->setText("14");
    dlg.txtFontSize2->setText("11");
    dlg.Check1[0]->setChecked(false);
    dlg.Check1[1]->setChecked(true);
    dlg.OK->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(s.ChordFontSize, 14);
    EXPECT_EQ(s.FletFontSize, 11);
    EXPECT_FALSE(s.MoveFletForm);
    EXPECT_TRUE(s.RhythmRewrite);
}

// ------------------------------------------------------------ wizard

#include <QKeyEvent>
#include <QScrollBar>

#include "ko_wizard.h"

namespace {
struct WizHost : WizardHost {
    Session s;
    bool drawNote = true;
    bool refuse = false;
    std::vector<std::string> calls;
    WizardChoice stored;
    Session& WizSession() override { return s; }
    void WizReloadSettings() override { calls.push_back("reload"); }
    bool WizDrawNote() override { return drawNote; }
    void WizMeter(int id) override {
        s.MeterID = static_cast<int16_t>(id);
        calls.push_back("meter" + std::to_string(id));
    }
    void WizMeasureSpinner(int v) override { calls.push_back("spin" + std::to_string(v)); }
    bool rowOpen = true;
    bool WizKeyCommand(QWidget*) override {
        calls.push_back(rowOpen ? "key" : "no row");
        return rowOpen;
    }
    bool WizChordCommand(QWidget*) override {
        calls.push_back(rowOpen ? "chord" : "no row");
        return rowOpen;
    }
    bool WizStore(const WizardChoice& c) override {
        stored = c;
        calls.push_back("store");
        return !refuse;
    }
    void WizStart(int a) override {
        calls.push_back("start" + std::to_string(a));
        rowOpen = true;
    }
    void WizCancelled() override { calls.push_back("cancel"); }
};
}  // namespace

TEST(KoWizardDialog, StepsOptionsAndStartActions) {
    EnsureApp();
    WizHost host;
    host.s.GakkiMenuIx = 0;
    host.s.PosRhythm = 1;
    host.s.ChordFontSize = 10;
    host.s.FletFontSize = 9;
    host.s.CurSyosetsuCnt = 4;
    Ui ui;
    KoWizard dlg(host, ui, kStartNewRow);
    EXPECT_EQ(dlg.windowTitle(), "新規作成ウイザード");
    EXPECT_EQ(KoWizard(host, ui, kStartOpenRow).windowTitle(), "オプション設定ウイザード");
    EXPECT_EQ(host.calls.front(), "reload");
    host.calls.clear();
    EXPECT_TRUE(dlg.Option1[0]->isChecked());
    EXPECT_TRUE(dlg.Check1[2]->isChecked());
    EXPECT_TRUE(dlg.optMeter[22]->isChecked());
    EXPECT_EQ(dlg.lblSyou->text(), "小節数:4");
    auto shown = [&] {
        std::vector<int> v;
        for (int i = 0; i < 4; ++i)
            if (dlg.Frame[i]->isVisibleTo(&dlg)) v.push_back(i + 1);
        return v;
    };
    EXPECT_EQ(shown(), std::vector<int>{1});
    EXPECT_FALSE(dlg.cmdReturn->isEnabled());
    dlg.Option1[1]->click();
    dlg.Option2[4]->click();  // no rhythm: notes are not drawn
    EXPECT_FALSE(dlg.Check1[2]->isChecked());
    EXPECT_FALSE(dlg.Check1[2]->isEnabled());
    dlg.cmdNext->click();
    EXPECT_EQ(shown(), std::vector<int>{2});
    dlg.cmdNext->click();
    dlg.optMeter[12]->click();  // applied before OK
    EXPECT_EQ(host.s.MeterID, 12);
    dlg.cmdNext->click();
    EXPECT_EQ(shown(), std::vector<int>{4});
    EXPECT_FALSE(dlg.cmdNext->isEnabled());
    dlg.VScroll1->setValue(6);
    EXPECT_EQ(dlg.lblSyou->text(), "小節数:3");
    dlg.Command1->click();
    dlg.Command2->click();
    dlg.cmdReturn->click();
    EXPECT_EQ(shown(), std::vector<int>{3});
    EXPECT_EQ(host.calls, (std::vector<std::string>{"meter12", "spin6", "key", "chord"}));

    // A font size that is no size goes back to step 2 with a message.
    dlg.txtFontSize2->setText("0");
    EXPECT_FALSE(dlg.OnOk());
    EXPECT_EQ(dlg.Step(), 2);
    ASSERT_EQ(ui.texts.size(), 1u);
    dlg.txtFontSize2->setText("8");
    host.refuse = true;  // the shell refused the instrument: the wizard stays
    EXPECT_FALSE(dlg.OnOk());
    host.refuse = false;
    host.calls.clear();
    EXPECT_TRUE(dlg.OnOk());
    EXPECT_EQ(host.calls, (std::vector<std::string>{"store", "start0"}));
    EXPECT_EQ(host.stored.instrument, 1);
    EXPECT_EQ(host.stored.posRhythm, 5);
    EXPECT_EQ(host.stored.fletFontSize, 8);
    EXPECT_FALSE(host.stored.drawNote);

    KoWizard again(host, ui, kStartNewProject);
    host.calls.clear();
    again.Cancel->click();
    EXPECT_EQ(host.calls, std::vector<std::string>{"cancel"});
    // Escape cancels as the button does (the note entry comes back).
    KoWizard escaped(host, ui, kStartNewRow);
    host.calls.clear();
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&escaped, &esc);
    EXPECT_EQ(host.calls, std::vector<std::string>{"cancel"});
}

TEST(KoWizardDialog, KeyAndChordPressedBeforeAnyRowOpenForTheRowTheWizardOpens) {
    EnsureApp();
    WizHost host;
    host.rowOpen = false;
    host.s.ChordFontSize = 10;
    host.s.FletFontSize = 9;
    Ui ui;
    KoWizard dlg(host, ui, kStartNewRow);
    host.calls.clear();
    dlg.Command1->click();
    dlg.Command2->click();
    dlg.Command2->click();  // taken back
    dlg.Command2->click();
    EXPECT_TRUE(dlg.Command1->isChecked());
    EXPECT_TRUE(dlg.Command2->isChecked());
    host.calls.clear();
    ASSERT_TRUE(dlg.OnOk());
    EXPECT_EQ(host.calls, (std::vector<std::string>{"store", "start0", "key", "chord"}));
}
