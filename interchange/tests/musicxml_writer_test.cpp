// The MusicXML score read back with Qt's XML reader and compared with the
// rows: every position's pitches, strings, frets, durations and attributes,
// the measures, bar lines, repeat signs, texts and chord names.
#include <gtest/gtest.h>

#include <QXmlStreamReader>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <memory>

#include "musicxml_writer.h"
#include "staff_notation.h"
#include "tab_file.h"

using namespace lw;
namespace fs = std::filesystem;

namespace {

struct XNote {
    int staff = 0;
    bool chord = false, rest = false;
    int midi = -1, duration = 0, dots = 0, string = -1, fret = -1;
    std::string type;
    bool triplet = false, tieStart = false, tieStop = false, tupletStart = false, tupletStop = false;
    bool slurStart = false, slurStop = false, stemDown = false;
    std::vector<std::string> tech;   // "hammer-on start", "slide stop", ...
};

struct XMeasure {
    std::vector<XNote> notes;
    std::vector<std::string> marks;  // "forward", "backward", "final", "ending 1 start", "segno", "words:..." ...
    std::vector<std::string> harmony;
    int fifths = 99, backup = 0;
    bool newSystem = false;
};

struct XScore {
    std::vector<XMeasure> measures;
    std::string clef, partName;
    int divisions = 0, beats = 0, beatType = 0, staves = 0, lines = 0, octaveChange = 0;
    std::map<int, int> tuning;       // TAB line -> key number
    std::string error;
};

int Midi(const std::string& step, int alter, int octave) {
    static const std::map<std::string, int> pc = {{"C", 0}, {"D", 2}, {"E", 4}, {"F", 5}, {"G", 7}, {"A", 9}, {"B", 11}};
    return (octave + 1) * 12 + pc.at(step) + alter;
}

XScore Parse(const std::string& xml) {
    XScore sc;
    QXmlStreamReader r(QByteArray::fromStdString(xml));
    XMeasure* m = nullptr;
    XNote n;
    bool inNote = false;
    std::string step, tStep;
    int alter = 0, octave = 0, tAlter = 0, tLine = 0;
    auto text = [&] { return r.readElementText().toStdString(); };
    auto num = [&] { return r.readElementText().toInt(); };
    while (!r.atEnd()) {
        r.readNext();
        if (r.isEndElement()) {
            const auto name = r.name();
            if (name == QLatin1String("note")) {
                inNote = false;
                std::sort(n.tech.begin(), n.tech.end());
                m->notes.push_back(n);
            } else if (name == QLatin1String("pitch")) {
                n.midi = Midi(step, alter, octave);
            } else if (name == QLatin1String("staff-tuning")) {
                sc.tuning[tLine] = Midi(tStep, tAlter, octave);
            }
            continue;
        }
        if (!r.isStartElement()) continue;
        const QString name = r.name().toString();
        const auto attr = [&](const char* a) { return r.attributes().value(QLatin1String(a)).toString().toStdString(); };
        if (name == "measure") {
            sc.measures.emplace_back();
            m = &sc.measures.back();
        } else if (name == "part-name") sc.partName = text();
        else if (name == "print") m->newSystem = attr("new-system") == "yes";
        else if (name == "divisions") sc.divisions = num();
        else if (name == "fifths") m->fifths = num();
        else if (name == "beats") sc.beats = num();
        else if (name == "beat-type") sc.beatType = num();
        else if (name == "staves") sc.staves = num();
        else if (name == "sign" && attr("x").empty() && sc.clef.empty()) sc.clef = text();
        else if (name == "clef-octave-change") sc.octaveChange = num();
        else if (name == "staff-lines") sc.lines = num();
        else if (name == "staff-tuning") {
            tLine = std::stoi(attr("line"));
            tAlter = 0;
        } else if (name == "tuning-step") tStep = text();
        else if (name == "tuning-alter") tAlter = num();
        else if (name == "tuning-octave") octave = num();
        else if (name == "note") {
            n = XNote{};
            inNote = true;
        } else if (inNote) {
            if (name == "chord") n.chord = true;
            else if (name == "rest") n.rest = true;
            else if (name == "pitch") alter = 0;
            else if (name == "step") step = text();
            else if (name == "alter") alter = num();
            else if (name == "octave") octave = num();
            else if (name == "duration") n.duration = num();
            else if (name == "type") n.type = text();
            else if (name == "dot") ++n.dots;
            else if (name == "time-modification") n.triplet = true;
            else if (name == "staff") n.staff = num();
            else if (name == "stem") n.stemDown = text() == "down";
            else if (name == "string") n.string = num();
            else if (name == "fret") n.fret = num();
            else if (name == "tied") (attr("type") == "start" ? n.tieStart : n.tieStop) = true;
            else if (name == "slur") (attr("type") == "start" ? n.slurStart : n.slurStop) = true;
            else if (name == "tuplet") (attr("type") == "start" ? n.tupletStart : n.tupletStop) = true;
            else if (name == "hammer-on" || name == "pull-off" || name == "slide")
                n.tech.push_back(name.toStdString() + " " + attr("type"));
        } else if (name == "backup") {
            r.readNextStartElement();
            m->backup = num();
        } else if (name == "repeat") m->marks.push_back(attr("direction"));
        else if (name == "bar-style" && text() == "light-heavy") m->marks.push_back("light-heavy");
        else if (name == "ending") m->marks.push_back("ending " + attr("number") + " " + attr("type"));
        else if (name == "segno" || name == "coda") m->marks.push_back(name.toStdString());
        else if (name == "words") m->marks.push_back("words:" + text());
        else if (name == "root-step") m->harmony.push_back(text());
        else if (name == "root-alter") m->harmony.back() += r.readElementText() == "-1" ? "♭" : "#";
        else if (name == "kind") {
            const std::string t = attr("text");
            m->harmony.back() += ":" + t + ":" + text();
        }
    }
    if (r.hasError()) sc.error = r.errorString().toStdString();
    return sc;
}

// The notes of one staff grouped into positions.
std::vector<std::vector<XNote>> Positions(const XScore& sc, int measure, int staff) {
    std::vector<std::vector<XNote>> out;
    for (const XNote& n : sc.measures.at(measure).notes) {
        if (n.staff != staff) continue;
        if (!n.chord) out.emplace_back();
        out.back().push_back(n);
    }
    return out;
}

std::unique_ptr<Session> Guitar(int gakki = 0, int maxStringIx = 5) {
    auto s = std::make_unique<Session>();
    s->GakkiCode = static_cast<int16_t>(gakki);
    s->MaxStringIx = static_cast<int16_t>(maxStringIx);
    for (auto& k : s->KeyName) k = "C";
    return s;
}

// Every position of the rows against the score, measure by measure.
void ExpectScoreMatchesRows(const Session& s, int rowCount, const XScore& sc) {
    ASSERT_TRUE(sc.error.empty()) << sc.error;
    OpenValues open{};
    OpenStringValues(s.GakkiCode, s.TuningTbl, open);
    size_t mi = 0;
    std::set<int> prevPitches;
    for (int slot = 0; slot < rowCount; ++slot) {
        const DanData& d = s.DanBuf[slot];
        for (int m = 0; m < d.SyosetsuCnt; ++m, ++mi) {
            SCOPED_TRACE("row " + std::to_string(slot) + " measure " + std::to_string(m));
            ASSERT_LT(mi, sc.measures.size());
            const auto staff = Positions(sc, static_cast<int>(mi), 1), tab = Positions(sc, static_cast<int>(mi), 2);
            ASSERT_EQ(staff.size(), tab.size());
            size_t e = 0;
            int total = 0;
            for (int p = 1; p <= d.Syosetsu[m].OnpuCnt; ++p) {
                const OnpuData& o = d.Syosetsu[m].Onpu[p];
                std::multiset<int> pitches;
                std::set<std::pair<int, int>> frets;
                int id = o.IsRest() ? o.NoteLengthID[1] : -1;
                for (int k = 1; !o.IsRest() && k <= s.MaxStringIx + 1; ++k)
                    if (o.FletUse[k] == kSounding) {
                        if (id < 0) id = o.NoteLengthID[k];
                        pitches.insert(open[k - 1] + SoundingBase(s.GakkiCode) + o.Flet[k]);
                        frets.insert({k, o.Flet[k]});
                    }
                if (id < 0 || XmlDuration(id, o.NoteAttr) == 0) continue;
                SCOPED_TRACE("position " + std::to_string(p));
                ASSERT_LT(e, staff.size());
                const auto& x = staff[e];
                const auto& t = tab[e++];
                std::multiset<int> got;
                std::set<std::pair<int, int>> gotFrets;
                for (const XNote& n : x) {
                    EXPECT_EQ(n.rest, o.IsRest());
                    EXPECT_EQ(n.duration, XmlDuration(id, o.NoteAttr));
                    EXPECT_EQ(n.triplet, id >= 6 && id <= 8);
                    EXPECT_EQ(n.dots, n.triplet ? 0 : GetBit(o.NoteAttr, kAttrDot) ? 1 : 0);
                    EXPECT_EQ(n.stemDown, !o.IsRest() && GetBit(o.NoteAttr, kAttrStemDown));
                    if (!n.rest) got.insert(n.midi);
                }
                for (const XNote& n : t) {
                    EXPECT_EQ(n.duration, XmlDuration(id, o.NoteAttr));
                    if (!n.rest) gotFrets.insert({n.string, n.fret});
                }
                EXPECT_EQ(got, pitches);
                EXPECT_EQ(gotFrets, frets);
                // A tie continues every pitch the position before held.
                const bool tie = GetBit(o.NoteAttr, kAttrTie) && !o.IsRest();
                for (const XNote& n : x)
                    EXPECT_EQ(n.tieStop, tie && prevPitches.count(n.midi)) << n.midi;
                prevPitches.clear();
                if (!o.IsRest()) prevPitches.insert(pitches.begin(), pitches.end());
                total += XmlDuration(id, o.NoteAttr);
            }
            EXPECT_EQ(e, staff.size());
            EXPECT_EQ(sc.measures[mi].backup, total);
        }
    }
    EXPECT_EQ(mi, sc.measures.size());
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

}  // namespace

TEST(MusicXml, EveryPositionOfTheRowsWithItsValuesAndArcs) {
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
    put(0, {{1, 0}}, 7, 0);
    put(0, {{2, 1}}, 7, 0);
    put(0, {{3, 3}}, 7, kDown);             // B♭ in F, as the rows write it
    put(0, {}, 24, 0);
    put(0, {{5, 3}, {4, 2}, {3, 0}}, 2, kDot);
    put(1, {{5, 3}, {4, 2}, {3, 0}}, 3, kTie);   // tied chord
    put(1, {{1, 9}}, 6, 0);                 // 37: written as sounding, no fold
    put(1, {{1, 7}}, 6, kSlur);
    put(1, {{1, 5}}, 6, 0);
    put(1, {{2, 3}}, 5, kDot);              // 4.5 ticks
    put(1, {}, 3, 0);                       // nothing sounds: no position
    put(1, {{6, 0}, {1, 3}}, 25, 0);        // a rest stays a rest
    put(1, {{2, 5}}, 7, kDot);              // a dotted triplet lasts 16 ticks
    putB(0, {{2, 5}}, 3, kTie);             // tied across the rows
    putB(0, {{2, 7}}, 3, kSlur);
    b.Syosetsu[0].Onpu[2].Effect[2] = 0x80;  // hammer-on
    putB(0, {{2, 5}}, 2, kSlur);
    b.Syosetsu[0].Onpu[3].Effect[2] = 0x20;  // slide
    putB(0, {{3, 2}, {2, 3}}, 1, 0);
    RowItems none;
    const XScore sc = Parse(MusicXmlOf(*s, {{0, &none}, {1, &none}}, "t"));
    ExpectScoreMatchesRows(*s, 2, sc);

    EXPECT_EQ(sc.divisions, kXmlDivisions);
    EXPECT_EQ(sc.beats * 10 + sc.beatType, 68);
    EXPECT_EQ(sc.measures[0].fifths, -1);
    EXPECT_EQ(sc.measures[2].fifths, 2);
    EXPECT_TRUE(sc.measures[2].newSystem);
    // B♭ rather than A♯ in F major; the fold of playback does not apply.
    const auto m0 = Positions(sc, 0, 1), m1 = Positions(sc, 1, 1), tab1 = Positions(sc, 1, 2);
    EXPECT_EQ(m0[2][0].midi, 58);
    EXPECT_EQ(m1[1][0].midi, 64 + 9);
    // Triplet brackets: three eighths, then three sixteenths; a lone dotted one.
    EXPECT_TRUE(m0[0][0].tupletStart && m0[2][0].tupletStop && !m0[1][0].tupletStart);
    EXPECT_TRUE(m1[1][0].tupletStart && m1[3][0].tupletStop);
    EXPECT_EQ(m1[6][0].type, "quarter");
    EXPECT_TRUE(m1[6][0].tupletStart && m1[6][0].tupletStop);
    // Ties, slurs and techniques.
    EXPECT_TRUE(std::all_of(m0[4].begin(), m0[4].end(), [](const XNote& n) { return n.tieStart; }));
    EXPECT_TRUE(m1[1][0].slurStart && m1[2][0].slurStop);
    const auto r2 = Positions(sc, 2, 2);
    EXPECT_TRUE(Positions(sc, 1, 2)[6][0].tieStart && r2[0][0].tieStop) << "tie across the rows";
    EXPECT_EQ(r2[0][0].tech, std::vector<std::string>{"hammer-on start"});
    EXPECT_EQ(r2[1][0].tech, (std::vector<std::string>{"hammer-on stop", "slide start"}));
    EXPECT_EQ(r2[2][0].tech, std::vector<std::string>{"slide stop"});
    EXPECT_TRUE(tab1[5][0].rest);
}

TEST(MusicXml, InstrumentsClefsAndTabStaves) {
    struct Case {
        int gakki, maxStringIx;
        const char* clef;
        int octaveChange;
        int string1Key, lowestKey;
        const char* part;
    } cases[] = {
        {0, 5, "G", -1, 64, 40, "ギター"},
        {12, 5, "G", -1, 64, 38, "ギター"},
        {2, 3, "G", 0, 69, 60, "ウクレレ(High-G)"},
        {1, 3, "G", 0, 69, 55, "ウクレレ(Low-G)"},
        {4, 3, "G", 0, 76, 55, "フラットマンドリン"},
        {21, 4, "G", 0, 76, 64, "チャランゴ"},
        {3, 3, "F", -1, 43, 28, "ベース"},
        {22, 4, "F", -1, 47, 28, "ベース（５弦）"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.part);
        auto s = Guitar(c.gakki, c.maxStringIx);
        s->DanBuf[0].SyosetsuCnt = 1;
        Putter(s->DanBuf[0], c.maxStringIx)(0, {{1, 2}}, 0, 0);
        RowItems none;
        const XScore sc = Parse(MusicXmlOf(*s, {{0, &none}}, ""));
        ExpectScoreMatchesRows(*s, 1, sc);
        EXPECT_EQ(sc.partName, c.part);
        EXPECT_EQ(sc.clef, c.clef);
        EXPECT_EQ(sc.octaveChange, c.octaveChange);
        EXPECT_EQ(sc.staves, 2);
        EXPECT_EQ(sc.lines, c.maxStringIx + 1);
        EXPECT_EQ(sc.tuning.at(sc.lines), c.string1Key) << "the top line is string 1";
        int lowest = 999;
        for (auto [line, key] : sc.tuning) lowest = std::min(lowest, key);
        EXPECT_EQ(lowest, c.lowestKey);
        EXPECT_EQ(Positions(sc, 0, 1)[0][0].midi, c.string1Key + 2);
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
    ExpectScoreMatchesRows(*s, 2, sc);
    ASSERT_EQ(sc.measures.size(), 6u);
    using V = std::vector<std::string>;
    EXPECT_EQ(sc.measures[0].marks, (V{"forward", "words:きらきら星 <1>", "segno"}));
    EXPECT_EQ(sc.measures[1].marks, (V{"ending 1 start", "light-heavy", "ending 1 stop", "backward"}));
    EXPECT_EQ(sc.measures[2].marks, (V{"ending 2 start", "words:rit."}));
    EXPECT_EQ(sc.measures[3].marks, (V{"forward", "words:To Coda", "coda", "ending 2 discontinue"}));
    EXPECT_EQ(sc.measures[4].marks, (V{"forward", "coda"}));
    EXPECT_EQ(sc.measures[5].marks, (V{"words:Swing", "words:D.S.", "words:D.C.", "words:Fine", "light-heavy"}));
    EXPECT_EQ(sc.measures[0].harmony, (V{"C::major", "G:7:dominant"}));
    EXPECT_EQ(sc.measures[1].harmony, (V{"B♭:m7:minor-seventh", "F#:m7(-5):half-diminished"}));
}

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
    ExpectScoreMatchesRows(*s, 4, sc);
    EXPECT_EQ(sc.measures.size(), 16u);
    int forward = 0, backward = 0;
    for (const XMeasure& m : sc.measures)
        for (const std::string& k : m.marks) forward += k == "forward", backward += k == "backward";
    EXPECT_EQ(forward, 1);
    EXPECT_EQ(backward, 1);
}
