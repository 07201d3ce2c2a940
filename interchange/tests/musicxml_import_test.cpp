// The MusicXML import: rows written by the writer come back field for field
// where the field has a musical meaning; files re-saved by MuseScore 3 give
// the same notes; pitches without strings get a fingering that keeps the hand
// in one position; everything the rows cannot hold is refused by measure.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <tuple>

#include <unistd.h>

#include "fingering.h"
#include "musicxml_archive.h"
#include "musicxml_import.h"
#include "musicxml_writer.h"
#include "settings.h"
#include "tab_file.h"

using namespace lw;
namespace fs = std::filesystem;

namespace {

constexpr uint8_t kTie = 0x80, kSlur = 0x40, kDot = 0x20, kDown = 0x04;
constexpr int kLeft = 540, kWidth = 15360;
const std::vector<int> kGuitar = {64, 59, 55, 50, 45, 40};

// The settings of a guitar with the default row geometry.
std::unique_ptr<Session> Settings() {
    auto s = std::make_unique<Session>();
    s->GakkiCode = 0;
    s->MaxStringIx = 5;
    s->CurSyosetsuCnt = 4;
    DanLayoutData& l = s->DanLayout[0];
    l.TabLeft = kLeft, l.TabWidth = kWidth, l.TabTop = 2250, l.StaffTop = 780;
    l.StringInterval = 195, l.StaffInterval = 120;
    EXPECT_TRUE(DeriveLayout(*s));
    for (auto& k : s->KeyName) k = "C";
    return s;
}

// The measure of a row of n measures that holds x, as the editor lays it out.
int MeasureOf(double x, int n) {
    int m = 0;
    for (int k = 1; k < n; ++k)
        if (x >= kLeft + RoundHalfEven(double(kWidth) / n * k)) m = k;
    return m;
}

struct Outcome {
    bool ok = false;
    std::string error;
    ImportedPiece piece;
};

Outcome Import(const std::string& xml, const Session& settings, ImportOptions opt = {}) {
    Outcome r;
    r.ok = ImportMusicXml(xml, "t.musicxml", settings, opt, r.piece, &r.error);
    return r;
}

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path Data(const char* name) { return fs::path(LUTEWISE_SOURCE_DIR) / "interchange" / "tests" / "data" / name; }

// What a row says musically, position by position.
using Sounding = std::vector<std::tuple<int, int, int, int>>;   // string, fret, id, effect
struct PosView {
    bool rest;
    int restId;
    uint8_t attr;   // tie, slur, dot, stem down
    Sounding notes;
    bool operator==(const PosView&) const = default;
};

std::vector<PosView> Positions(const SyosetsuData& ms, int strings) {
    std::vector<PosView> out;
    for (int p = 1; p <= ms.OnpuCnt; ++p) {
        const OnpuData& o = ms.Onpu[p];
        PosView v{o.IsRest(), o.IsRest() ? o.NoteLengthID[1] : 0,
                  static_cast<uint8_t>(o.NoteAttr & (kTie | kSlur | kDot | kDown)), {}};
        for (int k = 1; !v.rest && k <= strings; ++k)
            if (o.FletUse[k] == kSounding) v.notes.push_back({k, o.Flet[k], o.NoteLengthID[k], o.Effect[k]});
        out.push_back(v);
    }
    return out;
}

// How often a hand must move to play the placed notes in order: a position
// (first finger at p, frets p..p+3) is kept while every note fits it.
int HandMoves(const std::vector<std::vector<std::pair<int, int>>>& placed) {
    int moves = 0, lo = 1, hi = 21;
    for (const auto& e : placed) {
        int a = 1, b = 21;
        for (auto [s, f] : e)
            if (f > 0) a = std::max(a, f - 3), b = std::min(b, f);
        if (std::max(a, lo) > std::min(b, hi)) {
            ++moves;
            lo = a, hi = b;
        } else {
            lo = std::max(a, lo), hi = std::min(b, hi);
        }
    }
    return moves;
}

// Texts and signs of a row by the measures they stand on.
std::multiset<std::tuple<int, std::string, double>> Texts(const RowItems& it, int n) {
    std::multiset<std::tuple<int, std::string, double>> out;
    for (size_t i = 1; i < it.Texts.size(); ++i) out.insert({MeasureOf(it.Texts[i].Left, n), it.Texts[i].Caption, it.Texts[i].FontSize});
    return out;
}
std::multiset<std::tuple<int, int, std::string>> Signs(const RowItems& it, int n) {
    std::multiset<std::tuple<int, int, std::string>> out;
    for (size_t i = 1; i < it.RepMarks.size(); ++i) {
        const RepMarkItem& m = it.RepMarks[i];
        if (m.Visible) out.insert({MeasureOf(m.Left, n), MeasureOf(m.Left + std::max(0.0, m.Width - 1), n), m.Tag});
    }
    return out;
}

void ExpectSameRow(const DanData& want, const std::string& wantKey, const RowItems* wantItems, const ImportedRow& got,
                   int strings) {
    ASSERT_EQ(got.dan.SyosetsuCnt, want.SyosetsuCnt);
    EXPECT_EQ(got.key, wantKey);
    EXPECT_EQ(got.dan.TopRepStart, want.TopRepStart);
    for (int m = 0; m < want.SyosetsuCnt; ++m) {
        SCOPED_TRACE("measure " + std::to_string(m));
        const SyosetsuData &a = want.Syosetsu[m], &b = got.dan.Syosetsu[m];
        EXPECT_EQ(b.Chord1, a.Chord1);
        EXPECT_EQ(b.Chord2, a.Chord2);
        for (int f : {kBarRepEnd, kBarRepEnd2, kBarPlain, kBarPlain2, kBarRepStart, kBarRepStart2, kBarEndMark})
            EXPECT_EQ(b.BarFlag[f] != 0, a.BarFlag[f] != 0) << "bar flag " << f;
        EXPECT_EQ(Positions(b, strings), Positions(a, strings));
    }
    if (wantItems) {
        EXPECT_EQ(Texts(got.items, want.SyosetsuCnt), Texts(*wantItems, want.SyosetsuCnt));
        EXPECT_EQ(Signs(got.items, want.SyosetsuCnt), Signs(*wantItems, want.SyosetsuCnt));
    }
}

// Appends a position: (string, fret) pairs, rhythm id, attribute byte, effects per string.
void Put(DanData& d, int m, std::vector<std::pair<int, int>> notes, int id, uint8_t attr = 0,
         std::vector<std::pair<int, uint8_t>> fx = {}) {
    SyosetsuData& ms = d.Syosetsu[m];
    OnpuData& o = ms.Onpu[++ms.OnpuCnt];
    o.PosNo = ms.OnpuCnt;
    o.NoteAttr = attr;
    if (id > 20) StoreRest(o, id, 5);
    for (auto [k, f] : notes) StoreNote(o, k, f, id);
    for (auto [k, e] : fx) o.Effect[k] = e;
}

void Sign(RowItems& it, int n, int from, int to, const char* tag) {
    RepMarkItem r;
    r.Left = kLeft + double(kWidth) / n * from + 100;
    r.Width = double(kWidth) / n * (to - from) + 500;
    r.Height = 300;
    r.Tag = tag;
    r.Visible = true;
    it.RepMarks.push_back(r);
}

void Text(RowItems& it, int n, int m, const char* caption, double size) {
    TextItem t;
    t.Left = kLeft + double(kWidth) / n * m + 200;
    t.Top = 60;
    t.Caption = caption;
    t.FontSize = size;
    it.Texts.push_back(t);
}

}  // namespace

