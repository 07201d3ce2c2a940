// Chords through the C interface: GetChord and EnumChordTable, called as the
// editor calls them (texts by reference: the address of a const char*).
#include "fretcalc.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstddef>
#include <cstring>
#include <set>
#include <string>

using namespace fretcalc_test;

static_assert(sizeof(ChordTypeRecord) == 172);
static_assert(offsetof(ChordTypeRecord, tones) == 12);
static_assert(sizeof(ChordToneRecord) == 16);
static_assert(offsetof(ChordToneRecord, label) == 4);
static_assert(offsetof(ChordToneRecord, sounded) == 12);

namespace {

using Frets = std::array<int32_t, 4>;
constexpr Frets kUntouched = {-77, -77, -77, -77};

// GetChord as the editor calls it: the type by reference.
int32_t CallGetChord(int32_t root, const char* type, int32_t position, Frets& frets) {
    const char* text = type;
    return GetChord(root, &text, position, frets.data());
}

Frets Chord(int32_t root, const std::string& utf8Type, int32_t position, int32_t* result = nullptr) {
    const std::string type = PadBytes(Sjis(utf8Type), 10);
    Frets frets = kUntouched;
    const int32_t r = CallGetChord(root, type.c_str(), position, frets);
    if (result) *result = r;
    return frets;
}

}  // namespace

// ---- GetChord: the examples and edge cases of the chord tables ------------------------

TEST(GetChord, MajorAtRootValue12FollowsTheExchangeSort) {
    const Frets expected[5] = {{3, 0, 0, 0}, {3, 3, 4, 5}, {7, 8, 7, 5}, {7, 8, 7, 9}, {10, 12, 12, 12}};
    for (int p = 0; p < 5; ++p) {
        int32_t r = 0;
        EXPECT_EQ(Chord(12, "Major", p, &r), expected[p]) << "position " << p;
        EXPECT_EQ(r, -1);
    }
}

TEST(GetChord, MinorAtA) {
    int32_t r = 0;
    EXPECT_EQ(Chord(21, "m", 0, &r), (Frets{0, 0, 0, 2}));
    EXPECT_EQ(r, -1);
    EXPECT_EQ(Chord(21, "m", 1), (Frets{3, 5, 4, 2}));
    EXPECT_EQ(Chord(21, "m", 2), (Frets{7, 8, 9, 9}));
    for (int p : {3, 4}) {
        EXPECT_EQ(Chord(21, "m", p, &r), kUntouched) << p;
        EXPECT_EQ(r, 0) << p;
    }
}

TEST(GetChord, M9AtCSortsARealPositionBehindAnEmptyOne) {
    int32_t r = 0;
    EXPECT_EQ(Chord(12, "m9", 0), (Frets{5, 3, 3, 3}));
    EXPECT_EQ(Chord(12, "m9", 1), (Frets{6, 6, 7, 7}));
    EXPECT_EQ(Chord(12, "m9", 2), (Frets{10, 10, 10, 8}));
    EXPECT_EQ(Chord(12, "m9", 3, &r), kUntouched);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(Chord(12, "m9", 4, &r), (Frets{13, 11, 14, 12}));
    EXPECT_EQ(r, -1);
}

TEST(GetChord, TypesWithShiftJisCharacters) {
    // "13(♭9)" with root value 12: C shape unshifted.
    EXPECT_EQ(Chord(12, "13(\u266D9)", 0), (Frets{1, 0, 1, 2}));
    // "△7" with root value 12: slot 1 C 2 0 0 0 is the lowest.
    EXPECT_EQ(Chord(12, "\u25B37", 0), (Frets{2, 0, 0, 0}));
    // The raw bytes, as the library stores them.
    EXPECT_EQ(Sjis("13(\u266D9)"), "13(\x81\xF3" "9)");
    EXPECT_EQ(Sjis("\u25B37"), "\x81\xA2" "7");
}

TEST(GetChord, ComparesOnlyTheFirstTenBytes) {
    Frets frets = kUntouched;
    EXPECT_EQ(CallGetChord(12, "Major     and more", 0, frets), -1);
    EXPECT_EQ(frets, (Frets{3, 0, 0, 0}));
    frets = kUntouched;
    EXPECT_EQ(CallGetChord(12, "m9        x", 4, frets), -1);
    EXPECT_EQ(frets, (Frets{13, 11, 14, 12}));
    // ... but all ten: "m" followed by "7" is "m7", not "m".
    frets = kUntouched;
    EXPECT_EQ(CallGetChord(21, "m7        ", 0, frets), -1);
    EXPECT_EQ(frets, (Frets{0, 0, 0, 0}));
}

