// Note spellings (GetKeyIndex, GetKey) and the staff-position
// tables of the 15 key signatures (GetFivelinePosTable, GetFivelinePosTable2).
#include "fretcalc.h"
#include "sjis_literals.h"

#include <cstdint>
#include <cstring>
#include <iterator>

namespace fretcalc {
namespace {

// ---------------------------------------------------------------------------
// Note spellings read by GetKeyIndex: searched in this order, 4 bytes each.

struct Spelling {
    const char* name;  // padded with blanks to 4 bytes
    int32_t semitone;
};

constexpr Spelling kSpellings[] = {
    {"C   ", 0},  {"C#  ", 1}, {"D" SJIS_FLAT " ", 1},  {"D   ", 2},  {"D#  ", 3},
    {"E" SJIS_FLAT " ", 3},   {"E   ", 4},  {"F" SJIS_FLAT " ", 4},  {"F   ", 5},
    {"F#  ", 6},  {"G" SJIS_FLAT " ", 6},   {"G   ", 7},  {"G#  ", 8},  {"A" SJIS_FLAT " ", 8},
    {"A   ", 9},  {"A#  ", 10}, {"B" SJIS_FLAT " ", 10}, {"B   ", 11}, {"C" SJIS_FLAT " ", 11},
};
static_assert(std::size(kSpellings) == 19);

// Preferred spellings written by GetKey, one per semitone 0..11.
constexpr const char* kPreferred[12] = {
    "C   ", "C#  ", "D   ", "E" SJIS_FLAT " ", "E   ", "F   ",
    "F#  ", "G   ", "G#  ", "A   ",            "B" SJIS_FLAT " ", "B   ",
};

constexpr bool AllFourBytes() {
    for (const Spelling& s : kSpellings)
        if (s.name[0] == 0 || s.name[1] == 0 || s.name[2] == 0 || s.name[3] == 0 || s.name[4] != 0)
            return false;
    for (const char* p : kPreferred)
        if (p[0] == 0 || p[1] == 0 || p[2] == 0 || p[3] == 0 || p[4] != 0) return false;
    return true;
}
static_assert(AllFourBytes(), "spellings are padded with blanks to exactly 4 bytes");

// ---------------------------------------------------------------------------
// Key signatures: index 0..7 = C and 1..7 sharps, 8..14 = 1..7 flats.

struct KeySignature {
    const char* major;
    const char* minor;
};

constexpr KeySignature kKeys[15] = {
    {"C", "Am"},
    {"G", "Em"},
    {"D", "Bm"},
    {"A", "F#m"},
    {"E", "C#m"},
    {"B", "G#m"},
    {"F#", "D#m"},
    {"C#", "A#m"},
    {"F", "Dm"},
    {"B" SJIS_FLAT, "Gm"},
    {"E" SJIS_FLAT, "Cm"},
    {"A" SJIS_FLAT, "Fm"},
    {"D" SJIS_FLAT, "B" SJIS_FLAT "m"},
    {"G" SJIS_FLAT, "E" SJIS_FLAT "m"},
    {"C" SJIS_FLAT, "A" SJIS_FLAT "m"},
};
constexpr int kFirstFlatKey = 8;

// Letter numbers C=0 D=1 E=2 F=3 G=4 A=5 B=6.
constexpr int kSharpOrder[7] = {3, 0, 4, 1, 5, 2, 6};  // F C G D A E B
constexpr int kFlatOrder[7] = {6, 2, 5, 1, 4, 0, 3};   // B E A D G C F
// Letter of each pitch class, −1 for the black keys.
constexpr int kLetterOf[12] = {0, -1, 1, -1, 2, 3, -1, 4, -1, 5, -1, 6};

constexpr int32_t kTrebleBaseStep = -16;  // base C3
constexpr int32_t kBassBaseStep = -11;    // base C2

// Index 0..14 of the key whose major or minor name equals the whole text, or −1.
// std::strcmp stops at the first difference, so at most one byte past the
// length of a table name is read from the caller's text.
int FindKey(const char* name) {
    for (int k = 0; k < 15; ++k) {
        if (std::strcmp(name, kKeys[k].major) == 0) return k;
        if (std::strcmp(name, kKeys[k].minor) == 0) return k;
    }
    return -1;
}

void FillStaffTable(int key, int32_t baseStep, int32_t* table) {
    bool sharpened[7] = {};
    bool flattened[7] = {};
    const bool flatKey = key >= kFirstFlatKey;
    const int count = flatKey ? key - (kFirstFlatKey - 1) : key;
    for (int i = 0; i < count; ++i) {
        if (flatKey)
            flattened[kFlatOrder[i]] = true;
        else
            sharpened[kSharpOrder[i]] = true;
    }

    for (int s = 0; s < FRETCALC_STAFF_ENTRIES; ++s) {
        const int pc = s % 12;
        const int octave = s / 12;
        int letter = 0;
        int nextOctave = 0;  // 7 when the letter is the C of the next octave
        int32_t raise = 0;
        int32_t lower = 0;
        if (!flatKey) {
            if (kLetterOf[pc] >= 0) {
                letter = kLetterOf[pc];
                lower = sharpened[letter] ? 1 : 0;
            } else {
                letter = kLetterOf[pc - 1];
                raise = sharpened[letter] ? 0 : 1;
            }
        } else {
            const int above = pc == 11 ? 0 : pc + 1;
            const int aboveLetter = kLetterOf[above];
            if (aboveLetter >= 0 && flattened[aboveLetter]) {
                letter = aboveLetter;
                if (pc == 11) nextOctave = 7;
            } else if (kLetterOf[pc] >= 0) {
                letter = kLetterOf[pc];
                raise = flattened[letter] ? 1 : 0;
            } else {
                letter = kLetterOf[pc - 1];
                raise = 1;
            }
        }
        const int32_t k = 7 * octave + letter + nextOctave;
        const int32_t u = baseStep + k;
        const int32_t half = ((u % 2) + 2) % 2;
        const int32_t line = (half - u) / 2;
        table[4 * s + 0] = line;
        table[4 * s + 1] = half;
        table[4 * s + 2] = raise;
        table[4 * s + 3] = lower;
    }
}

int32_t StaffTable(const char** keyName, int32_t* table, int32_t baseStep) {
    if (keyName == nullptr || *keyName == nullptr || table == nullptr) return 0;
    const int key = FindKey(*keyName);
    if (key < 0) return 0;  // not one of the 30 names: table untouched
    FillStaffTable(key, baseStep, table);
    return 0;
}

}  // namespace
}  // namespace fretcalc

using namespace fretcalc;

extern "C" FRETCALC_API int32_t GetKeyIndex(const char** name) {
    if (name == nullptr || *name == nullptr) return -1;
    const char* text = *name;
    for (const Spelling& s : kSpellings) {
        // Byte-wise on the first 3 bytes; a spelling holds no NUL there, so
        // the comparison stops at the caller's NUL at the latest.
        int i = 0;
        while (i < 3 && text[i] == s.name[i]) ++i;
        if (i == 3) return s.semitone;
    }
    return -1;
}

extern "C" FRETCALC_API int32_t GetKey(int32_t semitone, char** buffer) {
    if (buffer == nullptr || *buffer == nullptr || semitone < 0 || semitone > 11) return 0;
    std::memcpy(*buffer, kPreferred[semitone], 4);
    (*buffer)[4] = '\0';
    return semitone;
}

extern "C" FRETCALC_API int32_t GetFivelinePosTable(const char** keyName, int32_t* table) {
    return StaffTable(keyName, table, kTrebleBaseStep);
}

extern "C" FRETCALC_API int32_t GetFivelinePosTable2(const char** keyName, int32_t* table) {
    return StaffTable(keyName, table, kBassBaseStep);
}
