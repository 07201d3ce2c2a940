// The example rows laid out and burnt in, in every layout style, as a row
// window shows them. With LUTEWISE_RENDER_PNG_DIR set the pictures are
// written there for a person to look at.
#include <gtest/gtest.h>

#include <QPainter>
#include <memory>

#include "render_test_support.h"
#include "row_drawing.h"
#include "row_paint.h"
#include "row_editor.h"
#include "row_restyle.h"
#include "settings.h"
#include "stamps.h"
#include "tab_file.h"

using namespace lw;
using lwtest::DataDir;
using lwtest::QuietUi;

namespace {

// One row window: the row read from a file, laid out and drawn.
struct ExampleRow {
    Session s;
    EditorGlobals g;
    RowScene scene;
    RowItems items;
    QuietUi ui;
    RowPort port;
    RowRenderState st;
    QImage picTAB;
    RowStyle style;
    std::unique_ptr<RowEditor> ed;

    ExampleRow(const std::string& file, int posRhythm, bool drawNote) {
        const std::string ini = DataDir() + "/Lutewise.ini";
        s.PosRhythm = static_cast<int16_t>(posRhythm);
        EXPECT_TRUE(ReadIniSettings(s, ui, ini));
        const LoadTabResult r = LoadTab(s, items, DataDir() + "/examples/" + file,
                                        [&](Session& ss) { ReadIniSettings(ss, ui, ini); });
        EXPECT_TRUE(r.ok) << r.error;
        s.DanBuf[0].SyosetsuCnt = s.CurSyosetsuCnt;
        g.DrawNote = drawNote;
        ed = std::make_unique<RowEditor>(s, g, scene, items, ui, port, 0);
        ed->LoadKugiri();
        ed->ReLayoutTAB("all");
        ed->LoadChord();
        style = RowStyleOf(s, 0, drawNote);
        const DanLayoutData& l = s.DanLayout[0];
        PlaceKeySignature(scene, l, style.keyName, style.bassClef, StaffShown(posRhythm, drawNote), style.tpp);
        EXPECT_TRUE(PrepareGround(st, DataDir(), style, l));
        Paint();
    }

    void Paint() {
        style = RowStyleOf(s, 0, g.DrawNote);
        picTAB = RowPicture({scene, items, s.DanBuf[0], s.DanLayout[0], style, st.ground}, 1);
    }
};

class ExampleRows : public ::testing::Test {
protected:
    static void SetUpTestSuite() { lwtest::EnsureApp(); }
};

}  // namespace

TEST_F(ExampleRows, EveryStyleIsPaintedTheSameEveryTime) {
    const char* files[] = {"ode1.tab", "ode2.tab", "kirakira1.tab", "kirakira2.tab"};
    struct View {
        int style;
        bool drawNote;
    };
    const View views[] = {{1, false}, {2, false}, {3, false}, {4, false}, {5, false}, {1, true}, {2, true}};
    for (const char* f : files) {
        for (const View& v : views) {
            ExampleRow row(f, v.style, v.drawNote);
            const std::string name = std::string(f).substr(0, std::string(f).find('.')) + "_style" +
                                     std::to_string(v.style) + (v.drawNote ? "_notes" : "");
            SCOPED_TRACE(name);
            EXPECT_TRUE(row.ui.shown.empty());
            // Painting changes nothing of the row: painted again, the same picture.
            const QImage once = row.picTAB;
            row.Paint();
            EXPECT_EQ(once, row.picTAB);
            const DanLayoutData& l = row.s.DanLayout[0];
            const int tabTop = l.TabTop / row.style.tpp;
            EXPECT_GT(lwtest::InkIn(row.picTAB, QRect(60, tabTop - 8, 900, 5 * 13 + 16)), 1000);
            if (v.drawNote) {
                // Heads between the staff's lines (not counting the lines themselves).
                const int staffTop = l.StaffTop / row.style.tpp;
                const QImage ground = row.st.ground.image;
                int heads = 0;
                for (int y = staffTop - 16; y < staffTop + 48; ++y)
                    for (int x = 70; x < 1000; ++x)
                        heads += qGray(row.picTAB.pixel(x, y)) < 128 && qGray(ground.pixel(x, y)) >= 128;
                EXPECT_GT(heads, 300);
            }
            lwtest::WriteDebugPng(name, row.picTAB);
        }
    }
}

TEST_F(ExampleRows, StaffClickOfARowFollowsItsInstrumentAndKey) {
    ExampleRow row("ode1.tab", 1, true);
    const DanLayoutData& l = row.s.DanLayout[0];
    const double topLine = l.StaffTop + 30 - 217.5;  // band 0: the top line's note
    int string = 0, fret = 0;
    ASSERT_TRUE(StaffPointToStringFret(row.s, 0, row.st, topLine, string, fret));
    EXPECT_EQ(string, 1);  // guitar, treble clef: F on the first string, fret 1
    EXPECT_EQ(fret, 1);
    row.s.KeyName[0] = "G";
    ASSERT_TRUE(StaffPointToStringFret(row.s, 0, row.st, topLine, string, fret));
    EXPECT_EQ(fret, 2);    // F♯ in G
    row.s.GakkiCode = 3;   // bass: bass clef, A on the top line
    row.s.MaxStringIx = 3;
    row.s.KeyName[0] = "C";
    ASSERT_TRUE(StaffPointToStringFret(row.s, 0, row.st, topLine, string, fret));
    EXPECT_EQ(string, 1);
    EXPECT_EQ(fret, 2);    // A on the G string (open 19)
    PutKeySignature(row.scene, row.s, 0, true);
    EXPECT_EQ(row.scene.picKey.size(), 1u);
    row.s.KeyName[0] = "E♭";
    PutKeySignature(row.scene, row.s, 0, true);
    EXPECT_EQ(row.scene.picKey.size(), 4u);
}

TEST_F(ExampleRows, EveryRowFollowsANewStyleAtOnce) {
    struct Switch {
        int from, to;
        bool notesFrom, notesTo;
    };
    for (const Switch& w : {Switch{1, 3, false, false}, Switch{3, 1, false, true}, Switch{1, 1, true, false},
                            Switch{4, 2, false, false}}) {
        ExampleRow row("kirakira1.tab", w.from, w.notesFrom);
        row.s.PosRhythm = static_cast<int16_t>(w.to);
        ASSERT_TRUE(ReadIniSettings(row.s, row.ui, DataDir() + "/Lutewise.ini"));
        row.g.DrawNote = w.notesTo;
        ASSERT_TRUE(RestyleRow(row.st, *row.ed, row.s, w.notesTo, DataDir()));
        row.Paint();
        const ExampleRow fresh("kirakira1.tab", w.to, w.notesTo);
        EXPECT_EQ(row.picTAB, fresh.picTAB) << w.from << " -> " << w.to;
    }
}
