#include "element_paint.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <tuple>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "stamps.h"

namespace lw {
namespace {

// Chord names and free texts are printed again on every redraw, so each
// text is drawn once per font into a small opaque picture and copied from
// then on. Texts are bold in every row font.
struct TextImage {
    QImage ink;     // black text on white, RGB32
    double left;    // pixels from the picture's left to the text's origin
};

const TextImage& CachedText(const QString& text, const QFont& font) {
    static std::map<std::tuple<QString, int, QString>, TextImage> cache;
    const auto key = std::make_tuple(font.family(), font.pixelSize(), text);
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    QFontMetricsF m(font);
    const int w = int(std::ceil(m.horizontalAdvance(text))) + 2;
    const int h = int(std::ceil(m.height()));
    QImage img(std::max(1, w), std::max(1, h), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QPointF(1, m.ascent()), text);
    p.end();
    return cache.emplace(key, TextImage{std::move(img), 1}).first->second;
}

// A fret number as it is printed: the digits on a white band as tall as
// the digits and a pixel and a half above and below, which interrupts the
// string line. Opaque, so it is copied as it is: a full row of a thousand
// numbers repaints in a fraction of a millisecond.
struct FretImage {
    QImage band;
    double top;     // from the text's top to the band's top, pixels
    double left;    // from the picture's left to the text's origin
};

const FretImage& CachedFret(const std::string& caption, const QFont& font) {
    static std::map<std::tuple<std::string, int, QString>, FretImage> cache;
    const auto key = std::make_tuple(caption, font.pixelSize(), font.family());
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    QFontMetricsF m(font);
    const QString t = QString::fromStdString(caption);
    const int w = int(std::ceil(m.horizontalAdvance(t))) + 2;
    const int top = int(std::round(m.ascent() - m.capHeight() - 1.5));
    const int h = int(std::ceil(m.capHeight() + 3));
    QImage img(std::max(1, w), std::max(1, h), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QPointF(1, m.ascent() - top), t);
    p.end();
    return cache.emplace(key, FretImage{std::move(img), double(top), 1}).first->second;
}

void Ink(QPainter& p, QPointF at, const QImage& img) {
    const auto mode = p.compositionMode();
    p.setCompositionMode(QPainter::CompositionMode_Darken);
    p.drawImage(at, img);
    p.setCompositionMode(mode);
}

QPointF Rounded(QPointF at) { return QPointF(std::round(at.x()), std::round(at.y())); }

}  // namespace

Canvas::Canvas(QPainter& painter) : p(painter) {
    // Straight pixel copies only where they give what the painter would:
    // a 32-bit picture, painted 1:1 without clipping.
    if (p.device() && p.device()->devType() == QInternal::Image && p.transform().isIdentity() && !p.hasClipping()) {
        auto* img = static_cast<QImage*>(p.device());
        if (img->format() == QImage::Format_RGB32 || img->format() == QImage::Format_ARGB32_Premultiplied ||
            img->format() == QImage::Format_ARGB32)
            raster = img;
    }
}

int EmHeightPx(double points, double dpiY) {
    const long pt = RoundHalfEven(points);
    return std::max(1, int(std::lround(pt * dpiY / 72.0)));
}

QFont RowFont(const std::string& face, double points) {
    // The installed face itself, so that a PDF or SVG names the font its
    // text was set in.
    QFont f(QFont::substitute(QString::fromStdString(face)));
    if (face == "Times New Roman") f.setStyleHint(QFont::Serif, QFont::PreferQuality);
    f.setBold(true);
    f.setPixelSize(EmHeightPx(points));
    return f;
}

void InkStamp(Canvas& c, const QImage& img, const StampShape& shape, QPointF at) {
    const QPointF r = Rounded(at);
    if (c.raster) {
        InkInto(*c.raster, img, r.toPoint());
        return;
    }
    QPainter& p = c.p;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.translate(r);
    for (const QPainterPath& path : shape.fills) p.fillPath(path, Qt::black);
    p.restore();
}

void InkStamp(Canvas& c, const StampBook& book, Stamp s, QPointF at) {
    if (s == Stamp::None) return;
    InkStamp(c, book.Get(s), book.Shape(s), at);
}

void DrawStampIn(Canvas& c, const StampBook& book, Stamp s, const QRectF& r) {
    if (s == Stamp::None) return;
    const QImage& img = book.Get(s);
    if (img.isNull()) return;
    const double w = r.width() > 0 ? r.width() : img.width();
    const double h = r.height() > 0 ? r.height() : img.height();
    InkStamp(c, img, book.Shape(s), QPointF(r.left() + (w - img.width()) / 2.0, r.top() + (h - img.height()) / 2.0));
}

void InkInto(QImage& dest, const QImage& src, QPoint at) {
    if (dest.depth() != 32 || src.depth() != 32) {
        QPainter p(&dest);
        Ink(p, at, src);
        return;
    }
    const int x0 = std::max(0, at.x()), y0 = std::max(0, at.y());
    const int x1 = std::min(dest.width(), at.x() + src.width()), y1 = std::min(dest.height(), at.y() + src.height());
    if (x1 <= x0 || y1 <= y0) return;
    const size_t bytes = size_t(x1 - x0) * 4;
    uchar* const dbits = dest.bits();
    const uchar* const sbits = src.constBits();
    const qsizetype dstride = dest.bytesPerLine(), sstride = src.bytesPerLine();
    for (int y = y0; y < y1; ++y) {
        uchar* d = dbits + y * dstride + size_t(x0) * 4;
        const uchar* s = sbits + (y - at.y()) * sstride + size_t(x0 - at.x()) * 4;
        size_t i = 0;
#ifdef __SSE2__
        for (; i + 16 <= bytes; i += 16) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_min_epu8(a, b));
        }
#endif
        for (; i < bytes; ++i) d[i] = std::min(d[i], s[i]);
    }
}

