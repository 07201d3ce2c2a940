// Rhythm notation: glyph choice, the arc rule, and whole measures of
// beamed, flagged and triplet notes with rests and ties, in the rhythm row
// and on the staff, compared with pictures a person has looked at.
#include <gtest/gtest.h>

#include <QPainter>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "render_test_support.h"
#include "rhythm_drawing.h"
#include "row_drawing.h"
#include "row_paint.h"
#include "row_editor.h"
#include "settings.h"
#include "stamps.h"

using namespace lw;
using lwtest::DataDir;
using lwtest::QuietUi;

namespace {

// A note: rhythm id, string and fret, and attribute letters
// (t tie, s slur, . dot, b beam on, d stems down, h/p/l hammer, pull, slide
// on its string, 0..3 triplet pattern).
struct N {
    int id;
    int string = 1, fret = 0;
    const char* attrs = "";
};

// A row of four measures built from notes, laid out and drawn.
struct BuiltRow {
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

    BuiltRow(const std::vector<std::vector<N>>& measures, int posRhythm, bool drawNote, int meter = 22) {
        s.PosRhythm = static_cast<int16_t>(posRhythm);
        s.CurSyosetsuCnt = static_cast<int16_t>(measures.size());
        s.MeterID = static_cast<int16_t>(meter);
        EXPECT_TRUE(ReadIniSettings(s, ui, DataDir() + "/Lutewise.ini"));
        DanData& dan = s.DanBuf[0];
        dan.SyosetsuCnt = s.CurSyosetsuCnt;
        for (size_t m = 0; m < measures.size(); ++m) {
            SyosetsuData& ms = dan.Syosetsu[m];
            ms.OnpuCnt = static_cast<int16_t>(measures[m].size());
            for (size_t i = 0; i < measures[m].size(); ++i) {
                const N& n = measures[m][i];
                OnpuData& pos = ms.Onpu[i + 1];
                pos.PosNo = static_cast<int16_t>(i + 1);
                if (n.id > 20) {
                    StoreRest(pos, n.id, s.MaxStringIx);
                    continue;
                }
                for (const char* a = n.attrs; *a; ++a) {
                    switch (*a) {
                        case 't': SetBit(pos.NoteAttr, kAttrTie, true); break;
                        case 's': SetBit(pos.NoteAttr, kAttrSlur, true); break;
                        case '.': SetBit(pos.NoteAttr, kAttrDot, true); break;
                        case 'b': SetBit(pos.NoteAttr, kAttrBeam, true); break;
                        case 'd': SetBit(pos.NoteAttr, kAttrStemDown, true); break;
                        case 'h': SetBit(pos.Effect[n.string], kEffectHammer, true); break;
                        case 'p': SetBit(pos.Effect[n.string], kEffectPull, true); break;
                        case 'l': SetBit(pos.Effect[n.string], kEffectSlide, true); break;
                        default:
                            if (*a >= '0' && *a <= '3') pos.SanrenOpt = static_cast<uint8_t>(*a - '0');
                    }
                }
                StoreNote(pos, n.string, n.fret, n.id);
            }
        }
        g.DrawNote = drawNote;
        ed = std::make_unique<RowEditor>(s, g, scene, items, ui, port, 0);
        ed->LoadKugiri();
        ed->ReLayoutTAB("all");
        style = RowStyleOf(s, 0, drawNote);
        EXPECT_TRUE(PrepareGround(st, DataDir(), style, s.DanLayout[0]));
        Paint();
    }

    void Paint() { picTAB = RowPicture({scene, items, s.DanBuf[0], s.DanLayout[0], style, st.ground}, 1); }

