#include <gtest/gtest.h>

#include <map>

#include "staff_notation.h"

using namespace lw;

namespace {

DanLayoutData Staff(int16_t top = 780, int16_t interval = 120) {
    DanLayoutData l;
    l.StaffTop = top;
    l.StaffInterval = interval;
    l.TabLeft = 540;
    return l;
}

const OpenValues kGuitar = {28, 23, 19, 14, 9, 4};

// Diatonic steps of a written natural note such as "F5" above the tables'
// base C: C3 for the treble tables (index 28 = E5), C2 for the bass (21 = A3).
int StepsOf(const char* name, bool bass) {
    static const std::string letters = "CDEFGAB";
    const int letter = static_cast<int>(letters.find(name[0]));
    return 7 * (name[1] - '0' - (bass ? 2 : 3)) + letter;
}
// Half spaces below the top line: F5 is the treble's top line, A3 the bass's.
int HalvesBelowTopLine(const char* name, bool bass) { return StepsOf(bass ? "A3" : "F5", bass) - StepsOf(name, bass); }

struct Written {
    StaffNote n;
    Stamp sign;
};

// Writes the pitches in one measure of the key, string 6 (open 4) + fret.
std::vector<Written> WriteMeasure(const std::string& key, std::vector<int> pitches, bool bass = false) {
    DanData dan;
    StaffCache cache;
    cache.Ensure(key, bass, dan);
    AccidentalMemory mem;
    std::vector<Written> out;
    for (int p : pitches) {
        OnpuData& pos = dan.Syosetsu[0].Onpu[1];
        StaffNote n = StaffPosition(cache, mem, Staff(), pos, 6, p - 4, kGuitar);
        out.push_back({n, AccidentalStamp(n, KeySignatureOf(key), bass)});
    }
    return out;
}

}  // namespace

TEST(StaffNotation, PitchOfStringAndFret) {
    OpenValues v{};
    ASSERT_TRUE(OpenStringValues(2, {}, v));
    EXPECT_EQ(v[0], 21);
    // An unknown code keeps the values of the previous call.
    EXPECT_FALSE(OpenStringValues(5, {}, v));
    EXPECT_EQ(v, (OpenValues{21, 16, 12, 19, 0, 0}));
    TuningTable tbl{};
    for (int r = 0; r < 7; ++r) tbl[r] = {int16_t(10 + r), int16_t(20 + r), int16_t(30 + r), 0};
    ASSERT_TRUE(OpenStringValues(97, tbl, v));
    EXPECT_EQ(v, (OpenValues{30, 31, 32, 33, 34, 0}));
    ASSERT_TRUE(OpenStringValues(98, tbl, v));
    EXPECT_EQ(v, (OpenValues{10, 11, 12, 13, 0, 0}));
    ASSERT_TRUE(OpenStringValues(99, tbl, v));
    EXPECT_EQ(v, (OpenValues{20, 21, 22, 23, 24, 25}));
    EXPECT_EQ(PitchIndex(28, 8), 36);
    EXPECT_EQ(PitchIndex(28, 9), 25);   // above 36: one octave down
    EXPECT_EQ(PitchIndex(28, 22), 38);  // still above 36 after the fold
    EXPECT_TRUE(IsBassClefInstrument(3));
    EXPECT_TRUE(IsBassClefInstrument(22));
    EXPECT_FALSE(IsBassClefInstrument(0));
}

