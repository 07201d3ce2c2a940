// The note-entry window over its entry state: captions, the fret buttons of
// the fret window, the rhythm options and check boxes, and the current note
// CurOnpu they build.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <memory>

#include "../../dialogs/tests/dialogs_test_support.h"
#include "../../layout/tests/layout_test_support.h"
#include "ko_set_flet.h"

using namespace lw;
using namespace lw::test;

namespace {

struct Host : NoteEntryHost {
    RowEditor* ed = nullptr;
    int triplets = 0;
    RowEditor* ActiveEditor() override { return ed; }
    void NoteRowEdited() override {}
    void Show3renOption(bool show) override { triplets += show ? 1 : 0; }
};

// The window over a four-measure row of maxStringIx + 1 strings.
struct Window : RowFixture {
    Host host;
    std::unique_ptr<NoteEntry> e;
    std::unique_ptr<KoSetFlet> w;
    explicit Window(int maxStringIx = 5) : RowFixture(maxStringIx) {
        lwtest::EnsureApp();
        host.ed = ed.get();
        e = std::make_unique<NoteEntry>(s, g, host);
        w = std::make_unique<KoSetFlet>(*e);
        e->Changed = [this] { w->Refresh(); };
    }
    // The note as the row takes it when the user clicks into it.
    const OnpuData& Built() {
        e->SetNoteData();
        return e->CurOnpu();
    }
    QString Caption(int item) { return w->findChild<QLabel*>(QStringLiteral("labFletCaption%1").arg(item))->text(); }
};

}  // namespace

