#include "fingering.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lw {
namespace {

// First-finger positions 1..kPositions; position p covers frets p..p+3.
constexpr int kPositions = kMaxFret - 3;
constexpr size_t kMaxCandidates = 4096;
constexpr double kShift = 10;          // any change of position
constexpr double kShiftPerFret = 0.5;  // and its length
constexpr double kStretch = 3;         // a fifth fret reached from the position
constexpr double kBrokenLink = 30;     // a tie or slur that changes string
constexpr double kLowPosition = 0.1;   // per position held: lower positions first
constexpr double kInf = std::numeric_limits<double>::infinity();

struct Cand {
    std::vector<int> string, fret;   // per note
    int lo = 0, hi = 0;              // fretted range (0, 0: open strings only)
    double fretCost = 0;
};

void Enumerate(const FingerEvent& e, const std::vector<int>& open, size_t i, std::vector<bool>& used, Cand& cur,
               std::vector<Cand>& out) {
    if (out.size() >= kMaxCandidates) return;
    if (i == e.notes.size()) {
        Cand c = cur;
        c.lo = 99, c.hi = 0;
        for (int f : c.fret) {
            c.fretCost += 0.001 * f;
            if (f > 0) c.lo = std::min(c.lo, f), c.hi = std::max(c.hi, f);
        }
        if (c.lo == 99) c.lo = 0;
        out.push_back(std::move(c));
        return;
    }
    const FingerNote& n = e.notes[i];
    for (int s = 1; s <= static_cast<int>(open.size()); ++s) {
        if (used[s]) continue;
        const int fret = n.midi - open[s - 1];
        if (fret < 0 || fret > kMaxFret) continue;
        if (n.string > 0 && (n.string != s || n.fret != fret)) continue;
        used[s] = true;
        cur.string[i] = s;
        cur.fret[i] = fret;
        Enumerate(e, open, i + 1, used, cur, out);
        used[s] = false;
    }
}

// Cost of holding candidate c with the first finger at p; kInf when it
// cannot be held there.
double Hold(const Cand& c, int p) {
    double cost = c.fretCost + kLowPosition * p;
    if (c.hi == 0) return cost;
    const int span = c.hi - c.lo;
    if (span <= 3) return (p >= std::max(1, c.hi - 3) && p <= c.lo) ? cost : kInf;
    if (p != c.lo) return kInf;
    return cost + (span == 4 ? kStretch : kStretch + 20.0 * (span - 4));
}

double Move(int from, int to) { return from == to ? 0 : kShift + kShiftPerFret * std::abs(from - to); }

double LinkCost(const FingerEvent& e, const Cand& c, const FingerEvent& prevE, const Cand& prev) {
    double cost = 0;
    for (size_t i = 0; i < e.notes.size(); ++i) {
        const FingerNote& n = e.notes[i];
        if (!n.linked) continue;
        bool kept = false;
        for (size_t j = 0; j < prevE.notes.size() && !kept; ++j)
            kept = prev.string[j] == c.string[i] && (n.linkMidi < 0 || prevE.notes[j].midi == n.linkMidi);
        if (!kept) cost += kBrokenLink;
    }
    return cost;
}

}  // namespace

FingerResult FingerEvents(const std::vector<FingerEvent>& events, const std::vector<int>& open) {
    FingerResult res;
    const size_t n = events.size();
    std::vector<std::vector<Cand>> cands(n);
    for (size_t i = 0; i < n; ++i) {
        const FingerEvent& e = events[i];
        for (size_t k = 0; k < e.notes.size(); ++k) {
            bool reach = false;
            for (int o : open) reach = reach || (e.notes[k].midi - o >= 0 && e.notes[k].midi - o <= kMaxFret);
            if (!reach) {
                res.failEvent = static_cast<int>(i);
                res.failNote = static_cast<int>(k);
                return res;
            }
        }
        std::vector<bool> used(open.size() + 1, false);
        Cand cur;
        cur.string.assign(e.notes.size(), 0);
        cur.fret.assign(e.notes.size(), 0);
        Enumerate(e, open, 0, used, cur, cands[i]);
        if (cands[i].empty()) {
            // A given fingering that does not fit: let the pitches decide.
            FingerEvent free = e;
            for (FingerNote& fn : free.notes) fn.string = 0, fn.fret = -1;
            Enumerate(free, open, 0, used, cur, cands[i]);
        }
        if (cands[i].empty()) {
            res.failEvent = static_cast<int>(i);
            return res;
        }
    }

    // cost[i][c * P + p]; back[i][c * P + p] = previous c * P + p.
    const int P = kPositions + 1;   // index 0 unused
    std::vector<std::vector<double>> cost(n);
    std::vector<std::vector<int>> back(n);
    for (size_t i = 0; i < n; ++i) {
        const size_t C = cands[i].size();
        cost[i].assign(C * P, kInf);
        back[i].assign(C * P, -1);
        if (i == 0) {
            for (size_t c = 0; c < C; ++c)
                for (int p = 1; p < P; ++p) cost[i][c * P + p] = Hold(cands[i][c], p);
            continue;
        }
        const size_t PC = cands[i - 1].size();
        // best[c'][p]: the cheapest way to arrive at position p from c'.
        std::vector<double> best(PC * P, kInf);
        std::vector<int> from(PC * P, -1);
        for (size_t pc = 0; pc < PC; ++pc)
            for (int p = 1; p < P; ++p)
                for (int q = 1; q < P; ++q) {
                    const double v = cost[i - 1][pc * P + q] + Move(q, p);
                    if (v < best[pc * P + p]) best[pc * P + p] = v, from[pc * P + p] = static_cast<int>(pc * P + q);
                }
        bool linked = false;
        for (const FingerNote& fn : events[i].notes) linked = linked || fn.linked;
        for (size_t c = 0; c < C; ++c)
            for (int p = 1; p < P; ++p) {
                const double hold = Hold(cands[i][c], p);
                if (hold == kInf) continue;
                double bestV = kInf;
                int bestFrom = -1;
                for (size_t pc = 0; pc < PC; ++pc) {
                    double v = best[pc * P + p];
                    if (v == kInf) continue;
                    if (linked) v += LinkCost(events[i], cands[i][c], events[i - 1], cands[i - 1][pc]);
                    if (v < bestV) bestV = v, bestFrom = from[pc * P + p];
                }
                cost[i][c * P + p] = hold + bestV;
                back[i][c * P + p] = bestFrom;
            }
    }

    res.placed.assign(n, {});
    if (n == 0) {
        res.ok = true;
        return res;
    }
    int at = -1;
    double bestV = kInf;
    for (size_t k = 0; k < cost[n - 1].size(); ++k)
        if (cost[n - 1][k] < bestV) bestV = cost[n - 1][k], at = static_cast<int>(k);
    for (size_t i = n; i-- > 0;) {
        const Cand& c = cands[i][static_cast<size_t>(at / P)];
        for (size_t k = 0; k < c.string.size(); ++k) res.placed[i].push_back({c.string[k], c.fret[k]});
        if (c.hi - c.lo > 4) res.wide.push_back(static_cast<int>(i));
        at = back[i][static_cast<size_t>(at)];
    }
    std::reverse(res.wide.begin(), res.wide.end());
    res.ok = true;
    return res;
}

}  // namespace lw
