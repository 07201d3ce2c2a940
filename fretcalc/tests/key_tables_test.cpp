// Keys through the C interface: GetKeyIndex, GetKey and the staff-position
// tables, called as the editor calls them (texts by reference).
#include "fretcalc.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstring>
#include <string>

using namespace fretcalc_test;

namespace {

int32_t KeyIndex(const std::string& sjisBytes) {
    const ExactText text(sjisBytes);
    const char* p = text.get();
    return GetKeyIndex(&p);
}

// GetKeyIndex of a UTF-8 name padded with blanks to 6 characters, as the editor passes it.
int32_t KeyIndexPadded(const std::string& utf8) {
    std::string padded = utf8;
    size_t chars = 0;
    for (unsigned char c : utf8) chars += (c & 0xC0) != 0x80;
    for (; chars < 6; ++chars) padded += ' ';
    return KeyIndex(Sjis(padded));
}

struct Entry {
    int32_t line, half, raise, lower;
    bool operator==(const Entry&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Entry& e) {
    return os << '{' << e.line << ',' << e.half << ',' << e.raise << ',' << e.lower << '}';
}
using Table = std::array<Entry, 37>;
static_assert(sizeof(Table) == 37 * 4 * sizeof(int32_t));

constexpr int32_t kMarker = -12345;

// Fills a table through the export; `ok` tells whether the library wrote it.
Table StaffTable(const std::string& utf8Key, bool bass, bool* ok = nullptr) {
    const std::string sjis = Sjis(utf8Key);
    const ExactText text(sjis);
    const char* p = text.get();
    Table t;
    for (Entry& e : t) e = {kMarker, kMarker, kMarker, kMarker};
    const int32_t r = bass ? GetFivelinePosTable2(&p, &t[0].line) : GetFivelinePosTable(&p, &t[0].line);
    EXPECT_EQ(r, 0);
    bool written = true;
    for (const Entry& e : t)
        if (e.line == kMarker || e.half == kMarker || e.raise == kMarker || e.lower == kMarker) written = false;
    if (ok) *ok = written;
    return t;
}

std::vector<std::string> AllKeyNames() {
    std::vector<std::string> names;
    for (const RefKey& k : RefKeys()) {
        names.push_back(k.major);
        names.push_back(k.minor);
    }
    return names;
}

}  // namespace

// ---- GetKeyIndex --------------------------------------------------------------

TEST(GetKeyIndex, FlatRootsWrapAndUnknownNamesGiveMinusOne) {
    EXPECT_EQ(KeyIndex("C     "), 0);
    EXPECT_EQ(KeyIndex("F\x81\xF3    "), 4);   // F♭
    EXPECT_EQ(KeyIndex("C\x81\xF3    "), 11);  // C♭
    EXPECT_EQ(KeyIndex("Cm    "), -1);
    EXPECT_EQ(KeyIndex("H     "), -1);
    EXPECT_EQ(KeyIndexPadded("F\u266D"), 4);
    EXPECT_EQ(KeyIndexPadded("C\u266D"), 11);
}

TEST(GetKeyIndex, EverySpellingOfTheTable) {
    const auto& spellings = RefSpellings();
    ASSERT_EQ(spellings.size(), 19u);
    for (const RefSpelling& s : spellings) EXPECT_EQ(KeyIndexPadded(s.name), s.semitone) << s.name;
}

TEST(GetKeyIndex, ComparesTheFirstThreeBytesOnly) {
    // The spellings are stored padded to 4 bytes ("C#  "), and the first 3
    // bytes must be equal, the caller's NUL counting as a byte: a two-byte
    // name matches only when a blank follows it, a three-byte one (D♭) with
    // anything after it.
    EXPECT_EQ(KeyIndex("C#    "), 1);
    EXPECT_EQ(KeyIndex("C# x"), 1);
    EXPECT_EQ(KeyIndex("C#m7  "), -1);         // "C#m" is not "C# "
    EXPECT_EQ(KeyIndex("C#"), -1);             // unpadded: NUL is not a blank
    EXPECT_EQ(KeyIndex("D\x81\xF3"), 1);       // three-byte D♭, nothing after it
    EXPECT_EQ(KeyIndex("D\x81\xF3m7"), 1);
    EXPECT_EQ(KeyIndex("C  x"), 0);
    EXPECT_EQ(KeyIndex("C"), -1);              // "C" matches only followed by blanks
    EXPECT_EQ(KeyIndex("C "), -1);
    EXPECT_EQ(KeyIndex("Cm"), -1);             // a minor "m" must be removed first
    EXPECT_EQ(KeyIndex(""), -1);
    EXPECT_EQ(KeyIndex("c     "), -1);
    EXPECT_EQ(KeyIndex("C\x81\xF2    "), -1);  // "C♯" with the sharp sign: not a spelling
    EXPECT_EQ(KeyIndex("B\x81"), -1);          // half of a two-byte character
}

TEST(GetKeyIndex, NullPointersAreUnknownNames) {
    EXPECT_EQ(GetKeyIndex(nullptr), -1);
    const char* nullText = nullptr;
    EXPECT_EQ(GetKeyIndex(&nullText), -1);
}

// ---- GetKey -------------------------------------------------------------------

TEST(GetKey, WritesFourPaddedBytesAndANul) {
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    char* p = buffer;
    EXPECT_EQ(GetKey(3, &p), 3);
    EXPECT_EQ(std::memcmp(buffer, "E\x81\xF3 \0", 5), 0);
    EXPECT_EQ(buffer[5], 'x');  // nothing beyond the 5 bytes
    EXPECT_EQ(p, buffer);       // the pointer itself is left alone

    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetKey(0, &p), 0);
    EXPECT_EQ(std::memcmp(buffer, "C   \0", 5), 0);
    EXPECT_EQ(buffer[5], 'x');
}