TEST(StaffNotation, StaffTableCasesAndRespelling) {
    // Key C, ukulele string 1 open: A on the space below the middle line.
    DanData dan;
    StaffCache cache;
    ASSERT_TRUE(cache.Ensure("C", false, dan));
    AccidentalMemory mem;
    OnpuData pos;
    const StaffNote a = StaffPosition(cache, mem, Staff(), pos, 1, 0, {21, 16, 12, 19, 0, 0});
    EXPECT_EQ(a.pitch, 21);
    EXPECT_EQ(a.line, 2);
    EXPECT_FALSE(a.half || a.raise || a.lower || a.natural);
    EXPECT_EQ(a.top, 780 + 2 * 120 - 10);
    EXPECT_EQ(pos.Pitch[1], 21);

    // Pitch 10: B♭ in C (line of B, lowered), A♯ in Am (line of A, raised).
    auto c = WriteMeasure("C", {10});
    EXPECT_EQ(c[0].n.line, cache.Line(11));
    EXPECT_TRUE(c[0].n.lower);
    EXPECT_EQ(c[0].sign, Stamp::picFlat);
    auto am = WriteMeasure("Am", {10});
    EXPECT_EQ(am[0].n.line, cache.Line(9));
    EXPECT_TRUE(am[0].n.raise);
    EXPECT_EQ(am[0].sign, Stamp::picSharp);
    // F major writes E♭ (tonic 5, entry 15 and 27) rather than D♯.
    auto f = WriteMeasure("F", {15});
    EXPECT_TRUE(f[0].n.lower);
    EXPECT_EQ(f[0].n.line, WriteMeasure("F", {16})[0].n.line);

    // A key change rebuilds the table once and marks every note stale.
    dan.Syosetsu[3].Onpu[7].Pitch[2] = 17;
    EXPECT_FALSE(cache.Ensure("C", false, dan));
    EXPECT_EQ(dan.Syosetsu[3].Onpu[7].Pitch[2], 17);
    EXPECT_TRUE(cache.Ensure("C", true, dan));
    EXPECT_EQ(dan.Syosetsu[3].Onpu[7].Pitch[2], kNoPitch);
    EXPECT_EQ(cache.Line(24), -1);  // bass clef: middle C on the first ledger line above
}

TEST(StaffNotation, AccidentalMemoryWithinAMeasure) {
    // C♯ C♯ C in C: a sharp, nothing, a natural.
    auto w = WriteMeasure("C", {13, 13, 12});
    EXPECT_EQ(w[0].sign, Stamp::picSharp);
    EXPECT_EQ(w[1].sign, Stamp::None);
    EXPECT_EQ(w[2].sign, Stamp::picNatural);
    EXPECT_EQ(w[2].n.line, w[0].n.line);
    // B♭ B♭ B: flat, nothing, natural.
    w = WriteMeasure("C", {22, 22, 23});
    EXPECT_EQ(w[0].sign, Stamp::picFlat);
    EXPECT_EQ(w[1].sign, Stamp::None);
    EXPECT_EQ(w[2].sign, Stamp::picNatural);
    // Another octave is another entry of the memory.
    w = WriteMeasure("C", {13, 25});
    EXPECT_EQ(w[1].sign, Stamp::picSharp);

    // Key G: F natural takes a natural sign (a flat would read F♭); F♯ is in
    // the key; back to F♯ in the same measure shows the key's sharp.
    w = WriteMeasure("G", {17, 18, 17, 17});
    EXPECT_TRUE(w[0].n.lower);
    EXPECT_EQ(w[0].sign, Stamp::picNatural);
    EXPECT_EQ(w[1].sign, Stamp::picSharp);
    EXPECT_TRUE(w[1].n.natural);
    EXPECT_EQ(w[2].sign, Stamp::picNatural);
    EXPECT_EQ(w[3].sign, Stamp::None);
    // Key F: B natural is a natural sign, not a sharp; B♭ again shows a flat.
    w = WriteMeasure("F", {23, 22});
    EXPECT_EQ(w[0].sign, Stamp::picNatural);
    EXPECT_EQ(w[1].sign, Stamp::picFlat);
    // Key G♭: C natural is a natural sign.
    w = WriteMeasure("G♭", {12});
    EXPECT_EQ(w[0].sign, Stamp::picNatural);
}

