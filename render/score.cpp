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

GakufuLayout LayoutGakufu(const std::vector<QSize>& rowSizes, int posRhythm, const std::string& mode, bool allPages) {
    GakufuLayout g;
    g.rowLimit = GakufuRowLimit(posRhythm, mode);
    const int count = static_cast<int>(rowSizes.size());
    g.overflow = count > g.rowLimit;
    g.width = rowSizes.empty() ? 1024 : rowSizes.front().width();
    const int rowH = rowSizes.empty() ? 0 : rowSizes.front().height();
    const int gap = GakufuRowGap(posRhythm);
    // Every row's place is counted with the gap after it, so the last row of
    // a full picture is not cut off.
    g.height = g.rowLimit * (rowH + gap) + kGakufuTopMargin;
    g.pages = allPages ? std::max(1, (count + g.rowLimit - 1) / std::max(1, g.rowLimit)) : 1;
    int y = kGakufuTopMargin, page = 0, onPage = 0;
    for (const QSize& size : rowSizes) {
        if (allPages && onPage == g.rowLimit) {
            ++page;
            onPage = 0;
            y = kGakufuTopMargin;
        }
        const int h = mode == "0" ? size.height() : size.height() / 2;
        g.rows.push_back({page, y, h});
        y += h + gap;
        ++onPage;
    }
    return g;
}

GakufuResult ComposeGakufu(const std::vector<const QImage*>& rows, int posRhythm, const std::string& mode,
                           bool allPages) {
    GakufuResult r;
    std::vector<const QImage*> present;
    std::vector<QSize> sizes;
    for (const QImage* img : rows)
        if (img && !img->isNull()) {
            present.push_back(img);
            sizes.push_back(img->size());
        }
    const GakufuLayout g = LayoutGakufu(sizes, posRhythm, mode, allPages);
    r.rowLimit = g.rowLimit;
    r.rowCount = static_cast<int>(present.size());
    r.overflow = g.overflow;
    for (int page = 0; page < g.pages; ++page) {
        QImage pic(g.width, g.height, QImage::Format_RGB32);
        pic.fill(Qt::white);
        QPainter p(&pic);
        // Rows never overlap and the picture starts white, so a plain copy
        // gives what an AND-copy would, several times faster.
        p.setCompositionMode(QPainter::CompositionMode_Source);
        for (size_t i = 0; i < present.size(); ++i) {
            const GakufuPlace& at = g.rows[i];
            if (at.page != page || at.y >= g.height) continue;
            const QImage& row = *present[i];
            p.drawImage(QPoint(0, at.y), row, QRect(kGakufuLeftCut, 0, std::max(0, row.width() - kGakufuLeftCut), at.height));
        }
        p.end();
        r.pages.push_back(std::move(pic));
    }
    return r;
}

}  // namespace lw
