#include <gtest/gtest.h>

#include "layout_messages.h"
#include "layout_test_support.h"
#include "messages.h"
#include "transpose.h"

using namespace lw;
using namespace lw::test;

namespace {

// Visible elements among the six lines of the bar closing measure m.
std::vector<int> VisibleBarLines(const RowScene& sc, int m) {
    std::vector<int> v;
    for (int k = 0; k < 6; ++k)
        if (sc.lineKugiri[4 + 6 * m + k].Visible) v.push_back(k);
    return v;
}

int VisibleDots(const RowScene& sc) {
    int n = 0;
    for (size_t i = 1; i < sc.picRepten.size(); ++i) n += sc.picRepten[i].Visible ? 1 : 0;
    return n;
}

}  // namespace

TEST(BarLines, PlainBarIsOneThinLineThroughStaffAndTab) {
    RowFixture f;
    f.ed->LoadKugiri();
    EXPECT_EQ(VisibleBarLines(f.scene, 0), (std::vector<int>{2, 3}));
    const SceneLine& bar = f.scene.lineKugiri[4 + 2];
    EXPECT_DOUBLE_EQ(bar.X1, 3300);
    EXPECT_EQ(bar.BorderWidth, 1);
    EXPECT_DOUBLE_EQ(bar.Y1, 100);
    EXPECT_DOUBLE_EQ(bar.Y2, 420);
    EXPECT_DOUBLE_EQ(f.scene.lineKugiri[4 + 3].Y1, 600);
    EXPECT_DOUBLE_EQ(f.scene.lineKugiri[4 + 3].Y2, 1200);
    EXPECT_EQ(VisibleDots(f.scene), 0);
    // The handle sits centred on the bar.
    EXPECT_DOUBLE_EQ(f.scene.labKugiri[0].Left, 3300 - f.scene.labKugiri[0].Width / 2);
}

TEST(BarLines, RepeatStartAfterMeasure) {
    RowFixture f;
    auto& fl = f.s.CurDan().Syosetsu[1].BarFlag;
    fl[kBarRepStart] = fl[kBarRepStart2] = kTrue;
    f.ed->LoadKugiri();
    EXPECT_EQ(VisibleBarLines(f.scene, 1), (std::vector<int>{2, 3, 4, 5}));
    const SceneLine& thick = f.scene.lineKugiri[10 + 2];
    EXPECT_EQ(thick.BorderWidth, 3);
    EXPECT_DOUBLE_EQ(thick.Y1, 100);
    EXPECT_DOUBLE_EQ(thick.Y2, 1200);
    EXPECT_DOUBLE_EQ(f.scene.lineKugiri[10 + 4].X1, 6300 + 60);  // 4 pixels of 15 twips
    ASSERT_EQ(VisibleDots(f.scene), 2);  // TAB and staff
    EXPECT_DOUBLE_EQ(f.scene.picRepten[1].Left, 6360 + 20);
    EXPECT_DOUBLE_EQ(f.scene.picRepten[1].Top, 600 + 2 * 120 - 20);
    EXPECT_DOUBLE_EQ(f.scene.picRepten[2].Top, 100 + 80 - 20);
}