TEST(MusicXmlImport, RowsComeBackFromTheirExport) {
    auto s = Settings();
    const int counts[3] = {4, 4, 2};
    for (int r = 0; r < 3; ++r) {
        ResetRow(s->DanBuf[r]);
        s->DanBuf[r].SyosetsuCnt = static_cast<int16_t>(counts[r]);
        for (int m = 0; m <= counts[r]; ++m)
            s->DanLayout[r].SyosetsuLeft[m] = static_cast<int16_t>(kLeft + RoundHalfEven(double(kWidth) / counts[r] * m));
        for (int m = 0; m < counts[r]; ++m)
            s->DanBuf[r].Syosetsu[m].BarFlag[kBarPlain] = s->DanBuf[r].Syosetsu[m].BarFlag[kBarPlain2] = kTrue;
    }
    s->KeyName[0] = "G", s->KeyName[1] = "B♭", s->KeyName[2] = "Em";
    DanData &a = s->DanBuf[0], &b = s->DanBuf[1], &c = s->DanBuf[2];
    std::vector<RowItems> items(3);
    // Row 1: every plain value, a chord, dots, ties, slurs and the three techniques.
    a.TopRepStart = kTrue;
    Put(a, 0, {{6, 0}, {5, 2}, {4, 2}}, 0);
    Put(a, 1, {{1, 3}}, 1, kDot);
    Put(a, 1, {{2, 1}}, 2);
    Put(a, 2, {{3, 2}}, 2);
    Put(a, 2, {{3, 2}}, 2, kTie);
    Put(a, 2, {{2, 0}}, 3);
    Put(a, 2, {{2, 2}}, 3, kSlur, {{2, 0x80}});   // hammer-on
    Put(a, 2, {{2, 0}}, 3, 0, {{2, 0x40}});       // pull-off
    Put(a, 2, {{2, 3}, {4, 2}}, 3, 0, {{2, 0x20}});  // slide in a chord
    for (int i = 0; i < 4; ++i) Put(a, 3, {{1, 5 + i}}, 4, i == 3 ? kSlur : 0);
    for (int i = 0; i < 8; ++i) Put(a, 3, {{1, 12 - i}}, 5);
    for (int id : {23, 24, 25, 25}) Put(a, 3, {}, id);
    a.Syosetsu[3].BarFlag[kBarRepEnd] = a.Syosetsu[3].BarFlag[kBarRepEnd2] = kTrue;
    a.Syosetsu[0].Chord1 = "Em";
    a.Syosetsu[0].Chord2 = "B7";
    a.Syosetsu[2].Chord1 = "C△7";
    Text(items[0], 4, 0, "Allegretto", 12);
    Text(items[0], 4, 2, "rit.", 0);
    Sign(items[0], 4, 1, 1, "0");   // segno
    // Row 2: triplets of each value, the half-note triplet, rests with dots.
    for (int id : {7, 7, 7, 6, 6, 6, 8, 8, 8}) Put(b, 0, {{2, 3}}, id, id == 8 ? kTie : 0);
    Put(b, 0, {}, 24);
    for (int i = 0; i < 3; ++i) Put(b, 1, {{1, i}, {3, 2}}, 8, kDot);
    Put(b, 2, {}, 21);
    Put(b, 3, {}, 22, kDot);
    Put(b, 3, {{5, 1}}, 2);
    b.Syosetsu[1].BarFlag[kBarRepStart] = b.Syosetsu[1].BarFlag[kBarRepStart2] = kTrue;
    b.Syosetsu[0].Chord1 = "B♭";
    b.Syosetsu[0].Chord2 = "F7";
    b.Syosetsu[3].Chord2 = "Gm7(-5)";
    Text(items[1], 4, 2, "ゆっくり", 10);
    Sign(items[1], 4, 3, 3, "1");   // to coda
    // Row 3: endings, the end mark and the signs that close a piece.
    Put(c, 0, {{4, 2}}, 2, kDot);
    Put(c, 0, {{4, 4}}, 3, kSlur);
    Put(c, 0, {{3, 0}, {2, 0}, {1, 0}}, 2);
    Put(c, 0, {{3, 0}, {2, 0}, {1, 0}}, 2, kTie);
    Put(c, 1, {{6, 0}, {1, 0}}, 0);
    c.Syosetsu[1].BarFlag[kBarEndMark] = kTrue;
    Sign(items[2], 2, 0, 0, "5");
    Sign(items[2], 2, 1, 1, "6");
    for (const char* t : {"2", "3", "4", "7", "8"}) Sign(items[2], 2, 1, 1, t);

    const std::string xml = MusicXmlOf(*s, {{0, &items[0]}, {1, &items[1]}, {2, &items[2]}}, "t");
    const Outcome r = Import(xml, *Settings());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.piece.warnings.empty());
    EXPECT_TRUE(r.piece.tuningFromFile);
    ASSERT_EQ(r.piece.rows.size(), 3u);
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE("row " + std::to_string(row));
        EXPECT_EQ(r.piece.rows[row].meter, 22);
        ExpectSameRow(s->DanBuf[row], s->KeyName[row], &items[row], r.piece.rows[row], 6);
    }
}

