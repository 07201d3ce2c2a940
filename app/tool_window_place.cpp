#include "tool_window_place.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace lw {

long OverlapArea(const PlaceRect& a, const PlaceRect& b) {
    const long w = std::min(a.Right(), b.Right()) - std::max(a.x, b.x);
    const long h = std::min(a.Bottom(), b.Bottom()) - std::max(a.y, b.y);
    return w > 0 && h > 0 ? w * h : 0;
}

namespace {

// The coordinate moved just enough for [v, v + size) to lie in [lo, hi);
// when it cannot, its start stays at lo.
int Clamp(int v, int size, int lo, int hi) { return std::max(lo, std::min(v, hi - size)); }

PlaceRect OnScreen(const PlaceRect& screen, int x, int y, int w, int h) {
    return {Clamp(x, w, screen.x, screen.Right()), Clamp(y, h, screen.y, screen.Bottom()), w, h};
}

}  // namespace

PlaceRect PlaceToolWindow(const PlaceRect& screen, const PlaceRect& keepClear, int x, int y, int w, int h,
                          int gap) {
    const PlaceRect first = OnScreen(screen, x, y, w, h);
    if (keepClear.Empty() || OverlapArea(first, keepClear) == 0) return first;
    // Below, right, left, above: on equal distance the earlier wins.
    const std::array<PlaceRect, 4> tries = {
        OnScreen(screen, first.x, keepClear.Bottom() + gap, w, h),
        OnScreen(screen, keepClear.Right() + gap, first.y, w, h),
        OnScreen(screen, keepClear.x - gap - w, first.y, w, h),
        OnScreen(screen, first.x, keepClear.y - gap - h, w, h),
    };
    auto distance = [&first](const PlaceRect& r) { return std::abs(r.x - first.x) + std::abs(r.y - first.y); };
    const PlaceRect* best = &first;
    long bestCover = OverlapArea(first, keepClear);
    for (const PlaceRect& r : tries) {
        const long cover = OverlapArea(r, keepClear);
        if (cover < bestCover || (cover == bestCover && distance(r) < distance(*best))) {
            best = &r;
            bestCover = cover;
        }
    }
    return *best;
}

}  // namespace lw
