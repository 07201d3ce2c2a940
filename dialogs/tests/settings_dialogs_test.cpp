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
