// The MusicXML score read back with Qt's XML reader and compared with what a
// musician writes for the rows by hand: every note as a line "@start type
// duration pitches marks" in divisions of a quarter (48), the TAB staff's
// strings and frets, chord names at their beat, bar lines and repeat signs.
#include <gtest/gtest.h>

#include <QXmlStreamReader>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>

#include "musicxml_writer.h"
#include "tab_file.h"

using namespace lw;
namespace fs = std::filesystem;

namespace {

using V = std::vector<std::string>;

struct XMeasure {
    V staff1, staff2;   // one line per position (chord notes joined)
    V marks;            // "forward", "backward", "light-heavy", "ending 1 start", "segno", "words:..."
    V harmony;          // "root[alter]:text:kind@start"
    int fifths = 99, backup = 0;
    bool newSystem = false;
};

struct XScore {
    std::vector<XMeasure> measures;
    std::string clef, partName;
    int divisions = 0, beats = 0, beatType = 0, staves = 0, lines = 0, octaveChange = 0;
    std::map<int, std::string> tuning;  // TAB line -> "E4"
    std::string error;
};

// One <note> as read.
struct XNote {
    int staff = 0, duration = 0, dots = 0, string = -1, fret = -1;
    bool chord = false, rest = false, triplet = false, stemDown = false;
    std::string pitch, type, marks, tab;
};

XScore Parse(const std::string& xml) {
    XScore sc;
    QXmlStreamReader r(QByteArray::fromStdString(xml));
    XMeasure* m = nullptr;
    XNote n;
    bool inNote = false, inHarmony = false;
    int time = 0, harmonyOffset = 0;
    std::string step, alter, octave, harmonyText;
    auto text = [&] { return r.readElementText().toStdString(); };
    auto num = [&] { return r.readElementText().toInt(); };
    auto attr = [&](const char* a) { return r.attributes().value(QLatin1String(a)).toString().toStdString(); };
    while (!r.atEnd()) {
        r.readNext();
        if (r.isEndElement()) {
            const QString name = r.name().toString();
            if (name == "note") {
                inNote = false;
                V& lines = n.staff == 1 ? m->staff1 : m->staff2;
                if (n.chord && !lines.empty()) {
                    lines.back() += "," + (n.staff == 1 ? n.pitch : n.tab);
                    continue;
                }
                std::string line = "@" + std::to_string(time) + " ";
                if (n.staff == 1) {
                    line += n.type + std::string(n.dots, '.') + " " + std::to_string(n.duration) +
                            (n.triplet ? " 3:2" : "") + (n.stemDown ? " v" : "") + " " + (n.rest ? "rest" : n.pitch);
                    line += n.marks;
                } else {
                    line += n.rest ? "rest" : n.tab;  // arcs and brackets are the staff's
                }
                lines.push_back(line);
                time += n.duration;
            } else if (name == "pitch") {
                n.pitch = step + (alter == "1" ? "#" : alter == "-1" ? "b" : "") + octave;
            } else if (name == "harmony") {
                inHarmony = false;
                m->harmony.push_back(harmonyText + "@" + std::to_string(time + harmonyOffset));
            } else if (name == "technical" && inNote) {
                n.tab = std::to_string(n.string) + "/" + std::to_string(n.fret) + n.tab;
            }
            continue;
        }
        if (!r.isStartElement()) continue;
        const QString name = r.name().toString();
        if (name == "measure") {
            sc.measures.emplace_back();
            m = &sc.measures.back();
            time = 0;
        } else if (name == "part-name") sc.partName = text();
        else if (name == "print") m->newSystem = attr("new-system") == "yes";
        else if (name == "divisions") sc.divisions = num();
        else if (name == "fifths") m->fifths = num();
        else if (name == "beats") sc.beats = num();
        else if (name == "beat-type") sc.beatType = num();
        else if (name == "staves") sc.staves = num();
        else if (name == "sign" && sc.clef.empty()) sc.clef = text();
        else if (name == "clef-octave-change") sc.octaveChange = num();
        else if (name == "staff-lines") sc.lines = num();
        else if (name == "staff-tuning") {
            const int line = std::stoi(attr("line"));
            std::string t;
            while (r.readNextStartElement()) {
                const std::string v = text();
                t += r.name() == QLatin1String("tuning-alter") ? (v == "1" ? "#" : "b") : v;
            }
            sc.tuning[line] = t;
        } else if (name == "note") {
            n = XNote{};
            inNote = true;
        } else if (inNote) {
            if (name == "chord") n.chord = true;
            else if (name == "rest") n.rest = true;
            else if (name == "pitch") alter.clear();
            else if (name == "step") step = text();
            else if (name == "alter") alter = text();
            else if (name == "octave") octave = text();
            else if (name == "duration") n.duration = num();
            else if (name == "type") n.type = text();
            else if (name == "dot") ++n.dots;
            else if (name == "time-modification") {
                r.readNextStartElement();
                const std::string actual = text();
                r.readNextStartElement();
                n.triplet = actual == "3" && text() == "2";
            } else if (name == "staff") n.staff = num();
            else if (name == "stem") n.stemDown = text() == "down";
            else if (name == "string") n.string = num();
            else if (name == "fret") n.fret = num();
            else if (name == "tied") {
                const std::string t = attr("type") == "start" ? "~>" : "~<";
                (n.staff == 1 ? n.pitch : n.tab) += t;
            } else if (name == "slur") n.marks += attr("type") == "start" ? " s>" : " s<";
            else if (name == "tuplet") n.marks += attr("type") == "start" ? " (3" : " 3)";
            else if (name == "hammer-on" || name == "pull-off" || name == "slide")
                n.tab += std::string(" ") + static_cast<char>(name.at(0).toUpper().toLatin1()) +
                         (attr("type") == "start" ? ">" : "<");
        } else if (name == "backup") {
            r.readNextStartElement();
            m->backup = num();
            time -= m->backup;
        } else if (name == "harmony") {
            inHarmony = true;
            harmonyText.clear();
            harmonyOffset = 0;
        } else if (inHarmony) {
            if (name == "root-step") harmonyText = text();
            else if (name == "root-alter") harmonyText += text() == "-1" ? "b" : "#";
            else if (name == "kind") {
                const std::string t = attr("text");
                harmonyText += ":" + t + ":" + text();
            } else if (name == "offset") harmonyOffset = num();
        } else if (name == "repeat") m->marks.push_back(attr("direction"));
        else if (name == "bar-style" && text() == "light-heavy") m->marks.push_back("light-heavy");
        else if (name == "ending") m->marks.push_back("ending " + attr("number") + " " + attr("type"));
        else if (name == "segno" || name == "coda") m->marks.push_back(name.toStdString());
        else if (name == "words") m->marks.push_back("words:" + text());
    }
    if (r.hasError()) sc.error = r.errorString().toStdString();
    return sc;
}

std::unique_ptr<Session> Guitar(int gakki = 0, int maxStringIx = 5) {
    auto s = std::make_unique<Session>();
    s->GakkiCode = static_cast<int16_t>(gakki);
    s->MaxStringIx = static_cast<int16_t>(maxStringIx);
    for (auto& k : s->KeyName) k = "C";
    return s;
}

using Put = std::function<void(int, std::vector<std::pair<int, int>>, int, uint8_t)>;
Put Putter(DanData& d, int maxStringIx) {
    return [&d, maxStringIx](int m, std::vector<std::pair<int, int>> strings, int id, uint8_t attr) {
        SyosetsuData& ms = d.Syosetsu[m];
        OnpuData& o = ms.Onpu[++ms.OnpuCnt];
        o.PosNo = ms.OnpuCnt;
        o.NoteAttr = attr;
        if (id > 20) StoreRest(o, id, maxStringIx);
        for (auto [k, fret] : strings) StoreNote(o, k, fret, id);
    };
}

constexpr uint8_t kTie = 0x80, kSlur = 0x40, kDot = 0x20, kDown = 0x04;
constexpr uint8_t kHammer = 0x80, kSlide = 0x20;

}  // namespace