void InkHLine(Canvas& c, int x1, int x2, int y) {
    if (x2 <= x1) return;
    if (c.raster) {
        QImage& dest = *c.raster;
        if (y < 0 || y >= dest.height()) return;
        x1 = std::max(0, x1);
        x2 = std::min(dest.width(), x2);
        QRgb* line = reinterpret_cast<QRgb*>(dest.scanLine(y));
        for (int x = x1; x < x2; ++x) line[x] = qRgb(0, 0, 0);
        return;
    }
    InkLine(c, QPointF(x1, y + 0.5), QPointF(x2, y + 0.5), 1);
}

void FillInk(Canvas& c, const QRectF& r) {
    if (r.width() <= 0 || r.height() <= 0) return;
    c.p.fillRect(r, Qt::black);
}

void FillInkPolygon(Canvas& c, const QPolygonF& poly) {
    QPainter& p = c.p;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPolygon(poly);
    p.restore();
}

void InkLine(Canvas& c, QPointF a, QPointF b, double width) {
    QPainter& p = c.p;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, width, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(a, b);
    if (!c.raster) {
        // A hairline along it keeps the line visible however small the
        // device shows it (a print preview zoomed out); at full size it lies
        // inside the line.
        QPen hair(Qt::black, 0, Qt::SolidLine, Qt::FlatCap);
        hair.setCosmetic(true);
        p.setPen(hair);
        p.drawLine(a, b);
    }
    p.restore();
}

void StretchStampIn(Canvas& c, const StampBook& book, Stamp s, const QRectF& r, const QRectF& source) {
    if (s == Stamp::None || r.width() <= 0 || r.height() <= 0) return;
    const QImage& img = book.Get(s);
    if (img.isNull()) return;
    const QRectF src = source.intersected(QRectF(0, 0, img.width(), img.height()));
    if (src.isEmpty()) return;
    const QRectF dst(std::round(r.left()), std::round(r.top()), std::max(1.0, std::round(r.width())),
                     std::max(1.0, std::round(r.height())));
    QPainter& p = c.p;
    if (c.raster) {
        const auto mode = p.compositionMode();
        p.setCompositionMode(QPainter::CompositionMode_Darken);
        p.drawImage(dst, img, src);
        p.setCompositionMode(mode);
        return;
    }
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setClipRect(dst, Qt::IntersectClip);
    p.translate(dst.topLeft());
    p.scale(dst.width() / src.width(), dst.height() / src.height());
    p.translate(-src.topLeft());
    for (const QPainterPath& path : book.Shape(s).fills) p.fillPath(path, Qt::black);
    p.restore();
}

