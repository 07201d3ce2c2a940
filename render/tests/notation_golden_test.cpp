// Notation as a musician reads it, compared with approved pictures
// (render/tests/data/notation_*.png): scales up the fingerboard, every key's
// chromatic scale, every rhythm value, rests, and a score whose rows change
// meter. LUTEWISE_UPDATE_GOLDEN=1 writes the pictures anew; look at every
// changed one before committing it.
#include <gtest/gtest.h>

#include <QPainter>
#include <memory>
#include <sstream>

#include "render_test_support.h"
#include "row_drawing.h"
#include "row_editor.h"
#include "row_paint.h"
#include "score.h"
#include "settings.h"
#include "stamps.h"

using namespace lw;
using lwtest::DataDir;
using lwtest::QuietUi;

namespace {

// One row as a row window lays it out and paints it (default Lutewise.ini).
// Notes are written "string:fret+string:fret/value" with the flags "."
// (dot), "d" (stems down), "b" (beam into the next beat), "~n" (triplet
// pattern n), "s" (slur from the note before) with "h", "p" or "l" (hammer-on,
// pull-off, slide on its strings); a rest is "r/23".
class Row {
public:
    Row(int gakkiCode, const std::string& key, int meter, int measures, bool drawNote = true, int posRhythm = 1) {
        s.PosRhythm = static_cast<int16_t>(posRhythm);
        EXPECT_TRUE(ReadIniSettings(s, ui, DataDir() + "/Lutewise.ini"));
        s.GakkiCode = static_cast<int16_t>(gakkiCode);
        s.MaxStringIx = gakkiCode == 3 ? 3 : 5;
        s.CurSyosetsuCnt = static_cast<int16_t>(measures);
        s.MeterID = static_cast<int16_t>(meter);
        s.KeyName[0] = key;
        DanData& d = s.DanBuf[0];
        d.SyosetsuCnt = s.CurSyosetsuCnt;
        d.MeterID = s.MeterID;
        for (int m = 0; m < measures; ++m) d.Syosetsu[m].BarFlag[kBarPlain] = d.Syosetsu[m].BarFlag[kBarPlain2] = kTrue;
        ReadIniSettings(s, ui, DataDir() + "/Lutewise.ini");  // measure boxes for the count
        g.DrawNote = drawNote;
        style_ = RowStyleOf(s, 0, drawNote);
        EXPECT_TRUE(PrepareGround(st_, DataDir(), style_, s.DanLayout[0]));
    }

    Row& Put(int m, const std::string& notes) {
        std::istringstream in(notes);
        std::string t;
        while (in >> t) {
            SyosetsuData& ms = s.DanBuf[0].Syosetsu[m];
            OnpuData& o = ms.Onpu[++ms.OnpuCnt];
            o.PosNo = ms.OnpuCnt;
            const size_t slash = t.find('/');
            const std::string flags = t.substr(slash + 1);
            const int id = std::stoi(flags);
            if (flags.find('.') != std::string::npos) SetBit(o.NoteAttr, kAttrDot, true);
            if (flags.find('d') != std::string::npos) SetBit(o.NoteAttr, kAttrStemDown, true);
            if (flags.find('b') != std::string::npos) SetBit(o.NoteAttr, kAttrBeam, true);
            if (const size_t w = flags.find('~'); w != std::string::npos) o.SanrenOpt = uint8_t(flags[w + 1] - '0');
            if (flags.find('s') != std::string::npos) SetBit(o.NoteAttr, kAttrSlur, true);
            const int effect = flags.find('h') != std::string::npos   ? kEffectHammer
                               : flags.find('p') != std::string::npos ? kEffectPull
                               : flags.find('l') != std::string::npos ? kEffectSlide
                                                                      : -1;
            if (t[0] == 'r') {
                StoreRest(o, id, s.MaxStringIx);
                continue;
            }
            std::istringstream strings(t.substr(0, slash));
            std::string one;
            while (std::getline(strings, one, '+')) {
                StoreNote(o, std::stoi(one), std::stoi(one.substr(one.find(':') + 1)), id);
                if (effect >= 0) SetBit(o.Effect[std::stoi(one)], effect, true);
            }
        }
        return *this;
    }

