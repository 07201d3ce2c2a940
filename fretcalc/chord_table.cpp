// The chord-shape table (GetChord) and the chord-type table
// (EnumChordTable). Constant data; texts are Shift-JIS bytes.
#include "fretcalc.h"
#include "sjis_literals.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>

static_assert(std::endian::native == std::endian::little,
              "the ChordTypeRecord boundary layout is little-endian");
static_assert(sizeof(int32_t) == 4);
static_assert(sizeof(ChordToneRecord) == 16);
static_assert(offsetof(ChordToneRecord, semitones) == 0);
static_assert(offsetof(ChordToneRecord, label) == 4);
static_assert(offsetof(ChordToneRecord, sounded) == 12);
static_assert(sizeof(ChordTypeRecord) == 172);
static_assert(offsetof(ChordTypeRecord, name) == 0);
static_assert(offsetof(ChordTypeRecord, tones) == 12);
static_assert(offsetof(ChordTypeRecord, tones) + 9 * sizeof(ChordToneRecord) == 156);

namespace fretcalc {
namespace {

// ---------------------------------------------------------------------------
// ChordShapeTable: 26 rows, searched in this order. Fingerings for a
// four-string instrument tuned A4 E4 C4 G4 (strings 1..4).

constexpr int32_t kEmptyRoot = 99;
constexpr int kTypeNameBytes = 10;
constexpr int kSlots = 5;

struct ShapeSlot {
    int32_t root;      // semitones of the shape's root above C, 99 = empty
    int32_t frets[4];  // strings 1..4
};

struct ShapeRow {
    const char* name;  // exactly 10 bytes, padded with blanks
    ShapeSlot slots[kSlots];
};

#define EMPTY {kEmptyRoot, {99, 0, 0, 0}}

// The note names of the shape table are given in comments only;
// just the root numbers and the frets take part in the computation.
constexpr ShapeRow kShapes[] = {
    /* 0 */ {"Major     ", {{0, {3, 0, 0, 0}} /*C*/, {2, {0, 2, 2, 2}} /*D*/, {5, {0, 1, 0, 2}} /*F*/,
                             {7, {2, 3, 2, 0}} /*G*/, {9, {0, 0, 1, 2}} /*A*/}},
    /* 1 */ {"m         ", {{9, {0, 0, 0, 2}} /*A*/, {2, {0, 1, 2, 2}} /*D*/, {7, {1, 3, 2, 0}} /*G*/,
                             EMPTY, EMPTY}},
    /* 2 */ {"7         ", {{0, {1, 0, 0, 0}} /*C*/, {9, {0, 0, 1, 0}} /*A*/, {7, {2, 1, 2, 0}} /*G*/,
                             {4, {2, 0, 2, 1}} /*E*/, EMPTY}},
    /* 3 */ {"m7        ", {{9, {0, 0, 0, 0}} /*A*/, {7, {1, 1, 2, 0}} /*G*/, {6, {0, 2, 1, 2}} /*F#*/,
                             {4, {2, 0, 2, 0}} /*E*/, {1, {2, 0, 1, 1}} /*C#*/}},
    /* 4 */ {"dim       ", {{10, {1, 0, 1, 0}} /*B♭*/, {7, {1, 0, 1, 0}} /*G*/, {4, {1, 0, 1, 0}} /*E*/,
                             {1, {1, 0, 1, 0}} /*C#*/, EMPTY}},
    /* 5 */ {"11        ", {{0, {1, 1, 2, 0}} /*C*/, {9, {2, 0, 2, 0}} /*A*/, {6, {2, 0, 1, 1}} /*F#*/,
                             {2, {0, 0, 0, 0}} /*D*/, EMPTY}},
    /* 6 */ {"13        ", {{0, {1, 0, 2, 2}} /*C*/, {9, {2, 2, 1, 0}} /*A*/, {6, {1, 0, 3, 1}} /*F#*/,
                             {3, {3, 1, 1, 0}} /*D#*/, EMPTY}},
    /* 7 */ {"13(" SJIS_FLAT "9)   ",
             {{0, {1, 0, 1, 2}} /*C*/, {9, {1, 2, 1, 0}} /*A*/, {6, {1, 0, 3, 0}} /*F#*/,
              {3, {3, 0, 1, 0}} /*D#*/, EMPTY}},
    /* 8 */ {"6(9)      ", {{0, {0, 0, 2, 0}} /*C*/, {10, {3, 1, 2, 0}} /*B♭*/, {7, {2, 0, 2, 2}} /*G*/,
                             {3, {1, 1, 0, 0}} /*D#*/, EMPTY}},
    /* 9 */ {"7sus4     ", {{0, {1, 1, 0, 0}} /*C*/, {9, {0, 0, 2, 0}} /*A*/, {7, {3, 1, 2, 0}} /*G*/,
                             {4, {2, 0, 2, 2}} /*E*/, EMPTY}},
    /* 10 */ {"7sus6     ", {{0, {1, 0, 0, 2}} /*C*/, {9, {0, 2, 1, 0}} /*A*/, {7, {2, 1, 4, 0}} /*G*/,
                              {0, {0, 0, 0, 3}} /*C*/, EMPTY}},
    /* 11 */ {"7(13)     ", {{0, {1, 0, 0, 2}} /*C*/, {9, {0, 2, 1, 0}} /*A*/, {7, {2, 1, 4, 0}} /*G*/,
                              {0, {0, 0, 0, 3}} /*C*/, EMPTY}},
    /* 12 */ {"7(#5)     ", {{0, {1, 0, 0, 1}} /*C*/, {9, {0, 1, 1, 0}} /*A*/, {7, {2, 1, 3, 0}} /*G*/,
                              {4, {3, 0, 2, 1}} /*E*/, EMPTY}},
    /* 13 */ {"7(#9)     ", {{0, {1, 0, 3, 0}} /*C*/, {9, {3, 0, 1, 0}} /*A*/, {6, {1, 0, 1, 2}} /*F#*/,
                              {3, {1, 2, 1, 0}} /*D#*/, EMPTY}},
    /* 14 */ {"7(-5)     ", {{10, {1, 0, 2, 1}} /*B♭*/, {7, {2, 1, 1, 0}} /*G*/, {4, {1, 0, 2, 1}} /*E*/,
                              {1, {2, 1, 1, 0}} /*C#*/, EMPTY}},
    /* 15 */ {"7(" SJIS_FLAT "9)    ",
              {{0, {1, 0, 1, 0}} /*C*/, {9, {1, 0, 1, 0}} /*A*/, {6, {1, 0, 1, 0}} /*F#*/,
               {3, {1, 0, 1, 0}} /*D#*/, EMPTY}},
    /* 16 */ {"9         ", {{0, {1, 0, 2, 0}} /*C*/, {9, {2, 0, 1, 0}} /*A*/, {6, {1, 0, 1, 1}} /*F#*/,
                              {3, {1, 1, 1, 0}} /*D#*/, EMPTY}},
    /* 17 */ {SJIS_TRIANGLE "11      ",
              {{0, {1, 1, 2, 0}} /*C*/, {9, {2, 0, 2, 0}} /*A*/, {6, {2, 0, 1, 1}} /*F#*/,
               {2, {0, 0, 0, 0}} /*D*/, EMPTY}},
    /* 18 */ {SJIS_TRIANGLE "6       ",
              {{0, {0, 0, 0, 0}} /*C*/, {10, {1, 1, 2, 0}} /*B♭*/, {7, {2, 0, 2, 0}} /*G*/,
               {4, {2, 0, 1, 1}} /*E*/, EMPTY}},
    /* 19 */ {SJIS_TRIANGLE "7       ",
              {{0, {2, 0, 0, 0}} /*C*/, {9, {0, 0, 1, 1}} /*A*/, {7, {2, 2, 2, 0}} /*G*/,
               {4, {2, 0, 3, 1}} /*E*/, EMPTY}},
    /* 20 */ {SJIS_TRIANGLE "9       ",
              {{0, {2, 0, 2, 0}} /*C*/, {9, {2, 0, 1, 1}} /*A*/, {5, {0, 0, 0, 0}} /*F*/,
               {3, {1, 1, 2, 0}} /*D#*/, EMPTY}},
    /* 21 */ {"(#5)      ", {{9, {0, 1, 1, 2}} /*A*/, {5, {0, 1, 1, 2}} /*F*/, {1, {0, 1, 1, 2}} /*C#*/,
                              EMPTY, EMPTY}},
    /* 22 */ {"m6(9)     ", {{10, {3, 1, 1, 0}} /*B♭*/, {7, {1, 0, 2, 2}} /*G*/, {4, {2, 2, 1, 0}} /*E*/,
                              {1, {1, 0, 3, 1}} /*C#*/, EMPTY}},
    /* 23 */ {"m6        ", {{10, {1, 1, 1, 0}} /*B♭*/, {7, {1, 0, 2, 0}} /*G*/, {4, {2, 0, 1, 0}} /*E*/,
                              {1, {1, 0, 1, 1}} /*C#*/, EMPTY}},
    /* 24 */ {"m7(-5)    ", {{10, {1, 0, 1, 1}} /*B♭*/, {7, {1, 1, 1, 0}} /*G*/, {4, {1, 0, 2, 0}} /*E*/,
                              {1, {2, 0, 1, 0}} /*C#*/, EMPTY}},
    /* 25 */ {"m9        ", {{9, {2, 0, 0, 0}} /*A*/, {6, {0, 0, 1, 1}} /*F#*/, {4, {2, 2, 2, 0}} /*E*/,
                              {1, {2, 0, 3, 1}} /*C#*/, EMPTY}},
};

#undef EMPTY

constexpr bool ShapeNamesArePadded() {
    for (const ShapeRow& row : kShapes) {
        int n = 0;
        while (row.name[n] != '\0') ++n;
        if (n != kTypeNameBytes) return false;
    }
    return true;
}
static_assert(std::size(kShapes) == 26);
static_assert(ShapeNamesArePadded(), "every shape-table type name is exactly 10 bytes");

// Compares the first 10 bytes of the caller's text with a 10-byte table name.
// Stops at the first difference; a table name never holds a NUL, so the
// caller's terminating NUL is a difference and nothing beyond it is read.
bool TypeNameMatches(const char* text, const char* tableName) {
    for (int i = 0; i < kTypeNameBytes; ++i)
        if (text[i] != tableName[i]) return false;
    return true;
}

// ---------------------------------------------------------------------------
// Chord-type table: records 0..26 as documented, 27..29 all zero.

struct ToneDef {
    int32_t semitones;
    const char* label;
    bool sounded;
};

constexpr ChordTypeRecord MakeRecord(const char* name, std::initializer_list<ToneDef> tones) {
    ChordTypeRecord r{};
    int n = 0;
    for (; name[n] != '\0'; ++n) {
        if (n >= 11) throw "type name longer than 11 bytes";  // not a constant expression: compile error
        r.name[n] = name[n];
    }
    if (tones.size() > FRETCALC_CHORD_TONES) throw "too many tones";
    int slot = 0;
    for (const ToneDef& t : tones) {
        ChordToneRecord& out = r.tones[slot++];
        out.semitones = t.semitones;
        for (int i = 0; t.label[i] != '\0'; ++i) {
            if (i >= 6) throw "interval label longer than 6 characters";
            out.label[i] = t.label[i];
        }
        out.sounded = t.sounded ? -1 : 0;
    }
    for (; slot < FRETCALC_CHORD_TONES; ++slot) r.tones[slot].semitones = -1;  // unused slots
    return r;
}

constexpr bool S = true;   // sounded in a four-note voicing
constexpr bool N = false;  // not sounded

constexpr std::array<ChordTypeRecord, FRETCALC_CHORD_TYPES> kChordTypes = {{
    /* 0 */ MakeRecord("Major", {{0, "P1", S}, {4, "M3", S}, {7, "P5", S}}),
    /* 1 */ MakeRecord("m", {{0, "P1", S}, {3, "m3", S}, {7, "P5", S}}),
    /* 2 */ MakeRecord("(#5)", {{0, "P1", S}, {4, "M3", S}, {8, "m6", S}}),
    /* 3 */ MakeRecord("7", {{0, "P1", S}, {4, "M3", S}, {7, "P5", S}, {10, "m7", S}}),
    /* 4 */ MakeRecord("m7", {{0, "P1", S}, {3, "m3", S}, {7, "P5", S}, {10, "m7", S}}),
    /* 5 */ MakeRecord("dim", {{0, "P1", S}, {3, "m3", S}, {6, "-5", S}, {9, "M6", S}}),
    /* 6 */
    MakeRecord("11", {{0, "P1", N}, {2, "M9", S}, {4, "M3", N}, {5, "P11", S}, {7, "P5", S}, {10, "m7", S}}),
    /* 7 */
    MakeRecord("13", {{0, "P1", N}, {2, "M9", S}, {4, "M3", S}, {7, "P5", N}, {9, "M6", S}, {10, "m7", S}}),
    /* 8 */
    MakeRecord("13(" SJIS_FLAT "9)",
               {{0, "P1", N}, {1, "m9", S}, {4, "M3", S}, {7, "P5", N}, {9, "M13", S}, {10, "m7", S}}),
    /* 9 */ MakeRecord("6(9)", {{0, "P1", N}, {2, "M9", S}, {4, "M3", S}, {7, "P5", S}, {9, "M6", S}}),
    /* 10 */ MakeRecord("7sus4", {{0, "P1", S}, {5, "P4", S}, {7, "P5", S}, {10, "m7", S}}),
    /* 11 */ MakeRecord("7sus6", {{0, "P1", S}, {4, "M3", S}, {7, "P5", N}, {9, "M6", S}, {10, "m7", S}}),
    /* 12 */ MakeRecord("7(13)", {{0, "P1", S}, {4, "M3", S}, {7, "P5", N}, {9, "M6", S}, {10, "m7", S}}),
    /* 13 */ MakeRecord("7(#5)", {{0, "P1", S}, {4, "M3", S}, {8, "m6", S}, {10, "m7", S}}),
    /* 14 */ MakeRecord("7(#9)", {{0, "P1", N}, {3, "m10", S}, {4, "M3", S}, {7, "P5", S}, {10, "m7", S}}),
    /* 15 */ MakeRecord("7(-5)", {{0, "P1", S}, {4, "M3", S}, {6, "-5", S}, {10, "m7", S}}),
    /* 16 */
    MakeRecord("7(" SJIS_FLAT "9)", {{0, "P1", N}, {1, "m9", S}, {4, "M3", S}, {7, "P5", S}, {10, "m7", S}}),
    /* 17 */ MakeRecord("9", {{0, "P1", N}, {2, "M9", S}, {4, "M3", S}, {7, "P5", S}, {10, "m7", S}}),
    /* 18 */
    MakeRecord(SJIS_TRIANGLE "11",
               {{0, "P1", N}, {2, "M9", S}, {4, "M3", N}, {5, "P11", S}, {7, "P5", S}, {10, "m7", S}}),
    /* 19 */ MakeRecord(SJIS_TRIANGLE "6", {{0, "P1", S}, {4, "M3", S}, {7, "P5", S}, {9, "M6", S}}),
    /* 20 */ MakeRecord(SJIS_TRIANGLE "7", {{0, "P1", S}, {4, "M3", S}, {7, "P5", S}, {11, "M7", S}}),
    /* 21 */
    MakeRecord(SJIS_TRIANGLE "9", {{0, "P1", N}, {2, "M9", S}, {4, "M3", S}, {7, "P5", S}, {11, "M7", S}}),
    /* 22 */ MakeRecord("m6(9)", {{0, "P1", N}, {2, "M9", S}, {3, "m3", S}, {7, "P5", S}, {9, "M6", S}}),
    /* 23 */ MakeRecord("m6", {{0, "P1", S}, {3, "m3", S}, {7, "P5", S}, {9, "M6", S}}),
    /* 24 */ MakeRecord("m7(-5)", {{0, "P1", S}, {3, "m3", S}, {6, "-5", S}, {10, "m7", S}}),
    /* 25 */ MakeRecord("m9", {{0, "P1", N}, {2, "M9", S}, {3, "m3", S}, {7, "P5", S}, {10, "m7", S}}),
    /* 26 */ MakeRecord("EOF", {}),
    /* 27..29: empty records, all bytes zero */
}};

}  // namespace
}  // namespace fretcalc

