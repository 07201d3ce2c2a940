#include "musicxml_import.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "dan_data.h"
#include "fingering.h"
#include "musicxml_reader.h"
#include "musicxml_writer.h"
#include "settings.h"
#include "staff_notation.h"

namespace lw {
namespace {

// Lengths in the written file's unit: 48 a quarter, so a whole is 192 and a
// dotted thirty-second 9 (XmlDuration).
int64_t Units(const Quarters& q) { return q.den == 0 ? 0 : int64_t(__int128(q.num) * kXmlDivisions / q.den); }
bool WholeUnits(const Quarters& q) { return q.den != 0 && __int128(q.num) * kXmlDivisions % q.den == 0; }

int TypeIndex(const std::string& type) {
    static const char* kTypes[] = {"whole", "half", "quarter", "eighth", "16th", "32nd"};
    for (int i = 0; i < 6; ++i)
        if (type == kTypes[i]) return i;
    return -1;
}

struct Value {
    int id = -1;
    bool dot = false;
};

int ValueUnits(const Value& v) { return XmlDuration(v.id, v.dot ? 0x20 : 0); }

// A rest of `units` as rest values: one value (dotted or not) when one
// fits, otherwise the longest plain values first. Empty when impossible.
std::vector<Value> RestValues(int64_t units) {
    for (int id = 21; id <= 25; ++id)
        for (bool dot : {false, true})
            if (ValueUnits({id, dot}) == units) return {{id, dot}};
    std::vector<Value> out;
    for (int id = 21; id <= 25 && units > 0; ++id)
        while (units >= ValueUnits({id, false}) && out.size() < 64) {
            out.push_back({id, false});
            units -= ValueUnits({id, false});
        }
    if (units != 0) out.clear();
    return out;
}

struct Note {
    int midi = 0;
    std::string name;
    int string = 0, fret = -1;
    bool tieStop = false;
    Technique tech = Technique::None;
};

struct Position {
    size_t measure = 0;
    Value value;
    bool rest = false;
    std::vector<Note> notes;
    bool tie = false, slur = false, stemDown = false;
    std::vector<int> slurStarts, slurStops;
    Quarters start;
};

struct Measure {
    const SrcMeasure* src = nullptr;
    std::vector<Position> positions;
    std::string key;
    int meter = 22;
};

const char* KeyNameOf(int fifths, bool minor) {
    static const char* kMajor[15] = {"C♭", "G♭", "D♭", "A♭", "E♭", "B♭", "F", "C", "G", "D", "A", "E", "B", "F#", "C#"};
    static const char* kMinor[15] = {"A♭m", "E♭m", "B♭m", "Fm", "Cm", "Gm", "Dm", "Am", "Em", "Bm", "F#m", "C#m", "G#m", "D#m", "A#m"};
    if (fifths < -7 || fifths > 7) return nullptr;
    return minor ? kMinor[fifths + 7] : kMajor[fifths + 7];
}

int MeterIdOf(int beats, int beatType) {
    static const int kMeters[][3] = {{2, 2, 0}, {6, 8, 1}, {2, 4, 2}, {3, 2, 10}, {9, 8, 11},
                                     {3, 4, 12}, {4, 2, 20}, {12, 8, 21}, {4, 4, 22}};
    for (const auto& m : kMeters)
        if (m[0] == beats && m[1] == beatType) return m[2];
    return -1;
}

int MeasureUnits(int meterId) {
    const std::string t = MeterCaption(meterId);
    const int beats = std::stoi(t.substr(0, t.find('/')));
    const int unit = std::stoi(t.substr(t.find('/') + 1));
    return beats * 4 * kXmlDivisions / unit;
}

std::string AlterSign(int alter) { return alter > 0 ? std::string(alter, '#') : alter < 0 ? "♭" : ""; }

std::string ChordType(const SrcHarmony& h) {
    if (h.hasKindText) return h.kindText;
    static const std::map<std::string, std::string> kTypes = {
        {"major", ""}, {"minor", "m"}, {"augmented", "(#5)"}, {"diminished", "dim"}, {"dominant", "7"},
        {"major-seventh", "△7"}, {"minor-seventh", "m7"}, {"diminished-seventh", "dim"},
        {"augmented-seventh", "7(#5)"}, {"half-diminished", "m7(-5)"}, {"major-minor", "m△7"},
        {"major-sixth", "△6"}, {"minor-sixth", "m6"}, {"dominant-ninth", "9"}, {"major-ninth", "△9"},
        {"minor-ninth", "m9"}, {"dominant-11th", "11"}, {"major-11th", "△11"}, {"minor-11th", "m11"},
        {"dominant-13th", "13"}, {"major-13th", "△13"}, {"minor-13th", "m13"}, {"suspended-second", "sus2"},
        {"suspended-fourth", "sus4"}, {"power", "5"}};
    std::string t;
    if (auto it = kTypes.find(h.kind); it != kTypes.end()) t = it->second;
    for (const std::string& d : h.degrees) t += "(" + d + ")";
    return t;
}

std::string ChordName(const SrcHarmony& h) {
    if (h.rootStep.empty()) return h.kind == "none" || h.kindText.empty() ? std::string("N.C.") : h.kindText;
    std::string name = h.rootStep + AlterSign(h.rootAlter) + ChordType(h);
    if (!h.bassStep.empty()) name += "/" + h.bassStep + AlterSign(h.bassAlter);
    return name;
}

// A piece longer than this would make more than a hundred projects.
constexpr size_t kMaxImportMeasures = 8000;

// Mark codes of the rows' signs.
enum Mark : int { kSegno = 0, kToCoda = 1, kCoda = 2, kDS = 3, kDC = 4, kEnding1 = 5, kEnding2 = 6, kFine = 7, kSwing = 8 };

std::string Lower(std::string t) {
    for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return t;
}

// The signs a direction stands for; words that are the sign's own text are
// taken by it, other words stay a text.
std::vector<int> MarksOf(const SrcDirection& d, bool& wordsTaken) {
    const std::string w = Lower(d.words);
    auto starts = [&](const char* p) { return w.rfind(p, 0) == 0; };
    std::vector<int> marks;
    wordsTaken = false;
    if (d.segno) marks.push_back(kSegno);
    if (d.coda && (d.soundToCoda || starts("to coda"))) {
        marks.push_back(kToCoda);
        wordsTaken = true;
    } else if (d.coda) {
        marks.push_back(kCoda);
    } else if (d.soundToCoda || starts("to coda")) {
        marks.push_back(kToCoda);
        wordsTaken = true;
    }
    if (d.soundDalSegno || starts("d.s.") || starts("dal segno")) marks.push_back(kDS), wordsTaken = true;
    else if (d.soundDaCapo || starts("d.c.") || starts("da capo")) marks.push_back(kDC), wordsTaken = true;
    else if (d.soundFine || w == "fine") marks.push_back(kFine), wordsTaken = true;
    else if (w == "swing") marks.push_back(kSwing), wordsTaken = true;
    return marks;
}

struct MarkSize {
    double w, h;
};
MarkSize SizeOf(int mark) {
    switch (mark) {
        case kSegno: case kCoda: return {300, 420};
        case kToCoda: return {780, 420};
        case kDS: case kDC: return {600, 300};
        case kFine: return {540, 300};
        case kSwing: return {720, 300};
        default: return {960, 240};
    }
}

class Importer {
public:
    Importer(const std::string& name, const Session& settings, const ImportOptions& opt, ImportedPiece& piece)
        : name_(name), settings_(settings), opt_(opt), piece_(piece) {}