    // The row laid out and painted; `top`..`bottom` (pixels) of it.
    QImage Picture(int top = 0, int bottom = 0) {
        ed_ = std::make_unique<RowEditor>(s, g, scene_, items_, ui, port_, 0);
        ed_->LoadKugiri();
        const DanLayoutData& l = s.DanLayout[0];
        PlaceKeySignature(scene_, l, style_.keyName, style_.bassClef, StaffShown(style_.posRhythm, g.DrawNote),
                          style_.tpp);
        s.DanLayout[0].RowStartInset = RowStartInsetOf(l, style_);
        ed_->ReLayoutTAB("all");
        ed_->LoadChord();
        const QImage pic = RowPicture({scene_, items_, s.DanBuf[0], l, style_, st_.ground}, 1);
        EXPECT_TRUE(ui.shown.empty()) << ui.shown.front();
        return bottom > top ? pic.copy(0, top, pic.width(), bottom - top) : pic;
    }

    Session s;
    EditorGlobals g;
    QuietUi ui;

private:
    RowStyle style_;
    RowRenderState st_;
    RowScene scene_;
    RowItems items_;
    RowPort port_;
    std::unique_ptr<RowEditor> ed_;
};

// Pictures stacked top to bottom.
QImage Stack(const std::vector<QImage>& parts) {
    int w = 0, h = 0;
    for (const QImage& p : parts) {
        w = std::max(w, p.width());
        h += p.height();
    }
    QImage out(w, h, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    int y = 0;
    for (const QImage& part : parts) {
        p.drawImage(0, y, part);
        y += part.height();
    }
    return out;
}

// Pixels of the staff layout (TABn1.bmp): staff from 52, TAB from 150.
constexpr int kStaffTop = 0, kStaffBottom = 120, kTabBottom = 230;

class NotationGolden : public ::testing::Test {
protected:
    static void SetUpTestSuite() { lwtest::EnsureApp(); }
};

}  // namespace

TEST_F(NotationGolden, TwoOctaveScalesUpEveryStringToFret24) {
    // The major scale of each open string over two octaves (frets 0..24), in
    // that key, in eighths: written at its pitch, ledger lines above.
    struct Str {
        int gakki, string;
        const char* key;
    };
    const Str strings[] = {{0, 1, "E"}, {0, 2, "B"}, {0, 3, "G"}, {0, 4, "D"}, {0, 5, "A"}, {0, 6, "E"},
                           {3, 1, "G"}, {3, 2, "D"}, {3, 3, "A"}, {3, 4, "E"}};
    const int frets[] = {0, 2, 4, 5, 7, 9, 11, 12, 14, 16, 17, 19, 21, 23, 24};
    std::vector<QImage> guitar, bass;
    for (const Str& c : strings) {
        Row row(c.gakki, c.key, 22, 2);
        for (int i = 0; i < 15; ++i)
            row.Put(i / 8, std::to_string(c.string) + ":" + std::to_string(frets[i]) + (i < 8 ? "/3" : "/3d"));
        row.Put(1, "r/24");
        (c.gakki == 0 ? guitar : bass).push_back(row.Picture(kStaffTop, kTabBottom));
    }
    lwtest::ExpectLooksLike(Stack(guitar), "notation_scales_guitar");
    lwtest::ExpectLooksLike(Stack(bass), "notation_scales_bass");
}

TEST_F(NotationGolden, ChromaticScaleOfEveryKey) {
    // Up from the tonic in the first measure, down from its octave in the
    // second, in sixteenths of 3/4: sharps up, flats down as the key spells
    // them, naturals where a letter returns in the measure.
    const char* majors[] = {"C", "G", "D", "A", "E", "B", "F#", "C#", "F", "B♭", "E♭", "A♭", "D♭", "G♭", "C♭"};
    const char* minors[] = {"Am", "Em", "Bm", "F#m", "C#m", "G#m", "D#m", "A#m", "Dm", "Gm", "Cm", "Fm", "B♭m",
                            "E♭m", "A♭m"};
    const int tonic[] = {0, 7, 2, 9, 4, 11, 6, 1, 5, 10, 3, 8, 1, 6, 11};  // of the majors; minors a sixth up
    auto scale = [&](const char* key, int t, std::vector<QImage>& out) {
        Row row(0, key, 12, 2);
        // Pitch 12 + t (C4 .. B4 written), on the highest string that reaches it.
        const int open[] = {28, 23, 19, 14, 9, 4};
        auto note = [&](int p, const char* v) {
            int s = 1;
            while (open[s - 1] > p) ++s;
            return std::to_string(s) + ":" + std::to_string(p - open[s - 1]) + v;
        };
        std::string up, down;
        for (int i = 0; i < 12; ++i) up += note(12 + t + i, "/4 ");
        for (int i = 12; i > 0; --i) down += note(12 + t + i, "/4 ");
        row.Put(0, up).Put(1, down);
        out.push_back(row.Picture(kStaffTop, kStaffBottom));

    };
    std::vector<QImage> sharp, flat, sharpMinor, flatMinor;
    for (int k = 0; k < 15; ++k) {
        scale(majors[k], tonic[k], k < 8 ? sharp : flat);
        scale(minors[k], (tonic[k] + 9) % 12, k < 8 ? sharpMinor : flatMinor);
    }
    lwtest::ExpectLooksLike(Stack(sharp), "notation_chromatic_sharp_majors");
    lwtest::ExpectLooksLike(Stack(flat), "notation_chromatic_flat_majors");
    lwtest::ExpectLooksLike(Stack(sharpMinor), "notation_chromatic_sharp_minors");
    lwtest::ExpectLooksLike(Stack(flatMinor), "notation_chromatic_flat_minors");
}

TEST_F(NotationGolden, EveryRhythmValuePlainDottedAndInTriplets) {
    // Below the middle line, stems up; on the staff and in the rhythm row.
    const char* measures[][4] = {
        {"3:0/0", "3:0/1 3:2/1", "3:0/2 3:2/2 4:2/2 4:0/2", "3:0/3 3:2/3 3:0/3 4:3/3 3:0/3 3:2/3 3:0/3 4:3/3"},
        {"3:0/4 3:2/4 3:0/4 4:3/4 3:0/4 3:2/4 3:0/4 4:3/4 3:0/4 3:2/4 3:0/4 4:3/4 3:0/4 3:2/4 3:0/4 4:3/4",
         "3:0/5 4:0/5 4:2/5 4:0/5 3:0/5 4:0/5 4:2/5 4:0/5 3:0/5 4:0/5 4:2/5 4:0/5 3:0/5 4:0/5 4:2/5 4:0/5 3:0/1",
         "3:0/1. 3:2/2", "3:0/2. 3:2/3 3:0/3. 4:3/4 3:0/4. 3:2/5 4:2/3"},
        {"3:0/7~0 3:2/7~0 3:0/7~0 3:0/7~1 3:2/7~1 4:2/7~1 3:0/7~2 3:2/7~2 3:0/7~2 3:0/7~3 4:3/7~3 4:0/7~3",
         "3:0/8 3:2/8 3:0/8 3:0/6 3:2/6 3:0/6 4:3/6 3:0/6 3:2/6 3:0/2",
         "3:0/7~3 3:2/7~3 3:0/7~3 3:0/8 3:2/8 3:0/8 4:2/2", "3:0/0."},
    };
    std::vector<QImage> staff, rhythm;
    for (const auto& row : measures) {
        Row notes(0, "C", 22, 4), plain(0, "C", 22, 4, false);
        for (int m = 0; m < 4; ++m) {
            notes.Put(m, row[m]);
            plain.Put(m, row[m]);
        }
        staff.push_back(notes.Picture(kStaffTop, kTabBottom));
        rhythm.push_back(plain.Picture(60, kTabBottom));
    }
    lwtest::ExpectLooksLike(Stack(staff), "notation_rhythm_values_staff");
    lwtest::ExpectLooksLike(Stack(rhythm), "notation_rhythm_values_rhythm_row");
}

TEST_F(NotationGolden, RestsOnTheStaff) {
    Row row(0, "C", 22, 4);
    row.Put(0, "r/21").Put(1, "r/22 1:0/2 r/23").Put(2, "r/23 r/24 1:0/3 r/25 1:0/4 1:1/3 r/23");
    row.Put(3, "1:0/1 r/22");
    Row rhythm(0, "C", 22, 4, false);
    rhythm.Put(0, "r/21").Put(1, "r/22 1:0/2 r/23").Put(2, "r/23 r/24 1:0/3 r/25 1:0/4 1:1/3 r/23");
    rhythm.Put(3, "1:0/1 r/22");
    lwtest::ExpectLooksLike(Stack({row.Picture(kStaffTop, kTabBottom), rhythm.Picture(60, kTabBottom)}),
                            "notation_rests");
}

TEST_F(NotationGolden, RowStartChordNamesAndTechniquesKeepTheirDistance) {
    // A repeat from the row's start, four sharps and a D natural at once,
    // chord names over high notes, hammer-on, pull-off and slide.
    for (const int style : {0, 1, 5}) {  // notes on the staff, rhythm under it, TAB alone
        const bool notes = style == 0;
        Row row(0, "E", 22, 3, notes, std::max(style, 1));
        row.s.DanBuf[0].TopRepStart = kTrue;
        row.s.DanBuf[0].Syosetsu[0].Chord1 = "E";
        row.s.DanBuf[0].Syosetsu[0].Chord2 = "D";
        row.s.DanBuf[0].Syosetsu[1].Chord1 = "A";
        row.s.DanBuf[0].Syosetsu[2].Chord1 = "B7";
        row.Put(0, "2:3/2 1:7/2 1:12/2d 1:9/2d");
        row.Put(1, "2:5/3 2:7/3sh 1:5/3 1:4/3sp 3:6/2 3:8/2sl");
        row.Put(2, "4:4/4 4:6/4 3:4/4 3:6/4 2:4/4 2:5/4 1:4/4 1:2/4 1:0/1");
        const char* names[] = {"notation_marks_staff", "notation_marks_rhythm_row", "", "", "",
                               "notation_marks_tab_only"};
        lwtest::ExpectLooksLike(style == 5 ? row.Picture() : row.Picture(kStaffTop, kTabBottom), names[style]);
    }
}

TEST_F(NotationGolden, SixEightRowBetweenFourFourRowsOfOneScore) {
    // Each row is beamed by its own meter: pairs in 4/4, threes in 6/8.
    // From the middle line up: stems down.
    const std::string eighths4 = "1:0/3d 1:1/3d 1:3/3d 1:1/3d 1:0/3d 2:3/3d 2:1/3d 2:0/3d";
    const std::string eighths6 = "1:0/3d 1:1/3d 1:3/3d 1:1/3d 1:0/3d 2:3/3d";
    Row a(0, "C", 22, 2), b(0, "C", 1, 3), c(0, "C", 22, 2);
    a.Put(0, eighths4).Put(1, "1:0/2d 1:1/2d 1:3/1d");
    b.Put(0, eighths6).Put(1, eighths6).Put(2, "1:0/2.d 2:1/2.d");
    c.Put(0, eighths4).Put(1, "1:0/0");
    const QImage ra = a.Picture(), rb = b.Picture(), rc = c.Picture();
    const GakufuResult score = ComposeGakufu({&ra, &rb, &rc}, 1, "1", false);
    ASSERT_EQ(score.pages.size(), 1u);
    const QImage& page = score.pages[0];
    lwtest::ExpectLooksLike(page.copy(0, 0, page.width(), kGakufuTopMargin + 3 * 140), "notation_score_meters");
}
