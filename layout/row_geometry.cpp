#include "row_geometry.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace lw {

bool FitsI16(double v) { return std::isfinite(v) && v >= -32768.0 && v <= 32767.0; }

namespace {

// Ticks a position takes room for: its longest sounding string; an unknown
// value a whole note's room.
int RoomTicks(const OnpuData& pos, int strings) {
    int d = 0;
    for (int st = 1; st <= strings && st < kStringSlots; ++st) {
        if (pos.FletUse[st] != kSounding) continue;
        const int t = TickOf(pos.NoteLengthID[st], pos.NoteAttr);
        d = std::max(d, t > 0 ? t : 96);
    }
    return d;
}

}  // namespace

std::vector<double> NoteOffsets(const SyosetsuData& ms, int strings, double available, int meterId) {
    const int n = std::clamp<int>(ms.OnpuCnt, 0, kMaxPositions);
    std::vector<double> off(n + 1, 0.0);
    const int capacity = GetSyosetsuLength(meterId);
    if (capacity <= 0 || available <= 0) return off;
    std::vector<double> w(n, 0.0);
    int total = 0, last = 24;
    for (int p = 1; p <= n; ++p) {
        const int d = RoomTicks(ms.Onpu[p], strings);
        total += d;
        if (d > 0) last = d;
        w[p - 1] = std::sqrt(double(d));
    }
    // The part of the measure still empty counts as notes of the last value,
    // so notes keep their places while a measure is filled with one value.
    const double fill = total < capacity ? double(capacity - total) / last * std::sqrt(double(last)) : 0.0;
    std::vector<double> adv(n, 0.0);
    std::vector<bool> atMin(n, false);
    int notes = 0;
    for (double x : w) notes += x > 0;
    const bool roomForAll = notes * kMinNoteAdvance < available;
    for (bool again = true; again;) {
        again = false;
        double weight = fill, budget = available;
        for (int i = 0; i < n; ++i) {
            if (atMin[i]) budget -= kMinNoteAdvance;
            else weight += w[i];
        }
        for (int i = 0; i < n; ++i) {
            if (atMin[i]) continue;
            adv[i] = weight > 0 ? budget * w[i] / weight : 0;
            if (roomForAll && w[i] > 0 && adv[i] < kMinNoteAdvance) atMin[i] = again = true;
        }
    }
    // Snapped to 1/1024 twip, so that equal shares add up exactly and a
    // half rounds to even as it should, not by a rounding error.
    for (int i = 0; i < n; ++i)
        off[i + 1] = std::nearbyint((off[i] + (atMin[i] ? kMinNoteAdvance : adv[i])) * 1024) / 1024;
    return off;
}

double GetNoteXExact(const Session& s, int m, int count) {
    const auto& lay = s.CurLayout();
    const auto& dan = s.CurDan();
    if (m < 0 || m >= kMeasureSlots) return 0;
    const double inset = NoteAreaInset(lay, m);
    const double available = lay.SyosetsuWidth[m] - inset;
    // A position after the last one stands where the empty part begins.
    const std::vector<double> off = NoteOffsets(dan.Syosetsu[m], s.MaxStringIx + 1, available, dan.MeterID);
    const double sum = off[std::clamp<size_t>(count > 0 ? count - 1 : 0, 0, off.size() - 1)];
    const int cnt = s.CurSyosetsuCnt > 0 ? s.CurSyosetsuCnt : 1;
    return lay.SyosetsuLeft[m % cnt] + sum + inset;
}

int GetNoteX(const Session& s, int m, int count) {
    const double x = GetNoteXExact(s, m, count);
    // Integer coordinates round half to even; callers that store the value
    // check the range with GetNoteXExact first.
    if (!FitsI16(x)) return x < 0 ? -32768 : 32767;
    return static_cast<int>(RoundHalfEven(x));
}

int GetSyosetsuLength(int meterId) {
    switch (meterId) {
        case 0: return 96;
        case 1: return 72;
        case 2: return 48;
        case 10: return 144;
        case 11: return 108;
        case 12: return 72;
        case 20: return 192;
        case 21: return 144;
        case 22: return 96;
        default: return 0;
    }
}

int MeasureTicks(const Session& s, int m) {
    if (m < 0 || m >= kMeasureSlots) return 0;
    const auto& ms = s.CurDan().Syosetsu[m];
    int total = 0;
    for (int p = 1; p <= std::min<int>(ms.OnpuCnt, kMaxPositions); ++p) total += PositionTicks(ms.Onpu[p]);
    return total;
}