TEST(GetKey, ThePreferredSpellings) {
    const char* expected[12] = {"C   ", "C#  ", "D   ", "E\x81\xF3 ", "E   ", "F   ",
                                "F#  ", "G   ", "G#  ", "A   ",        "B\x81\xF3 ", "B   "};
    for (int32_t s = 0; s < 12; ++s) {
        auto buffer = std::make_unique<char[]>(5);  // exactly 5 bytes on the heap
        char* p = buffer.get();
        EXPECT_EQ(GetKey(s, &p), s);
        EXPECT_STREQ(buffer.get(), expected[s]) << s;
        // And GetKeyIndex reads the written spelling back.
        const char* q = buffer.get();
        EXPECT_EQ(GetKeyIndex(&q), s);
    }
}

TEST(GetKey, UndefinedSemitonesAndNullPointersWriteNothing) {
    for (int32_t s : {-1, 12, 13, 99, INT_MIN, INT_MAX}) {
        char buffer[8] = "abcdefg";
        char* p = buffer;
        EXPECT_EQ(GetKey(s, &p), 0) << s;
        EXPECT_STREQ(buffer, "abcdefg");
    }
    EXPECT_EQ(GetKey(3, nullptr), 0);
    char* nullBuffer = nullptr;
    EXPECT_EQ(GetKey(3, &nullBuffer), 0);
}

// ---- Staff-position tables: telling entries ------------------------------------

TEST(StaffTable, TrebleC) {
    const Table t = StaffTable("C", false);
    EXPECT_EQ(t[0], (Entry{8, 0, 0, 0}));
    EXPECT_EQ(t[1], (Entry{8, 0, 1, 0}));
    EXPECT_EQ(t[2], (Entry{8, 1, 0, 0}));
    EXPECT_EQ(t[4], (Entry{7, 0, 0, 0}));
    EXPECT_EQ(t[5], (Entry{7, 1, 0, 0}));
    EXPECT_EQ(t[11], (Entry{5, 0, 0, 0}));
    EXPECT_EQ(t[12], (Entry{5, 1, 0, 0}));  // middle C on the first ledger line
    EXPECT_EQ(t[16], (Entry{4, 1, 0, 0}));  // E on the bottom line
    EXPECT_EQ(t[29], (Entry{0, 1, 0, 0}));  // F on the top line
    EXPECT_EQ(t[36], (Entry{-2, 1, 0, 0}));
}

TEST(StaffTable, TrebleG) {
    const Table t = StaffTable("G", false);
    EXPECT_EQ(t[5], (Entry{7, 1, 0, 1}));  // F with a natural sign
    EXPECT_EQ(t[6], (Entry{7, 1, 0, 0}));  // F# in the key
}

TEST(StaffTable, TrebleGFlat) {
    const Table t = StaffTable("G\u266D", false);
    EXPECT_EQ(t[0], (Entry{8, 0, 1, 0}));   // C with a natural sign
    EXPECT_EQ(t[11], (Entry{5, 1, 0, 0}));  // B written as C♭ in the key
}

TEST(StaffTable, BassC) {
    const Table t = StaffTable("C", true);
    EXPECT_EQ(t[0], (Entry{6, 1, 0, 0}));
    EXPECT_EQ(t[2], (Entry{5, 0, 0, 0}));
    EXPECT_EQ(t[12], (Entry{2, 0, 0, 0}));
    EXPECT_EQ(t[21], (Entry{0, 1, 0, 0}));   // A on the top line
    EXPECT_EQ(t[24], (Entry{-1, 1, 0, 0}));  // middle C on the first ledger line above
    EXPECT_EQ(t[36], (Entry{-5, 0, 0, 0}));
}