    bool Run(std::string_view xml, std::string* error) {
        error_ = error;
        SrcScore score;
        if (!ReadMusicXml(xml, name_, score, error)) return false;
        if (score.parts.empty()) return Fail("パートがありません。");
        if (opt_.part < 1 || opt_.part > static_cast<int>(score.parts.size()))
            return Fail("パート " + std::to_string(opt_.part) + " はありません（パートは " +
                        std::to_string(score.parts.size()) + " つです）。");
        part_ = &score.parts[static_cast<size_t>(opt_.part - 1)];
        if (part_->measures.empty()) return Fail("パート " + std::to_string(opt_.part) + " に小節がありません。");
        if (part_->measures.size() > kMaxImportMeasures)
            return Fail("小節が " + std::to_string(part_->measures.size()) + " あり、読み込める " +
                        std::to_string(kMaxImportMeasures) + " を超えます。");
        ChooseInstrument();
        ChooseVoices();
        if (!BuildMeasures()) return false;
        if (!Finger()) return false;
        return MakeRows();
    }

private:
    bool Fail(const std::string& why) {
        if (error_) *error_ = "「" + name_ + "」: " + why;
        return false;
    }
    bool FailAt(const SrcMeasure& m, const std::string& why) { return Fail("小節 " + m.number + ": " + why); }
    void Warn(const std::string& w) { piece_.warnings.push_back("「" + name_ + "」: " + w); }

