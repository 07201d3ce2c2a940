// The editor's side of Fretcalc: UTF-8 in and out.
//
// Every call into libFretcalc.so goes through these functions; they convert
// the editor's UTF-8 text (♯ U+266F, ♭ U+266D, △ U+25B3) to Shift-JIS, pad it
// as the library's byte-wise comparisons need, and convert results back, so
// no other code handles Shift-JIS or padding.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace lw {

// ---- Chords -------------------------------------------------------

// Splits a chord name such as "C#m7", "C♯7", "B♭7sus4", "G" into the root value
// for GetChordFrets (GetKeyIndex of the root + 12: 12..23, 11 for an unknown
// root) and the chord type ("Major" when empty). A root written with "♯"
// (U+266F) is looked up as "#".
void SplitChordName(const std::string& name, int32_t& rootValue, std::string& type);

// The chord name transposed up by n semitones (0..11), the root in its
// preferred spelling ("D♭7" by 0 gives "C#7"), the type unchanged. When the
// new semitone falls outside 0..11, where there is no spelling
// (an unknown root with n = 0, or n outside 0..11), the name is returned as
// it is.
std::string TransposeChordName(const std::string& name, int n);

// Frets of strings 1..4 (frets[0] = string 1) of chord type `type` (UTF-8,
// as from SplitChordName or EnumChordTypes; padded to 10 here) with root value
// `root` in hand position 0..4. False, and frets unchanged, when the type is
// unknown or the position empty.
bool GetChordFrets(int root, const std::string& type, int position, std::array<int32_t, 4>& frets);

struct ChordTone {
    int32_t semitones = 0;  // above the root
    std::string label;      // interval label, for example "M3"
    bool sounded = false;   // one of the tones of a four-note voicing
};

struct ChordType {
    std::string name;  // UTF-8, unpadded, for example "m7" or "△7"
    std::vector<ChordTone> tones;
};

// The chord types of the library in index order, up to (not including) the
// terminator "EOF"; each record's used tone slots, up to the first empty label.
std::vector<ChordType> EnumChordTypes();

// A type name padded with blanks to 10 characters, as the chord dialog lists it.
std::string PaddedChordTypeName(const std::string& type);

// ---- Keys and staff positions -----------------------------------

// Semitone 0..11 of a note name (compared on its first 3 Shift-JIS bytes after
// padding to 6 characters), −1 when unknown ("Cm", "H", "C♯").
int KeyIndexOf(const std::string& name);

// The preferred spelling of semitone 0..11, trimmed ("C", "E♭"); "" outside 0..11.
std::string KeyNameOf(int semitone);

// One entry of a staff-position table.
struct StaffPos {
    int32_t line = 0;   // staff line, 0 = top line, downwards; negative above the staff
    int32_t half = 0;   // 1 = on the line, 0 = in the space below it
    int32_t raise = 0;  // 1 = needs an accidental raising it relative to the key signature
    int32_t lower = 0;  // 1 = needs an accidental lowering it relative to the key signature
};
static_assert(sizeof(StaffPos) == 4 * sizeof(int32_t));

constexpr int kStaffEntries = 37;
// Entry s = the pitch s semitones above C3 (treble) or C2 (bass).
using StaffPosTable = std::array<StaffPos, kStaffEntries>;

// The staff-position table of a key (one of the 30 names, for example "F#m",
// "B♭"): treble clef, or bass clef when `bass`. False, with `table` unchanged,
// for any other name.
bool FivelinePosTable(const std::string& keyName, bool bass, StaffPosTable& table);
// The same, returning the table; all zero for an unknown key name.
StaffPosTable FivelinePosTable(const std::string& keyName, bool bass);

}  // namespace lw