TEST(MusicXmlImport, MetersKeysAndRowBreaks) {
    struct Case {
        int meter;
        const char* key;
    } cases[] = {{0, "F"}, {1, "Dm"}, {2, "D"}, {10, "C#"}, {11, "A♭m"}, {12, "E♭"}, {20, "C♭"}, {21, "F#m"}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.meter);
        auto s = Settings();
        s->MeterID = static_cast<int16_t>(k.meter);
        s->KeyName[0] = k.key;
        s->DanBuf[0].SyosetsuCnt = 7;
        for (int m = 0; m < 7; ++m) Put(s->DanBuf[0], m, {{1, m}}, 2);
        RowItems none;
        ImportOptions opt;
        opt.measuresPerRow = 3;
        const Outcome r = Import(MusicXmlOf(*s, {{0, &none}}, ""), *Settings(), opt);
        ASSERT_TRUE(r.ok) << r.error;
        ASSERT_EQ(r.piece.rows.size(), 3u) << "3 + 3 + 1 measures";
        EXPECT_EQ(r.piece.rows[2].dan.SyosetsuCnt, 1);
        for (const ImportedRow& row : r.piece.rows) {
            EXPECT_EQ(row.meter, k.meter);
            EXPECT_EQ(row.key, k.key);
        }
        EXPECT_EQ(r.piece.rows[2].dan.Syosetsu[0].Onpu[1].Flet[1], 6);
    }
    // Rows of their own time signatures: each row starts with its own.
    {
        auto s = Settings();
        s->MeterID = 12;   // the active row, slot 0: 3/4
        s->DanBuf[1].MeterID = 1;
        for (int slot = 0; slot < 2; ++slot) {
            s->DanBuf[slot].SyosetsuCnt = 1;
            Put(s->DanBuf[slot], 0, {{1, slot}}, 1, kDot);
        }
        RowItems none;
        const Outcome r = Import(MusicXmlOf(*s, {{0, &none}, {1, &none}}, ""), *Settings());
        ASSERT_TRUE(r.ok) << r.error;
        ASSERT_EQ(r.piece.rows.size(), 2u);
        EXPECT_EQ(r.piece.rows[0].meter, 12);
        EXPECT_EQ(r.piece.rows[1].meter, 1);
    }
    // A key change starts a new row.
    const std::string two = R"(<score-partwise><part-list><score-part id="P"/></part-list><part id="P">
      <measure number="1"><attributes><divisions>1</divisions><key><fifths>2</fifths></key></attributes>
        <note><pitch><step>D</step><octave>4</octave></pitch><duration>4</duration><type>whole</type></note></measure>
      <measure number="2"><attributes><key><fifths>-3</fifths><mode>minor</mode></key></attributes>
        <note><pitch><step>C</step><octave>4</octave></pitch><duration>4</duration><type>whole</type></note></measure>
      </part></score-partwise>)";
    const Outcome r = Import(two, *Settings());
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.piece.rows.size(), 2u);
    EXPECT_EQ(r.piece.rows[0].key, "D");
    EXPECT_EQ(r.piece.rows[1].key, "Cm");
}