bool GetSyosetsuNo(const Session& s, double x, int& measure) {
    const auto& lay = s.CurLayout();
    for (int m = std::min<int>(s.CurSyosetsuCnt, kMaxMeasures) - 1; m >= 0; --m) {
        if (lay.SyosetsuLeft[m] < x) {
            measure = m;
            return true;
        }
    }
    return false;
}

int GetLineNo(const Session& s, double y) {
    const double t = s.CurLayout().TabTop, iv = s.CurLayout().StringInterval;
    for (int k = 1; k <= 6; ++k)
        if (t + (k - 1.5) * iv < y && y < t + (k - 0.5) * iv) return k;
    return 0;
}

bool Area5ScopeCheck(const Session& s, double, double y) {
    return s.CurLayout().TabTop - kStaffAreaMargin > y;
}

bool IsRestPosition(const OnpuData& p) { return p.FletUse[1] == kSounding && p.NoteLengthID[1] > 20; }

int GetCtrlIndex(const Session& s, int m, int p, int restFlag) {
    const auto& dan = s.CurDan();
    int rests = 0, labels = 0;
    const int per = s.MaxStringIx + 1;
    for (int mm = 0; mm <= m && mm < kMeasureSlots; ++mm) {
        const auto& ms = dan.Syosetsu[mm];
        const int last = std::min<int>(mm == m ? std::min<int>(p, ms.OnpuCnt) : ms.OnpuCnt, kMaxPositions);
        for (int pp = 1; pp <= last; ++pp) {
            if (IsRestPosition(ms.Onpu[pp])) ++rests;
            else labels += per;
        }
    }
    return restFlag == 1 ? rests : labels;
}

namespace {

constexpr double kColumnGap = 60;  // twips between neighbouring fret columns

// Rough width of a chord name as drawn by a chord label (twips).
double ChordNameWidth(const std::string& name, double labelWidth) {
    if (name.empty()) return 0;
    return std::min(labelWidth, 130.0 * static_cast<double>(name.size()) + 40.0);
}

// True when measure m laid out `width` twips wide keeps its fret columns
// apart, its last column inside the measure and its two chord names apart.
bool MeasureFits(const Session& s, int m, double width, double cellWidth, double chordLabelWidth) {
    const auto& ms = s.CurDan().Syosetsu[m];
    const double inset = NoteAreaInset(s.CurLayout(), m);
    const double available = width - inset;
    if (available < cellWidth) return false;
    const int n = std::clamp<int>(ms.OnpuCnt, 0, kMaxPositions);
    const std::vector<double> off = NoteOffsets(ms, s.MaxStringIx + 1, available, s.CurDan().MeterID);
    double lastX = 0;
    for (int p = 1; p <= n; ++p) {
        lastX = inset + off[p - 1];
        const double adv = off[p] - off[p - 1];
        // Columns one cell apart touch; a little air keeps the numbers apart.
        if (p < n && adv > 0 && adv < cellWidth + kColumnGap) return false;
    }
    if (n > 0 && lastX + cellWidth > width) return false;
    const float second = static_cast<float>(width - 300) / 4.0f * 2.0f + 80.0f;
    const double w1 = ChordNameWidth(ms.Chord1, chordLabelWidth), w2 = ChordNameWidth(ms.Chord2, chordLabelWidth);
    if (w2 > 0 && w1 > 0 && second < 100.0 + w1) return false;
    if (w2 > 0 && second + w2 > width) return false;
    if (w2 == 0 && w1 > 0 && 100.0 + w1 > width) return false;
    return true;
}

}  // namespace

double MinSyosetsuWidth(const Session& s, int m, double cellWidth, double chordLabelWidth) {
    if (m < 0 || m >= kMaxMeasures) return 0;
    double lo = NoteAreaInset(s.CurLayout(), m) + cellWidth, hi = 32767;
    if (MeasureFits(s, m, lo, cellWidth, chordLabelWidth)) return lo;
    if (!MeasureFits(s, m, hi, cellWidth, chordLabelWidth)) return hi;
    while (hi - lo > 1) {
        const double mid = std::floor((lo + hi) / 2);
        (MeasureFits(s, m, mid, cellWidth, chordLabelWidth) ? hi : lo) = mid;
    }
    return hi;
}

int ChangeMeasureCount(Session& s, int count) {
    count = std::clamp(count, 1, kMaxMeasures);
    s.CurSyosetsuCnt = static_cast<int16_t>(count);
    s.CurDan().SyosetsuCnt = static_cast<int16_t>(count);
    return count;
}

}  // namespace lw