    // ---- instrument ----
    static std::vector<int> OpenKeys(int code, const TuningTable& tbl) {
        OpenValues v{};
        if (!OpenStringValues(code, tbl, v)) return {};
        const int n = GakkiInfoOf(code).maxStringIx + 1;
        std::vector<int> keys;
        for (int k = 0; k < n; ++k) keys.push_back(v[k] + SoundingBase(code));
        return keys;
    }

    void ChooseInstrument() {
        piece_.gakkiCode = settings_.GakkiCode;
        piece_.maxStringIx = settings_.MaxStringIx;
        std::vector<int> file;   // string 1 first
        for (auto it = part_->tuning.rbegin(); it != part_->tuning.rend(); ++it) file.push_back(it->second);
        if (!file.empty()) {
            std::vector<int> codes = {settings_.GakkiCode};
            for (int c : {0, 1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14, 21, 22}) codes.push_back(c);
            for (int c : codes)
                if (OpenKeys(c, settings_.TuningTbl) == file) {
                    piece_.gakkiCode = static_cast<int16_t>(c);
                    piece_.maxStringIx = GakkiInfoOf(c).maxStringIx;
                    piece_.tuningFromFile = true;
                    break;
                }
            if (!piece_.tuningFromFile)
                Warn("TAB のチューニングが楽器メニューのどれとも合わないため、現在の楽器（" + TuningCaption(piece_.gakkiCode) +
                     "）で音の高さから弦とフレットを決めます。");
            if (piece_.tuningFromFile && part_->capo) Warn("カポタストは読み込みません。");
        }
        open_ = OpenKeys(piece_.gakkiCode, settings_.TuningTbl);
        if (open_.empty() || static_cast<int>(open_.size()) != piece_.maxStringIx + 1) {
            open_.clear();
            OpenValues v{};
            OpenStringValues(0, settings_.TuningTbl, v);
            for (int k = 0; k <= piece_.maxStringIx; ++k) open_.push_back(v[k] + SoundingBase(piece_.gakkiCode));
        }
    }

    // ---- voices ----
    bool IsTab(int staff) const {
        return std::find(part_->tabStaves.begin(), part_->tabStaves.end(), staff) != part_->tabStaves.end();
    }
    static int VoiceNumber(const std::string& v) {
        try {
            return std::stoi(v);
        } catch (...) {
            return 1000;
        }
    }

    void ChooseVoices() {
        int staff = 0, tabStaff = 0;
        for (const SrcMeasure& m : part_->measures)
            for (const SrcNote& n : m.notes) {
                if (n.cue) continue;
                if (!IsTab(n.staff) && (staff == 0 || n.staff < staff)) staff = n.staff;
                if (IsTab(n.staff) && (tabStaff == 0 || n.staff < tabStaff)) tabStaff = n.staff;
            }
        if (staff == 0) staff = tabStaff, tabStaff = 0;
        mainStaff_ = staff;
        tabStaff_ = tabStaff;
        for (const SrcMeasure& m : part_->measures)
            for (const SrcNote& n : m.notes) {
                if (n.cue) continue;
                if (n.staff == mainStaff_ && (mainVoice_.empty() || VoiceNumber(n.voice) < VoiceNumber(mainVoice_)))
                    mainVoice_ = n.voice;
                if (n.staff == tabStaff_ && (tabVoice_.empty() || VoiceNumber(n.voice) < VoiceNumber(tabVoice_)))
                    tabVoice_ = n.voice;
            }
    }
    bool IsMain(const SrcNote& n) const { return n.staff == mainStaff_ && n.voice == mainVoice_; }
    bool IsTabCopy(const SrcNote& n) const { return tabStaff_ && n.staff == tabStaff_ && n.voice == tabVoice_; }