TEST(GetChord, UnpaddedOrUnknownTypesAreNotFoundAndNothingIsReadPastTheNul) {
    for (const char* type : {"m", "", "Major", "Maj", "m9       ", "M", "major     ", "xyz       ", "7(b9)     "}) {
        const ExactText text(type);  // exactly strlen + 1 bytes on the heap
        Frets frets = kUntouched;
        EXPECT_EQ(CallGetChord(12, text.get(), 0, frets), 0) << '"' << type << '"';
        EXPECT_EQ(frets, kUntouched) << type;
    }
}

TEST(GetChord, UndefinedPositionsAndNullPointersReturnZeroAndWriteNothing) {
    const std::string type = PadBytes("Major", 10);
    for (int32_t p : {-1, 5, 6, 100, INT_MIN, INT_MAX}) {
        Frets frets = kUntouched;
        EXPECT_EQ(CallGetChord(12, type.c_str(), p, frets), 0) << p;
        EXPECT_EQ(frets, kUntouched);
    }
    Frets frets = kUntouched;
    EXPECT_EQ(GetChord(12, nullptr, 0, frets.data()), 0);
    const char* nullText = nullptr;
    EXPECT_EQ(GetChord(12, &nullText, 0, frets.data()), 0);
    EXPECT_EQ(frets, kUntouched);
    const char* text = type.c_str();
    EXPECT_EQ(GetChord(12, &text, 0, nullptr), 0);
}

TEST(GetChord, ExtremeRootsDoNotOverflowOrCrash) {
    for (int32_t root : {INT_MIN, INT_MIN + 1, -1000, 0, 99, 1000, INT_MAX - 1, INT_MAX})
        for (int p = 0; p < 5; ++p) {
            int32_t r = 7;
            Chord(root, "Major", p, &r);
            EXPECT_TRUE(r == 0 || r == -1);
        }
}

TEST(GetChord, RowsTenAndElevenHoldTheSameShapes) {
    for (int32_t root = 11; root <= 23; ++root)
        for (int p = 0; p < 5; ++p) {
            int32_t r1 = 1, r2 = 2;
            EXPECT_EQ(Chord(root, "7sus6", p, &r1), Chord(root, "7(13)", p, &r2));
            EXPECT_EQ(r1, r2);
        }
}

// ---- GetChord: properties over all inputs -------------------------------------

// For every type, root value 11..23 and position 0..4 the library equals the
// reference algorithm run on the reference table (transcribed separately
// from the Markdown), including the exchange-sort order of equal keys.
TEST(GetChordProperty, EqualsTheReferenceAlgorithmOnTheReferenceTable) {
    const auto& shapes = RefShapes();
    ASSERT_EQ(shapes.size(), 26u);
    const auto names = SjisShapeTypeNames();
    int found = 0;
    for (size_t t = 0; t < shapes.size(); ++t)
        for (int32_t root = 0; root <= 40; ++root)
            for (int p = 0; p < 5; ++p) {
                Frets expected = kUntouched;
                const bool exists = ReferenceGetChord(shapes[t], root, p, expected);
                Frets frets = kUntouched;
                const int32_t r = CallGetChord(root, names[t].c_str(), p, frets);
                ASSERT_EQ(r, exists ? -1 : 0) << shapes[t].name << " root " << root << " pos " << p;
                ASSERT_EQ(frets, expected) << shapes[t].name << " root " << root << " pos " << p;
                found += exists;
            }
    EXPECT_GT(found, 0);
}