// Reads a written note as a musician does: the natural note of its line or
// space, altered by its own sign, else by the last sign on that line or space
// in the measure, else by the key signature.
class Reader {
public:
    Reader(const std::string& key, bool bass) : bass_(bass) {
        static const struct { const char* major; const char* minor; int n; } kKeys[] = {
            {"C", "Am", 0}, {"G", "Em", 1}, {"D", "Bm", 2}, {"A", "F#m", 3}, {"E", "C#m", 4},
            {"B", "G#m", 5}, {"F#", "D#m", 6}, {"C#", "A#m", 7}, {"F", "Dm", -1}, {"B♭", "Gm", -2},
            {"E♭", "Cm", -3}, {"A♭", "Fm", -4}, {"D♭", "B♭m", -5}, {"G♭", "E♭m", -6}, {"C♭", "A♭m", -7}};
        int n = 0;
        for (const auto& k : kKeys)
            if (key == k.major || key == k.minor) n = k.n;
        const std::string sharps = "FCGDAEB", flats = "BEADGCF", letters = "CDEFGAB";
        for (int i = 0; i < (n < 0 ? -n : n); ++i)
            keyAlter_[letters.find((n < 0 ? flats : sharps)[i])] = n < 0 ? -1 : 1;
    }
    int Read(const StaffNote& n, Stamp sign) {
        static const int kNatural[7] = {0, 2, 4, 5, 7, 9, 11};
        // On line L (half) the note is 2L steps below the top line; in the
        // space below it one more.
        const int steps = StepsOf(bass_ ? "A3" : "F5", bass_) - 2 * n.line - (n.half ? 0 : 1);
        int alter = keyAlter_[steps % 7];
        if (sign == Stamp::picSharp || sign == Stamp::picFlat || sign == Stamp::picNatural)
            measure_[steps] = sign == Stamp::picSharp ? 1 : sign == Stamp::picFlat ? -1 : 0;
        else if (sign != Stamp::None)
            ADD_FAILURE() << "not an accidental";
        if (measure_.count(steps)) alter = measure_[steps];
        return 12 * (steps / 7) + kNatural[steps % 7] + alter;
    }

private:
    bool bass_;
    int keyAlter_[7] = {};
    std::map<int, int> measure_;
};

TEST(StaffNotation, EveryNoteReadsAsItSounds) {
    // Every key, both clefs: a chromatic scale up the whole fingerboard and
    // down again in one measure, and each note alone in its own measure.
    const char* keys[] = {"C", "G", "D", "A", "E", "B", "F#", "C#", "F", "B♭", "E♭", "A♭", "D♭", "G♭", "C♭",
                          "Am", "Em", "Bm", "F#m", "C#m", "G#m", "D#m", "A#m", "Dm", "Gm", "Cm", "Fm", "B♭m",
                          "E♭m", "A♭m"};
    for (const bool bass : {false, true}) {
        const OpenValues open = bass ? OpenValues{19, 14, 9, 4, 0, 0} : kGuitar;
        const int top = open[0] + 24;
        for (const char* key : keys) {
            SCOPED_TRACE(std::string(key) + (bass ? " bass" : " treble"));
            DanData dan;
            StaffCache cache;
            cache.Ensure(key, bass, dan);
            const KeySig sig = KeySignatureOf(key);
            std::vector<int> scale;
            for (int p = open[bass ? 3 : 5]; p <= top; ++p) scale.push_back(p);
            for (int p = top - 1; p >= open[bass ? 3 : 5]; --p) scale.push_back(p);
            AccidentalMemory mem;
            Reader measure(key, bass);
            for (int p : scale) {
                // The highest string that reaches the pitch.
                int s = 1;
                while (open[s - 1] > p) ++s;
                OnpuData pos;
                const StaffNote n = StaffPosition(cache, mem, Staff(), pos, s, p - open[s - 1], open);
                ASSERT_EQ(measure.Read(n, AccidentalStamp(n, sig, bass)), p) << "in the measure, pitch " << p;
                AccidentalMemory fresh;
                Reader alone(key, bass);
                const StaffNote m = StaffPosition(cache, fresh, Staff(), pos, s, p - open[s - 1], open);
                ASSERT_EQ(alone.Read(m, AccidentalStamp(m, sig, bass)), p) << "alone, pitch " << p;
            }
        }
    }
}

TEST(StaffNotation, HighFretsStandAboveTheStaffWithLedgerLines) {
    using V = std::vector<int>;
    DanData dan;
    StaffCache cache;
    cache.Ensure("C", false, dan);
    AccidentalMemory mem;
    OnpuData pos;
    // String 1 at fret 12 is E6 on the third ledger line above, not E5.
    StaffNote n = StaffPosition(cache, mem, Staff(), pos, 1, 12, kGuitar);
    EXPECT_EQ(n.line, -3);
    EXPECT_TRUE(n.half);
    EXPECT_EQ(LedgerLines(n.line, n.half), (V{-1, -2, -3}));
    EXPECT_EQ(pos.Pitch[1], 28);  // the row keeps the folded value
    // Fret 24: E7 in the space below the seventh ledger line.
    n = StaffPosition(cache, mem, Staff(), pos, 1, 24, kGuitar);
    EXPECT_EQ(n.line, -7);
    EXPECT_FALSE(n.half);
    EXPECT_EQ(LedgerLines(n.line, n.half), (V{-1, -2, -3, -4, -5, -6}));
    EXPECT_EQ(pos.Pitch[1], 40);
}

