#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QMimeData>
#include <QPushButton>

#include "ko_copy.h"
#include "ko_key.h"
#include "messages.h"

using namespace lw;

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "dialogs_tests";
    static char* argv[] = {name, nullptr};
    // Left to the end of the process: destroyed as a function's static it
    // would go after the widgets' statics and crash at exit.
    if (!QApplication::instance()) new QApplication(argc, argv);
    return *static_cast<QApplication*>(QApplication::instance());
}

struct ScriptedUi : UiPort {
    std::vector<std::string> texts;
    int MessageBox(const std::string& t, int, const std::string&) override {
        texts.push_back(t);
        return kIdOk;
    }
    std::string OpenFileName(const std::string&, const std::string&) override { return {}; }
    std::string SaveFileName(const std::string&, const std::string&) override { return {}; }
};

struct KeyPort : RowPort {
    int signatures = 0;
    void PutKeySignature() override { ++signatures; }
};

struct Host : KoCopyHost {
    std::vector<Row> rows{{"1段目", 0, 4}, {"3段目", 2, 6}};
    std::vector<std::array<int, 4>> copies;
    std::vector<int> fronts;
    bool dialogEnabledDuringCopy = true;
    KoCopy* dlg = nullptr;
    std::vector<Row> OpenRows() override { return rows; }
    void BringRowToFront(int slot) override { fronts.push_back(slot); }
    void CopySyosetsu(int a, int b, int c, int d) override {
        copies.push_back({a, b, c, d});
        if (dlg) dialogEnabledDuringCopy = dlg->isEnabled();
    }
};

}  // namespace

TEST(KoKeyDialog, TransposesAndClosesOrStaysOpenWithAMessage) {
    App();
    Session s;
    s.CurSyosetsuCnt = 1;
    s.MaxStringIx = 5;
    s.KeyName[0] = "C";
    auto& ms = s.CurDan().Syosetsu[0];
    ms.OnpuCnt = 1;
    StoreNote(ms.Onpu[1], 1, 3, 2);
    ms.Chord1 = "Am";
    ScriptedUi ui;
    KeyPort port;
    KoKey dlg(s, ui, port);
    EXPECT_EQ(dlg.cmbKey->count(), 31);  // the empty choice and 30 keys
    EXPECT_EQ(dlg.cmbKey->currentText(), "C");
    dlg.SetTag("1");
    dlg.OnOk();  // no target key
    ASSERT_EQ(ui.texts.size(), 1u);
    EXPECT_EQ(ui.texts[0], MessageText(35));
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    dlg.cmbItyouKey->setCurrentText("D");
    dlg.OK->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(ms.Onpu[1].Flet[1], 5);
    EXPECT_EQ(ms.Chord1, "Bm");
    EXPECT_EQ(s.KeyName[0], "D");
    EXPECT_EQ(port.signatures, 1);
}

TEST(KoCopyDialog, TilesFollowTheChosenRowsAndDropsCopy) {
    App();
    Host host;
    KoCopy dlg(host);
    host.dlg = &dlg;
    ASSERT_EQ(dlg.cmbMoto->count(), 2);
    EXPECT_EQ(dlg.cmbSaki->itemData(1).toInt(), 2);
    EXPECT_TRUE(dlg.DragText(0).isEmpty());  // no source row yet
    dlg.cmbMoto->setCurrentIndex(0);
    EXPECT_TRUE(dlg.picSyosetsuMoto[3]->isEnabled());
    EXPECT_FALSE(dlg.picSyosetsuMoto[4]->isEnabled());
    EXPECT_EQ(dlg.DragText(2), "02");
    dlg.cmbSaki->setCurrentIndex(1);
    EXPECT_EQ(host.fronts, std::vector<int>{2});
    EXPECT_TRUE(dlg.picSyosetsuSaki[5]->isEnabled());
    EXPECT_FALSE(dlg.picSyosetsuSaki[6]->isEnabled());
    EXPECT_TRUE(dlg.picSyosetsuSaki[5]->acceptDrops());

    QMimeData mime;
    mime.setText(dlg.DragText(2));
    EXPECT_TRUE(dlg.DropOnTile(false, 5, &mime));
    ASSERT_EQ(host.copies.size(), 1u);
    EXPECT_EQ(host.copies[0], (std::array<int, 4>{0, 2, 2, 5}));
    EXPECT_FALSE(host.dialogEnabledDuringCopy);
    EXPECT_TRUE(dlg.isEnabled());
    // The source side accepts drops too, with its own row as destination.
    EXPECT_TRUE(dlg.DropOnTile(true, 1, &mime));
    EXPECT_EQ(host.copies[1], (std::array<int, 4>{0, 2, 0, 1}));
    // Disabled tiles and malformed texts copy nothing.
    EXPECT_FALSE(dlg.DropOnTile(false, 7, &mime));
    QMimeData bad;
    bad.setText("x9");
    EXPECT_FALSE(dlg.DropOnTile(false, 0, &bad));
    QMimeData none;
    EXPECT_FALSE(dlg.DropOnTile(false, 0, &none));
    EXPECT_EQ(host.copies.size(), 2u);
    // Two digits dropped from elsewhere that name a closed row's slot, or a
    // measure the source row does not have, copy nothing.
    QMimeData closedRow;
    closedRow.setText("50");
    EXPECT_FALSE(dlg.DropOnTile(false, 0, &closedRow));
    QMimeData noSuchMeasure;
    noSuchMeasure.setText("05");
    EXPECT_FALSE(dlg.DropOnTile(false, 0, &noSuchMeasure));
    EXPECT_EQ(host.copies.size(), 2u);
    dlg.show();
    dlg.OK->click();
    EXPECT_FALSE(dlg.isVisible());
}

TEST(KoKeyDialog, KeySettingSetsTheKeyWithoutTransposing) {
    App();
    Session s;
    s.CurSyosetsuCnt = 1;
    s.MaxStringIx = 5;
    s.CurDanIx = 3;
    s.KeyName[3] = "C";
    auto& ms = s.CurDan().Syosetsu[0];
    ms.OnpuCnt = 1;
    StoreNote(ms.Onpu[1], 1, 3, 2);
    ScriptedUi ui;
    KeyPort port;
    KoKey dlg(s, ui, port);
    dlg.SetTag("0");
    EXPECT_FALSE(dlg.cmbItyouKey->isEnabled());
    dlg.cmbKey->setCurrentIndex(0);  // nothing chosen
    dlg.OK->click();
    ASSERT_EQ(ui.texts.size(), 1u);
    EXPECT_EQ(ui.texts[0], MessageText(35));
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(port.signatures, 0);
    dlg.cmbKey->setCurrentText("E♭");
    dlg.OK->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(s.KeyName[3], "E♭");
    EXPECT_EQ(ms.Onpu[1].Flet[1], 3);
    EXPECT_EQ(port.signatures, 1);
}
