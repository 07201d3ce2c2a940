#include "icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace lw {

QIcon ToolIcon(const QString& key) {
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QPen ink(QColor(40, 40, 40), 1.4);
    p.setPen(ink);
    if (key == "New" || key == "Copy") {
        auto page = [&](QPointF o) {
            QPainterPath path;
            path.moveTo(o + QPointF(0, 0));
            path.lineTo(o + QPointF(9, 0));
            path.lineTo(o + QPointF(13, 4));
            path.lineTo(o + QPointF(13, 17));
            path.lineTo(o + QPointF(0, 17));
            path.closeSubpath();
            p.setBrush(Qt::white);
            p.drawPath(path);
            p.drawLine(o + QPointF(9, 0), o + QPointF(9, 4));
            p.drawLine(o + QPointF(9, 4), o + QPointF(13, 4));
        };
        if (key == "Copy") {
            page(QPointF(3, 2));
            page(QPointF(8, 5));
        } else {
            page(QPointF(5, 3));
            p.setPen(QPen(QColor(230, 160, 0), 2));
            p.drawLine(QPointF(17, 15), QPointF(17, 21));
            p.drawLine(QPointF(14, 18), QPointF(20, 18));
        }
    } else if (key == "Open") {
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(3, 7, 17, 12));
        p.setBrush(QColor(250, 220, 120));
        QPolygonF flap;
        flap << QPointF(6, 10) << QPointF(22, 10) << QPointF(19, 19) << QPointF(3, 19);
        p.drawPolygon(flap);
        p.drawLine(QPointF(3, 7), QPointF(8, 5));
        p.drawLine(QPointF(8, 5), QPointF(11, 7));
    } else if (key == "Save") {
        p.setBrush(QColor(70, 100, 170));
        p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7, 3, 10, 7));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(7, 13, 10, 8));
    } else if (key == "Print") {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7, 3, 10, 7));
        p.setBrush(QColor(190, 190, 190));
        p.drawRoundedRect(QRectF(3, 9, 18, 8), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7, 14, 10, 7));
        p.drawLine(QPointF(9, 17), QPointF(15, 17));
    } else if (key == "Cut") {
        p.drawLine(QPointF(8, 3), QPointF(15, 15));
        p.drawLine(QPointF(16, 3), QPointF(9, 15));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(4, 14, 6, 6));
        p.drawEllipse(QRectF(14, 14, 6, 6));
    } else if (key == "Paste") {
        p.setBrush(QColor(200, 150, 90));
        p.drawRoundedRect(QRectF(3, 4, 14, 17), 1.5, 1.5);
        p.setBrush(QColor(120, 120, 120));
        p.drawRect(QRectF(7, 2, 6, 4));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(10, 9, 11, 13));
    } else if (key == "Bold" || key == "Italic" || key == "Underline") {
        QFont f("Liberation Serif");
        f.setPixelSize(17);
        f.setBold(key == "Bold");
        f.setItalic(key == "Italic");
        f.setUnderline(key == "Underline");
        p.setFont(f);
        p.drawText(QRectF(0, 0, 24, 24), Qt::AlignCenter, key == "Bold" ? "B" : key == "Italic" ? "I" : "U");
    } else if (key == "Left" || key == "Center" || key == "Right") {
        const double widths[4] = {16, 11, 16, 11};
        for (int i = 0; i < 4; ++i) {
            const double w = widths[i];
            const double x = key == "Left" ? 4 : key == "Right" ? 20 - w : 12 - w / 2;
            p.drawLine(QPointF(x, 6 + 4 * i), QPointF(x + w, 6 + 4 * i));
        }
    } else if (key == "Text") {
        QFont f("Liberation Serif");
        f.setPixelSize(18);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(0, 0, 24, 24), Qt::AlignCenter, "A");
    } else if (key == "Pointer") {
        QPolygonF arrow;
        arrow << QPointF(7, 3) << QPointF(7, 19) << QPointF(11, 15) << QPointF(14, 21) << QPointF(16, 20)
              << QPointF(13, 14) << QPointF(18, 14);
        p.setBrush(Qt::white);
        p.drawPolygon(arrow);
    } else if (key == "note") {
        p.setBrush(QColor(40, 40, 40));
        p.save();
        p.translate(9, 18);
        p.rotate(-20);
        p.drawEllipse(QRectF(-4, -3, 8, 6));
        p.restore();
        p.drawLine(QPointF(12.5, 17), QPointF(12.5, 3));
        p.drawLine(QPointF(12.5, 3), QPointF(18, 9));
    } else if (key == "Erase") {
        p.save();
        p.translate(12, 12);
        p.rotate(-40);
        p.setBrush(QColor(240, 150, 160));
        p.drawRect(QRectF(-9, -4, 10, 8));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1, -4, 8, 8));
        p.restore();
    } else if (key == "Gakufu") {
        // A sheet with staff lines and a note.
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 2, 16, 20));
        for (int i = 0; i < 3; ++i) p.drawLine(QPointF(6, 7 + 5 * i), QPointF(18, 7 + 5 * i));
        p.setBrush(QColor(40, 40, 40));
        p.drawEllipse(QRectF(8, 13, 5, 4));
        p.drawLine(QPointF(13, 15), QPointF(13, 5));
    } else if (key == "Key") {
        // A sharp: the key signature.
        p.setPen(QPen(QColor(40, 40, 40), 1.6));
        p.drawLine(QPointF(10, 3), QPointF(10, 21));
        p.drawLine(QPointF(15, 2), QPointF(15, 20));
        p.setPen(QPen(QColor(40, 40, 40), 3));
        p.drawLine(QPointF(6, 10), QPointF(19, 7));
        p.drawLine(QPointF(6, 17), QPointF(19, 14));
    } else if (key == "Kugiri") {
        for (int i = 0; i < 4; ++i) p.drawLine(QPointF(2, 6 + 4 * i), QPointF(22, 6 + 4 * i));
        p.setPen(QPen(QColor(20, 20, 20), 2.5));
        p.drawLine(QPointF(12, 4), QPointF(12, 20));
    }
    p.end();
    return QIcon(pm);
}

}  // namespace lw
