#include "measure_beats.h"

#include <algorithm>

namespace lw {
namespace {

int Count(const SyosetsuData& ms) { return std::clamp<int>(ms.OnpuCnt, 0, kMaxPositions); }

int TicksOf(const OnpuData& pos) { return TickOf(RhythmValueOf(pos), pos.NoteAttr); }

bool Bit(const OnpuData& pos, int i) { return GetBit(pos.NoteAttr, i); }

}  // namespace

int BeatLength(int meterId) { return IsCompoundMeter(meterId) ? 36 : 24; }

bool IsCompoundMeter(int meterId) { return meterId == 1 || meterId == 11 || meterId == 21; }

int FirstSoundedString(const OnpuData& pos) {
    for (int k = 1; k < kStringSlots; ++k)
        if (pos.FletUse[k] == kSounding) return k;
    return 0;
}

int RhythmValueOf(const OnpuData& pos) {
    const int c = FirstSoundedString(pos);
    return pos.NoteLengthID[c > 0 ? c : 1];
}

void PrepareMeasure(SyosetsuData& ms, int meterId) {
    const int n = Count(ms);
    const int beat = BeatLength(meterId);
    for (int p = 1; p <= kMaxPositions; ++p) SetBit(ms.Onpu[p].NoteAttr, kAttrTripletMid, false);
    int total = 0, count = 0, group = 0;
    SetBit(ms.Onpu[1].NoteAttr, kAttrBeatStart, true);
    for (int p = 1; p <= n; ++p) {
        const int d = TicksOf(ms.Onpu[p]);
        count += d;
        total += d;
        ms.Onpu[p].BeatGroupNo = static_cast<uint8_t>(std::min(group, 128));
        ms.Onpu[p].SanrenIx = 0;
        if (p < kMaxPositions) SetBit(ms.Onpu[p + 1].NoteAttr, kAttrBeatStart, false);
        if (total % beat == 0) {
            if (p < kMaxPositions) SetBit(ms.Onpu[p + 1].NoteAttr, kAttrBeatStart, true);
            count = 0;
            ++group;
        } else if (count >= beat) {
            // A note across the beat starts a new group but no beat.
            ++group;
            count -= beat;
        }
    }
    int last = 0, run6 = 0;
    for (int p = 1; p <= n; ++p) {
        OnpuData& pos = ms.Onpu[p];
        if (FirstSoundedString(pos) == 0) continue;
        const int v = RhythmValueOf(pos);
        if (v == 6) {
            // Triplet sixteenths are beamed by beats like sixteenths; they
            // are counted in threes only for their triplet marks.
            run6 = last == 6 ? run6 % 3 + 1 : 1;
            last = 6;
            pos.SanrenIx = static_cast<uint8_t>(run6);
            SetBit(pos.NoteAttr, kAttrTripletMid, run6 == 2);
            continue;
        }
        if (v != 7 && v != 8) {
            last = v;
            continue;
        }
        int ix;
        if (v != last) {
            ix = 1;
            last = v;
        } else if (p > 1 && Bit(ms.Onpu[p - 1], kAttrBeatStart)) {
            ix = 2;
            last = v;
        } else {
            ix = 3;
            last = 99;  // the next equal value starts a new triplet
        }
        pos.SanrenIx = static_cast<uint8_t>(ix);
        SetBit(pos.NoteAttr, kAttrBeatStart, ix == 1);
        SetBit(pos.NoteAttr, kAttrTripletMid, ix == 2);
    }
}

std::array<uint8_t, kPositionSlots> TripletPlaces(const SyosetsuData& ms, int meterId) {
    SyosetsuData work = ms;
    PrepareMeasure(work, meterId);
    std::array<uint8_t, kPositionSlots> places{};
    for (int p = 1; p <= kMaxPositions; ++p) places[p] = work.Onpu[p].SanrenIx;
    return places;
}

}  // namespace lw
