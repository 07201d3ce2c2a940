// The score ("楽譜"): the finished row pictures stacked top to bottom under
// an 80-pixel margin, as many rows to a picture as the layout style allows.
#pragma once

#include <QImage>
#include <string>
#include <vector>

namespace lw {

inline constexpr int kGakufuTopMargin = 80;   // pixels above the first row

// Rows one score picture holds: layout styles 1 and 2 hold 8 rows composed
// from the staff half (mode other than "0") and 5 full rows (mode "0"); the
// TAB-only styles hold 7 ("TAB譜のみ、リズム譜なし" as well: its rows are as
// tall as those of the other TAB-only styles).
int GakufuRowLimit(int posRhythm, const std::string& mode);
// Pixels left between rows: 10 in style 3, none otherwise.
int GakufuRowGap(int posRhythm);

// Where the rows go in the score: for each row (in order) its picture, its
// top (pixels) and the height of it that is shown; the pictures' size.
struct GakufuPlace {
    int page = 0;
    int y = 0;
    int height = 0;
};
struct GakufuLayout {
    int width = 1024, height = 0;
    int rowLimit = 0;
    int pages = 1;
    bool overflow = false;
    std::vector<GakufuPlace> rows;
};
// rowSizes: each row picture's size (pixels).
GakufuLayout LayoutGakufu(const std::vector<QSize>& rowSizes, int posRhythm, const std::string& mode, bool allPages);
// Pixels of a row's left edge left out of the score.
inline constexpr int kGakufuLeftCut = 10;

struct GakufuResult {
    std::vector<QImage> pages;   // one picture of rowLimit rows each
    int rowCount = 0;            // rows composed
    int rowLimit = 0;
    bool overflow = false;       // more rows than one picture holds
};

// Stacks the rows (in order) into score pictures: width of the first row,
// height = limit x (row height + gap) + the top margin. Each row is copied
// from x 10 on (its left 10 pixels stay out), whole in mode "0", its upper
// half otherwise. allPages: every row gets a place, on as many pictures as
// needed; otherwise one picture with the rows that fit.
GakufuResult ComposeGakufu(const std::vector<const QImage*>& rows, int posRhythm, const std::string& mode,
                           bool allPages);

}  // namespace lw