TEST(StaffTable, SharpKeysNeverWriteESharpOrBSharp) {
    const Table t = StaffTable("C#", false);
    EXPECT_EQ(t[5], (Entry{7, 1, 0, 1}));  // F written as F with a natural sign
    EXPECT_EQ(t[0], (Entry{8, 0, 0, 1}));  // C with a natural sign, not B#
    EXPECT_EQ(t[1], (Entry{8, 0, 0, 0}));  // C# in the key
}

TEST(StaffTable, FlatKeysWriteOtherBlackKeysAsSharps) {
    const Table t = StaffTable("F", false);
    EXPECT_EQ(t[1], (Entry{8, 0, 1, 0}));   // C#
    EXPECT_EQ(t[3], (Entry{8, 1, 1, 0}));   // D#
    EXPECT_EQ(t[6], (Entry{7, 1, 1, 0}));   // F#
    EXPECT_EQ(t[8], (Entry{6, 0, 1, 0}));   // G#
    EXPECT_EQ(t[10], (Entry{5, 0, 0, 0}));  // B♭ in the key
    EXPECT_EQ(t[11], (Entry{5, 0, 1, 0}));  // B with a natural sign
    const Table cb = StaffTable("C\u266D", false);
    EXPECT_EQ(cb[4], (Entry{7, 1, 0, 0}));  // E written as F♭
}

TEST(StaffTable, MinorEqualsRelativeMajorAndTheNamedPairs) {
    EXPECT_EQ(StaffTable("Am", false), StaffTable("C", false));
    EXPECT_EQ(StaffTable("E\u266Dm", false), StaffTable("G\u266D", false));
    for (const RefKey& k : RefKeys()) {
        EXPECT_EQ(StaffTable(k.minor, false), StaffTable(k.major, false)) << k.minor;
        EXPECT_EQ(StaffTable(k.minor, true), StaffTable(k.major, true)) << k.minor;
    }
}

TEST(StaffTable, TrebleEndsAndTheCFlatOfGFlatAndCFlat) {
    for (const std::string& name : AllKeyNames()) {
        const Table t = StaffTable(name, false);
        EXPECT_EQ(t[0].line, 8) << name;
        EXPECT_EQ(t[0].half, 0) << name;
        EXPECT_EQ(t[36].line, -2) << name;
        EXPECT_EQ(t[36].half, 1) << name;
    }
    for (const char* name : {"G\u266D", "C\u266D"}) {
        const Table t = StaffTable(name, false);
        EXPECT_EQ(t[35], (Entry{-2, 1, 0, 0})) << name;
    }
}

// ---- Staff-position tables: properties over all 30 names and both clefs ------

// Diatonic step of an entry above the table's base C (0 = the base C).
int32_t Step(const Entry& e, bool bass) { return e.half - 2 * e.line - (bass ? -11 : -16); }

TEST(StaffTableProperty, AHigherPitchIsNeverWrittenLower) {
    for (const std::string& name : AllKeyNames())
        for (bool bass : {false, true}) {
            bool ok = false;
            const Table t = StaffTable(name, bass, &ok);
            ASSERT_TRUE(ok) << name;
            for (int s = 1; s < 37; ++s) {
                EXPECT_GE(Step(t[s], bass), Step(t[s - 1], bass)) << name << (bass ? " bass " : " treble ") << s;
                EXPECT_LE(Step(t[s], bass) - Step(t[s - 1], bass), 1) << name << ' ' << s;
            }
        }
}