TEST(StaffNotation, LedgerLines) {
    using V = std::vector<int>;
    EXPECT_EQ(LedgerLines(2, true), V{});
    EXPECT_EQ(LedgerLines(4, false), V{});   // space below the bottom line
    EXPECT_EQ(LedgerLines(5, true), V{5});   // middle C in treble
    EXPECT_EQ(LedgerLines(7, false), (V{5, 6, 7}));
    EXPECT_EQ(LedgerLines(-1, false), V{});  // space above the top line
    EXPECT_EQ(LedgerLines(-2, true), (V{-1, -2}));
    EXPECT_EQ(LedgerLines(-2, false), (V{-1}));
}

TEST(StaffNotation, KeySignatureCountsAndOffsets) {
    struct Case {
        const char* key;
        int count;
        bool flats;
    };
    const Case cases[] = {{"C", 0, false},  {"Am", 0, false}, {"G", 1, false},   {"Em", 1, false},
                          {"A", 3, false},  {"F#m", 3, false}, {"C#", 7, false}, {"A#m", 7, false},
                          {"F", 1, true},   {"Dm", 1, true},   {"A♭", 4, true},  {"Fm", 4, true},
                          {"C♭", 7, true},  {"A♭m", 7, true},  {"E♭m", 6, true}};
    for (const Case& c : cases) {
        const KeySig k = KeySignatureOf(c.key);
        EXPECT_TRUE(k.known) << c.key;
        EXPECT_EQ(k.count, c.count) << c.key;
        if (c.count) {
            EXPECT_EQ(k.flats, c.flats) << c.key;
        }
    }
    EXPECT_FALSE(KeySignatureOf("H").known);

    // Every sign stands on the line or space of its letter (its offset is
    // half a space above it), in the order and octave engravers use.
    struct Signs {
        bool flats, bass;
        const char* notes[7];
    };
    const Signs signs[] = {
        {false, false, {"F5", "C5", "G5", "D5", "A4", "E5", "B4"}},
        {true, false, {"B4", "E5", "A4", "D5", "G4", "C5", "F4"}},
        {false, true, {"F3", "C3", "G3", "D3", "A2", "E3", "B2"}},
        {true, true, {"B2", "E3", "A2", "D3", "G2", "C3", "F2"}},
    };
    for (const Signs& c : signs)
        for (int k = 1; k <= 7; ++k)
            EXPECT_EQ(KeySignOffsetHalves(c.flats, c.bass, k) + 1, HalvesBelowTopLine(c.notes[k - 1], c.bass))
                << (c.flats ? "flats " : "sharps ") << (c.bass ? "bass " : "treble ") << k;

    // Placement: sharps a third of their height above the offset, flats four
    // ninths; half spaces of an odd interval round to even twips.
    RowScene scene;
    PutKeySignature(scene, Staff(780, 125), "A", false, true, 600, 100, 360, 270);
    ASSERT_EQ(scene.picKey.size(), 4u);
    EXPECT_EQ(scene.picKey[1].Top, 780 - 62 - 120);
    EXPECT_EQ(scene.picKey[2].Top, 780 + 125 - 120);
    EXPECT_EQ(scene.picKey[3].Top, 780 - 125 - 120);
    EXPECT_EQ(scene.picKey[3].Left, 800);
    EXPECT_EQ(scene.picKey[1].Image, Stamp::picSharp);
    PutKeySignature(scene, Staff(780, 120), "A♭", true, true, 600, 100, 360, 270);
    ASSERT_EQ(scene.picKey.size(), 5u);  // the three sharps are gone
    EXPECT_EQ(scene.picKey[1].Image, Stamp::picFlat);
    EXPECT_EQ(scene.picKey[1].Top, 780 + 300 - 120);
    EXPECT_EQ(scene.picKey[4].Top, 780 + 180 - 120);
    EXPECT_TRUE(scene.picKey[4].Visible);
    // A row without a staff shows no signs.
    PutKeySignature(scene, Staff(), "A♭", true, false, 600, 100, 360, 270);
    EXPECT_EQ(scene.picKey.size(), 1u);
}