// Independent of any table: with R in 11..23 every fret lies in 0..15, the
// sort keys (string-1 fret, or R for an empty position) never decrease, and
// the five positions hold distinct slots' shapes of the row.
TEST(GetChordProperty, FretsInRangeAndPositionsSortedByStringOneFret) {
    for (const std::string& type : SjisShapeTypeNames()) {
        for (int32_t root = 11; root <= 23; ++root) {
            int32_t previousKey = INT_MIN;
            int real = 0;
            for (int p = 0; p < 5; ++p) {
                Frets frets = kUntouched;
                const int32_t r = CallGetChord(root, type.c_str(), p, frets);
                ASSERT_TRUE(r == 0 || r == -1);
                int32_t key = root;
                if (r == -1) {
                    ++real;
                    for (int32_t f : frets) {
                        EXPECT_GE(f, 0) << Utf8(type) << " root " << root << " pos " << p;
                        EXPECT_LE(f, 15) << Utf8(type) << " root " << root << " pos " << p;
                    }
                    key = frets[0];
                } else {
                    EXPECT_EQ(frets, kUntouched);
                }
                EXPECT_GE(key, previousKey) << Utf8(type) << " root " << root << " pos " << p;
                previousKey = key;
            }
            EXPECT_GE(real, 3) << Utf8(type);
        }
    }
}

// Each shape, played on the tuning A4 E4 C4 G4 (strings 1..4), sounds only
// tones of its chord type, and always its root (checked for root value 12).
TEST(GetChordProperty, ShapesSoundTonesOfTheirChordType) {
    const int32_t openPitchClass[4] = {9, 4, 0, 7};
    for (int index = 0; index < 26; ++index) {
        ChordTypeRecord rec{};
        ASSERT_EQ(EnumChordTable(&rec, index), -1);
        std::set<int> tones;
        for (const auto& t : rec.tones)
            if (t.label[0] != '\0') tones.insert(t.semitones);
        const std::string type = PadBytes(rec.name, 10);
        for (int32_t root = 12; root <= 23; ++root)
            for (int p = 0; p < 5; ++p) {
                Frets frets = kUntouched;
                if (CallGetChord(root, type.c_str(), p, frets) == 0) continue;
                std::set<int> sounded;
                for (int s = 0; s < 4; ++s) sounded.insert(((openPitchClass[s] + frets[s] - root) % 12 + 12) % 12);
                for (int interval : sounded)
                    EXPECT_TRUE(tones.count(interval))
                        << Utf8(rec.name) << " root " << root << " pos " << p << " sounds interval " << interval;
            }
    }
}

// ---- EnumChordTable ---------------------------------------------------------

TEST(EnumChordTable, ResultIsMinusOneUpTo25AndZeroForTheTerminator) {
    for (int i = 0; i < 26; ++i) {
        ChordTypeRecord rec{};
        EXPECT_EQ(EnumChordTable(&rec, i), -1) << i;
    }
    ChordTypeRecord rec{};
    EXPECT_EQ(EnumChordTable(&rec, 26), 0);
    EXPECT_STREQ(rec.name, "EOF");
    for (int i = 27; i < 30; ++i) EXPECT_EQ(EnumChordTable(&rec, i), -1) << i;
}

// Byte for byte, every record of the 30-record table is the reference one:
// name NUL-padded in 12 bytes, used slots first (semitones, label NUL-padded in
// 8 bytes, −1/0 flag), unused slots −1 / empty / 0; records 27..29 all zero.
TEST(EnumChordTable, EveryRecordIsTheReferenceOneByteForByte) {
    const auto& ref = RefChordTypes();
    ASSERT_EQ(ref.size(), 27u);
    for (int i = 0; i < 30; ++i) {
        ChordTypeRecord expected;
        std::memset(&expected, 0, sizeof expected);
        if (i < 27) {
            const std::string name = Sjis(ref[static_cast<size_t>(i)].name);
            ASSERT_LE(name.size(), 11u);
            std::memcpy(expected.name, name.data(), name.size());
            const auto& tones = ref[static_cast<size_t>(i)].tones;
            for (size_t k = 0; k < 10; ++k) {
                ChordToneRecord& t = expected.tones[k];
                if (k < tones.size()) {
                    t.semitones = tones[k].semitones;
                    ASSERT_LE(tones[k].label.size(), 6u);
                    std::memcpy(t.label, tones[k].label.data(), tones[k].label.size());
                    t.sounded = tones[k].sounded ? -1 : 0;
                } else {
                    t.semitones = -1;
                }
            }
        }
        ChordTypeRecord actual;
        std::memset(&actual, 0x5A, sizeof actual);
        EnumChordTable(&actual, i);
        EXPECT_EQ(std::memcmp(&actual, &expected, sizeof actual), 0) << "record " << i;
        EXPECT_STREQ(actual.name, expected.name) << i;
        for (int k = 0; k < 10; ++k) {
            EXPECT_EQ(actual.tones[k].semitones, expected.tones[k].semitones) << i << '/' << k;
            EXPECT_STREQ(actual.tones[k].label, expected.tones[k].label) << i << '/' << k;
            EXPECT_EQ(actual.tones[k].sounded, expected.tones[k].sounded) << i << '/' << k;
        }
    }
}

