#include "play_order.h"

#include <algorithm>

#include "tab_file.h"

namespace lw {

namespace {

using Piece = std::vector<WalkMeasure>;

// Where the repeat end after measure j goes back to.
int RepeatTarget(const Piece& piece, int j) {
    for (int k = j; k > 0; --k)
        if (piece[k].RepeatStart || piece[k - 1].RepeatEnd) return k;
    return 0;
}

// The repeat end that closes the first ending starting at i; -1 when another
// ending starts first or there is none.
int FirstEndingEnd(const Piece& piece, int i) {
    for (int j = i; j < static_cast<int>(piece.size()); ++j) {
        if (j > i && piece[j].Ending != 0) return -1;
        if (piece[j].RepeatEnd) return j;
    }
    return -1;
}

int SegnoFor(const Piece& piece, int i) {
    for (int k = i; k >= 0; --k)
        if (piece[k].Segno) return k;
    for (int k = i + 1; k < static_cast<int>(piece.size()); ++k)
        if (piece[k].Segno) return k;
    return 0;
}

int CodaAfter(const Piece& piece, int i) {
    const int n = static_cast<int>(piece.size());
    for (int k = i + 1; k < n; ++k)
        if (piece[k].Coda) return k;
    for (int k = 0; k <= i; ++k)
        if (piece[k].Coda) return k;
    return -1;
}

}  // namespace

std::vector<PlayStep> WalkRepeats(const Piece& piece) {
    const int n = static_cast<int>(piece.size());
    std::vector<PlayStep> order;
    std::vector<bool> taken(piece.size(), false);
    bool jumped = false, codaTaken = false;
    // Each repeat is taken once and there is one jump back: no piece plays
    // its measures more than a few times over; the bound only guards that.
    const size_t bound = 8 * piece.size() + 8;
    for (int i = 0; i < n && order.size() < bound;) {
        const WalkMeasure& w = piece[i];
        if (w.Ending == 1) {
            const int end = FirstEndingEnd(piece, i);
            if (end >= 0 && taken[end]) {
                i = end + 1;  // on the way back the first ending is left out
                continue;
            }
        }
        order.push_back({w.Row, w.Measure});
        if (jumped && w.Fine) break;
        if (jumped && w.ToCoda && !codaTaken) {
            if (const int c = CodaAfter(piece, i); c >= 0) {
                codaTaken = true;
                i = c;
                continue;
            }
        }
        if (w.RepeatEnd && !taken[i]) {
            taken[i] = true;
            i = RepeatTarget(piece, i);
            continue;
        }
        if (!jumped && (w.DalSegno || w.DaCapo)) {
            jumped = true;
            i = w.DaCapo ? 0 : SegnoFor(piece, i);
            continue;
        }
        ++i;
    }
    return order;
}

namespace {

// The measure of a row whose box holds x (boxes not laid out count as none).
int MeasureUnder(const DanLayoutData& lay, int count, double x) {
    int found = 0;
    for (int m = 1; m < count; ++m)
        if (lay.SyosetsuLeft[m] != 0 && x >= lay.SyosetsuLeft[m]) found = m;
    return found;
}

bool MarkCode(const std::string& tag, int& code) {
    if (tag.size() != 1 || tag[0] < '0' || tag[0] > '8') return false;
    code = tag[0] - '0';
    return true;
}

void PlaceSign(std::vector<WalkMeasure>& row, const DanLayoutData& lay, const RepMarkItem& mark) {
    int code = 0;
    if (!mark.Visible || !MarkCode(mark.Tag, code)) return;
    const int count = static_cast<int>(row.size());
    // A sign over a bar line belongs to the measure it starts or ends: the
    // sign and the coda count where three quarters of their width lie, the
    // ending brackets (hook at the left) and the signs that close a measure
    // where their first quarter lies.
    const double w = std::max(0.0, mark.Width);
    const double opening = mark.Left + 0.75 * w, closing = mark.Left + 0.25 * w;
    switch (code) {
        case kMarkSegno: row[MeasureUnder(lay, count, opening)].Segno = true; break;
        case kMarkCoda: row[MeasureUnder(lay, count, opening)].Coda = true; break;
        case kMarkEnding1: row[MeasureUnder(lay, count, closing)].Ending = 1; break;
        case kMarkEnding2: row[MeasureUnder(lay, count, closing)].Ending = 2; break;
        case kMarkToCoda: row[MeasureUnder(lay, count, closing)].ToCoda = true; break;
        case kMarkDalSegno: row[MeasureUnder(lay, count, closing)].DalSegno = true; break;
        case kMarkDaCapo: row[MeasureUnder(lay, count, closing)].DaCapo = true; break;
        case kMarkFine: row[MeasureUnder(lay, count, closing)].Fine = true; break;
        default: break;  // swing changes no order
    }
}

}  // namespace

std::vector<WalkMeasure> WalkMeasuresOf(const Session& s, const std::vector<const RowItems*>& items) {
    std::vector<WalkMeasure> piece;
    const int rows = std::clamp<int>(s.DocCount, 0, kSlotCount);
    bool startFromLastRow = false;
    for (int slot = 0; slot < rows; ++slot) {
        const DanData& d = s.DanBuf[slot];
        const int count = std::clamp(PlayMeasureCount(s, slot), 1, kMaxMeasures);
        std::vector<WalkMeasure> row(count);
        for (int m = 0; m < count; ++m) {
            const SyosetsuData& ms = d.Syosetsu[m];
            WalkMeasure& w = row[m];
            w.Row = static_cast<int16_t>(slot);
            w.Measure = static_cast<int16_t>(m);
            w.RepeatStart = m == 0 ? d.TopRepStart != 0 || startFromLastRow
                                   : d.Syosetsu[m - 1].BarFlag[kBarRepStart] != 0;
            w.RepeatEnd = ms.BarFlag[kBarRepEnd] != 0;
            w.Fine = ms.BarFlag[kBarEndMark] != 0;
        }
        startFromLastRow = d.Syosetsu[count - 1].BarFlag[kBarRepStart] != 0;
        if (slot < static_cast<int>(items.size()) && items[slot])
            for (size_t t = 1; t < items[slot]->RepMarks.size(); ++t) PlaceSign(row, s.DanLayout[slot], items[slot]->RepMarks[t]);
        piece.insert(piece.end(), row.begin(), row.end());
    }
    return piece;
}

}  // namespace lw