TEST(MusicXmlImport, ChordNamesKeepTheirHalfOfTheMeasure) {
    // An empty measure with both names, a whole note under the second name
    // only, a half note and a rest under the first only.
    auto s = Settings();
    DanData& d = s->DanBuf[0];
    d.SyosetsuCnt = 3;
    d.Syosetsu[0].Chord1 = "C", d.Syosetsu[0].Chord2 = "G";
    Put(d, 1, {{1, 0}}, 0);
    d.Syosetsu[1].Chord2 = "F";
    Put(d, 2, {{1, 0}}, 1);
    Put(d, 2, {}, 22);
    d.Syosetsu[2].Chord1 = "Dm";
    RowItems none;
    const Outcome r = Import(MusicXmlOf(*s, {{0, &none}}, ""), *Settings());
    ASSERT_TRUE(r.ok) << r.error;
    const DanData& got = r.piece.rows[0].dan;
    for (int m = 0; m < 3; ++m) {
        EXPECT_EQ(got.Syosetsu[m].Chord1, d.Syosetsu[m].Chord1) << m;
        EXPECT_EQ(got.Syosetsu[m].Chord2, d.Syosetsu[m].Chord2) << m;
    }
}

TEST(MusicXmlImport, DottedTripletsComeBackAsTheTripletOfTheirLength) {
    auto s = Settings();
    s->DanBuf[0].SyosetsuCnt = 1;
    Put(s->DanBuf[0], 0, {{1, 0}}, 6, kDot);   // 8 ticks: an eighth-note triplet
    Put(s->DanBuf[0], 0, {{1, 1}}, 7, kDot);   // 16 ticks: a quarter-note triplet
    RowItems none;
    const Outcome r = Import(MusicXmlOf(*s, {{0, &none}}, ""), *Settings());
    ASSERT_TRUE(r.ok) << r.error;
    const SyosetsuData& m = r.piece.rows[0].dan.Syosetsu[0];
    EXPECT_EQ(m.Onpu[1].NoteLengthID[1], 7);
    EXPECT_EQ(m.Onpu[2].NoteLengthID[1], 8);
    EXPECT_EQ(m.Onpu[1].NoteTick[1] + m.Onpu[2].NoteTick[1], 24);
}

TEST(MusicXmlImport, TheExampleProjectResavedByMuseScore) {
    std::string xml, error;
    ASSERT_TRUE(ReadMusicXmlFile(Data("example-musescore.mxl").string(), xml, &error)) << error;
    const Outcome r = Import(xml, *Settings());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.piece.warnings.empty()) << r.piece.warnings.front();
    ASSERT_EQ(r.piece.rows.size(), 4u);
    auto s = Settings();
    int row = 0;
    for (const char* f : {"kirakira1.tab", "kirakira2.tab", "ode1.tab", "ode2.tab"}) {
        SCOPED_TRACE(f);
        RowItems items;
        s->CurDanIx = static_cast<int16_t>(row);
        ASSERT_TRUE(LoadTab(*s, items, (fs::path(LUTEWISE_SOURCE_DIR) / "data" / "examples" / f).string()).ok);
        ExpectSameRow(s->DanBuf[row], s->KeyName[row], nullptr, r.piece.rows[row], 6);
        // The title text comes back in its measure.
        for (size_t t = 1; t < items.Texts.size(); ++t)
            EXPECT_EQ(r.piece.rows[row].items.Texts.at(t).Caption, items.Texts[t].Caption);
        ++row;
    }
}