    // Where the measures' notes, stems and beams are drawn, as a paint works it out.
    MeasurePass Pass() {
        MeasurePass pass;
        DanData dan = s.DanBuf[0];
        InvalidateStaffData(dan);
        QImage img = picTAB.copy();
        const BurnContext c = BurnContextOf(style, s.DanLayout[0]);
        for (int m = 0; m < dan.SyosetsuCnt; ++m) RedrawDan(lwtest::Paint(img), pass, scene, dan, s.DanLayout[0], m, style, c);
        return pass;
    }
};

// The rhythm bands hold many beams and flags: up to 40 pixels far apart.
void ExpectLooksLike(const QImage& actual, const std::string& name) {
    lwtest::WriteDebugPng("rhythm_" + name, actual);
    lwtest::ExpectLooksLike(actual, name, 40);
}

// Beams in pairs, sixteenths, a dotted pair, a triplet, flags, rests, a tie
// across the bar and a hammer-on.
const std::vector<std::vector<N>> kMeasures = {
    {{3, 1, 0}, {3, 1, 1}, {3, 2, 3}, {3, 2, 1}, {3, 3, 2}, {3, 3, 0}, {3, 2, 1}, {3, 2, 0}},
    {{4, 1, 3}, {4, 1, 1}, {4, 2, 3}, {4, 2, 1}, {3, 3, 2, "."}, {4, 3, 0}, {7, 2, 1, "0"}, {7, 2, 3, "0"},
     {7, 1, 0, "0"}, {2, 1, 1}},
    {{3, 2, 1}, {24}, {2, 3, 2}, {3, 4, 2}, {3, 4, 2, "b"}, {3, 3, 0}, {3, 3, 2}},
    {{2, 3, 2, "t"}, {2, 3, 0}, {2, 3, 2, "sh"}, {23}},
};

class Rhythm : public ::testing::Test {
protected:
    static void SetUpTestSuite() { lwtest::EnsureApp(); }
};

}  // namespace

TEST_F(Rhythm, GlyphChoice) {
    const uint8_t dot = 32, down = 4;
    struct Case {
        int id;
        uint8_t attr;
        Stamp note, rhythm, tate;
    } cases[] = {
        {0, 0, Stamp::pic2note, Stamp::pic0Up_2, Stamp::pic0Up_2},
        {1, 0, Stamp::pic2note, Stamp::pic2Up_2, Stamp::pic4up_2},
        {2, 0, Stamp::pic4note, Stamp::pic4up_2, Stamp::pic4up_2},
        {1, dot, Stamp::pic2note_futen, Stamp::pic8Up_futen, Stamp::pic4up_2},
        {2, dot, Stamp::pic4note_futen, Stamp::pic8Up_futen, Stamp::pic4up_2},
        {3, 0, Stamp::pic4note, Stamp::pic8Up_2, Stamp::pic8Up_2},
        {3, down, Stamp::pic4note, Stamp::pic8Up_2, Stamp::pic8Down_2},
        {4, down, Stamp::pic4note, Stamp::pic16Up_2, Stamp::pic16Down_2},
        {7, 0, Stamp::pic4note, Stamp::pic8Up_2, Stamp::pic8Up_2},
        {23, 0, Stamp::None, Stamp::None, Stamp::None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CopyPictureNote(c.id, c.attr), c.note) << c.id;
        EXPECT_EQ(CopyPictureRhythm(c.id, c.attr), c.rhythm) << c.id;
        EXPECT_EQ(CopyPictureTate(c.id, c.attr), c.tate) << c.id;
    }
    EXPECT_EQ(CopyPictureKyufu(21), CopyPictureKyufu(22));
    EXPECT_EQ(CopyPictureKyufu(25), Stamp::pic16Kyufu);
    EXPECT_EQ(CopyPicture3ren(0), Stamp::pic3renDown);
    EXPECT_EQ(CopyPicture3ren(1), Stamp::pic3renUp);
    EXPECT_EQ(CopyPictureRepMark(2), Stamp::picCoda);
    EXPECT_EQ(CopyPictureRepMark(9), Stamp::None);
    EXPECT_EQ(TickOf(2, dot), 36);
    EXPECT_EQ(TickOf(7, dot), 16);
}