    // ---- measures ----
    bool ValueOf(const SrcMeasure& m, const SrcNote& n, Value& v) {
        if (n.dots > 1) return FailAt(m, "複付点音符は段に置けません。");
        const bool triplet = n.actual != 0 || n.normal != 0;
        if (triplet && !(n.actual == 3 && n.normal == 2 && n.normalDots == 0 &&
                         (n.normalType.empty() || n.normalType == n.type)))
            return FailAt(m, std::to_string(n.actual) + ":" + std::to_string(n.normal) + " の連符は段に置けません（3 連符のみ）。");
        int idx = TypeIndex(n.type);
        if (n.type.empty()) {
            // No written value: the one whose length is the note's.
            const int64_t units = Units(n.length);
            for (int id = triplet ? 6 : 0; id <= (triplet ? 8 : 5) && WholeUnits(n.length); ++id)
                for (bool dot : {false, true})
                    if (ValueUnits({id, dot}) == units) {
                        v = {id, dot};
                        return true;
                    }
            return FailAt(m, "音価が段に置けません。");
        }
        if (idx < 0) return FailAt(m, "音価「" + n.type + "」は段に置けません（全音符～32 分音符）。");
        if (triplet) {
            if (n.rest) return FailAt(m, "3 連符の休符は段に置けません。");
            if (n.dots) return FailAt(m, "付点の 3 連符は段に置けません。");
            if (idx == 1) v = {8, true};          // a half-note triplet: a dotted quarter triplet of the rows
            else if (idx >= 2 && idx <= 4) v = {10 - idx, false};
            else return FailAt(m, "3 連符の「" + n.type + "」は段に置けません。");
            return true;
        }
        if (n.rest) {
            if (idx > 4) return FailAt(m, "32 分休符は段に置けません。");
            v = {21 + idx, n.dots == 1};
            return true;
        }
        v = {idx, n.dots == 1};
        return true;
    }

    bool BuildMeasures() {
        int fifths = 0, meter = 22;
        bool minor = false;
        bool dropped = false;
        std::string droppedAt;
        std::map<int, size_t> openSlurs;   // number -> position index (global)
        for (const SrcMeasure& sm : part_->measures) {
            Measure m;
            m.src = &sm;
            if (sm.hasKey) {
                fifths = sm.fifths;
                minor = sm.mode == "minor";
                if (!KeyNameOf(fifths, minor)) return FailAt(sm, "調号（" + std::to_string(fifths) + "）が読めません。");
            }
            if (sm.hasTime) {
                const int id = sm.timeUnsupported ? -1 : MeterIdOf(sm.beats, sm.beatType);
                if (id < 0)
                    return FailAt(sm, "拍子 " + sm.timeText +
                                          " は段に置けません（2/2, 6/8, 2/4, 3/2, 9/8, 3/4, 4/2, 12/8, 4/4）。");
                meter = id;
            }
            m.key = KeyNameOf(fifths, minor);
            m.meter = meter;

            std::vector<const SrcNote*> mains, tabs;
            for (const SrcNote& n : sm.notes) {
                if (n.cue) continue;
                if (IsMain(n)) mains.push_back(&n);
                else if (IsTabCopy(n)) tabs.push_back(&n);
                else if (!n.rest && !dropped) dropped = true, droppedAt = sm.number;
            }
            std::vector<bool> tabUsed(tabs.size(), false);
            Quarters expected;   // where the next position should start
            for (size_t i = 0; i < mains.size(); ++i) {
                const SrcNote& n = *mains[i];
                if (n.grace) return FailAt(sm, "装飾音符は段に置けません。");
                if (n.unpitched) return FailAt(sm, "音の高さのない音符（打楽器）は段に置けません。");
                if (n.microtone) return FailAt(sm, "微分音 " + n.name + " は段に置けません。");
                // Slurs: every position after a slur's first up to its last is
                // joined to the one before it.
                auto takeSlurs = [&] {
                    const size_t index = positionCount_ + m.positions.size() - 1;
                    for (auto [number, start] : n.slurs) {
                        if (start) {
                            openSlurs[number] = index;
                        } else if (auto it = openSlurs.find(number); it != openSlurs.end()) {
                            slurSpans_.push_back({it->second, index});
                            openSlurs.erase(it);
                        }
                    }
                };
                if (n.chord && !m.positions.empty()) {
                    Position& p = m.positions.back();
                    if (p.rest || n.rest) continue;
                    AddNote(p, n, tabs, tabUsed);
                    takeSlurs();
                    continue;
                }
                if (expected < n.start) {
                    // A gap in the voice becomes rests.
                    const auto rests = RestValues(Units(n.start - expected));
                    if (rests.empty() || !WholeUnits(n.start - expected))
                        return FailAt(sm, "声部 1 の休みが段の休符で表せません。");
                    for (const Value& v : rests) {
                        Position p;
                        p.rest = true;
                        p.value = v;
                        m.positions.push_back(p);
                    }
                } else if (n.start < expected) {
                    return FailAt(sm, "声部 1 の音符が重なっています。");
                }
                std::vector<Value> values;
                if (n.rest && (n.measureRest || n.type.empty())) {
                    values = RestValues(Units(n.length));
                    if (values.empty() || !WholeUnits(n.length)) return FailAt(sm, "休符の長さが段の休符で表せません。");
                } else {
                    Value v;
                    if (!ValueOf(sm, n, v)) return false;
                    values.push_back(v);
                }
                for (size_t k = 0; k < values.size(); ++k) {
                    Position p;
                    p.rest = n.rest;
                    p.value = values[k];
                    p.start = n.start;
                    if (!n.rest) AddNote(p, n, tabs, tabUsed);
                    m.positions.push_back(p);
                }
                int64_t units = 0;
                for (const Value& v : values) units += ValueUnits(v);
                expected = n.start + Quarters::Of(units, kXmlDivisions);
                takeSlurs();
            }
            if (m.positions.size() > static_cast<size_t>(kMaxPositions))
                return FailAt(sm, "音の位置が " + std::to_string(m.positions.size()) + " あり、段の小節に置ける 24 を超えます。");
            int64_t total = 0;
            for (const Position& p : m.positions) total += ValueUnits(p.value);
            if (total > MeasureUnits(meter))
                return FailAt(sm, "音符が拍子 " + std::string(MeterCaption(meter)) + " に収まりません。");
            positionCount_ += m.positions.size();
            measures_.push_back(std::move(m));
        }
        if (dropped) Warn("声部 1 以外の音符は読み込みません（小節 " + droppedAt + " ほか）。");
        return true;
    }