TEST(MusicXmlImport, APlainStaffFromMuseScoreGetsItsNotesAndPlayableFrets) {
    const Outcome r = Import(ReadFile(Data("plain-staff-musescore.musicxml")), *Settings());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_FALSE(r.piece.tuningFromFile);
    // The melody as written in the source, measure by measure: sounding keys,
    // rhythm id, attribute bits.
    struct Want {
        std::vector<int> keys;
        int id;
        uint8_t attr;
    };
    const std::vector<std::vector<Want>> want = {
        {{{67}, 2, 0}, {{69}, 2, 0}, {{71}, 2, kSlur | kDown}},
        {{{74}, 1, kDot | kDown}},
        {{{74}, 2, kTie | kDown}, {{72}, 7, kDown}, {{71}, 7, kDown}, {{69}, 7, kDown}, {{67}, 2, 0}},
        {{{55, 59, 62}, 2, kDot}, {{64}, 3, 0}, {{66}, 2, 0}},
        {{{}, 23, 0}, {{67}, 3, 0}, {{69}, 3, 0}, {{71}, 2, kDown}},
        {{{}, 22, kDot}},
        {{{72}, 4, kDown}, {{74}, 4, kDown}, {{76}, 3, kDown}, {{74}, 2, kDown}, {{71}, 2, kDown}},
        {{{67}, 1, kDot}},
    };
    const char* chords[8][2] = {{"G", ""}, {"", ""}, {"", ""}, {"D7", ""}, {"", ""}, {"", ""}, {"C", ""}, {"G", ""}};
    ASSERT_EQ(r.piece.rows.size(), 2u);
    std::vector<std::vector<std::pair<int, int>>> hands;
    for (size_t mi = 0; mi < want.size(); ++mi) {
        SCOPED_TRACE("measure " + std::to_string(mi + 1));
        const ImportedRow& row = r.piece.rows[mi / 4];
        EXPECT_EQ(row.key, "G");
        EXPECT_EQ(row.meter, 12);
        const SyosetsuData& ms = row.dan.Syosetsu[mi % 4];
        EXPECT_EQ(ms.Chord1, chords[mi][0]);
        ASSERT_EQ(ms.OnpuCnt, static_cast<int>(want[mi].size()));
        for (size_t p = 0; p < want[mi].size(); ++p) {
            const OnpuData& o = ms.Onpu[p + 1];
            const Want& w = want[mi][p];
            EXPECT_EQ(o.NoteAttr & (kTie | kSlur | kDot | kDown), w.attr);
            if (w.keys.empty()) {
                EXPECT_TRUE(o.IsRest());
                EXPECT_EQ(o.NoteLengthID[1], w.id);
                continue;
            }
            std::multiset<int> keys;
            std::vector<std::pair<int, int>> placed;
            for (int k = 1; k <= 6; ++k)
                if (o.FletUse[k] == kSounding) {
                    EXPECT_EQ(o.NoteLengthID[k], w.id);
                    EXPECT_LE(o.Flet[k], 24);
                    keys.insert(kGuitar[k - 1] + o.Flet[k]);
                    placed.push_back({k, o.Flet[k]});
                }
            EXPECT_EQ(keys, std::multiset<int>(w.keys.begin(), w.keys.end()));
            int lo = 99, hi = 0;
            for (auto [k, f] : placed)
                if (f > 0) lo = std::min(lo, f), hi = std::max(hi, f);
            EXPECT_LE(hi - (lo == 99 ? hi : lo), 3) << "held in one hand position";
            hands.push_back(placed);
        }
    }
    EXPECT_LE(HandMoves(hands), 1);
    EXPECT_EQ(r.piece.rows[1].dan.Syosetsu[3].BarFlag[kBarEndMark], kTrue);
    ASSERT_EQ(r.piece.rows[0].items.Texts.size(), 2u);
    EXPECT_EQ(r.piece.rows[0].items.Texts[1].Caption, "dolce");
    EXPECT_EQ(MeasureOf(r.piece.rows[0].items.Texts[1].Left, 4), 0);
}

TEST(Fingering, AnOpenPositionMelodyStaysInOpenPosition) {
    // E2 .. G#4 up and down: every note in frets 0..4, open strings where they sound.
    const std::vector<int> melody = {40, 42, 44, 45, 47, 49, 50, 52, 54, 55, 57, 59, 61, 62, 64, 66, 68, 66, 64, 59, 55, 50, 45, 40};
    std::vector<FingerEvent> ev;
    for (int k : melody) ev.push_back({{{k}}});
    const FingerResult r = FingerEvents(ev, kGuitar);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(HandMoves(r.placed), 0);
    for (size_t i = 0; i < ev.size(); ++i) {
        const auto [string, fret] = r.placed[i][0];
        EXPECT_LE(fret, 4) << "note " << i;
        EXPECT_EQ(kGuitar[string - 1] + fret, melody[i]);
        for (int o : kGuitar)
            if (o == melody[i]) { EXPECT_EQ(fret, 0) << "an open string where one sounds"; }
    }
}

TEST(Fingering, ARunUpTheNeckMovesThePositionOnce) {
    // E major from E2 to E5: the low octaves need the open position (F#2 is
    // only the sixth string's second fret), E5 the twelfth fret. One move,
    // not one a note: the notes after it are held in one position.
    const std::vector<int> run = {40, 42, 44, 45, 47, 49, 51, 52, 54, 56, 57, 59, 61, 63, 64, 66, 68, 69, 71, 73, 75, 76};
    std::vector<FingerEvent> ev;
    for (int k : run) ev.push_back({{{k}}});
    const FingerResult r = FingerEvents(ev, kGuitar);
    ASSERT_TRUE(r.ok);
    for (size_t i = 0; i < run.size(); ++i) EXPECT_EQ(kGuitar[r.placed[i][0].first - 1] + r.placed[i][0].second, run[i]);
    EXPECT_EQ(HandMoves(r.placed), 1);
    EXPECT_LE(r.placed[1].front().second, 4);
    EXPECT_GE(r.placed.back().front().second, 9);
    // Greedy lowest frets would move on A4, B4, C#5 and E5.
    std::vector<std::vector<std::pair<int, int>>> lowest;
    for (int k : run) {
        std::pair<int, int> best{0, 99};
        for (int s = 1; s <= 6; ++s)
            if (k - kGuitar[s - 1] >= 0 && k - kGuitar[s - 1] < best.second) best = {s, k - kGuitar[s - 1]};
        lowest.push_back({best});
    }
    EXPECT_GT(HandMoves(lowest), 1);
}