// Guitar in standard tuning (strings 1..6: E4 B3 G3 D3 A2 E2, written an
// octave higher on a treble-8 clef), 6/8: a measure lasts 6 eighths = 144.
// Row 1 in F major, row 2 in D major.
TEST(MusicXml, EveryPositionWithItsDurationPitchesStringsAndArcs) {
    auto s = Guitar();
    s->MeterID = 1;  // 6/8, the active row's
    s->DanBuf[1].MeterID = 1;
    s->KeyName[0] = "F";
    s->KeyName[1] = "D";
    DanData& a = s->DanBuf[0];
    DanData& b = s->DanBuf[1];
    a.SyosetsuCnt = 2;
    b.SyosetsuCnt = 1;
    const Put put = Putter(a, 5), putB = Putter(b, 5);
    put(0, {{1, 0}}, 7, 0);                      // triplet eighths: 96/3/2 ticks, 16 divisions
    put(0, {{2, 1}}, 7, 0);
    put(0, {{3, 3}}, 7, kDown);
    put(0, {}, 24, 0);                           // eighth rest
    put(0, {{5, 3}, {4, 2}, {3, 0}}, 2, kDot);   // dotted quarter C major chord
    put(1, {{5, 3}, {4, 2}, {3, 0}}, 3, kTie);   // ... tied into an eighth
    put(1, {{1, 10}}, 6, 0);                     // triplet sixteenths
    put(1, {{1, 7}}, 6, kSlur);
    put(1, {{1, 5}}, 6, 0);
    put(1, {{2, 3}}, 5, kDot);                   // dotted 32nd: 4.5 ticks, exactly 9
    put(1, {}, 3, 0);                            // nothing sounds: no note
    put(1, {{6, 0}, {1, 3}}, 25, 0);             // a sixteenth rest stays a rest
    put(1, {{2, 5}}, 7, kDot);                   // a dotted triplet eighth lasts a triplet quarter
    putB(0, {{2, 5}}, 3, kTie);                  // tied across the rows
    putB(0, {{2, 7}}, 3, kSlur);
    b.Syosetsu[0].Onpu[2].Effect[2] = kHammer;
    putB(0, {{2, 5}}, 2, kSlur);
    b.Syosetsu[0].Onpu[3].Effect[2] = kSlide;
    putB(0, {{3, 2}, {2, 3}}, 1, 0);
    RowItems none;
    const XScore sc = Parse(MusicXmlOf(*s, {{0, &none}, {1, &none}}, "t"));
    ASSERT_TRUE(sc.error.empty()) << sc.error;
    ASSERT_EQ(sc.measures.size(), 3u);
    EXPECT_EQ(sc.divisions, 48);
    EXPECT_EQ(sc.beats, 6);
    EXPECT_EQ(sc.beatType, 8);
    EXPECT_EQ(sc.measures[0].fifths, -1);
    EXPECT_EQ(sc.measures[2].fifths, 2);
    EXPECT_FALSE(sc.measures[1].newSystem);
    EXPECT_TRUE(sc.measures[2].newSystem);

    const V staff[3] = {
        {"@0 eighth 16 3:2 E4 (3", "@16 eighth 16 3:2 C4", "@32 eighth 16 3:2 v Bb3 3)", "@48 eighth 24 rest",
         "@72 quarter. 72 G3~>,E3~>,C3~>"},
        {"@0 eighth 24 G3~<,E3~<,C3~<", "@24 16th 8 3:2 D5 s> (3", "@32 16th 8 3:2 B4 s<", "@40 16th 8 3:2 A4 3)",
         "@48 32nd. 9 D4", "@57 16th 12 rest", "@69 quarter 32 3:2 E4~> (3 3)"},
        {"@0 eighth 24 E4~< s>", "@24 eighth 24 F#4 s< s>", "@48 quarter 48 E4 s<", "@96 half 96 D4,A3"},
    };
    const V tab[3] = {
        {"@0 1/0", "@16 2/1", "@32 3/3", "@48 rest", "@72 3/0~>,4/2~>,5/3~>"},
        {"@0 3/0~<,4/2~<,5/3~<", "@24 1/10", "@32 1/7", "@40 1/5", "@48 2/3", "@57 rest", "@69 2/5~>"},
        {"@0 2/5~< H>", "@24 2/7 S> H<", "@48 2/5 S<", "@96 2/3,3/2"},
    };
    const int backup[3] = {144, 101, 192};
    for (int m = 0; m < 3; ++m) {
        SCOPED_TRACE("measure " + std::to_string(m + 1));
        EXPECT_EQ(sc.measures[m].staff1, staff[m]);
        EXPECT_EQ(sc.measures[m].staff2, tab[m]);
        EXPECT_EQ(sc.measures[m].backup, backup[m]);
    }
}