TEST_F(Rhythm, ArcRule) {
    const double h = 8;
    // Flat: half an ellipse from the start, |dx| wide and h tall.
    ArcShape a = ArcRule({100, 50}, {160, 51}, h, false, false);
    EXPECT_EQ(a.box, QRectF(100, 46, 60, 8));
    // Quarter ellipses: 2|dx| by 2|dy| boxes, by side and direction.
    EXPECT_EQ(ArcRule({100, 50}, {160, 30}, h, true, false).box, QRectF(100, 30, 120, 40));
    EXPECT_EQ(ArcRule({100, 50}, {160, 70}, h, true, false).box, QRectF(40, 50, 120, 40));
    EXPECT_EQ(ArcRule({100, 50}, {160, 30}, h, false, false).box, QRectF(40, 10, 120, 40));
    EXPECT_EQ(ArcRule({100, 50}, {160, 70}, h, false, false).box, QRectF(100, 30, 120, 40));
    // Staff form: above moves up h/2, below down h/4; left and start move in by h/2.
    a = ArcRule({100, 50}, {160, 50}, h, true, true);
    EXPECT_EQ(a.box, QRectF(104, 42, 56, 8));
    EXPECT_EQ(a.start, QPointF(104, 46));
    a = ArcRule({100, 50}, {160, 50}, h, false, true);
    EXPECT_EQ(a.box, QRectF(104, 48, 56, 8));
    // Drawn: a tie below bends down, one above bends up.
    for (bool above : {false, true}) {
        QImage img(200, 100, QImage::Format_RGB32);
        img.fill(Qt::white);
        DrawArc(lwtest::Paint(img), ArcRule({40, 50}, {160, 50}, 20, above, false));
        const QRect ink = lwtest::InkBox(img);
        EXPECT_NEAR(ink.center().x(), 100, 3);
        if (above) EXPECT_LT(ink.top(), 45);
        else EXPECT_GT(ink.bottom(), 55);
        EXPECT_LE(ink.height(), 14);
    }
}

TEST_F(Rhythm, BeamedFlaggedAndTripletMeasures) {
    for (bool drawNote : {false, true}) {
        BuiltRow row(kMeasures, 1, drawNote);
        EXPECT_TRUE(row.ui.shown.empty());
        const DanLayoutData& l = row.s.DanLayout[0];
        const int tpp = row.style.tpp;
        const int top = drawNote ? l.StaffTop / tpp - 50 : l.TabTop / tpp - 70;
        const QImage band = row.picTAB.copy(0, top, row.picTAB.width(), drawNote ? 110 : 75);
        ExpectLooksLike(band, drawNote ? "staff_measures" : "rhythm_row_measures");
        lwtest::WriteDebugPng(drawNote ? "rhythm_staff_row" : "rhythm_row_row", row.picTAB);
        // Beams are solid bands: measure 0's four pairs darken the row well
        // beyond four single stems.
        const int x0 = l.SyosetsuLeft[0] / tpp, x1 = l.SyosetsuLeft[1] / tpp;
        EXPECT_GT(lwtest::InkIn(band, QRect(x0, 0, x1 - x0, band.height())),
                  lwtest::InkIn(row.st.ground.image.copy(0, top, row.picTAB.width(), band.height()),
                                QRect(x0, 0, x1 - x0, band.height())) + 400);
    }
}

TEST_F(Rhythm, ATieOnTheRowsFirstNoteDrawsNothingAndDrawingLeavesTheRowAsItWas) {
    const std::vector<std::vector<N>> plain = {{{2, 1, 0}, {2, 1, 0}}, {{1, 1, 0}}};
    std::vector<std::vector<N>> tied = plain;
    tied[0][0].attrs = "t";
    for (bool drawNote : {false, true}) {
        BuiltRow a(plain, 1, drawNote), b(tied, 1, drawNote);
        EXPECT_EQ(a.picTAB, b.picTAB) << drawNote;
        // Bits 3 and 6 and the beat groups are worked out on a copy.
        const OnpuData& p = b.s.DanBuf[0].Syosetsu[0].Onpu[2];
        EXPECT_FALSE(GetBit(p.NoteAttr, kAttrBeatStart));
        EXPECT_EQ(p.BeatGroupNo, 0);
    }
}

TEST_F(Rhythm, StemsDownHangBeamsBelowTheHeadsAndChordsShareOneStem) {
    // High notes with stems down, beamed in pairs; a chord of three strings.
    const std::vector<std::vector<N>> measures = {
        {{3, 1, 5, "d"}, {3, 1, 7, "d"}, {3, 1, 8, "d"}, {3, 1, 10, "d"}, {1, 1, 12, "d"}},
        {{2, 1, 0}, {2, 1, 0}, {1, 1, 0}},
    };
    BuiltRow row(measures, 1, true);
    // A chord: strings 1-3 at the first position of measure 2.
    OnpuData& chord = row.s.DanBuf[0].Syosetsu[1].Onpu[1];
    lw::StoreNote(chord, 2, 1, 2);
    lw::StoreNote(chord, 3, 0, 2);
    row.ed->ReLayoutTAB("all");
    row.Paint();
    lwtest::WriteDebugPng("rhythm_stems_down", row.picTAB);
    const MeasurePass pass = row.Pass();
    const MeasureGeom& g0 = pass.geom[0];
    for (int p = 1; p <= 4; ++p) {
        ASSERT_TRUE(g0[p].placed) << p;
        EXPECT_TRUE(g0[p].down) << p;
        EXPECT_GT(g0[p].stemEnd, g0[p].bottom + 2 * 8) << "the stem hangs below the head, " << p;
        EXPECT_LT(g0[p].stemX, g0[p].left + 4) << "on the head's left side, " << p;
    }
    EXPECT_NEAR(g0[1].stemEnd, g0[2].stemEnd, 6) << "one beam joins the pair";
    const NoteGeom& c = pass.geom[1][1];
    ASSERT_TRUE(c.placed);
    EXPECT_GT(c.bottom - c.top, 8) << "three heads";
    EXPECT_LT(c.stemEnd, c.top - 3 * 8 + 1) << "one stem from the lowest head past the highest";
}

