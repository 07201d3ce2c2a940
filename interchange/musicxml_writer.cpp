#include "musicxml_writer.h"

#include <algorithm>
#include <memory>
#include <sstream>

#include "dan_data.h"
#include "safe_file.h"
#include "staff_notation.h"
#include "tab_file.h"

namespace lw {

namespace {

constexpr const char* kTypeNames[] = {"whole", "half", "quarter", "eighth", "16th", "32nd"};
constexpr int kNaturalClass[7] = {0, 2, 4, 5, 7, 9, 11};
constexpr const char* kLetters = "CDEFGAB";

std::string Esc(const std::string& t) {
    std::string r;
    for (char c : t) {
        switch (c) {
            case '&': r += "&amp;"; break;
            case '<': r += "&lt;"; break;
            case '>': r += "&gt;"; break;
            case '"': r += "&quot;"; break;
            default:
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n') r += c;
        }
    }
    return r;
}

bool IsTriplet(int id) { return id >= 6 && id <= 8; }

struct XmlNote {
    int string = 0, fret = 0, midi = 0;
    bool tieStart = false, tieStop = false;
    // Technique towards the next / from the previous position on this string:
    // "hammer-on", "pull-off" or "slide".
    std::string techStart, techStop;
    int techStartNo = 0, techStopNo = 0;
};

// One position that takes time: a chord, a single note or a rest.
struct XmlEvent {
    int measure = 0;        // index into the flat measure list
    const OnpuData* pos = nullptr;
    bool rest = false;
    int id = 0;
    uint8_t attr = 0;
    int duration = 0;
    int start = 0;          // divisions from the measure's start
    std::vector<XmlNote> notes;
    int slurStartNo = 0, slurStopNo = 0;
    bool tupletStart = false, tupletStop = false;
};

struct FlatMeasure {
    int slot = 0, m = 0;
    bool rowStart = false;
    const RowItems* items = nullptr;
};

// Where a mark or text of a row lies: the measure whose box holds x.
int MeasureAt(const DanLayoutData& lay, int count, double x) {
    int found = 0;
    for (int m = 0; m < count; ++m)
        if (lay.SyosetsuLeft[m] != 0 && x >= lay.SyosetsuLeft[m]) found = m;
    return found;
}

struct Spelled {
    char step;
    int alter, octave;
};

// The letter the rows' staff writes a pitch class on, in the row's key.
Spelled Spell(const StaffCache& cache, bool bass, int midi) {
    const int pc = ((midi % 12) + 12) % 12;
    const int q = 12 + pc;
    const int letter = WrittenLetter(cache.Line(q), (cache.Flags(q) & kFlagHalf) != 0, bass);
    const int alter = ((pc - kNaturalClass[letter] + 18) % 12) - 6;
    const int natural = midi - alter;
    return {kLetters[letter], alter, natural / 12 - 1};
}

Spelled SpellSharp(int midi) {
    static const int letter[12] = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};
    const int pc = ((midi % 12) + 12) % 12;
    const int alter = pc - kNaturalClass[letter[pc]];
    return {kLetters[letter[pc]], alter, (midi - alter) / 12 - 1};
}

void PutPitch(std::ostringstream& o, const char* tag, const Spelled& p, const char* prefix) {
    o << "<" << tag << "><" << prefix << "step>" << p.step << "</" << prefix << "step>";
    if (p.alter != 0) o << "<" << prefix << "alter>" << p.alter << "</" << prefix << "alter>";
    o << "<" << prefix << "octave>" << p.octave << "</" << prefix << "octave></" << tag << ">";
}

// type name, dots and whether the value is a triplet.
struct Written {
    std::string type;
    int dots = 0;
    bool triplet = false;
};

Written WrittenValue(int id, uint8_t attr) {
    const bool dot = GetBit(attr, kAttrDot);
    if (id >= 21 && id <= 25) return {kTypeNames[id - 21], dot ? 1 : 0, false};
    if (id >= 0 && id <= 5) return {kTypeNames[id], dot ? 1 : 0, false};
    // Triplets: a dotted one lasts twice its value in the rows, which is the
    // next longer triplet value.
    const int base = id == 6 ? 4 : id == 7 ? 3 : 2;
    return {kTypeNames[dot ? base - 1 : base], 0, true};
}

// MusicXML chord kinds of the rows' chord types (the text keeps the type as
// the rows show it).
std::string ChordKind(const std::string& type) {
    static const std::pair<const char*, const char*> kKinds[] = {
        {"", "major"}, {"m", "minor"}, {"7", "dominant"}, {"m7", "minor-seventh"}, {"dim", "diminished-seventh"},
        {"dim7", "diminished-seventh"}, {"aug", "augmented"}, {"(#5)", "augmented"}, {"6", "major-sixth"},
        {"m6", "minor-sixth"}, {"9", "dominant-ninth"}, {"m9", "minor-ninth"}, {"11", "dominant-11th"},
        {"13", "dominant-13th"}, {"△7", "major-seventh"}, {"M7", "major-seventh"}, {"maj7", "major-seventh"},
        {"△9", "major-ninth"}, {"m7(-5)", "half-diminished"}, {"sus4", "suspended-fourth"},
        {"7sus4", "suspended-fourth"}, {"6(9)", "major-sixth"}, {"m6(9)", "minor-sixth"}, {"△6", "major-sixth"},
        {"△11", "major-11th"}, {"7(13)", "dominant"}, {"7(#5)", "augmented-seventh"}, {"7(-5)", "dominant"},
        {"7(#9)", "dominant"}, {"7(♭9)", "dominant"}, {"13(♭9)", "dominant-13th"}, {"7sus6", "dominant"},
        {"mM7", "major-minor"}, {"m△7", "major-minor"},
    };
    for (const auto& [t, k] : kKinds)
        if (type == t) return k;
    if (!type.empty() && type[0] == 'm') return "minor";
    if (!type.empty() && type[0] == '7') return "dominant";
    return "other";
}

// offset: divisions after the current place where the chord begins.
void PutHarmony(std::ostringstream& o, const std::string& name, int offset = 0) {
    const std::string at = offset > 0 ? "<offset>" + std::to_string(offset) + "</offset>" : "";
    if (name.empty() || name[0] < 'A' || name[0] > 'G') {
        if (!name.empty())
            o << "<direction placement=\"above\"><direction-type><words>" << Esc(name)
              << "</words></direction-type>" << at << "<staff>1</staff></direction>";
        return;
    }
    size_t i = 1;
    int alter = 0;
    auto take = [&](const std::string& sign, int a) {
        if (name.compare(i, sign.size(), sign) == 0) {
            alter = a;
            i += sign.size();
            return true;
        }
        return false;
    };
    take("#", 1) || take("♯", 1) || take("♭", -1) || (name.size() > 1 && name[1] == 'b' && take("b", -1));
    std::string type = name.substr(i), bass;
    if (const size_t slash = type.find('/'); slash != std::string::npos) {
        bass = type.substr(slash + 1);
        type = type.substr(0, slash);
    }
    o << "<harmony><root><root-step>" << name[0] << "</root-step>";
    if (alter) o << "<root-alter>" << alter << "</root-alter>";
    o << "</root><kind text=\"" << Esc(type) << "\">" << ChordKind(type) << "</kind>";
    if (!bass.empty() && bass[0] >= 'A' && bass[0] <= 'G') {
        int ba = 0;
        if (bass.size() > 1) ba = bass.compare(1, std::string::npos, "#") == 0 || bass.compare(1, std::string::npos, "♯") == 0 ? 1
                                : bass.compare(1, std::string::npos, "♭") == 0 || bass.compare(1, std::string::npos, "b") == 0 ? -1 : 0;
        o << "<bass><bass-step>" << bass[0] << "</bass-step>";
        if (ba) o << "<bass-alter>" << ba << "</bass-alter>";
        o << "</bass>";
    }
    o << at << "<staff>1</staff></harmony>";
}

const char* PartName(int code) {
    switch (code) {
        case 1: return "ウクレレ(Low-G)";
        case 2: return "ウクレレ(High-G)";
        case 3: return "ベース";
        case 4: return "フラットマンドリン";
        case 21: return "チャランゴ";
        case 22: return "ベース（５弦）";
        case 97: return "ユーザー設定（５弦）";
        case 98: return "ユーザー設定（４弦）";
        case 99: return "ユーザー設定（６弦）";
        default: return "ギター";
    }
}

}  // namespace

