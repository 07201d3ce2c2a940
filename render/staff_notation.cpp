#include "staff_notation.h"

#include <algorithm>
#include <cmath>

#include "fretcalc_client.h"

namespace lw {
namespace {

struct KeyRow {
    const char* major;
    const char* minor;
    int count;
    bool flats;
};
constexpr KeyRow kKeys[] = {
    {"C", "Am", 0, false},   {"G", "Em", 1, false},    {"D", "Bm", 2, false},   {"A", "F#m", 3, false},
    {"E", "C#m", 4, false},  {"B", "G#m", 5, false},   {"F#", "D#m", 6, false}, {"C#", "A#m", 7, false},
    {"F", "Dm", 1, true},    {"B♭", "Gm", 2, true},    {"E♭", "Cm", 3, true},   {"A♭", "Fm", 4, true},
    {"D♭", "B♭m", 5, true},  {"G♭", "E♭m", 6, true},   {"C♭", "A♭m", 7, true},
};

// Letters in the order a key signature alters them.
constexpr int kSharpLetters[7] = {3, 0, 4, 1, 5, 2, 6};  // F C G D A E B
constexpr int kFlatLetters[7] = {6, 2, 5, 1, 4, 0, 3};   // B E A D G C F
constexpr int kNaturalClass[7] = {0, 2, 4, 5, 7, 9, 11};

// Offsets of the signs in half spaces below the top line, k = 1..7: half a
// space above the line or space of the altered letter, in the zig-zag
// engravers use, every sign within the staff. Treble sharps F5 C5 G5 D5 A4 E5
// B4, flats B4 E5 A4 D5 G4 C5 F4; bass sharps F3 C3 G3 D3 A2 E3 B2, flats B2
// E3 A2 D3 G2 C3 F2.
constexpr int kSignHalves[2][2][7] = {
    {{-1, 2, -2, 1, 4, 0, 3},    // sharps, treble
     {1, 4, 0, 3, 6, 2, 5}},     // sharps, bass
    {{3, 0, 4, 1, 5, 2, 6},      // flats, treble
     {5, 2, 6, 3, 7, 4, 8}},     // flats, bass
};

// The natural pitch `steps` diatonic steps above pitch index 0 (C).
int NaturalAt(int steps) { return 12 * (steps / 7) + kNaturalClass[steps % 7]; }

bool IsMajorName(const std::string& key) { return key.empty() || key.back() != 'm'; }

}  // namespace

bool OpenStringValues(int code, const TuningTable& tbl, OpenValues& v) {
    static const std::array<std::pair<int, OpenValues>, 15> kTunings = {{
        {0, {28, 23, 19, 14, 9, 4}},  {1, {21, 16, 12, 7, 0, 0}},   {2, {21, 16, 12, 19, 0, 0}},
        {3, {19, 14, 9, 4, 0, 0}},    {4, {28, 21, 14, 7, 0, 0}},   {6, {26, 21, 18, 14, 9, 2}},
        {7, {26, 23, 19, 14, 7, 2}},  {8, {28, 25, 21, 16, 9, 4}},  {9, {28, 23, 20, 16, 11, 4}},
        {10, {28, 23, 18, 14, 9, 2}}, {11, {26, 23, 18, 14, 9, 2}}, {12, {28, 23, 19, 14, 9, 2}},
        {13, {26, 21, 19, 14, 9, 2}}, {14, {26, 21, 14, 14, 9, 2}}, {21, {28, 21, 16, 24, 19, 0}},
    }};
    for (const auto& [c, values] : kTunings) {
        if (c == code) {
            v = values;
            return true;
        }
    }
    auto column = [&](int col, int rows) {
        OpenValues r{};
        for (int i = 0; i < rows; ++i) r[i] = tbl[i][col];
        v = r;
        return true;
    };
    switch (code) {
        case 22: v = {23, 19, 14, 9, 4, 0}; return true;
        case 97: return column(2, 5);
        case 98: return column(0, 4);
        case 99: return column(1, 6);
        default: return false;
    }
}

bool IsBassClefInstrument(int gakkiCode) { return gakkiCode == 3 || gakkiCode == 22; }

int PitchIndex(int openValue, int fret) {
    const int p = openValue + fret;
    return p > 36 ? p - 12 : p;
}

void RaiseByOctaves(int16_t& line, bool& half, int octaves) {
    // Steps upwards from the top line: a head on line L is 2L steps below it,
    // one in the space below 2L + 1.
    const int u = (half ? 1 : 0) - 2 * line + 7 * octaves;
    half = (u % 2 + 2) % 2 == 1;
    line = static_cast<int16_t>(((half ? 1 : 0) - u) / 2);
}

KeySig KeySignatureOf(const std::string& key) {
    for (const KeyRow& r : kKeys)
        if (key == r.major || key == r.minor) return {r.count, r.flats, true};
    return {};
}

int KeyAlteration(const KeySig& k, int letter) {
    const int* order = k.flats ? kFlatLetters : kSharpLetters;
    for (int i = 0; i < k.count; ++i)
        if (order[i] == letter) return k.flats ? -1 : 1;
    return 0;
}

bool StaffCache::Ensure(const std::string& keyName, bool bass, DanData& dan) {
    if (built_ && key_ == keyName && bass_ == bass) return false;
    const StaffPosTable table = FivelinePosTable(keyName, bass);
    line_.fill(0);
    flags_.fill(0);
    for (int i = 0; i < kStaffEntries; ++i) {
        const StaffPos& e = table[i];
        line_[i] = static_cast<int16_t>(e.line);
        flags_[i] = static_cast<uint8_t>((e.half ? kFlagHalf : 0) | (e.raise ? kFlagRaise : 0) | (e.lower ? kFlagLower : 0));
    }
    key_ = keyName;
    bass_ = bass;
    built_ = true;
    InvalidateStaffData(dan);
    if (IsMajorName(keyName)) {
        // The flattened seventh is written on the leading tone's letter with a
        // lowering sign: B♭ rather than A♯ in C, E♭ rather than D♯ in F. Only
        // where the table writes the leading tone in the key's own form: where
        // it needs a sign itself (F♯, C♯ and C♭ major write it as F♮, C♮ and
        // B), a lowering sign on its letter would not sound the seventh, and
        // the table's own spelling (E♮, B♮, A♮) is kept.
        const int t = KeyIndexOf(keyName);
        const KeySig sig = KeySignatureOf(keyName);
        if (t >= 0) {
            for (int c = t + 11; c < kStaffEntries; c += 12) {
                if (flags_[c] & (kFlagRaise | kFlagLower)) continue;
                // A letter the key already flattens has no lower form to use.
                if (KeyAlteration(sig, WrittenLetter(line_[c], flags_[c] & kFlagHalf, bass)) < 0) continue;
                line_[c - 1] = line_[c];
                flags_[c - 1] = static_cast<uint8_t>((flags_[c] & kFlagHalf) | kFlagLower);
            }
        }
    }
    // Above the tables' range: the entry an octave lower, an octave up.
    for (int i = kStaffEntries; i < kStaffCacheSize; ++i) {
        int16_t line = line_[i - 12];
        bool half = flags_[i - 12] & kFlagHalf;
        RaiseByOctaves(line, half, 1);
        line_[i] = line;
        flags_[i] = static_cast<uint8_t>((flags_[i - 12] & ~kFlagHalf) | (half ? kFlagHalf : 0));
    }
    return true;
}

int16_t StaffCache::Line(int p) const { return p >= 0 && p < kStaffCacheSize ? line_[p] : 0; }
uint8_t StaffCache::Flags(int p) const { return p >= 0 && p < kStaffCacheSize ? flags_[p] : 0; }

void InvalidateStaffData(DanData& dan) {
    for (SyosetsuData& m : dan.Syosetsu)
        for (OnpuData& pos : m.Onpu) pos.Pitch.fill(kNoPitch);
}

StaffNote StaffPosition(const StaffCache& cache, AccidentalMemory& mem, const DanLayoutData& l, OnpuData& pos,
                        int s, int fret, const OpenValues& open) {
    StaffNote n;
    const int openValue = s >= 1 && s <= 6 ? open[s - 1] : 0;
    const int sounding = std::clamp(SoundingPitch(openValue, fret), 0, kMaxPitch);
    // The folded pitch and its entry are what the row keeps; the note stands
    // as many octaves higher as the fold took off.
    const int p = std::clamp(PitchIndex(openValue, fret), 0, kStaffCacheSize - 1);
    if (s >= 0 && s < kStringSlots && pos.Pitch[s] != p) {
        pos.Pitch[s] = static_cast<uint8_t>(p);
        pos.StaffPos[s] = cache.Line(p);
        pos.Accidental[s] = cache.Flags(p);
    }
    int16_t line = s >= 0 && s < kStringSlots ? pos.StaffPos[s] : cache.Line(p);
    const uint8_t flags = s >= 0 && s < kStringSlots ? pos.Accidental[s] : cache.Flags(p);
    bool half = flags & kFlagHalf;
    if (sounding > p) RaiseByOctaves(line, half, (sounding - p) / 12);
    n.pitch = sounding;
    n.line = line;
    n.half = half;
    n.raise = flags & kFlagRaise;
    n.lower = flags & kFlagLower;
    // A raised note is written on the letter below it, a lowered one on the
    // letter above: the memory is kept by the pitch of that letter.
    const int q = sounding;
    if (n.raise) {
        if (q >= 1 && mem.raised[q - 1]) n.raise = false;
        else if (q >= 1) mem.raised[q - 1] = true;
    } else if (mem.raised[q]) {
        mem.raised[q] = false;
        n.natural = true;
    }
    if (n.lower) {
        if (mem.lowered[q + 1]) n.lower = false;
        else mem.lowered[q + 1] = true;
    } else if (mem.lowered[q]) {
        mem.lowered[q] = false;
        n.natural = true;
    }
    n.top = StaffLineY(l, line) - kHeadPictureMargin - (n.half ? l.StaffInterval / 2.0 : 0);
    return n;
}

int WrittenLetter(int line, bool half, bool bass) {
    const int u = (half ? 1 : 0) - 2 * line;
    const int k = u - (bass ? -11 : -16);
    return ((k % 7) + 7) % 7;
}

Stamp AccidentalStamp(const StaffNote& n, const KeySig& key, bool bass) {
    const int alter = KeyAlteration(key, WrittenLetter(n.line, n.half, bass));
    if (n.raise) return alter < 0 ? Stamp::picNatural : Stamp::picSharp;
    if (n.lower) return alter > 0 ? Stamp::picNatural : Stamp::picFlat;
    if (n.natural) return alter > 0 ? Stamp::picSharp : alter < 0 ? Stamp::picFlat : Stamp::picNatural;
    return Stamp::None;
}

std::vector<int> LedgerLines(int line, bool half) {
    std::vector<int> r;
    for (int i = 5; i <= line; ++i) r.push_back(i);
    const int lowest = half ? line : line + 1;
    for (int i = -1; i >= lowest; --i) r.push_back(i);
    return r;
}

int KeySignOffsetHalves(bool flats, bool bass, int k) {
    if (k < 1 || k > 7) return 0;
    return kSignHalves[flats ? 1 : 0][bass ? 1 : 0][k - 1];
}

void PutKeySignature(RowScene& scene, const DanLayoutData& l, const std::string& keyName, bool bass, bool staffShown,
                     double firstLeft, double signWidth, double sharpHeight, double flatHeight) {
    scene.picKey.resize(1);
    const KeySig sig = KeySignatureOf(keyName);
    if (!staffShown || !sig.known) return;
    for (int k = 1; k <= sig.count; ++k) {
        ScenePicture e;
        e.Image = sig.flats ? Stamp::picFlat : Stamp::picSharp;
        e.Height = sig.flats ? flatHeight : sharpHeight;
        e.Width = signWidth;
        const double offset = double(RoundHalfEven(KeySignOffsetHalves(sig.flats, bass, k) * l.StaffInterval / 2.0));
        e.Top = l.StaffTop + offset - (sig.flats ? 4.0 * e.Height / 9.0 : e.Height / 3.0);
        e.Left = firstLeft + (k - 1) * signWidth;
        e.Visible = true;
        e.Z = scene.BringToFront();
        scene.picKey.push_back(e);
    }
}

int StaffClickPitch(double y, const DanLayoutData& l, bool bass, const std::string& keyName) {
    if (l.StaffInterval <= 0) return 0;
    const double yy = y + 277.5 - 60;
    const int j = static_cast<int>(std::floor((yy - l.StaffTop) / (l.StaffInterval / 2.0)));
    const int topSteps = bass ? 12 : 17;  // A (21) or F (29) on the top line
    const int steps = topSteps - j;
    if (steps < 0) return 0;
    int pitch = NaturalAt(steps);
    const KeySig sig = KeySignatureOf(keyName);
    if (sig.known) {
        const int* order = sig.flats ? kFlatLetters : kSharpLetters;
        for (int i = 0; i < sig.count; ++i) {
            if (kNaturalClass[order[i]] == pitch % 12) {
                pitch += sig.flats ? -1 : 1;
                break;
            }
        }
    }
    return pitch;
}

Fingered Fingering(const std::vector<int>& pitches, const OpenValues& open, int maxStringIx, bool bass) {
    Fingered f;
    const int n = static_cast<int>(pitches.size());
    const int lo = bass ? 4 : 7, hi = bass ? 33 : 35;
    for (int p : pitches)
        if (p < lo || p > hi) return f;
    f.ok = true;
    const int last = std::clamp(maxStringIx, 0, 5);
    auto pass = [&](int minFret, bool retry) {
        std::array<bool, 6> used{};
        f.string.assign(n, 0);
        f.fret.assign(n, 0);
        int assigned = 0;
        for (int j = 0; j < n; ++j) {
            auto place = [&](int least) {
                for (int k = 0; k <= last; ++k) {
                    if (used[k] || open[k] + least > pitches[j]) continue;
                    f.string[j] = k + 1;
                    f.fret[j] = pitches[j] - open[k];
                    for (int i = k; i <= last; ++i) used[i] = true;
                    return true;
                }
                return false;
            };
            if (place(minFret) || (retry && place(0))) ++assigned;
        }
        return assigned;
    };
    f.count = pass(0, false);
    if (f.count < n) f.count = pass(4, true);
    return f;
}

bool StaffPointToStringFret(double y, const DanLayoutData& l, bool bass, const std::string& keyName,
                            const OpenValues& open, int maxStringIx, int& string, int& fret) {
    const Fingered f = Fingering({StaffClickPitch(y, l, bass, keyName)}, open, maxStringIx, bass);
    if (!f.ok || f.count == 0 || f.string[0] == 0) return false;
    string = f.string[0];
    fret = f.fret[0];
    return true;
}

}  // namespace lw
