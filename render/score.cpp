#include "score.h"

#include <QPainter>
#include <algorithm>

namespace lw {

int GakufuRowLimit(int posRhythm, const std::string& mode) {
    switch (posRhythm) {
        case 1: case 2: return mode == "0" ? 5 : 8;
        case 3: case 4: case 5: return 7;
        default: return 5;
    }
}

int GakufuRowGap(int posRhythm) { return posRhythm == 3 ? 10 : 0; }

GakufuResult ComposeGakufu(const std::vector<const QImage*>& rows, int posRhythm, const std::string& mode,
                           bool allPages) {
    GakufuResult r;
    r.rowLimit = GakufuRowLimit(posRhythm, mode);
    std::vector<const QImage*> present;
    for (const QImage* img : rows)
        if (img && !img->isNull()) present.push_back(img);
    r.rowCount = static_cast<int>(present.size());
    r.overflow = r.rowCount > r.rowLimit;
    const int width = present.empty() ? 1024 : present.front()->width();
    const int rowH = present.empty() ? 0 : present.front()->height();
    const int gap = GakufuRowGap(posRhythm);
    // Every row's place is counted with the gap after it, so the last row of
    // a full picture is not cut off.
    const int height = r.rowLimit * (rowH + gap) + kGakufuTopMargin;
    const int pages = allPages ? std::max(1, (r.rowCount + r.rowLimit - 1) / r.rowLimit) : 1;
    for (int page = 0; page < pages; ++page) {
        QImage pic(width, height, QImage::Format_RGB32);
        pic.fill(Qt::white);
        QPainter p(&pic);
        // Rows never overlap and the picture starts white, so a plain copy
        // gives what an AND-copy would, several times faster.
        p.setCompositionMode(QPainter::CompositionMode_Source);
        int y = kGakufuTopMargin;
        const int first = page * r.rowLimit;
        const int last = std::min(r.rowCount, first + r.rowLimit);
        for (int i = first; i < last; ++i) {
            const QImage& row = *present[i];
            const int h = mode == "0" ? row.height() : row.height() / 2;
            p.drawImage(QPoint(0, y), row, QRect(10, 0, std::max(0, row.width() - 10), h));
            y += h + gap;
        }
        p.end();
        r.pages.push_back(std::move(pic));
    }
    return r;
}

}  // namespace lw