TEST(Fingering, TiesKeepTheirStringAndChordsTakeDistinctStrings) {
    // A hammer-on from A3 stays on A3's string, though B3 sounds open too.
    std::vector<FingerEvent> ev = {{{{57}}}, {{{59, 0, -1, true, -1}}}};
    FingerResult r = FingerEvents(ev, kGuitar);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.placed[0][0], (std::pair<int, int>{3, 2}));
    EXPECT_EQ(r.placed[1][0], (std::pair<int, int>{3, 4}));
    ev[1].notes[0].linked = false;
    EXPECT_EQ(FingerEvents(ev, kGuitar).placed[1][0], (std::pair<int, int>{2, 0})) << "without it: the open string";
    // An E major chord of six notes: one string each.
    ev = {{{{40}, {47}, {52}, {56}, {59}, {64}}}};
    r = FingerEvents(ev, kGuitar);
    ASSERT_TRUE(r.ok);
    std::set<int> strings;
    for (auto [s, f] : r.placed[0]) strings.insert(s);
    EXPECT_EQ(strings.size(), 6u);
    EXPECT_EQ(r.placed[0], (std::vector<std::pair<int, int>>{{6, 0}, {5, 2}, {4, 2}, {3, 1}, {2, 0}, {1, 0}}));
    // A fingering the file gives is kept even where another is lower.
    ev = {{{{64, 2, 5}}}};
    r = FingerEvents(ev, kGuitar);
    EXPECT_EQ(r.placed[0][0], (std::pair<int, int>{2, 5}));
    // Out of reach: named by position and note.
    ev = {{{{60}}}, {{{64}, {39}}}};
    r = FingerEvents(ev, kGuitar);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failEvent, 1);
    EXPECT_EQ(r.failNote, 1);
    ev = {{{{40}, {41}}}};   // two notes only the sixth string reaches
    r = FingerEvents(ev, kGuitar);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failNote, -1);
}

TEST(MusicXmlImport, WhatTheRowsCannotHoldIsRefusedByMeasure) {
    const std::string head = R"(<score-partwise><part-list><score-part id="P"/></part-list><part id="P">
      <measure number="1"><attributes><divisions>48</divisions><time><beats>4</beats><beat-type>4</beat-type></time></attributes>
        <note><pitch><step>E</step><octave>4</octave></pitch><duration>48</duration><type>quarter</type></note></measure><measure number="7">)";
    const std::string tail = "</measure></part></score-partwise>";
    auto note = [](const std::string& inner, int duration = 48, const std::string& type = "quarter", const char* step = "G",
                   int octave = 4) {
        return "<note>" + inner + "<pitch><step>" + step + "</step><octave>" + std::to_string(octave) + "</octave></pitch><duration>" +
               std::to_string(duration) + "</duration><type>" + type + "</type></note>";
    };
    auto repeat = [](const std::string& n, int times) {
        std::string s;
        for (int i = 0; i < times; ++i) s += n;
        return s;
    };
    const std::string trip = "<time-modification><actual-notes>3</actual-notes><normal-notes>2</normal-notes></time-modification>";
    struct Case {
        std::string xml;
        const char* message;
        int part = 1;
    } cases[] = {
        {"hello", "XML として読めません"},
        {"<score-timewise/>", "score-timewise"},
        {"<html/>", "MusicXML の楽譜ではありません"},
        {head + note("") + tail, "パート 2 はありません", 2},
        {head + "<attributes><time><beats>5</beats><beat-type>4</beat-type></time></attributes>" + tail, "小節 7: 拍子 5/4"},
        {head + "<attributes><time><beats>3+2</beats><beat-type>8</beat-type></time></attributes>" + tail, "小節 7: 拍子 3+2/8"},
        {head + "<attributes><key><fifths>9</fifths></key></attributes>" + tail, "小節 7: 調号"},
        {head + repeat(note("", 6, "32nd"), 25) + tail, "小節 7: 音の位置が 25 あり"},
        {head + repeat(note(""), 5) + tail, "小節 7: 音符が拍子 4/4 に収まりません"},
        {head + note("", 3, "64th") + tail, "小節 7: 音価「64th」"},
        {head + "<note><pitch><step>G</step><octave>4</octave></pitch><duration>84</duration><type>quarter</type><dot/><dot/></note>" +
             tail,
         "複付点"},
        {head + "<note><pitch><step>G</step><octave>4</octave></pitch><duration>10</duration><type>16th</type>"
                "<time-modification><actual-notes>5</actual-notes><normal-notes>4</normal-notes></time-modification></note>" + tail,
         "5:4 の連符"},
        {head + "<note><rest/><duration>16</duration><type>eighth</type>" + trip + "</note>" + tail, "3 連符の休符"},
        {head + "<note><rest/><duration>6</duration><type>32nd</type></note>" + tail, "32 分休符"},
        {head + "<note><grace/><pitch><step>A</step><octave>4</octave></pitch><type>eighth</type></note>" + note("") + tail,
         "小節 7: 装飾音符"},
        {head + "<note><unpitched><display-step>C</display-step><display-octave>5</display-octave></unpitched>"
                "<duration>48</duration><type>quarter</type></note>" + tail,
         "打楽器"},
        {head + note("", 48, "quarter", "C", 1) + tail, "小節 7: C1 はギターのどの弦でも弾けません"},
        {head + note("", 48, "quarter", "C", 8) + tail, "小節 7: C8 はギター"},
        {head + note("") + repeat(note("<chord/>", 48, "quarter", "E", 2), 2) + tail, "小節 7: 和音 G4 E2 E2"},
        {head + note("") + "<backup><duration>24</duration></backup>" + note("") + tail, "小節 7: 声部 1 の音符が重なっています"},
        {head + "<forward><duration>1</duration></forward>" + note("") + tail, "小節 7: 声部 1 の休みが段の休符で表せません"},
        {head + "<note><rest measure=\"yes\"/><duration>50</duration></note>" + tail, "小節 7: 休符の長さ"},
        {head + "<note><pitch><step>G</step><octave>4</octave></pitch><duration>50</duration></note>" + tail, "小節 7: 音価が段に置けません"},
        {head + "<note><pitch><step>G</step><alter>0.5</alter><octave>4</octave></pitch><duration>48</duration><type>quarter</type></note>" +
             tail,
         "微分音"},
        {head + "<note><pitch><step>G</step><octave>4</octave></pitch><duration>128</duration><type>whole</type>" + trip + "</note>" + tail,
         "3 連符の「whole」"},
        {head + "<note><pitch><step>G</step><octave>4</octave></pitch><duration>24</duration><type>eighth</type><dot/>" + trip + "</note>" +
             tail,
         "付点の 3 連符"},
        {"<score-partwise><part-list/></score-partwise>", "パートがありません"},
        {"<score-partwise><part id=\"P\"/></score-partwise>", "パート 1 に小節がありません"},
        {"<score-partwise><part id=\"P\">" + repeat("<measure/>", 8001) + "</part></score-partwise>", "小節が 8001 あり"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        ImportOptions opt;
        opt.part = c.part;
        const Outcome r = Import(c.xml, *Settings(), opt);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find(c.message), std::string::npos) << r.error;
        EXPECT_EQ(r.error.rfind("「t.musicxml」", 0), 0u) << r.error;
    }
}

