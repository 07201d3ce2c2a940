// How one element of a row looks, on every device the row is painted on.
//
// Ink is combined with the ground by taking the darker colour: white leaves
// the ground as it is, black prints, and drawing the same element twice gives
// the same pixels as drawing it once.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <QRectF>
#include <string>

#include "row_scene.h"
#include "session.h"
#include "stamps.h"

namespace lw {

// Character (em) height in pixels of a point size: the size rounded to an
// integer, times the vertical logical dpi, over 72.
int EmHeightPx(double points, double dpiY = 96);

// A bold font of a stored face name ("Times New Roman", "ＭＳ Ｐ明朝", ...) at
// a point size; the face goes through the installed substitutions.
QFont RowFont(const std::string& face, double points);

inline double Px(double twips, int tpp) { return twips / (tpp > 0 ? tpp : 15); }
inline QRectF PxRect(double left, double top, double width, double height, int tpp) {
    return QRectF(Px(left, tpp), Px(top, tpp), Px(width, tpp), Px(height, tpp));
}

// Where a row is painted. Coordinates are the row's screen pixels (twips /
// twips per pixel); the painter's transform maps them onto its device: the
// screen picture, a finer picture, a printer, a PDF page or an SVG drawing.
// Painted 1:1 into a 32-bit picture, stamps and texts are copied as the
// pixels their outlines render to (the same pixels, many times faster);
// on every other device they stay outlines and text.
struct Canvas {
    explicit Canvas(QPainter& painter);
    QPainter& p;
    QImage* raster = nullptr;   // the picture itself when painting 1:1 into it
};

// A stamp picture (or its outlines) with its top-left at `at` (pixels,
// rounded to whole pixels), ink only.
void InkStamp(Canvas& c, const QImage& img, const StampShape& shape, QPointF at);
void InkStamp(Canvas& c, const StampBook& book, Stamp s, QPointF at);
// A stamp centred in a rectangle (pixels), ink only.
void DrawStampIn(Canvas& c, const StampBook& book, Stamp s, const QRectF& r);
// The area of a stamp's picture given by sourcePx stretched onto r.
void StretchStampIn(Canvas& c, const StampBook& book, Stamp s, const QRectF& r, const QRectF& sourcePx);
// Black rectangles and polygons (stems, beams), lines of a given width.
void FillInk(Canvas& c, const QRectF& r);
void FillInkPolygon(Canvas& c, const QPolygonF& poly);
void InkLine(Canvas& c, QPointF a, QPointF b, double width);
// A horizontal line one pixel high from x1 up to (not including) x2.
void InkHLine(Canvas& c, int x1, int x2, int y);
// Prints an opaque picture at `at`: per channel the darker of both.
void InkInto(QImage& dest, const QImage& src, QPoint at);

// A fret number: its text starts a quarter of the label's width in when it
// is below 10, at the label's left otherwise, at the label's top. The string
// line is cleared behind the digits.
void DrawFretNumber(Canvas& c, const SceneLabel& l, const QFont& font, int tpp);

// A text with its top-left at (x, y) pixels, ink only.
void DrawTextAt(Canvas& c, const QString& text, const QFont& font, QPointF topLeft);

// Repeat dots: the element stands 20 twips above its reference line and its
// Tag gives the two dot centres in half line intervals from that line.
void DrawRepeatDots(Canvas& c, const StampBook& book, const ScenePicture& e, int tpp);

// A bar-line segment with the element's width, square ends.
void DrawBarLine(Canvas& c, const SceneLine& l, int tpp);

// The stamp of a repeat-mark code ("0".."8"); Stamp::None for another tag.
Stamp RepMarkStamp(const std::string& tag);

}  // namespace lw
