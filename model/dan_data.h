// Row documents: one row (段) holds up to 8 measures (小節) of up to 24 note
// positions. Field names and stored widths are those of the .tab format.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace lw {

constexpr int kSlotCount = 11;       // DanBuf(0 To 10)
constexpr int kMeasureSlots = 9;     // Syosetsu(0 To 8)
constexpr int kMaxMeasures = 8;      // measures in use 1..8
constexpr int kPositionSlots = 25;   // Onpu(0 To 24)
constexpr int kMaxPositions = 24;    // positions in use 1..24
constexpr int kStringSlots = 8;      // per-string arrays (0 To 7); string k = 1..7

constexpr int16_t kTrue = -1;        // 16-bit booleans stored in documents
constexpr int16_t kFalse = 0;
constexpr uint8_t kSounding = 255;   // FletUse

struct PosRectData {
    int16_t Top = 0, Left = 0, Height = 0, Width = 0;
};

// Working values of the beam and stem drawing; never saved.
struct BeamCache {
    int16_t StemX = 0, StemTop = 0, StemBottom = 0, HeadY = 0;
    uint8_t BeamLevel = 0, Flags = 0;
};

struct OnpuData {
    int16_t PosNo = 0;
    uint8_t BeatGroupNo = 0;
    uint8_t SanrenIx = 0;
    uint8_t SanrenOpt = 0;
    uint8_t LoadMark = 0;
    uint8_t NoteAttr = 0;
    std::array<uint8_t, kStringSlots> FletUse{};
    std::array<uint8_t, kStringSlots> Flet{};
    std::array<uint8_t, kStringSlots> NoteLengthID{};
    std::array<uint8_t, kStringSlots> NoteTick{};
    std::array<PosRectData, kStringSlots> PosRect{};
    std::array<uint8_t, kStringSlots> Pitch{};
    BeamCache Cache{};
    std::array<int16_t, kStringSlots> StaffPos{};
    std::array<uint8_t, kStringSlots> Accidental{};
    std::array<uint8_t, kStringSlots> Effect{};

    // A rest: string 1 sounds with a rest rhythm id (21..25).
    bool IsRest() const { return FletUse[1] == kSounding && NoteLengthID[1] > 20; }
};

struct SyosetsuData {
    int16_t DrawFlag = 0;
    int16_t OnpuCnt = 0;
    std::array<OnpuData, kPositionSlots> Onpu{};
    int16_t BarVisible = 0;          // −1: the closing bar line is placed
    std::string Chord1;
    std::string Chord2;
    int16_t ChordPos = 0;
    std::array<int16_t, 8> BarFlag{};
};

struct DanData {
    int16_t SyosetsuCnt = 0;
    std::array<SyosetsuData, kMeasureSlots> Syosetsu{};
    int16_t TopRepStart = 0;
    // Time-signature code of this row (22 = "4/4"), from and to its file.
    int16_t MeterID = 22;
};

// BarFlag indexes.
enum BarFlagIx : int {
    kBarRepEnd = 0, kBarRepEnd2 = 1, kBarPlain = 2, kBarPlain2 = 3,
    kBarRepStart = 4, kBarRepStart2 = 5, kBarUnused = 6, kBarEndMark = 7
};

// NoteAttr bits (bit i has the mask 128 >> i).
enum NoteAttrBit : int {
    kAttrTie = 0, kAttrSlur = 1, kAttrDot = 2, kAttrTripletMid = 3,
    kAttrBeam = 4, kAttrStemDown = 5, kAttrBeatStart = 6
};

// Effect bits per string.
enum EffectBit : int { kEffectHammer = 0, kEffectPull = 1, kEffectSlide = 2 };

// Geometry of one row on screen, twips. SyosetsuLeft is saved with the row.
struct DanLayoutData {
    int16_t StaffTop = 0, StaffLeft = 0, StaffHeight = 0, StaffWidth = 0;
    int16_t TabTop = 0, TabLeft = 0, TabHeight = 0, TabWidth = 0;
    int16_t StaffInterval = 0, StringInterval = 0;
    std::array<int16_t, kMeasureSlots> SyosetsuTop{};
    std::array<int16_t, kMeasureSlots> SyosetsuLeft{};
    std::array<int16_t, kMeasureSlots> SyosetsuHeight{};
    std::array<int16_t, kMeasureSlots> SyosetsuWidth{};
    // Space kept free before the first note of measure 0, where the row
    // start (clef, "TAB", key signature) stands; below the usual inset of a
    // measure it has no effect. Set by the row's drawing, not stored.
    int16_t RowStartInset = 0;
    // Room the row's opening repeat sign (bars and dots at its left edge)
    // takes before the clef and the word "TAB". Set by the bar-line layout.
    int16_t RowStartLead = 0;
};

// Ticks of a rhythm id; a whole note is 96. Dotted triplets double, others x1.5
// rounded half to even. Unknown ids give 0.
uint8_t TickOf(int rhythmId, uint8_t noteAttr);

bool GetBit(uint8_t byte, int i);
uint8_t SetBit(uint8_t& byte, int i, bool value);
std::string ByteToBits(uint8_t byte);
uint8_t BitsToByte(const std::string& bits);

// Rounds half to even, as every float-to-integer conversion of the editor does.
long RoundHalfEven(double v);

// Storing a note on string k; clearing only drops FletUse.
void StoreNote(OnpuData& pos, int k, int fret, int rhythmId);
void ClearString(OnpuData& pos, int k);
// Rest template: string 1 sounds with fret 1, the other strings up to
// maxStringIx+1 are silent.
void StoreRest(OnpuData& pos, int restId, int maxStringIx);

// Every number 0, every text empty.
void ResetMeasure(SyosetsuData& m);
void ResetRow(DanData& d);

// Time-signature codes (MeterID).
bool IsValidMeterId(int meterId);
const char* MeterCaption(int meterId);   // "4/4" ...; "" for an unknown code

// Duration of a position: NoteTick of its first sounding string.
int PositionTicks(const OnpuData& pos);

}  // namespace lw