void DrawFretNumber(Canvas& c, const SceneLabel& l, const QFont& font, int tpp) {
    const FretImage& fi = CachedFret(l.Caption, font);
    const bool oneDigit = std::atoi(l.Caption.c_str()) < 10;
    const double x = std::round(Px(l.Left + (oneDigit ? l.Width / 4.0 : 0), tpp) - fi.left);
    const double y = std::round(Px(l.Top, tpp) + fi.top);
    if (c.raster) {
        c.p.drawImage(QPointF(x, y), fi.band);
        return;
    }
    // The white band, then the digits as text.
    QPainter& p = c.p;
    p.fillRect(QRectF(x, y, fi.band.width(), fi.band.height()), Qt::white);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QPointF(x + 1, y + QFontMetricsF(font).ascent() - fi.top), QString::fromStdString(l.Caption));
}

void DrawTextAt(Canvas& c, const QString& text, const QFont& font, QPointF topLeft) {
    if (text.isEmpty()) return;
    // Only what falls on the picture is drawn: a text beyond its edge is
    // skipped, a long one is cut where it leaves the picture.
    QPainter& p = c.p;
    QString shown = text;
    if (const QPaintDevice* d = p.device()) {
        const QRectF area = p.transform().inverted().mapRect(QRectF(0, 0, d->width(), d->height()));
        const QFontMetricsF m(font);
        if (topLeft.x() >= area.right() || topLeft.y() >= area.bottom() || topLeft.y() + m.height() <= area.top()) return;
        const double room = area.right() - topLeft.x() + m.maxWidth();
        int lo = 0, hi = int(shown.size());
        while (lo < hi) {  // the longest start that still reaches the edge
            const int mid = (lo + hi + 1) / 2;
            if (m.horizontalAdvance(shown.left(mid)) <= room) lo = mid;
            else hi = mid - 1;
        }
        if (lo < shown.size()) shown.truncate(lo + 1);
    }
    const TextImage& ti = CachedText(shown, font);
    const QPointF at(std::round(topLeft.x() - ti.left), std::round(topLeft.y()));
    if (c.raster) {
        Ink(p, at, ti.ink);
        return;
    }
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(at + QPointF(1, QFontMetricsF(font).ascent()), shown);
}

void DrawRepeatDots(Canvas& c, const StampBook& book, const ScenePicture& e, int tpp) {
    const size_t comma = e.Tag.find(',');
    const double interval = (e.Height - 40) / 2;
    if (comma == std::string::npos || interval <= 0) {
        DrawStampIn(c, book, e.Image, PxRect(e.Left, e.Top, e.Width, e.Height, tpp));
        return;
    }
    const double halves[2] = {std::atof(e.Tag.c_str()), std::atof(e.Tag.c_str() + comma + 1)};
    const double ipx = Px(interval, tpp);
    const double d = std::clamp(ipx * 0.45, 3.0, 7.0);
    const int size = int(std::ceil(d)) + 2;
    StampShape shape;
    QPainterPath dotPath;
    dotPath.addEllipse(QPointF(size / 2.0, size / 2.0), d / 2, d / 2);
    shape.fills.push_back(dotPath);
    // One opaque picture of the dot, so that printing it twice changes nothing.
    QImage dot;
    if (c.raster) {
        dot = QImage(size, size, QImage::Format_RGB32);
        dot.fill(Qt::white);
        QPainter q(&dot);
        q.setRenderHint(QPainter::Antialiasing, true);
        q.fillPath(dotPath, Qt::black);
    }
    const double cx = Px(e.Left + e.Width / 2, tpp);
    for (double h : halves) {
        const double cy = Px(e.Top + 20, tpp) + h * ipx / 2;
        InkStamp(c, dot, shape, QPointF(cx - size / 2.0, cy - size / 2.0));
    }
}

void DrawBarLine(Canvas& c, const SceneLine& l, int tpp) {
    InkLine(c, QPointF(Px(l.X1, tpp), Px(l.Y1, tpp)), QPointF(Px(l.X2, tpp), Px(l.Y2, tpp)), std::max(1, l.BorderWidth));
}

Stamp RepMarkStamp(const std::string& tag) {
    static const Stamp byCode[] = {Stamp::picSenyo, Stamp::picToCoda, Stamp::picCoda,
                                   Stamp::picDS,    Stamp::picDC,     Stamp::picRep1,
                                   Stamp::picRep2,  Stamp::picRepEnd, Stamp::picSwing};
    char* end = nullptr;
    const long code = std::strtol(tag.c_str(), &end, 10);
    if (tag.empty() || end == tag.c_str() || code < 0 || code > 8) return Stamp::None;
    return byCode[code];
}

}  // namespace lw