TEST(StaffNotation, StaffClickBandsAndKey) {
    const DanLayoutData l = Staff();  // top line at 780, bands of 60 twips
    auto y = [](int band) { return 780 + 60 * band + 30 - 217.5; };
    EXPECT_EQ(StaffClickPitch(y(0), l, false, "C"), 29);   // F on the top line
    EXPECT_EQ(StaffClickPitch(y(-1), l, false, "C"), 31);
    EXPECT_EQ(StaffClickPitch(y(-2), l, false, "C"), 33);
    EXPECT_EQ(StaffClickPitch(y(8), l, false, "C"), 16);   // E on the bottom line
    EXPECT_EQ(StaffClickPitch(y(10), l, false, "C"), 12);  // middle C
    EXPECT_EQ(StaffClickPitch(y(27), l, false, "C"), 0);
    EXPECT_EQ(StaffClickPitch(y(40), l, false, "C"), 0);   // below the ladder
    EXPECT_EQ(StaffClickPitch(y(0), l, true, "C"), 21);    // A in the bass clef
    EXPECT_EQ(StaffClickPitch(y(1), l, true, "C"), 19);
    // Key adjustment: F♯ in G, B♭ in F, C becomes the B below in C♭.
    EXPECT_EQ(StaffClickPitch(y(0), l, false, "G"), 30);
    EXPECT_EQ(StaffClickPitch(y(4), l, false, "F"), 22);
    EXPECT_EQ(StaffClickPitch(y(4), l, false, "D"), 23);
    EXPECT_EQ(StaffClickPitch(y(10), l, false, "C♭"), 11);
}

TEST(StaffNotation, FingeringExamples) {
    using V = std::vector<int>;
    // Each pitch on the first free string at or below it; that string and all
    // lower ones are then closed.
    Fingered f = Fingering({12, 16, 19}, kGuitar, 5, false);
    EXPECT_TRUE(f.ok);
    EXPECT_EQ(f.count, 3);
    EXPECT_EQ(f.string, (V{5, 4, 3}));
    EXPECT_EQ(f.fret, (V{3, 2, 0}));
    // First pass fails (string 1 closes everything): second pass prefers frets of 4 and more.
    f = Fingering({28, 29}, kGuitar, 5, false);
    EXPECT_EQ(f.string, (V{2, 1}));
    EXPECT_EQ(f.fret, (V{5, 1}));
    f = Fingering({9, 9}, kGuitar, 5, false);
    EXPECT_EQ(f.string, (V{6, 5}));
    EXPECT_EQ(f.fret, (V{5, 0}));
    // A pitch no string can take is dropped from the count.
    f = Fingering({7, 7}, kGuitar, 5, false);
    EXPECT_TRUE(f.ok);
    EXPECT_EQ(f.count, 1);
    EXPECT_EQ(f.string, (V{6, 0}));
    // Range: 7..35 treble, 4..33 bass.
    EXPECT_FALSE(Fingering({6}, kGuitar, 5, false).ok);
    EXPECT_FALSE(Fingering({36}, kGuitar, 5, false).ok);
    EXPECT_TRUE(Fingering({4}, {19, 14, 9, 4, 0, 0}, 3, true).ok);
    EXPECT_FALSE(Fingering({34}, {19, 14, 9, 4, 0, 0}, 3, true).ok);
}

TEST(StaffNotation, StaffClickToStringAndFret) {
    const DanLayoutData l = Staff();
    int string = 9, fret = 9;
    ASSERT_TRUE(StaffPointToStringFret(780 + 30 - 217.5, l, false, "C", kGuitar, 5, string, fret));
    EXPECT_EQ(string, 1);  // F: first string, fret 1
    EXPECT_EQ(fret, 1);
    // Below the staff's range: nothing.
    EXPECT_FALSE(StaffPointToStringFret(780 + 60 * 30 - 217.5, l, false, "C", kGuitar, 5, string, fret));
    // In range but below every open string of the ukulele (lowest 12): nothing
    // is entered rather than string 0, fret 0.
    string = fret = 9;
    const double g3 = 780 + 60 * 12 + 30 - 217.5;  // two bands below middle C: A (9)
    EXPECT_EQ(StaffClickPitch(g3, l, false, "C"), 9);
    EXPECT_FALSE(StaffPointToStringFret(g3, l, false, "C", {21, 16, 12, 19, 0, 0}, 3, string, fret));
    EXPECT_EQ(string, 9);
    EXPECT_EQ(fret, 9);
}