using namespace fretcalc;

extern "C" FRETCALC_API int32_t GetChord(int32_t root, const char** type, int32_t position, int32_t* frets) {
    if (type == nullptr || *type == nullptr || frets == nullptr) return 0;
    if (position < 0 || position >= kSlots) return 0;

    // 1. The first row whose 10-byte name equals the first 10 bytes of the type.
    const ShapeRow* row = nullptr;
    for (const ShapeRow& candidate : kShapes) {
        if (TypeNameMatches(*type, candidate.name)) {
            row = &candidate;
            break;
        }
    }
    if (row == nullptr) return 0;

    // 2. Working entries, shifted to the root. 64-bit arithmetic keeps an
    // out-of-range root from overflowing; the result wraps like 32-bit code.
    struct Entry {
        int32_t root;
        int32_t frets[4];
    } entries[kSlots];
    for (int k = 0; k < kSlots; ++k) {
        const ShapeSlot& slot = row->slots[k];
        int64_t shift = static_cast<int64_t>(root) - slot.root;
        if (shift > 11) shift -= 12;
        entries[k].root = slot.root;
        for (int s = 0; s < 4; ++s) entries[k].frets[s] = static_cast<int32_t>(slot.frets[s] + shift);
    }

    // 3. Exchange sort on the string-1 fret; equal keys are not swapped.
    for (int i = 0; i < kSlots - 1; ++i)
        for (int j = i + 1; j < kSlots; ++j)
            if (entries[i].frets[0] > entries[j].frets[0]) {
                Entry t = entries[i];
                entries[i] = entries[j];
                entries[j] = t;
            }

    // 4. The entry at the position, unless it is an empty slot.
    const Entry& chosen = entries[position];
    if (chosen.root == kEmptyRoot) return 0;
    for (int s = 0; s < 4; ++s) frets[s] = chosen.frets[s];
    return -1;
}

extern "C" FRETCALC_API int32_t EnumChordTable(ChordTypeRecord* record, int32_t index) {
    if (record == nullptr || index < 0 || index >= FRETCALC_CHORD_TYPES) return 0;
    const ChordTypeRecord& source = kChordTypes[static_cast<size_t>(index)];
    std::memcpy(record, &source, sizeof(ChordTypeRecord));
    return std::strcmp(source.name, "EOF") == 0 ? 0 : -1;
}
