// Where a tool window goes on the screen: fully on it, as near as possible to
// where it is wanted, and off the active row when the screen has room for it
// below, beside or above the row. Plain geometry in pixels.
#pragma once

namespace lw {

struct PlaceRect {
    int x = 0, y = 0, w = 0, h = 0;
    int Right() const { return x + w; }    // one past the last column
    int Bottom() const { return y + h; }   // one past the last line
    bool Empty() const { return w <= 0 || h <= 0; }
};

// The area two rectangles share (0 when they do not meet).
long OverlapArea(const PlaceRect& a, const PlaceRect& b);

// The window of size w x h wanted with its top-left at (x, y). The result
// lies on screen (a window larger than the screen keeps its top-left
// corner on it). When it would cover keepClear, it moves to the nearest of
// the places below, right of, left of or above keepClear (gap pixels away)
// that is on the screen and covers nothing of it; when none is free, to the
// place that covers the least.
PlaceRect PlaceToolWindow(const PlaceRect& screen, const PlaceRect& keepClear, int x, int y, int w, int h,
                          int gap = 4);

}  // namespace lw
