#include "row_overlay.h"

#include <cmath>

#include "element_paint.h"
#include "stamps.h"

namespace lw {
namespace {
constexpr int kMarkerWidth = 240;
}  // namespace

void PaintRowOverlay(QPainter& p, const RowScene& scene, int tpp, const StampBook& book) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    if (scene.labAsisto.Visible && scene.labAsisto.BackStyle == 1) {
        const SceneLabel& a = scene.labAsisto;
        p.fillRect(PxRect(a.Left, a.Top, a.Width > 0 ? a.Width : kMarkerWidth, a.Height > 0 ? a.Height : scene.WindowHeight, tpp),
                   QColor(70, 130, 220, 60));
    }
    for (const SceneLabel& h : scene.labKugiri)
        if (h.Visible) p.fillRect(PxRect(h.Left, h.Top, h.Width, h.Height, tpp), QColor(90, 90, 90));
    if (scene.labFletEdit.Visible) {
        const SceneLabel& m = scene.labFletEdit;
        // A ring around the place, so the fret number typed there shows through.
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(200, 40, 40), 2));
        p.drawEllipse(PxRect(m.Left, m.Top, m.Width, m.Height, tpp).adjusted(-4, -4, 4, 4));
        p.setRenderHint(QPainter::Antialiasing, false);
    }
    if (scene.pic5Sen_Hosoku.Visible) {
        const ScenePicture& g = scene.pic5Sen_Hosoku;
        const QRectF r = PxRect(g.Left, g.Top, g.Width, g.Height, tpp);
        const QImage& img = book.Get(Stamp::pic5Sen_Hosoku);
        p.setCompositionMode(QPainter::CompositionMode_Darken);
        p.drawImage(QPointF(std::round(r.left() + (r.width() - img.width()) / 2.0), std::round(r.top() + (r.height() - img.height()) / 2.0)), img);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    p.setPen(QPen(QColor(150, 150, 150), 1, Qt::DotLine));
    for (const SceneLine* l : {&scene.lineBeemTate, &scene.lineBeemYoko}) {
        if (!l->Visible) continue;
        p.drawLine(QPointF(Px(l->X1, tpp), Px(l->Y1, tpp)), QPointF(Px(l->X2, tpp), Px(l->Y2, tpp)));
    }
    p.restore();
}

}  // namespace lw
