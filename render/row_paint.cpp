#include "row_paint.h"

#include <algorithm>

#include "element_paint.h"

namespace lw {
namespace {

// The ground: copied as it is onto the screen picture, drawn as lines on
// every other device (two thirds of a screen pixel thick, as printed staff
// lines are). The lines stop where the row ends.
void PaintGround(Canvas& c, const RowGround& g, double end) {
    if (g.isNull()) return;
    if (c.raster) {
        QPainter& p = c.p;
        const auto mode = p.compositionMode();
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, g.image);
        p.setCompositionMode(mode);
        if (end < g.width()) {
            const int x = int(end) + 1;
            for (const QRect& r : g.lines)
                if (r.right() >= x) p.fillRect(QRect(std::max(x, r.left()), r.top(), r.right() + 1 - std::max(x, r.left()), r.height()), Qt::white);
        }
        return;
    }
    for (const QRect& r : g.lines) {
        const double right = std::min<double>(r.right() + 1, int(end) + 1);
        if (right <= r.left()) continue;
        const double y = r.top() + r.height() / 2.0;
        InkLine(c, QPointF(r.left(), y), QPointF(right, y), r.height() * 2.0 / 3.0);
    }
}

}  // namespace

double RowLinesEnd(const DanData& dan, const DanLayoutData& l, int tpp, int groundWidth) {
    const int cnt = std::clamp<int>(dan.SyosetsuCnt, 1, kMaxMeasures);
    const double t = tpp > 0 ? tpp : 15;
    const double end = l.SyosetsuLeft[cnt], groundEnd = l.TabLeft + l.TabWidth;
    if (end > l.TabLeft && end < groundEnd) return end / t;
    return groundWidth;
}

void PaintRow(QPainter& p, const RowPaintInput& in, double scale) {
    p.save();
    if (scale != 1) p.scale(scale, scale);
    Canvas c(p);
    const RowStyle& style = in.style;
    const DanLayoutData& l = in.layout;
    const BurnContext bc = BurnContextOf(style, l);
    PaintGround(c, in.ground, RowLinesEnd(in.dan, l, bc.tpp, in.ground.width()));
    PutImgInitForm(c, in.scene, l, style.Start(), bc);
    // The paint's own copy of the row: staff positions are worked out anew
    // for the row's key and tuning and cached in it.
    auto dan = std::make_unique<DanData>(in.dan);
    InvalidateStaffData(*dan);
    auto pass = std::make_unique<MeasurePass>();
    const int count = std::clamp<int>(dan->SyosetsuCnt > 0 ? dan->SyosetsuCnt : kMaxMeasures, 1, kMaxMeasures);
    for (int m = 0; m < count; ++m) RedrawDan(c, *pass, in.scene, *dan, l, m, style, bc);
    PutTAB(c, in.scene, in.items, bc);
    p.restore();
}

QImage RowPicture(const RowPaintInput& in, double scale) {
    const QSize size = in.ground.isNull() ? QSize(1100, 280) : in.ground.image.size();
    QImage pic(int(std::ceil(size.width() * scale)), int(std::ceil(size.height() * scale)), QImage::Format_RGB32);
    pic.fill(Qt::white);
    QPainter p(&pic);
    PaintRow(p, in, scale);
    return pic;
}

}  // namespace lw