// Every rhythm value alone in a 4/4 measure: its type, dots, triplet ratio
// and length in divisions (quarter = 48); a lone triplet note gets its own
// bracket.
TEST(MusicXml, EachRhythmValueHasItsDuration) {
    struct Case {
        int id;
        uint8_t attr;
        const char* line;
    } cases[] = {
        {0, 0, "whole 192 G3"},      {0, kDot, "whole. 288 G3"},  {1, 0, "half 96 G3"},
        {1, kDot, "half. 144 G3"},   {2, 0, "quarter 48 G3"},     {2, kDot, "quarter. 72 G3"},
        {3, 0, "eighth 24 G3"},      {3, kDot, "eighth. 36 G3"},  {4, 0, "16th 12 G3"},
        {4, kDot, "16th. 18 G3"},    {5, 0, "32nd 6 G3"},         {5, kDot, "32nd. 9 G3"},
        {6, 0, "16th 8 3:2 G3 (3 3)"},     {7, 0, "eighth 16 3:2 G3 (3 3)"},  {8, 0, "quarter 32 3:2 G3 (3 3)"},
        {6, kDot, "eighth 16 3:2 G3 (3 3)"}, {8, kDot, "half 64 3:2 G3 (3 3)"},
        {21, 0, "whole 192 rest"},   {22, 0, "half 96 rest"},     {23, 0, "quarter 48 rest"},
        {24, 0, "eighth 24 rest"},   {25, 0, "16th 12 rest"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        auto s = Guitar();
        s->DanBuf[0].SyosetsuCnt = 1;
        Putter(s->DanBuf[0], 5)(0, {{3, 0}}, c.id, c.attr);
        RowItems none;
        const XScore sc = Parse(MusicXmlOf(*s, {{0, &none}}, ""));
        ASSERT_EQ(sc.measures.size(), 1u);
        EXPECT_EQ(sc.measures[0].staff1, V{std::string("@0 ") + c.line});
        const std::string dur = std::string(c.line).substr(std::string(c.line).find(' ') + 1);
        EXPECT_EQ(sc.measures[0].backup, std::stoi(dur));
    }
}

TEST(MusicXml, InstrumentsClefsAndTabStaves) {
    struct Case {
        int gakki, maxStringIx;
        const char* clef;
        int octaveChange;
        V tuning;            // TAB lines from the top: string 1 first
        const char* fret2;   // string 1, fret 2
        const char* part;
    } cases[] = {
        {0, 5, "G", -1, {"E4", "B3", "G3", "D3", "A2", "E2"}, "F#4", "ギター"},
        // The open tunings as their names spell them from string 6 up.
        {6, 5, "G", -1, {"D4", "A3", "F#3", "D3", "A2", "D2"}, "E4", "ギター"},   // DADF#AD
        {7, 5, "G", -1, {"D4", "B3", "G3", "D3", "G2", "D2"}, "E4", "ギター"},    // DGDGBD
        {8, 5, "G", -1, {"E4", "C#4", "A3", "E3", "A2", "E2"}, "F#4", "ギター"},  // EAEAC#E
        {9, 5, "G", -1, {"E4", "B3", "G#3", "E3", "B2", "E2"}, "F#4", "ギター"},  // EBEG#BE
        {10, 5, "G", -1, {"E4", "B3", "F#3", "D3", "A2", "D2"}, "F#4", "ギター"}, // DADF#BE
        {11, 5, "G", -1, {"D4", "B3", "F#3", "D3", "A2", "D2"}, "E4", "ギター"},  // DADF#BD
        {12, 5, "G", -1, {"E4", "B3", "G3", "D3", "A2", "D2"}, "F#4", "ギター"},  // DADGBE
        {13, 5, "G", -1, {"D4", "A3", "G3", "D3", "A2", "D2"}, "E4", "ギター"},   // DADGAD
        {14, 5, "G", -1, {"D4", "A3", "D3", "D3", "A2", "D2"}, "E4", "ギター"},   // DADDAD
        {2, 3, "G", 0, {"A4", "E4", "C4", "G4"}, "B4", "ウクレレ(High-G)"},
        {1, 3, "G", 0, {"A4", "E4", "C4", "G3"}, "B4", "ウクレレ(Low-G)"},
        {4, 3, "G", 0, {"E5", "A4", "D4", "G3"}, "F#5", "フラットマンドリン"},
        {21, 4, "G", 0, {"E5", "A4", "E4", "C5", "G4"}, "F#5", "チャランゴ"},
        {3, 3, "F", -1, {"G2", "D2", "A1", "E1"}, "A2", "ベース"},
        {22, 4, "F", -1, {"B2", "G2", "D2", "A1", "E1"}, "C#3", "ベース（５弦）"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.part) + " " + std::to_string(c.gakki));
        auto s = Guitar(c.gakki, c.maxStringIx);
        s->DanBuf[0].SyosetsuCnt = 1;
        Putter(s->DanBuf[0], c.maxStringIx)(0, {{1, 2}}, 0, 0);
        RowItems none;
        const XScore sc = Parse(MusicXmlOf(*s, {{0, &none}}, ""));
        ASSERT_TRUE(sc.error.empty()) << sc.error;
        EXPECT_EQ(sc.partName, c.part);
        EXPECT_EQ(sc.clef, c.clef);
        EXPECT_EQ(sc.octaveChange, c.octaveChange);
        EXPECT_EQ(sc.staves, 2);
        EXPECT_EQ(sc.lines, c.maxStringIx + 1);
        V tuning;
        for (int line = sc.lines; line >= 1; --line) tuning.push_back(sc.tuning.count(line) ? sc.tuning.at(line) : "");
        EXPECT_EQ(tuning, c.tuning);
        ASSERT_EQ(sc.measures.size(), 1u);
        EXPECT_EQ(sc.measures[0].staff1, V{std::string("@0 whole 192 ") + c.fret2});
        EXPECT_EQ(sc.measures[0].staff2, V{"@0 1/2"});
    }
}

