// The note-entry window over its state: what it shows (the fret preview,
// the last point, the stem box where a staff is drawn) and which buttons
// stand on the rest tab.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include "../../dialogs/tests/dialogs_test_support.h"
#include "ko_set_flet.h"

using namespace lw;

namespace {

using lwtest::EnsureApp;

struct Host : NoteEntryHost {
    bool staff = false;
    RowEditor* ActiveEditor() override { return nullptr; }
    void NoteRowEdited() override {}
    bool StaffShown() const override { return staff; }
};

struct Window {
    Session s;
    EditorGlobals g;
    Host host;
    NoteEntry e{s, g, host};
    KoSetFlet w{e};
    Window() {
        s.MaxStringIx = 5;
        e.Changed = [this] { w.Refresh(); };
        w.Refresh();
    }
};

}  // namespace

// Item i of a string's fret row shows fret (window start - 2 + i); the
// preview beside the window shows the fret chosen, nothing for a silent
// string.
TEST(KoSetFletWindow, ThePreviewShowsTheFretChosen) {
    EnsureApp();
    struct Case {
        int start, string, item;
        const char* shown;
    } cases[] = {{1, 1, 1, "0"}, {1, 2, 6, "5"}, {3, 3, 6, "7"}, {10, 6, 16, "24"}};
    for (const Case& c : cases) {
        Window f;
        f.e.HScrollChange(c.start);
        f.w.optFlet[c.string]->button(c.item)->click();
        EXPECT_EQ(f.w.labPos[c.string - 1]->text(), c.shown) << c.start << "/" << c.item;
        for (int k = 1; k <= 6; ++k)
            if (k != c.string) { EXPECT_TRUE(f.w.labPos[k - 1]->text().isEmpty()) << k; }
    }
}

TEST(KoSetFletWindow, RestTabButtonsTakeThePlacesOfUpdateAndClear) {
    EnsureApp();
    Window f;
    f.w.show();
    EXPECT_TRUE(f.w.cmdUpdate->isVisible());
    EXPECT_TRUE(f.w.cmdClear->isVisible());
    EXPECT_FALSE(f.w.cmdUpdate_kyf->isVisible());
    f.e.SetFletPosNo(1, 4);
    f.w.Refresh();
    EXPECT_TRUE(f.w.labPos[0]->isVisible());
    f.e.TabClick(1);
    EXPECT_FALSE(f.w.labPos[0]->isVisible()) << "no note preview on the rest tab";
    EXPECT_FALSE(f.w.cmdUpdate->isVisible());
    EXPECT_FALSE(f.w.cmdClear->isVisible());
    EXPECT_TRUE(f.w.cmdUpdate_kyf->isVisible());
    EXPECT_TRUE(f.w.cmdDelete_kyf->isVisible());
    EXPECT_TRUE(f.w.cmdAdd->isVisible());
    f.e.TabClick(0);
    EXPECT_TRUE(f.w.cmdUpdate->isVisible());
    EXPECT_FALSE(f.w.cmdDelete_kyf->isVisible());
}

TEST(KoSetFletWindow, LastPointStemBoxAndEffectItems) {
    EnsureApp();
    Window f;
    f.w.show();
    f.g.Entry.BeforeX = "1234";
    f.g.Entry.BeforeY = "567";
    f.w.Refresh();
    EXPECT_EQ(f.w.BeforeX->text(), "1234");
    EXPECT_EQ(f.w.BeforeY->text(), "567");
    EXPECT_FALSE(f.w.chkDownUp->isVisible()) << "no staff: no stem direction";
    f.host.staff = true;
    f.w.Refresh();
    EXPECT_TRUE(f.w.chkDownUp->isVisible());
    EXPECT_EQ(f.w.optEfect[1]->buttons().size(), 5);
}