TEST(MusicXmlImport, OtherVoicesAreDroppedWithOneWarningAndTabTuningsChooseTheInstrument) {
    // Voice 2 under a melody; a five-line TAB tuned as the four-string bass.
    const std::string xml = R"(<score-partwise><part-list><score-part id="P"/></part-list><part id="P">
      <measure number="1"><attributes><divisions>1</divisions><staves>1</staves><clef><sign>TAB</sign><line>5</line></clef>
        <staff-details><staff-lines>4</staff-lines>
          <staff-tuning line="1"><tuning-step>E</tuning-step><tuning-octave>1</tuning-octave></staff-tuning>
          <staff-tuning line="2"><tuning-step>A</tuning-step><tuning-octave>1</tuning-octave></staff-tuning>
          <staff-tuning line="3"><tuning-step>D</tuning-step><tuning-octave>2</tuning-octave></staff-tuning>
          <staff-tuning line="4"><tuning-step>G</tuning-step><tuning-octave>2</tuning-octave></staff-tuning></staff-details></attributes>
        <note><pitch><step>D</step><octave>2</octave></pitch><duration>4</duration><voice>1</voice><type>whole</type>
          <notations><technical><string>2</string><fret>0</fret></technical></notations></note>
        <backup><duration>4</duration></backup>
        <note><pitch><step>E</step><octave>1</octave></pitch><duration>4</duration><voice>2</voice><type>whole</type></note></measure>
      <measure number="2">
        <note><pitch><step>A</step><octave>1</octave></pitch><duration>4</duration><voice>1</voice><type>whole</type>
          <notations><technical><string>4</string><fret>5</fret></technical></notations></note>
        <backup><duration>4</duration></backup>
        <note><pitch><step>E</step><octave>1</octave></pitch><duration>4</duration><voice>2</voice><type>whole</type></note></measure>
      </part></score-partwise>)";
    const Outcome r = Import(xml, *Settings());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.piece.gakkiCode, 3);
    EXPECT_EQ(r.piece.maxStringIx, 3);
    ASSERT_EQ(r.piece.warnings.size(), 1u);
    EXPECT_NE(r.piece.warnings[0].find("声部 1 以外"), std::string::npos);
    const SyosetsuData& m0 = r.piece.rows[0].dan.Syosetsu[0];
    const SyosetsuData& m1 = r.piece.rows[0].dan.Syosetsu[1];
    EXPECT_EQ(m0.OnpuCnt, 1);
    EXPECT_EQ(m0.Onpu[1].FletUse[2], kSounding);
    EXPECT_EQ(m0.Onpu[1].Flet[2], 0) << "the file's string and fret";
    EXPECT_EQ(m0.Onpu[1].NoteLengthID[2], 0);
    EXPECT_EQ(m1.Onpu[1].FletUse[4], kSounding);
    EXPECT_EQ(m1.Onpu[1].Flet[4], 5) << "kept though the open A string is lower";
}

