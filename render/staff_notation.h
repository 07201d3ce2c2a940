// Staff notation as pure computation: the pitch of a string and fret, the
// per-row staff table (with the major-key respelling of the flattened
// seventh), the accidental memory of a measure, head positions, ledger
// lines, key signatures, the staff click and the fingering of pitches.
// No drawing here; the row picture uses these results.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "dan_data.h"
#include "row_scene.h"

namespace lw {

constexpr int kStaffCacheSize = 51;     // entries per pitch index (0..36 the tables, 37..50 an octave up)
constexpr int kMaxPitch = 72;           // highest sounding pitch index written (open value + fret)
constexpr uint8_t kNoPitch = 255;       // OnpuData::Pitch of a note whose staff data is stale
constexpr uint8_t kFlagHalf = 128, kFlagRaise = 64, kFlagLower = 32;

using OpenValues = std::array<int, 6>;  // strings 1..6, semitones above the tables' base C
using TuningTable = std::array<std::array<int16_t, 4>, 7>;  // [string row][column]

// Open-string values of a tuning code (GakkiCode). False, values unchanged,
// for a code that names no tuning: the values of the previous call remain.
bool OpenStringValues(int gakkiCode, const TuningTable& tuningTbl, OpenValues& values);

// Bass clef instruments: the four- and five-string basses (codes 3 and 22).
bool IsBassClefInstrument(int gakkiCode);

// Open value + fret, folded down an octave once when above 36: the value
// kept in OnpuData::Pitch (and the row file).
int PitchIndex(int openValue, int fret);
// Open value + fret: the pitch the note sounds and is written at.
inline int SoundingPitch(int openValue, int fret) { return openValue + fret; }

// A staff place (line, half) moved up by `octaves` octaves (7 steps each).
void RaiseByOctaves(int16_t& line, bool& half, int octaves);

// Signs of a key signature.
struct KeySig {
    int count = 0;       // 0..7
    bool flats = false;  // true: flats, false: sharps
    bool known = false;  // one of the 30 key names
};
KeySig KeySignatureOf(const std::string& keyName);

// Letters 0..6 = C D E F G A B; the accidental the key signature gives a letter.
int KeyAlteration(const KeySig& k, int letter);  // +1 sharp, -1 flat, 0 none

// The row's staff table, rebuilt when the key or the clef changes.
class StaffCache {
public:
    // Rebuilds from the staff-position table of keyName/clef when either
    // differs from the cached ones, and then marks every note's staff data in
    // `dan` stale. Returns true when it rebuilt.
    bool Ensure(const std::string& keyName, bool bass, DanData& dan);
    int16_t Line(int pitch) const;
    uint8_t Flags(int pitch) const;
    bool Built() const { return built_; }
    bool Bass() const { return bass_; }
    const std::string& KeyName() const { return key_; }

private:
    bool built_ = false;
    bool bass_ = false;
    std::string key_;
    std::array<int16_t, kStaffCacheSize> line_{};
    std::array<uint8_t, kStaffCacheSize> flags_{};
};

// Every note position's staff data of the row is recomputed on next use.
void InvalidateStaffData(DanData& dan);

// Accidentals already written in the measure being drawn, by pitch index of
// the letter as the key signature spells it.
struct AccidentalMemory {
    std::array<bool, kMaxPitch + 2> raised{};
    std::array<bool, kMaxPitch + 2> lowered{};
    void Clear() {
        raised.fill(false);
        lowered.fill(false);
    }
};

struct StaffNote {
    int pitch = 0;    // sounding pitch index (open value + fret)
    int16_t line = 0;
    bool half = false, raise = false, lower = false, natural = false;
    double top = 0;   // Top of the head's picture (twips): a head one space tall
                      // 10 twips below the picture's top
};

// The margin above a head in its picture that StaffNote::top allows for.
inline constexpr double kHeadPictureMargin = 10;

// Staff position of string `string` at `fret` of pos: caches pitch, line and
// flags in pos, applies and updates the measure's accidental memory. The note
// is written at the pitch it sounds: a pitch the tables fold down stands an
// octave higher on the staff, with its ledger lines; pos keeps the folded
// pitch and its table entry, as the row file stores them.
StaffNote StaffPosition(const StaffCache& cache, AccidentalMemory& memory, const DanLayoutData& layout,
                        OnpuData& pos, int string, int fret, const OpenValues& open);

// The letter (0..6, C..B) a note is written on.
int WrittenLetter(int line, bool half, bool bass);

// The accidental sign drawn before a head, or Stamp::None. A raise on a
// letter the key flattens is a natural sign, a lower on a letter it sharpens
// too; a return to the key's own form shows the key's sign.
Stamp AccidentalStamp(const StaffNote& n, const KeySig& key, bool bass);

// Staff line indexes that need a ledger stroke for a head on `line`.
std::vector<int> LedgerLines(int line, bool half);

// y (twips) of a staff line, ledger lines included (line 0 = the top line).
inline double StaffLineY(const DanLayoutData& l, int line) { return l.StaffTop + line * double(l.StaffInterval); }

// Vertical offsets of the k-th sign (k = 1..7) from the top staff line, in
// half staff spaces.
int KeySignOffsetHalves(bool flats, bool bass, int k);

// Places the key signature into scene.picKey (previous signs unloaded):
// element size = the sign stamp's (signWidth x signHeight twips), tops from the
// offsets, lefts from firstLeft on. Places nothing when the row shows no staff.
void PutKeySignature(RowScene& scene, const DanLayoutData& layout, const std::string& keyName, bool bass,
                     bool staffShown, double firstLeft, double signWidth, double sharpHeight, double flatHeight);

// ---- entering notes by pitch ----

// The pitch a staff click at y (window twips) names, adjusted to the key
// signature; 0 below the lowest band.
int StaffClickPitch(double y, const DanLayoutData& layout, bool bass, const std::string& keyName);

struct Fingered {
    bool ok = false;                 // the range check passed
    int count = 0;                   // pitches that got a string
    std::vector<int> string;         // 1-based string per pitch, 0 = none
    std::vector<int> fret;
};

// Assigns strings and frets to pitches (in the order given).
Fingered Fingering(const std::vector<int>& pitches, const OpenValues& open, int maxStringIx, bool bass);

// Staff click to string and fret. False when the pitch is out of range or no
// string can play it (then nothing is entered).
bool StaffPointToStringFret(double y, const DanLayoutData& layout, bool bass, const std::string& keyName,
                            const OpenValues& open, int maxStringIx, int& string, int& fret);

}  // namespace lw