// The written note, read back with the key signature and its accidental,
// sounds the entry's pitch: letter of the step, altered by the key, plus 1 for
// raise, minus 1 for lower. Flags are 0/1 and never both set; a key's own
// notes need no accidental (but see E♯ and B♯ below).
TEST(StaffTableProperty, TheWrittenNoteSoundsThePitch) {
    const int natural[7] = {0, 2, 4, 5, 7, 9, 11};
    const int sharpOrder[7] = {3, 0, 4, 1, 5, 2, 6};
    const int flatOrder[7] = {6, 2, 5, 1, 4, 0, 3};
    for (const RefKey& key : RefKeys()) {
        int alter[7] = {};
        for (int i = 0; i < key.sharps; ++i) alter[sharpOrder[i]] = 1;
        for (int i = 0; i < key.flats; ++i) alter[flatOrder[i]] = -1;
        for (const std::string& name : {key.major, key.minor})
            for (bool bass : {false, true}) {
                const Table t = StaffTable(name, bass);
                for (int s = 0; s < 37; ++s) {
                    const Entry& e = t[s];
                    ASSERT_TRUE(e.half == 0 || e.half == 1);
                    ASSERT_TRUE(e.raise == 0 || e.raise == 1);
                    ASSERT_TRUE(e.lower == 0 || e.lower == 1);
                    EXPECT_FALSE(e.raise && e.lower) << name << ' ' << s;
                    const int step = Step(e, bass);
                    const int letter = ((step % 7) + 7) % 7;
                    const int octave = (step - letter) / 7;
                    const int pitch = 12 * octave + natural[letter] + alter[letter] + e.raise - e.lower;
                    EXPECT_EQ(pitch, s) << name << (bass ? " bass " : " treble ") << s;
                    // The key's own scale degrees carry no accidental, except
                    // E♯ and B♯ of F# and C# major, which sharp-key tables
                    // write as F and C with a natural sign.
                    const int pc = s % 12;
                    bool inKey = false;
                    for (int l = 0; l < 7; ++l) {
                        const bool eOrBSharp = (l == 2 || l == 6) && alter[l] == 1;
                        if (!eOrBSharp && ((natural[l] + alter[l]) % 12 + 12) % 12 == pc) inKey = true;
                    }
                    if (inKey) {
                        EXPECT_EQ(e.raise + e.lower, 0) << name << ' ' << s;
                    }
                }
            }
    }
}

// Both clefs write every pitch on the same letter (the same diatonic step above
// the table's own base C) with the same accidental; only the lines differ.
TEST(StaffTableProperty, BothClefsSpellAlike) {
    for (const std::string& name : AllKeyNames()) {
        const Table treble = StaffTable(name, false);
        const Table bass = StaffTable(name, true);
        for (int s = 0; s < 37; ++s) {
            EXPECT_EQ(Step(treble[s], false), Step(bass[s], true)) << name << ' ' << s;
            EXPECT_EQ(treble[s].raise, bass[s].raise);
            EXPECT_EQ(treble[s].lower, bass[s].lower);
        }
    }
}

// ---- Staff-position tables: undefined names ------------------------------------

TEST(StaffTable, UnknownNamesLeaveTheTableUntouched) {
    for (const char* name : {"", "H", "c", "Cm ", "C ", " C", "Bb", "A#", "Gbm", "C#m7", "F\u266F", "B\u266D ",
                             "Ebm", "CC", "Major"}) {
        for (bool bass : {false, true}) {
            bool ok = true;
            const Table t = StaffTable(name, bass, &ok);
            EXPECT_FALSE(ok) << '"' << name << '"';
            for (const Entry& e : t) EXPECT_EQ(e, (Entry{kMarker, kMarker, kMarker, kMarker}));
        }
    }
}

TEST(StaffTable, AllThirtyNamesAreKnownAndCompareWhole) {
    const auto names = AllKeyNames();
    ASSERT_EQ(names.size(), 30u);
    for (const std::string& name : names)
        for (bool bass : {false, true}) {
            bool ok = false;
            StaffTable(name, bass, &ok);
            EXPECT_TRUE(ok) << name;
        }
}

TEST(StaffTable, NullPointersReturnZeroAndWriteNothing) {
    int32_t table[37 * 4];
    for (int32_t& v : table) v = kMarker;
    const char* name = "C";
    EXPECT_EQ(GetFivelinePosTable(nullptr, table), 0);
    EXPECT_EQ(GetFivelinePosTable2(nullptr, table), 0);
    const char* nullText = nullptr;
    EXPECT_EQ(GetFivelinePosTable(&nullText, table), 0);
    EXPECT_EQ(GetFivelinePosTable2(&nullText, table), 0);
    for (int32_t v : table) EXPECT_EQ(v, kMarker);
    EXPECT_EQ(GetFivelinePosTable(&name, nullptr), 0);
    EXPECT_EQ(GetFivelinePosTable2(&name, nullptr), 0);
}

TEST(StaffTable, WritesExactly37By4Values) {
    auto table = std::make_unique<int32_t[]>(37 * 4);  // exactly the size, on the heap
    const char* name = "C";
    EXPECT_EQ(GetFivelinePosTable(&name, table.get()), 0);
    EXPECT_EQ(table[4 * 36], -2);
    EXPECT_EQ(GetFivelinePosTable2(&name, table.get()), 0);
    EXPECT_EQ(table[4 * 36], -5);
}