TEST_F(Rhythm, PrintedAt300DpiBeamsLettersAndHeadsKeepTheirScreenProportions) {
    // The row painted for a 300 dpi printer: 300 / 96 device pixels to a
    // screen pixel, every mark drawn at that size (not an enlarged picture).
    for (bool drawNote : {false, true}) {
        BuiltRow row(kMeasures, 1, drawNote);
        const double k = 300.0 / 96.0;
        const QImage print = RowPicture({row.scene, row.items, row.s.DanBuf[0], row.s.DanLayout[0], row.style, row.st.ground}, k);
        ASSERT_EQ(print.width(), int(std::ceil(row.picTAB.width() * k)));
        const DanLayoutData& l = row.s.DanLayout[0];
        const int tpp = row.style.tpp;
        // The notes of the first two measures: beams, stems, flags, heads.
        const int x0 = l.SyosetsuLeft[0] / tpp + 20, x1 = l.SyosetsuLeft[2] / tpp - 4;
        const int top = drawNote ? l.StaffTop / tpp - 50 : l.TabTop / tpp - 70;
        const int h = drawNote ? 45 : 60;
        const QRect screenBand(x0, top, x1 - x0, h);
        const QRect printBand(int(x0 * k), int(top * k), int((x1 - x0) * k), int(h * k));
        auto inkNotLines = [](const QImage& img, const QRect& r, const QImage* ground, double scale) {
            int n = 0;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x) {
                    if (qGray(img.pixel(x, y)) >= 128) continue;
                    // Ink of the staff lines is left out: printed lines are thinner.
                    const QPoint g(int(x / scale), int(y / scale));
                    if (ground && qGray(ground->pixel(g)) < 128) continue;
                    ++n;
                }
            return n;
        };
        const QImage& ground = row.st.ground.image;
        const int screenInk = inkNotLines(row.picTAB, screenBand, &ground, 1);
        const int printInk = inkNotLines(print, printBand, &ground, k);
        ASSERT_GT(screenInk, 300);
        // Area grows with the square of the scale: hairline beams or specks of
        // letters would give a small fraction of it.
        EXPECT_NEAR(double(printInk) / screenInk, k * k, 0.25 * k * k) << drawNote;
        // The same marks in the same places: the print's ink box is the
        // screen's, scaled.
        const QRect a = lwtest::InkBox(row.picTAB.copy(screenBand)), b = lwtest::InkBox(print.copy(printBand));
        EXPECT_NEAR(b.width() / k, a.width(), 3);
        EXPECT_NEAR(b.height() / k, a.height(), 3);
        // The hammer-on's arc and letter "H" and the fret numbers of measure 3
        // (strings 1 to 3) keep their screen size too.
        const int hx0 = l.SyosetsuLeft[3] / tpp + 4, hx1 = l.SyosetsuLeft[4] / tpp - 4;
        const QRect letterBand(hx0, l.TabTop / tpp - 2, hx1 - hx0, 30);
        const QRect printLetter(int(hx0 * k), int(letterBand.top() * k), int(letterBand.width() * k), int(30 * k));
        const int sl = inkNotLines(row.picTAB, letterBand, &ground, 1), pl = inkNotLines(print, printLetter, &ground, k);
        ASSERT_GT(sl, 10);
        EXPECT_NEAR(double(pl) / sl, k * k, 0.3 * k * k) << drawNote;
        if (!drawNote) ExpectLooksLike(print.copy(printBand), "print_300dpi_rhythm_row");
    }
}