    void AddNote(Position& p, const SrcNote& n, const std::vector<const SrcNote*>& tabs, std::vector<bool>& used) {
        Note note;
        note.midi = n.midi;
        note.name = n.name;
        note.tieStop = n.tieStop;
        note.tech = n.techStop;
        note.string = n.string;
        note.fret = n.fret;
        // The TAB staff's copy of the note gives string, fret and technique.
        for (size_t t = 0; t < tabs.size(); ++t) {
            const SrcNote& c = *tabs[t];
            if (used[t] || c.rest || !(c.start == n.start) || c.midi != n.midi) continue;
            used[t] = true;
            if (c.string > 0) note.string = c.string, note.fret = c.fret;
            if (note.tech == Technique::None) note.tech = c.techStop;
            note.tieStop = note.tieStop || c.tieStop;
            break;
        }
        if (!piece_.tuningFromFile) note.string = 0, note.fret = -1;
        if (note.string > static_cast<int>(open_.size()) || note.string < 1 || note.fret < 0 ||
            open_[static_cast<size_t>(note.string - 1)] + note.fret != note.midi)
            note.string = 0, note.fret = -1;
        if (note.tieStop) p.tie = true;
        // A chord shares one stem.
        if (n.stemDown) p.stemDown = true;
        p.notes.push_back(note);
    }