TEST(KoSetFletWindow, CaptionsNameTheMeasureStringsAndFretsOfTheWindow) {
    Window f;
    EXPECT_EQ(f.w->windowTitle(), QStringLiteral("フレット描画（1小節目）"));
    f.e->CursorM = 2;
    f.w->Refresh();
    EXPECT_EQ(f.w->windowTitle(), QStringLiteral("フレット描画（3小節目）"));
    const char* strings[] = {"１弦", "２弦", "３弦", "４弦", "５弦", "６弦"};
    for (int k = 1; k <= 6; ++k) EXPECT_EQ(f.w->labLine[k]->text(), QString::fromUtf8(strings[k - 1]));
    // The window starting at 1 shows frets 0..15, at 10 frets 9..24.
    EXPECT_EQ(f.Caption(1), "0");
    EXPECT_EQ(f.Caption(16), "15");
    f.w->HScroll1->setValue(10);
    EXPECT_EQ(f.Caption(1), "9");
    EXPECT_EQ(f.Caption(16), "24");
    const char* lens[] = {"全音符", "２分音符", "４分音符", "８分音符", "１６分音符", "３連符"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(f.w->optLen->button(i)->text(), QString::fromUtf8(lens[i]));
    EXPECT_EQ(f.w->chkSlar->text(), "タイ");
    EXPECT_EQ(f.w->chkSlar2->text(), "ｽﾗ－");
    EXPECT_EQ(f.w->chkFuten->text(), "付点");
}

TEST(KoSetFletWindow, StringRowsFollowTheInstrument) {
    struct Case {
        int maxStringIx;
        bool chord;
    } cases[] = {{3, true}, {4, false}, {5, false}};
    for (const Case& c : cases) {
        Window f(c.maxStringIx);
        for (int k = 1; k <= 6; ++k) {
            const bool shown = k <= c.maxStringIx + 1;
            EXPECT_EQ(f.w->labLine[k]->isVisibleTo(f.w.get()), shown) << c.maxStringIx << " string " << k;
            EXPECT_EQ(f.w->optFlet[k]->button(1)->isVisibleTo(f.w.get()), shown) << c.maxStringIx << " string " << k;
        }
        EXPECT_EQ(f.w->cmdChord->isEnabled(), c.chord) << "chord shapes are for four strings";
    }
}

// Button i of a string shows fret (window start - 2 + i); button 0 silences it.
TEST(KoSetFletWindow, FretButtonsChooseTheFretsOfTheNote) {
    struct Case {
        int start, string, button, fret;  // fret -1: silent
    } cases[] = {
        {1, 1, 1, 0}, {1, 3, 4, 3}, {1, 6, 16, 15}, {5, 2, 1, 4}, {10, 5, 16, 24}, {10, 1, 1, 9}, {1, 4, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("start " + std::to_string(c.start) + " string " + std::to_string(c.string) + " button " +
                     std::to_string(c.button));
        Window f;
        f.w->HScroll1->setValue(c.start);
        f.w->optFlet[2]->button(3)->click();  // fret start + 1 on string 2 keeps another string sounding
        f.w->optFlet[c.string]->button(c.button)->click();
        const OnpuData& n = f.Built();
        if (c.fret < 0) {
            EXPECT_EQ(n.FletUse[c.string], 0);
            EXPECT_EQ(f.w->labPos[c.string - 1]->text(), "");
        } else {
            EXPECT_EQ(n.FletUse[c.string], 255);
            EXPECT_EQ(n.Flet[c.string], c.fret);
            EXPECT_EQ(f.w->labPos[c.string - 1]->text(), QString::number(c.fret)) << "the preview";
            EXPECT_TRUE(f.w->optFlet[c.string]->button(c.button)->isChecked());
        }
        for (int k = 1; k <= 6; ++k)
            if (k != c.string && k != 2) { EXPECT_EQ(n.FletUse[k], 0) << k; }
    }
}

// A rhythm option, then a fret: the note's rhythm id and ticks (whole = 96).
TEST(KoSetFletWindow, RhythmOptionsAndTheDotGiveTheNoteItsLength) {
    struct Case {
        int option;
        bool dot;
        int id, ticks;
    } cases[] = {
        {0, false, 0, 96}, {1, false, 1, 48}, {2, false, 2, 24}, {3, false, 3, 12}, {4, false, 4, 6},
        {1, true, 1, 72},  {2, true, 2, 36},  {3, true, 3, 18},  {5, false, 7, 8},  {5, true, 7, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("option " + std::to_string(c.option) + (c.dot ? " dotted" : ""));
        Window f;
        f.w->optLen->button(c.option)->click();
        if (c.dot) f.w->chkFuten->click();
        f.w->optFlet[1]->button(4)->click();
        const OnpuData& n = f.Built();
        EXPECT_EQ(n.NoteLengthID[1], c.id);
        EXPECT_EQ(n.NoteTick[1], c.ticks);
        EXPECT_EQ(GetBit(n.NoteAttr, kAttrDot), c.dot);
        EXPECT_EQ(f.host.triplets, c.option == 5 ? 1 : 0) << "the triplet options open with 3連符";
        EXPECT_TRUE(f.w->optLen->button(c.option)->isChecked());
    }
}

// Each check box sets its own bit of the note (tie 0x80, slur 0x40, beam
// 0x08, stem down 0x04) and a loaded note checks its boxes again.
TEST(KoSetFletWindow, CheckBoxesAndEffectsSetTheirBitsBothWays) {
    struct Case {
        QCheckBox* KoSetFlet::*box;
        uint8_t mask;
    } cases[] = {{&KoSetFlet::chkSlar, 0x80}, {&KoSetFlet::chkSlar2, 0x40},
                 {&KoSetFlet::chkRenhaku, 0x08}, {&KoSetFlet::chkDownUp, 0x04}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mask));
        Window f;
        f.w->optFlet[3]->button(3)->click();
        (f.w.get()->*c.box)->click();
        EXPECT_EQ(f.Built().NoteAttr, c.mask);
        // Loading a stored note with only this bit checks only this box.
        Window g;
        g.e->CurOnpu() = f.e->CurOnpu();
        g.e->SetNowData2();
        for (QCheckBox* b : {g.w->chkSlar, g.w->chkSlar2, g.w->chkFuten, g.w->chkRenhaku, g.w->chkDownUp})
            EXPECT_EQ(b->isChecked(), b == (g.w.get()->*c.box)) << b->text().toStdString();
        EXPECT_EQ(g.w->labPos[2]->text(), "2");
    }
    // Ho / Po / S of a string: effect bits 0x80 / 0x40 / 0x20, and a slur.
    const uint8_t effect[4] = {0, 0x80, 0x40, 0x20};
    for (int item = 1; item <= 3; ++item) {
        Window f;
        f.w->optFlet[2]->button(6)->click();
        f.w->optEfect[2]->button(item)->click();
        const OnpuData& n = f.Built();
        EXPECT_EQ(n.Effect[2], effect[item]) << item;
        EXPECT_EQ(n.NoteAttr, 0x40) << item;
    }
}