int XmlDuration(int id, uint8_t attr) {
    // A dotted thirty-second is 4.5 ticks; the rows round it to 4.
    if (id == 5 && GetBit(attr, kAttrDot)) return 9;
    return 2 * TickOf(id, attr);
}

std::string MusicXmlOf(const Session& s, const std::vector<ScoreRow>& rows, const std::string& title) {
    const int strings = std::clamp<int>(s.MaxStringIx + 1, 1, 6);
    OpenValues open{};
    OpenStringValues(s.GakkiCode, s.TuningTbl, open);
    const int base = SoundingBase(s.GakkiCode);
    const bool bass = IsBassClefInstrument(s.GakkiCode);
    // The staff shows pitch index i at written key (bass ? 36 : 48) + i.
    const int octaveChange = (base - (bass ? 36 : 48)) / 12;

    // Each row's own time signature: beats, beat unit.
    auto meterOf = [&s](int slot) {
        std::string meter = MeterCaption(PlayMeterID(s, slot));
        if (meter.empty()) meter = "4/4";
        return std::pair<int, int>{std::stoi(meter.substr(0, meter.find('/'))), std::stoi(meter.substr(meter.find('/') + 1))};
    };

    // The measures in order and every position that takes time.
    std::vector<FlatMeasure> measures;
    std::vector<XmlEvent> events;
    std::vector<std::vector<size_t>> eventsOf;
    for (const ScoreRow& r : rows) {
        if (r.slot < 0 || r.slot >= kSlotCount) continue;
        const DanData& d = s.DanBuf[r.slot];
        const int count = std::clamp<int>(d.SyosetsuCnt, 1, kMaxMeasures);
        for (int m = 0; m < count; ++m) {
            measures.push_back({r.slot, m, m == 0, r.items});
            eventsOf.emplace_back();
            const SyosetsuData& ms = d.Syosetsu[m];
            int at = 0;
            for (int p = 1; p <= std::clamp<int>(ms.OnpuCnt, 0, kMaxPositions); ++p) {
                const OnpuData& o = ms.Onpu[p];
                XmlEvent e;
                e.measure = static_cast<int>(measures.size()) - 1;
                e.pos = &o;
                e.rest = o.IsRest();
                e.attr = o.NoteAttr;
                e.id = -1;
                if (e.rest) {
                    e.id = o.NoteLengthID[1];
                } else {
                    for (int k = 1; k <= strings; ++k)
                        if (o.FletUse[k] == kSounding) {
                            if (e.id < 0) e.id = o.NoteLengthID[k];
                            XmlNote n;
                            n.string = k;
                            n.fret = o.Flet[k];
                            n.midi = open[k - 1] + base + o.Flet[k];
                            e.notes.push_back(n);
                        }
                }
                if (e.id < 0 || (e.rest && e.id > 25)) continue;
                e.duration = XmlDuration(e.id, e.attr);
                if (e.duration <= 0) continue;
                e.start = at;
                at += e.duration;
                eventsOf.back().push_back(events.size());
                events.push_back(std::move(e));
            }
        }
    }

    // Ties, slurs and techniques join a position to the one before it.
    for (size_t i = 1; i < events.size(); ++i) {
        XmlEvent& cur = events[i];
        XmlEvent& prev = events[i - 1];
        if (cur.rest || prev.rest) continue;
        const int no = static_cast<int>(i % 2) + 1;
        bool slur = GetBit(cur.attr, kAttrSlur);
        if (GetBit(cur.attr, kAttrTie)) {
            bool tied = false;
            for (XmlNote& n : cur.notes)
                for (XmlNote& p : prev.notes)
                    if (p.midi == n.midi && !p.tieStart) {
                        p.tieStart = n.tieStop = tied = true;
                        break;
                    }
            if (!tied) slur = true;  // drawn as an arc between different pitches
        }
        if (slur) {
            prev.slurStartNo = no;
            cur.slurStopNo = no;
        }
        for (XmlNote& n : cur.notes) {
            const uint8_t fx = cur.pos->Effect[n.string];
            const char* tech = GetBit(fx, kEffectHammer) ? "hammer-on"
                               : GetBit(fx, kEffectPull) ? "pull-off"
                               : GetBit(fx, kEffectSlide) ? "slide" : nullptr;
            if (!tech) continue;
            for (XmlNote& p : prev.notes)
                if (p.string == n.string) {
                    p.techStart = n.techStop = tech;
                    p.techStartNo = n.techStopNo = no;
                }
        }
    }
    // Triplets: consecutive positions of one triplet value, counted in threes
    // within a measure.
    for (const auto& list : eventsOf) {
        int count = 0, key = -1;
        size_t last = 0;
        auto close = [&] {
            if (count > 0) events[last].tupletStop = true;
            count = 0;
            key = -1;
        };
        for (size_t ix : list) {
            XmlEvent& e = events[ix];
            const int k = IsTriplet(e.id) ? e.id * 2 + (GetBit(e.attr, kAttrDot) ? 1 : 0) : -1;
            if (k < 0) {
                close();
                continue;
            }
            if (k != key) close();
            if (count == 0) e.tupletStart = true;
            key = k;
            ++count;
            last = ix;
            if (count == 3) close();
        }
        close();
    }

    auto staffCache = std::make_unique<StaffCache>();
    auto scratch = std::make_unique<DanData>();

    std::ostringstream o;
    o << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
         "<!DOCTYPE score-partwise PUBLIC \"-//Recordare//DTD MusicXML 4.0 Partwise//EN\" "
         "\"http://www.musicxml.org/dtds/partwise.dtd\">\n"
         "<score-partwise version=\"4.0\">\n";
    if (!title.empty()) o << "  <work><work-title>" << Esc(title) << "</work-title></work>\n";
    o << "  <identification><encoding><software>Lutewise</software></encoding></identification>\n"
         "  <part-list>\n    <score-part id=\"P1\"><part-name>"
      << PartName(s.GakkiCode) << "</part-name><score-instrument id=\"P1-I1\"><instrument-name>"
      << PartName(s.GakkiCode) << "</instrument-name></score-instrument><midi-instrument id=\"P1-I1\">"
      << "<midi-channel>1</midi-channel><midi-program>" << GmProgramOf(s.GakkiCode)
      << "</midi-program></midi-instrument></score-part>\n  </part-list>\n  <part id=\"P1\">\n";

    std::string key;
    for (size_t mi = 0; mi < measures.size(); ++mi) {
        const FlatMeasure& fm = measures[mi];
        const DanData& d = s.DanBuf[fm.slot];
        const SyosetsuData& ms = d.Syosetsu[fm.m];
        const DanLayoutData& lay = s.DanLayout[fm.slot];
        const int count = std::clamp<int>(d.SyosetsuCnt, 1, kMaxMeasures);
        o << "    <measure number=\"" << mi + 1 << "\">\n";
        if (fm.rowStart && mi > 0) o << "      <print new-system=\"yes\"/>\n";

        // Marks of the row that lie on this measure.
        std::vector<std::string> startDirs, endDirs;
        int endingStart = 0, endingStop = 0;
        if (fm.items) {
            for (size_t t = 1; t < fm.items->Texts.size(); ++t) {
                const TextItem& ti = fm.items->Texts[t];
                if (ti.Caption.empty() || MeasureAt(lay, count, ti.Left) != fm.m) continue;
                std::ostringstream w;
                w << "<direction placement=\"above\"><direction-type><words";
                if (ti.FontSize > 0) w << " font-size=\"" << ti.FontSize << "\"";
                w << ">" << Esc(ti.Caption) << "</words></direction-type><staff>1</staff></direction>";
                startDirs.push_back(w.str());
            }
            for (size_t t = 1; t < fm.items->RepMarks.size(); ++t) {
                const RepMarkItem& rm = fm.items->RepMarks[t];
                if (!rm.Visible) continue;
                const int code = std::atoi(rm.Tag.c_str());
                const int from = MeasureAt(lay, count, rm.Left);
                const int to = MeasureAt(lay, count, rm.Left + std::max(0.0, rm.Width - 1));
                if (code == 5 || code == 6) {
                    if (from == fm.m) endingStart = code - 4;
                    if (to == fm.m) endingStop = code - 4;
                    continue;
                }
                if (from != fm.m) continue;
                auto dir = [](const std::string& types, const std::string& sound) {
                    return "<direction placement=\"above\">" + types + "<staff>1</staff>" + sound + "</direction>";
                };
                switch (code) {
                    case 0: startDirs.push_back(dir("<direction-type><segno/></direction-type>", "<sound segno=\"segno\"/>")); break;
                    case 1: endDirs.push_back(dir("<direction-type><words>To Coda</words></direction-type><direction-type><coda/></direction-type>", "<sound tocoda=\"coda\"/>")); break;
                    case 2: startDirs.push_back(dir("<direction-type><coda/></direction-type>", "<sound coda=\"coda\"/>")); break;
                    case 3: endDirs.push_back(dir("<direction-type><words>D.S.</words></direction-type>", "<sound dalsegno=\"segno\"/>")); break;
                    case 4: endDirs.push_back(dir("<direction-type><words>D.C.</words></direction-type>", "<sound dacapo=\"yes\"/>")); break;
                    case 7: endDirs.push_back(dir("<direction-type><words>Fine</words></direction-type>", "<sound fine=\"yes\"/>")); break;
                    case 8: startDirs.push_back(dir("<direction-type><words>Swing</words></direction-type>", "")); break;
                    default: break;
                }
            }
        }

        // Left bar line: a repeat start, the start of an ending.
        const bool forward = (fm.rowStart && d.TopRepStart != 0) ||
                             (!fm.rowStart && d.Syosetsu[fm.m - 1].BarFlag[kBarRepStart] != 0) ||
                             (fm.rowStart && mi > 0 &&
                              s.DanBuf[measures[mi - 1].slot].Syosetsu[measures[mi - 1].m].BarFlag[kBarRepStart] != 0);
        if (forward || endingStart) {
            o << "      <barline location=\"left\">";
            if (forward) o << "<bar-style>heavy-light</bar-style>";
            if (endingStart) o << "<ending number=\"" << endingStart << "\" type=\"start\">" << endingStart << ".</ending>";
            if (forward) o << "<repeat direction=\"forward\"/>";
            o << "</barline>\n";
        }

        const std::string rowKey = s.KeyName[fm.slot].empty() ? "C" : s.KeyName[fm.slot];
        const bool keyChanged = mi == 0 || rowKey != key;
        const auto [beats, unit] = meterOf(fm.slot);
        const int measureLength = beats * 4 * kXmlDivisions / unit;
        const bool meterChanged = mi == 0 || std::pair<int, int>{beats, unit} != meterOf(measures[mi - 1].slot);
        staffCache->Ensure(rowKey, bass, *scratch);
        if (keyChanged || meterChanged) {
            const KeySig ks = KeySignatureOf(rowKey);
            o << "      <attributes>";
            if (mi == 0) o << "<divisions>" << kXmlDivisions << "</divisions>";
            if (keyChanged)
                o << "<key><fifths>" << (ks.flats ? -ks.count : ks.count) << "</fifths><mode>"
                  << (rowKey.size() > 1 && rowKey.back() == 'm' ? "minor" : "major") << "</mode></key>";
            if (meterChanged) o << "<time><beats>" << beats << "</beats><beat-type>" << unit << "</beat-type></time>";
            if (mi == 0) {
                o << "<staves>2</staves>";
                o << "<clef number=\"1\"><sign>" << (bass ? "F" : "G") << "</sign><line>" << (bass ? 4 : 2)
                  << "</line>";
                if (octaveChange) o << "<clef-octave-change>" << octaveChange << "</clef-octave-change>";
                o << "</clef><clef number=\"2\"><sign>TAB</sign><line>5</line></clef>";
                o << "<staff-details number=\"2\"><staff-lines>" << strings << "</staff-lines>";
                for (int line = 1; line <= strings; ++line) {
                    o << "<staff-tuning line=\"" << line << "\">";
                    const int k = strings - line + 1;
                    const Spelled p = SpellSharp(open[k - 1] + base);
                    o << "<tuning-step>" << p.step << "</tuning-step>";
                    if (p.alter) o << "<tuning-alter>" << p.alter << "</tuning-alter>";
                    o << "<tuning-octave>" << p.octave << "</tuning-octave></staff-tuning>";
                }
                o << "</staff-details>";
            }
            o << "</attributes>\n";
            key = rowKey;
        }
        for (const std::string& dir : startDirs) o << "      " << dir << "\n";

        const std::vector<size_t>& list = eventsOf[mi];
        // The second chord name stands half-way through the measure.
        size_t chord2At = list.size();
        for (size_t i = 0; i < list.size(); ++i)
            if (events[list[i]].start >= measureLength / 2) {
                chord2At = i;
                break;
            }
        if (chord2At == list.size() && !list.empty()) chord2At = list.size() - 1;
        int total = 0;
        for (int staff = 1; staff <= 2; ++staff) {
            if (staff == 2) {
                for (const std::string& dir : endDirs) o << "      " << dir << "\n";
                if (total > 0) o << "      <backup><duration>" << total << "</duration></backup>\n";
            }
            if (staff == 1 && !ms.Chord1.empty()) {
                o << "      ";
                PutHarmony(o, ms.Chord1);
                o << "\n";
            }
            if (staff == 1 && list.empty() && !ms.Chord2.empty()) {
                o << "      ";
                PutHarmony(o, ms.Chord2, measureLength / 2);
                o << "\n";
            }
            for (size_t i = 0; i < list.size(); ++i) {
                const XmlEvent& e = events[list[i]];
                if (staff == 1 && i == chord2At && !ms.Chord2.empty()) {
                    // Half-way through the measure even when no note starts there.
                    o << "      ";
                    PutHarmony(o, ms.Chord2, std::max(0, measureLength / 2 - e.start));
                    o << "\n";
                }
                if (staff == 1) total += e.duration;
                const Written w = WrittenValue(e.id, e.attr);
                const int voice = staff == 1 ? 1 : 5;
                auto common = [&](std::ostringstream& n) {
                    n << "<voice>" << voice << "</voice><type>" << w.type << "</type>";
                    for (int dd = 0; dd < w.dots; ++dd) n << "<dot/>";
                    if (w.triplet)
                        n << "<time-modification><actual-notes>3</actual-notes><normal-notes>2</normal-notes>"
                          << "</time-modification>";
                };
                if (e.rest) {
                    std::ostringstream n;
                    n << "      <note><rest/><duration>" << e.duration << "</duration>";
                    common(n);
                    n << "<staff>" << staff << "</staff></note>\n";
                    o << n.str();
                    continue;
                }
                for (size_t j = 0; j < e.notes.size(); ++j) {
                    const XmlNote& x = e.notes[j];
                    std::ostringstream n;
                    n << "      <note>";
                    if (j > 0) n << "<chord/>";
                    PutPitch(n, "pitch", Spell(*staffCache, bass, x.midi), "");
                    n << "<duration>" << e.duration << "</duration>";
                    if (x.tieStop) n << "<tie type=\"stop\"/>";
                    if (x.tieStart) n << "<tie type=\"start\"/>";
                    common(n);
                    if (staff == 1 && GetBit(e.attr, kAttrStemDown)) n << "<stem>down</stem>";
                    n << "<staff>" << staff << "</staff>";
                    std::ostringstream no;
                    if (x.tieStop) no << "<tied type=\"stop\"/>";
                    if (x.tieStart) no << "<tied type=\"start\"/>";
                    if (j == 0) {
                        if (e.slurStopNo) no << "<slur type=\"stop\" number=\"" << e.slurStopNo << "\"/>";
                        if (e.slurStartNo) no << "<slur type=\"start\" number=\"" << e.slurStartNo << "\"/>";
                        if (e.tupletStart) no << "<tuplet type=\"start\" bracket=\"yes\"/>";
                        if (e.tupletStop) no << "<tuplet type=\"stop\"/>";
                    }
                    if (staff == 2) {
                        if (x.techStop == "slide") no << "<slide type=\"stop\" number=\"" << x.techStopNo << "\"/>";
                        if (x.techStart == "slide") no << "<slide type=\"start\" number=\"" << x.techStartNo << "\"/>";
                        no << "<technical>";
                        auto tech = [&](const std::string& t, const char* type, int number) {
                            if (t.empty() || t == "slide") return;
                            no << "<" << t << " type=\"" << type << "\" number=\"" << number << "\"";
                            if (std::string(type) == "start") no << ">" << (t == "hammer-on" ? "H" : "P") << "</" << t << ">";
                            else no << "/>";
                        };
                        tech(x.techStop, "stop", x.techStopNo);
                        tech(x.techStart, "start", x.techStartNo);
                        no << "<string>" << x.string << "</string><fret>" << x.fret << "</fret></technical>";
                    }
                    if (!no.str().empty()) n << "<notations>" << no.str() << "</notations>";
                    n << "</note>\n";
                    o << n.str();
                }
            }
        }

        // Right bar line: a repeat end, an end mark, the end of an ending.
        const bool backward = ms.BarFlag[kBarRepEnd] != 0;
        const bool final = ms.BarFlag[kBarEndMark] != 0;
        if (backward || final || endingStop) {
            o << "      <barline location=\"right\">";
            if (backward || final) o << "<bar-style>light-heavy</bar-style>";
            if (endingStop) o << "<ending number=\"" << endingStop << "\" type=\"" << (endingStop == 1 ? "stop" : "discontinue") << "\"/>";
            if (backward) o << "<repeat direction=\"backward\"/>";
            o << "</barline>\n";
        }
        o << "    </measure>\n";
    }
    o << "  </part>\n</score-partwise>\n";
    return o.str();
}

bool WriteMusicXml(const Session& s, const std::vector<ScoreRow>& rows, const std::string& title,
                   const std::string& path, std::string* error) {
    return WriteFileReplacing(path, MusicXmlOf(s, rows, title), error);
}

}  // namespace lw