// The second chord name is drawn half-way through the measure, so it sounds
// there: at the note that starts on that beat, or between notes.
TEST(MusicXml, TheSecondChordNameStandsHalfWayThroughTheMeasure) {
    struct Case {
        int meter;
        std::vector<std::pair<int, uint8_t>> rhythm;  // rhythm id, attributes
        V harmony;
    } cases[] = {
        // 4/4 (192): quarter, dotted eighth, sixteenth, quarter, quarter -> beat 3 at 96.
        {22, {{2, 0}, {3, kDot}, {4, 0}, {2, 0}, {2, 0}}, {"C::major@0", "G:7:dominant@96"}},
        // 4/4: a whole note: the change comes half-way through it.
        {22, {{0, 0}}, {"C::major@0", "G:7:dominant@96"}},
        // 4/4: dotted half and quarter: half-way lies inside the dotted half.
        {22, {{1, kDot}, {2, 0}}, {"C::major@0", "G:7:dominant@96"}},
        // 4/4: an empty measure keeps both names.
        {22, {}, {"C::major@0", "G:7:dominant@96"}},
        // 6/8 (144): six eighths -> the fourth eighth at 72.
        {1, {{3, 0}, {3, 0}, {3, 0}, {3, 0}, {3, 0}, {3, 0}}, {"C::major@0", "G:7:dominant@72"}},
        // 3/4 (144): triplet quarters (32 each): half-way, 72, lies inside the third.
        {12, {{8, 0}, {8, 0}, {8, 0}, {2, 0}}, {"C::major@0", "G:7:dominant@72"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("meter " + std::to_string(c.meter) + ", " + std::to_string(c.rhythm.size()) + " notes");
        auto s = Guitar();
        s->MeterID = static_cast<int16_t>(c.meter);
        s->DanBuf[0].SyosetsuCnt = 1;
        s->DanBuf[0].Syosetsu[0].Chord1 = "C";
        s->DanBuf[0].Syosetsu[0].Chord2 = "G7";
        for (auto [id, attr] : c.rhythm) Putter(s->DanBuf[0], 5)(0, {{2, 1}}, id, attr);
        RowItems none;
        const XScore sc = Parse(MusicXmlOf(*s, {{0, &none}}, ""));
        ASSERT_TRUE(sc.error.empty()) << sc.error;
        ASSERT_EQ(sc.measures.size(), 1u);
        EXPECT_EQ(sc.measures[0].harmony, c.harmony);
    }
}

TEST(MusicXml, BarLinesRepeatSignsTextsAndChordNames) {
    auto s = Guitar();
    s->DanBuf[0].SyosetsuCnt = 4;
    s->DanBuf[1].SyosetsuCnt = 2;
    for (int slot = 0; slot < 2; ++slot)
        for (int m = 0; m <= 4; ++m) s->DanLayout[slot].SyosetsuLeft[m] = static_cast<int16_t>(1000 + 2000 * m);
    DanData& a = s->DanBuf[0];
    a.TopRepStart = kTrue;
    a.Syosetsu[1].BarFlag[kBarRepEnd] = kTrue;
    a.Syosetsu[2].BarFlag[kBarRepStart] = kTrue;       // repeat from measure 4
    a.Syosetsu[3].BarFlag[kBarRepStart] = kTrue;       // ... and from the next row's first
    s->DanBuf[1].Syosetsu[1].BarFlag[kBarEndMark] = kTrue;
    a.Syosetsu[0].Chord1 = "C";
    a.Syosetsu[0].Chord2 = "G7";
    a.Syosetsu[1].Chord1 = "B♭m7";
    a.Syosetsu[1].Chord2 = "F#m7(-5)";
    for (int m = 0; m < 4; ++m) {
        const Put put = Putter(a, 5);
        for (int p = 0; p < 4; ++p) put(m, {{1, p}}, 2, 0);
    }
    RowItems items, items2;
    items.Texts.push_back({60, 600, 300, 2400, "きらきら星 <1>", 12});
    items.Texts.push_back({60, 5200, 300, 900, "rit.", 9});
    auto mark = [](RowItems& it, double left, double width, const char* tag) {
        RepMarkItem r;
        r.Left = left;
        r.Width = width;
        r.Tag = tag;
        r.Visible = true;
        it.RepMarks.push_back(r);
    };
    mark(items, 1100, 300, "0");     // segno, measure 1
    mark(items, 3100, 1500, "5");    // first ending over measure 2
    mark(items, 5100, 3500, "6");    // second ending over measures 3 and 4
    mark(items, 7500, 300, "1");     // to coda, measure 4
    mark(items2, 1100, 300, "2");    // coda
    mark(items2, 3300, 300, "3");    // D.S.
    mark(items2, 3600, 300, "4");    // D.C.
    mark(items2, 3800, 300, "7");    // Fine
    mark(items2, 3900, 300, "8");    // Swing
    RepMarkItem hidden;
    hidden.Tag = "0";
    items2.RepMarks.push_back(hidden);
    const XScore sc = Parse(MusicXmlOf(*s, {{0, &items}, {1, &items2}}, "t"));
    ASSERT_TRUE(sc.error.empty()) << sc.error;
    ASSERT_EQ(sc.measures.size(), 6u);
    EXPECT_EQ(sc.measures[0].marks, (V{"forward", "words:きらきら星 <1>", "segno"}));
    EXPECT_EQ(sc.measures[1].marks, (V{"ending 1 start", "light-heavy", "ending 1 stop", "backward"}));
    EXPECT_EQ(sc.measures[2].marks, (V{"ending 2 start", "words:rit."}));
    EXPECT_EQ(sc.measures[3].marks, (V{"forward", "words:To Coda", "coda", "ending 2 discontinue"}));
    EXPECT_EQ(sc.measures[4].marks, (V{"forward", "coda"}));
    EXPECT_EQ(sc.measures[5].marks, (V{"words:Swing", "words:D.S.", "words:D.C.", "words:Fine", "light-heavy"}));
    EXPECT_EQ(sc.measures[0].harmony, (V{"C::major@0", "G:7:dominant@96"}));
    EXPECT_EQ(sc.measures[1].harmony, (V{"Bb:m7:minor-seventh@0", "F#:m7(-5):half-diminished@96"}));
    // Measure 2: quarters on string 1, frets 0..3.
    EXPECT_EQ(sc.measures[1].staff1, (V{"@0 quarter 48 E4", "@48 quarter 48 F4", "@96 quarter 48 F#4", "@144 quarter 48 G4"}));
    EXPECT_EQ(sc.measures[1].staff2, (V{"@0 1/0", "@48 1/1", "@96 1/2", "@144 1/3"}));
    EXPECT_TRUE(sc.measures[5].staff1.empty());
}

// The example project: 16 measures of 4/4, each full (192 divisions) on both
// staves, with one repeat.
TEST(MusicXml, TheExampleProject) {
    auto s = Guitar();
    s->CurSyosetsuCnt = 4;
    const fs::path dir = fs::path(LUTEWISE_SOURCE_DIR) / "data" / "examples";
    std::vector<RowItems> items(4);
    int slot = 0;
    for (const char* f : {"kirakira1.tab", "kirakira2.tab", "ode1.tab", "ode2.tab"}) {
        s->CurDanIx = static_cast<int16_t>(slot);
        s->DanBuf[slot].SyosetsuCnt = 4;
        ASSERT_TRUE(LoadTab(*s, items[slot], (dir / f).string()).ok) << f;
        ++slot;
    }
    std::vector<ScoreRow> rows;
    for (int i = 0; i < 4; ++i) rows.push_back({i, &items[i]});
    const XScore sc = Parse(MusicXmlOf(*s, rows, "example"));
    ASSERT_TRUE(sc.error.empty()) << sc.error;
    ASSERT_EQ(sc.measures.size(), 16u);
    int forward = 0, backward = 0;
    for (const XMeasure& m : sc.measures) {
        for (const std::string& k : m.marks) forward += k == "forward", backward += k == "backward";
        EXPECT_EQ(m.backup, 192);
        EXPECT_EQ(m.staff1.size(), m.staff2.size());
        ASSERT_FALSE(m.staff1.empty());
        for (size_t i = 0; i < m.staff1.size(); ++i)
            EXPECT_EQ(m.staff1[i].substr(0, m.staff1[i].find(' ')), m.staff2[i].substr(0, m.staff2[i].find(' ')));
    }
    EXPECT_EQ(forward, 1);
    EXPECT_EQ(backward, 1);
}