TEST(EnumChordTable, ShiftJisNamesAndATellingRecord) {
    ChordTypeRecord rec{};
    EnumChordTable(&rec, 8);
    EXPECT_EQ(std::string(rec.name), "13(\x81\xF3" "9)");
    EnumChordTable(&rec, 20);
    EXPECT_EQ(std::string(rec.name), "\x81\xA2" "7");
    // Index 14 "7(#9)": 0 "P1"; 3 "m10" s; 4 "M3" s; 7 "P5" s; 10 "m7" s.
    EnumChordTable(&rec, 14);
    EXPECT_STREQ(rec.name, "7(#9)");
    EXPECT_EQ(rec.tones[0].semitones, 0);
    EXPECT_STREQ(rec.tones[0].label, "P1");
    EXPECT_EQ(rec.tones[0].sounded, 0);
    EXPECT_EQ(rec.tones[1].semitones, 3);
    EXPECT_STREQ(rec.tones[1].label, "m10");
    EXPECT_EQ(rec.tones[1].sounded, -1);
    EXPECT_EQ(rec.tones[4].semitones, 10);
    EXPECT_EQ(rec.tones[5].semitones, -1);
    EXPECT_STREQ(rec.tones[5].label, "");
    EXPECT_EQ(rec.tones[5].sounded, 0);
}

TEST(EnumChordTable, TypeNamesAreThoseOfTheShapeTableInAnotherOrder) {
    std::multiset<std::string> enumerated, shapes;
    for (int i = 0; i < 26; ++i) {
        ChordTypeRecord rec{};
        EnumChordTable(&rec, i);
        enumerated.insert(PadBytes(rec.name, 10));
        // Every enumerated type has at least position 0 in the shape table.
        Frets frets = kUntouched;
        EXPECT_EQ(CallGetChord(12, PadBytes(rec.name, 10).c_str(), 0, frets), -1) << Utf8(rec.name);
    }
    for (const std::string& n : SjisShapeTypeNames()) shapes.insert(n);
    EXPECT_EQ(enumerated, shapes);
    ChordTypeRecord rec{};
    EnumChordTable(&rec, 2);
    EXPECT_STREQ(rec.name, "(#5)");
    EXPECT_EQ(RefShapes()[21].name, "(#5)");
}

TEST(EnumChordTable, UndefinedIndexesAndNullRecordWriteNothing) {
    for (int32_t index : {-1, 30, 31, 1000, INT_MIN, INT_MAX}) {
        ChordTypeRecord rec;
        std::memset(&rec, 0x5A, sizeof rec);
        ChordTypeRecord before = rec;
        EXPECT_EQ(EnumChordTable(&rec, index), 0) << index;
        EXPECT_EQ(std::memcmp(&rec, &before, sizeof rec), 0) << index;
    }
    EXPECT_EQ(EnumChordTable(nullptr, 0), 0);
}

TEST(EnumChordTable, WritesExactly172Bytes) {
    alignas(8) unsigned char buffer[172 + 16];
    std::memset(buffer, 0xA5, sizeof buffer);
    EnumChordTable(reinterpret_cast<ChordTypeRecord*>(buffer + 8), 0);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(buffer[i], 0xA5);
    for (size_t i = 8 + 172; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 0xA5);
    // The little-endian boundary layout: tone 1 of "Major" is 4 "M3" sounded.
    const unsigned char* tone1 = buffer + 8 + 12 + 16;
    EXPECT_EQ(tone1[0], 4);
    EXPECT_EQ(tone1[1], 0);
    EXPECT_EQ(tone1[4], 'M');
    EXPECT_EQ(tone1[5], '3');
    EXPECT_EQ(tone1[6], 0);
    EXPECT_EQ(tone1[12], 0xFF);
    EXPECT_EQ(tone1[15], 0xFF);
}