    // ---- strings and frets ----
    bool Finger() {
        std::vector<FingerEvent> events;
        std::vector<Position*> where;
        for (Measure& m : measures_)
            for (Position& p : m.positions) {
                if (p.rest) continue;
                FingerEvent e;
                for (const Note& n : p.notes) {
                    FingerNote f;
                    f.midi = n.midi;
                    f.string = n.string;
                    f.fret = n.fret;
                    f.linked = !where.empty() && (n.tieStop || n.tech != Technique::None);
                    f.linkMidi = n.tieStop ? n.midi : -1;
                    e.notes.push_back(f);
                }
                events.push_back(std::move(e));
                where.push_back(&p);
            }
        const FingerResult r = FingerEvents(events, open_);
        if (!r.ok) {
            const Position& p = *where[static_cast<size_t>(r.failEvent)];
            const SrcMeasure& sm = *measures_[MeasureOfPosition(&p)].src;
            if (r.failNote >= 0)
                return FailAt(sm, p.notes[static_cast<size_t>(r.failNote)].name + " は" + TuningCaption(piece_.gakkiCode) +
                                      "のどの弦でも弾けません（フレット 0～24）。");
            std::string names;
            for (const Note& n : p.notes) names += (names.empty() ? "" : " ") + n.name;
            return FailAt(sm, "和音 " + names + " を別々の弦に割り当てられません。");
        }
        for (size_t i = 0; i < where.size(); ++i)
            for (size_t k = 0; k < where[i]->notes.size(); ++k) {
                where[i]->notes[k].string = r.placed[i][k].first;
                where[i]->notes[k].fret = r.placed[i][k].second;
            }
        if (!r.wide.empty())
            Warn("小節 " + measures_[MeasureOfPosition(where[static_cast<size_t>(r.wide.front())])].src->number +
                 " ほか " + std::to_string(r.wide.size()) + " か所の和音は 5 フレットを超えて広がります。");
        return true;
    }

    size_t MeasureOfPosition(const Position* p) const {
        for (size_t m = 0; m < measures_.size(); ++m)
            if (!measures_[m].positions.empty() && p >= &measures_[m].positions.front() && p <= &measures_[m].positions.back())
                return m;
        return 0;
    }

    // ---- rows ----
    bool MakeRows() {
        const int per = std::clamp(opt_.measuresPerRow, 1, kMaxMeasures);
        // Global position index -> (row, measure in row, position number).
        std::vector<std::tuple<size_t, int, int>> at;
        for (size_t mi = 0; mi < measures_.size(); ++mi) {
            const Measure& m = measures_[mi];
            const bool newRow = piece_.rows.empty() || piece_.rows.back().dan.SyosetsuCnt >= per ||
                                piece_.rows.back().key != m.key || piece_.rows.back().meter != m.meter;
            if (newRow) {
                piece_.rows.emplace_back();
                ImportedRow& r = piece_.rows.back();
                ResetRow(r.dan);
                r.key = m.key;
                r.meter = static_cast<int16_t>(m.meter);
                r.dan.MeterID = r.meter;
            }
            ImportedRow& row = piece_.rows.back();
            const int mx = row.dan.SyosetsuCnt++;
            SyosetsuData& ms = row.dan.Syosetsu[mx];
            ms.BarFlag[kBarPlain] = ms.BarFlag[kBarPlain2] = kTrue;
            for (const Position& p : m.positions) {
                const int no = ++ms.OnpuCnt;
                at.push_back({piece_.rows.size() - 1, mx, no});
                OnpuData& o = ms.Onpu[static_cast<size_t>(no)];
                o.PosNo = static_cast<int16_t>(no);
                o.LoadMark = 255;
                SetBit(o.NoteAttr, kAttrDot, p.value.dot);
                SetBit(o.NoteAttr, kAttrTie, p.tie);
                SetBit(o.NoteAttr, kAttrStemDown, p.stemDown);
                if (p.rest) {
                    StoreRest(o, p.value.id, piece_.maxStringIx);
                    continue;
                }
                for (const Note& n : p.notes) {
                    StoreNote(o, n.string, n.fret, p.value.id);
                    if (n.tech != Technique::None) SetBit(o.Effect[static_cast<size_t>(n.string)], static_cast<int>(n.tech), true);
                }
            }
            rowOf_.push_back({piece_.rows.size() - 1, mx});
            Marks(mi, row, mx);
        }
        // An ending ends with its closing bar or with its row.
        for (const Ending& e : endings_) {
            const auto [ra, ma] = rowOf_[e.from];
            const auto [rb, mb] = rowOf_[e.to];
            const int to = ra == rb ? mb : piece_.rows[ra].dan.SyosetsuCnt - 1;
            pending_.push_back({ra, ma, to, e.mark, {}, 0, false});
        }
        for (auto [from, to] : slurSpans_)
            for (size_t k = from + 1; k <= to && k < at.size(); ++k) {
                auto [r, mx, no] = at[k];
                OnpuData& o = piece_.rows[r].dan.Syosetsu[static_cast<size_t>(mx)].Onpu[static_cast<size_t>(no)];
                if (!o.IsRest()) SetBit(o.NoteAttr, kAttrSlur, true);
            }
        PlaceItems();
        return true;
    }

