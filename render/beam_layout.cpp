#include "beam_layout.h"

#include <algorithm>
#include <cmath>

namespace lw {
namespace {

int Count(const SyosetsuData& ms) { return std::clamp<int>(ms.OnpuCnt, 0, kMaxPositions); }

bool Bit(const OnpuData& pos, int i) { return GetBit(pos.NoteAttr, i); }

void ResetRange(const SyosetsuData& ms, BeamGroups& g, int from, int to) {
    for (int p = from; p < to && p <= kMaxPositions; ++p) {
        g.main[p] = g.second[p] = g.third[p] = g.stubA[p] = g.stubB[p] = 0;
        g.stem[p] = static_cast<int16_t>(RhythmValueOf(ms.Onpu[p]));
    }
}

// The next position after p that starts a beat (n + 1 when none does).
int NextBeatStart(const SyosetsuData& ms, int p) {
    const int n = Count(ms);
    int q = p + 1;
    while (q <= n && !Bit(ms.Onpu[q], kAttrBeatStart)) ++q;
    return q;
}

}  // namespace

bool IsHeldPlace(const OnpuData& pos) {
    if (RhythmValueOf(pos) != 7) return false;
    return (pos.SanrenOpt == 1 && pos.SanrenIx == 2) || (pos.SanrenOpt == 2 && pos.SanrenIx == 3);
}

int BeamLevel(int v) {
    switch (v) {
        case 3: case 7: return 1;
        case 4: case 6: return 2;
        case 5: return 3;
        default: return 0;
    }
}

int FlagsOfStem(int stemValue) { return stemValue == 2 ? 0 : BeamLevel(stemValue); }

BeamGroups GroupMeasure(const SyosetsuData& ms, int meterId) {
    BeamGroups g;
    const int n = Count(ms);
    const int beat = BeatLength(meterId);
    for (int p = 1; p <= n; ++p) g.stem[p] = static_cast<int16_t>(RhythmValueOf(ms.Onpu[p]));
    // Notes per beat group.
    int entry = -1, prevGroup = -1;
    for (int p = 1; p <= n; ++p) {
        const OnpuData& pos = ms.Onpu[p];
        if (FirstSoundedString(pos) == 0) continue;
        if (entry < 0 || pos.BeatGroupNo != prevGroup) entry = std::min(entry + 1, 128);
        prevGroup = pos.BeatGroupNo;
        if (RhythmValueOf(pos) < 20) ++g.noteCount[entry];
    }
    auto countOf = [&](const OnpuData& pos) { return g.noteCount[std::min<int>(pos.BeatGroupNo, 128)]; };
    // Main beams and stem values.
    int run = 0;
    bool joining = false;
    for (int p = 1; p <= n; ++p) {
        const OnpuData& pos = ms.Onpu[p];
        if (FirstSoundedString(pos) == 0) continue;
        if (Bit(pos, kAttrBeatStart)) {
            run = 0;
            joining = countOf(pos) > 1;
        }
        run += TickOf(RhythmValueOf(pos), pos.NoteAttr);
        if (run > beat) {
            // The note overruns the beat: nothing joins it.
            joining = false;
            if (p > 1) {
                g.main[p - 1] = 0;
                g.stem[p - 1] = static_cast<int16_t>(RhythmValueOf(ms.Onpu[p - 1]));
            }
        }
        if (joining) {
            g.main[p] = -1;
            const bool intoNextBeat = p < n && Bit(ms.Onpu[p + 1], kAttrBeatStart);
            if (p == n || (intoNextBeat && !Bit(pos, kAttrBeam))) g.main[p] = 0;
        }
        g.stem[p] = static_cast<int16_t>(g.main[p] == -1 || joining ? 2 : RhythmValueOf(pos));
    }
    // Second and third beams between neighbours of a joined beat that both
    // ask for them (sixteenths and shorter; thirty-seconds).
    joining = false;
    for (int p = 1; p <= n; ++p) {
        const OnpuData& pos = ms.Onpu[p];
        if (FirstSoundedString(pos) == 0) continue;
        if (Bit(pos, kAttrBeatStart)) joining = countOf(pos) > 1;
        if (p == n) continue;
        const int level = std::min(BeamLevel(RhythmValueOf(pos)), BeamLevel(RhythmValueOf(ms.Onpu[p + 1])));
        if (joining && level >= 2) g.second[p] = -1;
        if (joining && level >= 3) g.third[p] = -1;
        if (Bit(ms.Onpu[p + 1], kAttrBeatStart) && !Bit(pos, kAttrBeam)) g.second[p] = g.third[p] = 0;
    }
    // Stubs and triplets.
    for (int p = 1; p <= n; ++p) {
        const OnpuData& pos = ms.Onpu[p];
        if (FirstSoundedString(pos) == 0) continue;
        const int v = RhythmValueOf(pos);
        if (p > 1) {
            const OnpuData& q = ms.Onpu[p - 1];
            const int qv = RhythmValueOf(q);
            if (Bit(pos, kAttrDot) && v == 3 && qv == 4) g.stubA[p - 1] = -1;
            if (Bit(q, kAttrDot) && qv == 3 && v == 4) g.stubB[p - 1] = -1;
        }
        if (v == 7) {
            const int ix = std::clamp<int>(pos.SanrenIx, 1, 3);
            switch (pos.SanrenOpt) {
                case 0:  // "タタタ": the three notes beamed together
                    g.stem[p] = 2;
                    g.main[p] = p == n || pos.SanrenIx == 3 ? 0 : -1;
                    break;
                case 1: {  // "タータ": a quarter held over the middle place, an eighth
                    static const int16_t stems[3] = {2, 2, 3};
                    g.main[p] = 0;
                    g.stem[p] = IsHeldPlace(pos) ? kStemHeld : stems[ix - 1];
                    break;
                }
                case 2: {  // "タター": an eighth, a quarter held over the last place
                    static const int16_t stems[3] = {3, 2, 2};
                    g.main[p] = 0;
                    g.stem[p] = IsHeldPlace(pos) ? kStemHeld : stems[ix - 1];
                    break;
                }
                default: break;  // "標準"
            }
        } else if (v == 8) {
            g.stem[p] = 2;
            g.main[p] = 0;
        }
    }
    DissolveGroups(ms, meterId, g);
    return g;
}

void DissolveGroups(const SyosetsuData& ms, int meterId, BeamGroups& g) {
    const int n = Count(ms);
    auto scan = [&](auto&& wrong) {
        for (int p = 1; p <= n;) {
            const int next = NextBeatStart(ms, p);
            if (Bit(ms.Onpu[p], kAttrBeatStart) && g.main[p] == -1 && wrong(p, next)) ResetRange(ms, g, p, next);
            p = next;
        }
    };
    // Stems that point different ways cannot share a beam.
    scan([&](int from, int to) {
        const bool down = Bit(ms.Onpu[from], kAttrStemDown);
        for (int p = from; p < to; ++p)
            if (FirstSoundedString(ms.Onpu[p]) > 0 && Bit(ms.Onpu[p], kAttrStemDown) != down) return true;
        return false;
    });
    if (!IsCompoundMeter(meterId)) return;
    // In compound meters a quarter breaks the beat's beam.
    scan([&](int from, int to) {
        for (int p = from; p < to; ++p)
            if (FirstSoundedString(ms.Onpu[p]) > 0 && RhythmValueOf(ms.Onpu[p]) == 2) return true;
        return false;
    });
}

std::vector<BeamRun> MainRuns(const SyosetsuData& ms, const BeamGroups& g) {
    std::vector<BeamRun> runs;
    const int n = Count(ms);
    for (int a = 1; a <= n;) {
        if (g.main[a] != -1) {
            ++a;
            continue;
        }
        int b = a + 1;
        while (b <= n && g.main[b] == -1) ++b;
        runs.push_back({a, std::min(b, n)});
        a = b + 1;
    }
    return runs;
}

BeamRun SecondRun(const BeamGroups& g, const BeamRun& r) {
    int h = r.first;
    while (h <= r.last && g.second[h] != -1) ++h;
    if (h > r.last) return {};
    int c = h;
    while (c <= r.last && g.second[c] == -1) ++c;
    return {h, std::min(c, r.last)};
}

std::vector<BeamSegment> InnerBeams(const SyosetsuData& ms, const BeamGroups& g, const BeamRun& r) {
    std::vector<BeamSegment> out;
    const int last = std::min(r.last, Count(ms));
    auto isNote = [&](int p) { return FirstSoundedString(ms.Onpu[p]) > 0 && !ms.Onpu[p].IsRest(); };
    for (int level = 2; level <= 3; ++level) {
        const auto& joined = level == 2 ? g.second : g.third;
        for (int p = r.first; p <= last;) {
            if (joined[p] == -1 && p < last) {
                int c = p;
                while (c < last && joined[c] == -1) ++c;
                out.push_back({level, p, c, 0});
                p = c + 1;
                continue;
            }
            const bool joinedBefore = p > r.first && joined[p - 1] == -1;
            if (!joinedBefore && isNote(p) && BeamLevel(RhythmValueOf(ms.Onpu[p])) >= level) {
                const bool left = p == last || (p > r.first && Bit(ms.Onpu[p - 1], kAttrDot));
                if (p > r.first || p < last) out.push_back({level, p, p, left ? -1 : 1});
            }
            ++p;
        }
    }
    return out;
}

double BeamSlope(const std::vector<StemEnd>& ends) {
    size_t n = 0;
    while (n < ends.size() && (n == 0 || ends[n].x != 0)) ++n;
    if (n < 2 || ends[1].x == ends[0].x) return 0;
    const double s1 = (ends[1].y - ends[0].y) / (ends[1].x - ends[0].x);
    double r = s1, total = s1;
    for (size_t k = 2; k < n; ++k) {
        const double dx = ends[k].x - ends[k - 1].x;
        const double s = dx != 0 ? (ends[k].y - ends[k - 1].y) / dx : 0;
        r = (s + r) / 2;
        total += r;
    }
    return total / double(n - 1);
}

double BeamShift(const std::vector<StemEnd>& ends, double slope) {
    if (ends.empty()) return 0;
    size_t low = 0;
    for (size_t k = 1; k < ends.size(); ++k)
        if (ends[k].y > ends[low].y) low = k;
    if (ends[0].y >= ends[low].y) return 0;
    return (ends[0].y - ends[low].y) + std::nearbyint(slope * (ends[low].x - ends[0].x));
}

}  // namespace lw