TEST(BarLines, RepeatEndAndBoth) {
    RowFixture f;
    auto& a = f.s.CurDan().Syosetsu[0].BarFlag;
    a[kBarRepEnd] = a[kBarRepEnd2] = kTrue;
    auto& b = f.s.CurDan().Syosetsu[2].BarFlag;
    b[kBarRepEnd] = b[kBarRepEnd2] = b[kBarRepStart] = b[kBarRepStart2] = kTrue;
    f.ed->LoadKugiri();
    EXPECT_EQ(VisibleBarLines(f.scene, 0), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(VisibleBarLines(f.scene, 2), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(f.scene.lineKugiri[4 + 2].BorderWidth, 3);
    EXPECT_EQ(VisibleDots(f.scene), 2 + 4);
    EXPECT_DOUBLE_EQ(f.scene.picRepten[1].Left, 3300 - 60 - f.scene.picRepten[0].Width);
}

TEST(BarLines, EndMarkHasThinLineBeforeAThickOneAndNoDots) {
    RowFixture f;
    f.s.CurDan().Syosetsu[3].BarFlag[kBarEndMark] = kTrue;
    f.ed->LoadKugiri();
    EXPECT_EQ(VisibleBarLines(f.scene, 3), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(f.scene.lineKugiri[22 + 2].BorderWidth, 3);
    EXPECT_DOUBLE_EQ(f.scene.lineKugiri[22 + 1].X1, 12300 - 60);
    EXPECT_EQ(VisibleDots(f.scene), 0);
}

TEST(BarLines, TabOnlyStylesDrawOverTheTabAlone) {
    RowFixture f(3);  // four strings, style 5: no staff
    f.s.PosRhythm = 5;
    auto& fl = f.s.CurDan().Syosetsu[0].BarFlag;
    fl[kBarRepEnd] = fl[kBarRepEnd2] = kTrue;
    f.ed->LoadKugiri();
    EXPECT_EQ(VisibleBarLines(f.scene, 0), (std::vector<int>{1, 2, 3}));
    EXPECT_DOUBLE_EQ(f.scene.lineKugiri[4 + 2].Y1, 600);
    ASSERT_EQ(VisibleDots(f.scene), 1);
    EXPECT_DOUBLE_EQ(f.scene.picRepten[1].Top, 600 + 120 - 20);  // four strings: one interval
    EXPECT_FALSE(f.scene.lineKugiri[1].Visible);                 // no staff part of the leading bar
}

TEST(BarLines, LeadingBarWithRepeatStartAndHiddenMeasures) {
    RowFixture f;
    f.s.CurDan().TopRepStart = kTrue;
    f.s.CurDan().Syosetsu[1].BarVisible = 0;
    f.ed->LoadKugiri();
    EXPECT_EQ(f.scene.lineKugiri[2].BorderWidth, 3);
    EXPECT_TRUE(f.scene.lineKugiri[3].Visible);
    EXPECT_DOUBLE_EQ(f.scene.lineKugiri[2].X1, 300);
    EXPECT_EQ(VisibleDots(f.scene), 2);
    EXPECT_TRUE(VisibleBarLines(f.scene, 1).empty());
    // Placing again does not pile up dots.
    f.ed->LoadKugiri();
    EXPECT_EQ(VisibleDots(f.scene), 2);
}

TEST(Transpose, CToDRaisesFretsAndChords) {
    Session s;
    SetUpRow(s, 0);
    ScriptedUi ui;
    RecordingPort port;
    s.KeyName[0] = "C";
    Append(s, 0, Note(1, 3, 2));
    Append(s, 0, Rest(23));
    Append(s, 2, Note(6, 0, 2));
    s.CurDan().Syosetsu[0].Chord1 = "Am";
    s.CurDan().Syosetsu[2].Chord2 = "G7";
    SetUpRow(s, 1);
    Append(s, 0, Note(1, 1, 2));
    s.CurDanIx = 0;
    ASSERT_TRUE(KoKeyOk(s, ui, port, "1", "C", "D"));
    EXPECT_TRUE(ui.texts.empty());
    EXPECT_EQ(s.DanBuf[0].Syosetsu[0].Onpu[1].Flet[1], 5);
    EXPECT_EQ(s.DanBuf[0].Syosetsu[0].Onpu[2].Flet[1], 3);  // a rest's stored fret rises too
    EXPECT_TRUE(IsRestPosition(s.DanBuf[0].Syosetsu[0].Onpu[2]));
    EXPECT_EQ(s.DanBuf[0].Syosetsu[2].Onpu[1].Flet[6], 2);
    EXPECT_EQ(s.DanBuf[0].Syosetsu[0].Chord1, "Bm");
    EXPECT_EQ(s.DanBuf[0].Syosetsu[2].Chord2, "A7");
    EXPECT_EQ(s.KeyName[0], "D");
    EXPECT_EQ(s.DanBuf[1].Syosetsu[0].Onpu[1].Flet[1], 1);  // other rows unchanged
    EXPECT_TRUE(port.Has("PutKeySignature"));
}

TEST(Transpose, DownwardAndEmptyKeysAreRefused) {
    Session s;
    SetUpRow(s, 0);
    ScriptedUi ui;
    RecordingPort port;
    Append(s, 0, Note(1, 3, 2));
    EXPECT_FALSE(KoKeyOk(s, ui, port, "1", "A", "C"));
    EXPECT_EQ(ui.texts.back(), MessageText(36));
    EXPECT_FALSE(KoKeyOk(s, ui, port, "1", "C", ""));
    EXPECT_EQ(ui.texts.back(), MessageText(35));
    EXPECT_FALSE(KoKeyOk(s, ui, port, "0", "", ""));
    EXPECT_EQ(ui.texts.back(), MessageText(35));
    EXPECT_EQ(s.CurDan().Syosetsu[0].Onpu[1].Flet[1], 3);
    EXPECT_FALSE(port.Has("PutKeySignature"));
}

TEST(Transpose, SameKeyAndMinorKeys) {
    Session s;
    SetUpRow(s, 0);
    ScriptedUi ui;
    RecordingPort port;
    Append(s, 0, Note(1, 3, 2));
    ASSERT_TRUE(KoKeyOk(s, ui, port, "1", "C", "C"));
    EXPECT_EQ(s.CurDan().Syosetsu[0].Onpu[1].Flet[1], 3);
    EXPECT_EQ(port.Count("PutKeySignature"), 1);
    // Minor keys measure by their root: Am to Bm is two semitones.
    ASSERT_TRUE(KoKeyOk(s, ui, port, "1", "Am", "Bm"));
    EXPECT_EQ(s.CurDan().Syosetsu[0].Onpu[1].Flet[1], 5);
    EXPECT_EQ(s.KeyName[0], "Bm");
    ASSERT_TRUE(KoKeyOk(s, ui, port, "0", "F#m", ""));
    EXPECT_EQ(s.KeyName[0], "F#m");
    EXPECT_EQ(KeyNameList().size(), 30u);
}

TEST(Transpose, FretAbove255IsRefusedBeforeAnyChange) {
    Session s;
    SetUpRow(s, 0);
    ScriptedUi ui;
    Append(s, 0, Note(1, 3, 2));
    Append(s, 3, Note(2, 250, 2));
    s.CurDan().Syosetsu[0].Chord1 = "C";
    EXPECT_FALSE(ItyouTAB(s, ui, 6));
    EXPECT_EQ(ui.texts.back(), kMsgFretOverflow);
    EXPECT_EQ(s.CurDan().Syosetsu[0].Onpu[1].Flet[1], 3);
    EXPECT_EQ(s.CurDan().Syosetsu[0].Chord1, "C");
    EXPECT_TRUE(ItyouTAB(s, ui, 5));
    EXPECT_EQ(s.CurDan().Syosetsu[3].Onpu[1].Flet[2], 255);
}

TEST(BarLines, LeadingRepeatStartDotsSitAfterItsThinLine) {
    RowFixture f;
    f.s.CurDan().TopRepStart = kTrue;
    f.ed->LoadKugiri();
    ASSERT_EQ(VisibleDots(f.scene), 2);
    EXPECT_DOUBLE_EQ(f.scene.lineKugiri[3].X1, 300 + 60);
    EXPECT_DOUBLE_EQ(f.scene.picRepten[1].Left, 300 + 60 + 20);
    EXPECT_DOUBLE_EQ(f.scene.picRepten[1].Top, 600 + 2 * 120 - 20);
    EXPECT_DOUBLE_EQ(f.scene.picRepten[2].Top, 100 + 80 - 20);
    // Without the mark the leading bar is one thin line.
    f.s.CurDan().TopRepStart = 0;
    f.ed->LoadKugiri();
    EXPECT_EQ(VisibleDots(f.scene), 0);
    EXPECT_EQ(f.scene.lineKugiri[2].BorderWidth, 1);
    EXPECT_FALSE(f.scene.lineKugiri[3].Visible);
}