    // Chord names, bar lines and the signs and texts of one measure.
    void Marks(size_t mi, ImportedRow& row, int mx) {
        const SrcMeasure& sm = *measures_[mi].src;
        SyosetsuData& ms = row.dan.Syosetsu[static_cast<size_t>(mx)];
        const Quarters half = Quarters::Of(MeasureUnits(measures_[mi].meter), 2 * kXmlDivisions);
        std::vector<const SrcHarmony*> chords;
        for (const SrcHarmony& h : sm.harmonies) chords.push_back(&h);
        if (chords.size() == 1 && half <= chords[0]->at && Quarters{} < chords[0]->at) {
            ms.Chord2 = ChordName(*chords[0]);
        } else {
            if (chords.size() > 0) ms.Chord1 = ChordName(*chords[0]);
            if (chords.size() > 1) ms.Chord2 = ChordName(*chords[1]);
            if (chords.size() > 2) Warn("小節 " + sm.number + ": 3 つ目からのコードネームは読み込みません。");
        }
        if (sm.repeatBackward) ms.BarFlag[kBarRepEnd] = ms.BarFlag[kBarRepEnd2] = kTrue;
        if (sm.finalBar && !sm.repeatBackward) ms.BarFlag[kBarEndMark] = kTrue;
        if (sm.repeatForward) {
            if (mx == 0) row.dan.TopRepStart = kTrue;
            else row.dan.Syosetsu[static_cast<size_t>(mx - 1)].BarFlag[kBarRepStart] =
                     row.dan.Syosetsu[static_cast<size_t>(mx - 1)].BarFlag[kBarRepStart2] = kTrue;
        }
        const size_t r = piece_.rows.size() - 1;
        if (!sm.endingStart.empty()) {
            const std::string n = sm.endingStart.substr(0, sm.endingStart.find_first_of(", "));
            if (endingOpen_) endings_.push_back({openEnding_.from, mi - 1, openEnding_.mark});
            endingOpen_ = n == "1" || n == "2";
            if (endingOpen_) openEnding_ = {mi, mi, n == "1" ? kEnding1 : kEnding2};
            else Warn("小節 " + sm.number + ": " + sm.endingStart + " 番括弧は読み込みません。");
        }
        if (endingOpen_ && (sm.endingStop || mi + 1 == measures_.size())) {
            endings_.push_back({openEnding_.from, mi, openEnding_.mark});
            endingOpen_ = false;
        }
        for (const SrcDirection& d : sm.directions) {
            bool taken = false;
            const bool late = half <= d.at && Quarters{} < d.at;
            for (int mark : MarksOf(d, taken)) pending_.push_back({r, mx, mx, mark, {}, 0, late});
            if (!taken && !d.words.empty()) pending_.push_back({r, mx, mx, -1, d.words, d.fontSize, late});
        }
    }