TEST(MusicXmlImport, BrokenArchivesAndMissingFilesAreNamed) {
    const fs::path dir = fs::temp_directory_path() / ("lw-mxl-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string good = ReadFile(Data("example-musescore.mxl"));
    std::string xml, error;
    ASSERT_TRUE(UnpackMxl(good, "a.mxl", xml, &error)) << error;
    EXPECT_NE(xml.find("<score-partwise"), std::string::npos);
    std::string broken = good;
    broken[broken.size() / 2] ^= 0x55;
    for (const std::string& bytes : {good.substr(0, good.size() / 2), broken}) {
        std::ofstream((dir / "b.mxl").string(), std::ios::binary) << bytes;
        EXPECT_FALSE(ReadMusicXmlFile((dir / "b.mxl").string(), xml, &error));
        EXPECT_NE(error.find("圧縮ファイルとして読めません"), std::string::npos) << error;
    }
    EXPECT_FALSE(ReadMusicXmlFile((dir / "none.musicxml").string(), xml, &error));
    EXPECT_NE(error.find("見つかりません"), std::string::npos);
    EXPECT_FALSE(ReadMusicXmlFile(dir.string(), xml, &error));
    EXPECT_NE(error.find("ファイルではありません"), std::string::npos);
    fs::remove_all(dir);
}

TEST(MusicXmlImport, DamagedScoresAreReadOrRefusedNeverHalfHeld) {
    // Fixed-seed damage to two real files: bytes changed, cut short, numbers
    // made huge or negative. Every outcome is a refusal with a message or
    // rows within the editor's limits.
    const std::string sources[] = {ReadFile(Data("plain-staff-musescore.musicxml")), ReadFile(Data("plain-staff-source.musicxml"))};
    const char* numbers[] = {"0", "-3", "99999999999", "1e300", "7", "nan", ""};
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    auto settings = Settings();
    int refused = 0, read = 0;
    for (int i = 0; i < 400; ++i) {
        std::string x = sources[i % 2];
        for (int k = 0; k < 1 + i % 4; ++k) {
            const size_t at = next() % x.size();
            switch (next() % 4) {
                case 0: x[at] = static_cast<char>(next() % 128); break;
                case 1: x.resize(at); break;
                case 2: {
                    const size_t gt = x.find('>', at);
                    const size_t lt = gt == std::string::npos ? gt : x.find('<', gt);
                    if (lt != std::string::npos) x.replace(gt + 1, lt - gt - 1, numbers[next() % 7]);
                    break;
                }
                default: x.erase(at, std::min<size_t>(x.size() - at, next() % 200));
            }
            if (x.empty()) x = "<";
        }
        const Outcome r = Import(x, *settings);
        if (!r.ok) {
            EXPECT_FALSE(r.error.empty());
            ++refused;
            continue;
        }
        ++read;
        for (const ImportedRow& row : r.piece.rows) {
            ASSERT_GE(row.dan.SyosetsuCnt, 1);
            ASSERT_LE(row.dan.SyosetsuCnt, 4);
            ASSERT_TRUE(IsValidMeterId(row.meter));
            for (int m = 0; m < row.dan.SyosetsuCnt; ++m) {
                const SyosetsuData& ms = row.dan.Syosetsu[m];
                ASSERT_LE(ms.OnpuCnt, kMaxPositions);
                for (int p = 1; p <= ms.OnpuCnt; ++p)
                    for (int k = 1; k <= 6; ++k)
                        if (ms.Onpu[p].FletUse[k]) { ASSERT_LE(ms.Onpu[p].Flet[k], 24); }
            }
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(read, 0);
}

TEST(MusicXmlImport, AGuitarWrittenAnOctaveUpSoundsWhereItIsPlayed) {
    // A treble staff with the guitar's written transposition: E5 on paper is
    // the open first string.
    const std::string xml = R"(<score-partwise><part-list><score-part id="P"/></part-list><part id="P"><measure number="1">
      <attributes><divisions>1</divisions><transpose><diatonic>0</diatonic><chromatic>0</chromatic><octave-change>-1</octave-change>
        </transpose><clef><sign>G</sign><line>2</line></clef></attributes>
      <note><pitch><step>E</step><octave>5</octave></pitch><duration>2</duration><type>half</type></note>
      <note><pitch><step>E</step><octave>3</octave></pitch><duration>2</duration><type>half</type></note></measure></part></score-partwise>)";
    const Outcome r = Import(xml, *Settings());
    ASSERT_TRUE(r.ok) << r.error;
    const SyosetsuData& m = r.piece.rows[0].dan.Syosetsu[0];
    EXPECT_EQ(m.Onpu[1].FletUse[1], kSounding);
    EXPECT_EQ(m.Onpu[1].Flet[1], 0);
    EXPECT_EQ(m.Onpu[2].FletUse[6], kSounding);
    EXPECT_EQ(m.Onpu[2].Flet[6], 0);
}
