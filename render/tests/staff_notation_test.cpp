#include <gtest/gtest.h>

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
    EXPECT_EQ(PitchIndex(28, 22), 38);  // still above 36 after the fold: line 0, no flags
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

    // Offsets in half spaces, k = 1..7.
    const int table[4][7] = {{-1, 2, -2, 1, 4, 0, 3}, {3, 0, 4, 1, -2, 2, -1},
                             {1, 4, 0, 3, -1, 2, -2}, {-2, 2, -1, 3, 0, 4, 1}};
    for (int k = 1; k <= 7; ++k) {
        EXPECT_EQ(KeySignOffsetHalves(false, false, k), table[0][k - 1]);
        EXPECT_EQ(KeySignOffsetHalves(true, false, k), table[1][k - 1]);
        EXPECT_EQ(KeySignOffsetHalves(false, true, k), table[2][k - 1]);
        EXPECT_EQ(KeySignOffsetHalves(true, true, k), table[3][k - 1]);
    }

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
    EXPECT_EQ(scene.picKey[1].Top, 780 - 120 - 120);
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