    // Texts and signs get places in their measures from the row's layout.
    void PlaceItems() {
        auto work = std::make_unique<Session>(settings_);
        work->CurDanIx = 0;
        work->MaxStringIx = piece_.maxStringIx;
        for (size_t r = 0; r < piece_.rows.size(); ++r) {
            ImportedRow& row = piece_.rows[r];
            work->CurSyosetsuCnt = row.dan.SyosetsuCnt;
            DeriveLayout(*work);
            const DanLayoutData& lay = work->DanLayout[0];
            const double top = lay.StaffTop > 0 ? lay.StaffTop : lay.TabTop;
            std::map<int, double> startUsed, endUsed, textRows;
            // Signs first; texts then start after the signs of their measure.
            std::vector<const Pending*> order;
            for (const Pending& p : pending_)
                if (p.row == r && p.mark >= 0) order.push_back(&p);
            for (const Pending& p : pending_)
                if (p.row == r && p.mark < 0) order.push_back(&p);
            for (const Pending* pp : order) {
                const Pending& p = *pp;
                const double left = lay.SyosetsuLeft[static_cast<size_t>(p.from)];
                const double right = lay.SyosetsuLeft[static_cast<size_t>(p.to)] + lay.SyosetsuWidth[static_cast<size_t>(p.to)];
                const double measureRight = left + lay.SyosetsuWidth[static_cast<size_t>(p.from)];
                if (p.mark < 0) {
                    TextItem t;
                    t.Caption = p.text;
                    t.FontSize = p.fontSize;
                    const double size = p.fontSize > 0 ? p.fontSize : 12;
                    t.Height = size * 25;
                    t.Width = std::max(300.0, size * 20 * 0.6 * static_cast<double>(p.text.size()));
                    t.Top = 60 + textRows[p.from] * t.Height;
                    textRows[p.from] += 1;
                    t.Left = p.late ? std::max(left + 60, measureRight - t.Width - 60) : left + 60 + startUsed[p.from];
                    t.Left = std::clamp(t.Left, left + 1, measureRight - 1);
                    t.Visible = true;
                    row.items.Texts.push_back(t);
                    continue;
                }
                RepMarkItem m;
                m.Tag = std::to_string(p.mark);
                m.Visible = true;
                const MarkSize sz = SizeOf(p.mark);
                m.Height = sz.h;
                if (p.mark == kEnding1 || p.mark == kEnding2) {
                    m.Left = left + 60;
                    m.Width = p.to == p.from ? std::min(sz.w, right - left - 120) : right - 60 - m.Left;
                    m.Top = std::max(0.0, top - sz.h - 60);
                } else {
                    m.Width = sz.w;
                    const bool late = p.late || p.mark == kToCoda || p.mark == kDS || p.mark == kDC || p.mark == kFine;
                    double& used = late ? endUsed[p.from] : startUsed[p.from];
                    m.Left = late ? measureRight - 60 - sz.w - used : left + 60 + used;
                    m.Left = std::clamp(m.Left, left + 1, measureRight - 1);
                    used += sz.w + 60;
                    m.Top = std::max(0.0, top - sz.h - 300);
                }
                row.items.RepMarks.push_back(m);
            }
        }
    }

    struct Pending {
        size_t row;
        int from, to, mark;   // mark -1: a text
        std::string text;
        double fontSize;
        bool late;
    };
    struct Ending {
        size_t from = 0, to = 0;   // measures of the piece
        int mark = 0;
    };

    std::string name_;
    const Session& settings_;
    ImportOptions opt_;
    ImportedPiece& piece_;
    std::string* error_ = nullptr;
    const SrcPart* part_ = nullptr;
    std::vector<int> open_;
    int mainStaff_ = 0, tabStaff_ = 0;
    std::string mainVoice_, tabVoice_;
    std::vector<Measure> measures_;
    size_t positionCount_ = 0;
    std::vector<std::pair<size_t, size_t>> slurSpans_;
    std::vector<Pending> pending_;
    Ending openEnding_;
    bool endingOpen_ = false;
    std::vector<Ending> endings_;
    std::vector<std::pair<size_t, int>> rowOf_;   // measure of the piece -> row, measure in the row
};

}  // namespace

std::string TuningCaption(int code) {
    switch (code) {
        case 0: return "ギター";
        case 1: return "ウクレレ(Low-G)";
        case 2: return "ウクレレ(High-G)";
        case 3: return "ベース";
        case 4: return "フラットマンドリン";
        case 6: return "Open-D (DADF#AD)";
        case 7: return "Open-G (DGDGBD)";
        case 8: return "Open-A (EAEAC#E)";
        case 9: return "Open-E (EBEG#BE)";
        case 10: return "Open-D69 (DADF#BE)";
        case 11: return "Open-D6 (DADF#BD)";
        case 12: return "Dropped-D (DADGBE)";
        case 13: return "Modal-D (DADGAD)";
        case 14: return "Unison-D (DADDAD)";
        case 21: return "チャランゴ";
        case 22: return "ベース（５弦）";
        case 97: return "ユーザー設定（５弦）";
        case 98: return "ユーザー設定（４弦）";
        case 99: return "ユーザー設定（６弦）";
        default: return std::to_string(code);
    }
}

bool ImportMusicXml(std::string_view xml, const std::string& name, const Session& settings, const ImportOptions& opt,
                    ImportedPiece& piece, std::string* error) {
    piece = ImportedPiece{};
    if (opt.measuresPerRow < 1 || opt.measuresPerRow > kMaxMeasures) {
        if (error) *error = "1 段の小節数は 1～8 です（" + std::to_string(opt.measuresPerRow) + "）。";
        return false;
    }
    return Importer(name, settings, opt, piece).Run(xml, error);
}

}  // namespace lw
