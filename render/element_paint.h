// How one element of a row looks, shared by the live row window (elements
// painted over picTAB) and by burning in (elements drawn into picTAB), so a
// row looks the same before and after it is burnt in.
//
// Ink is combined with the ground by taking the darker colour: white leaves
// the ground as it is, black prints, and drawing the same element twice gives
// the same pixels as drawing it once.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <string>

#include "row_scene.h"
#include "session.h"

namespace lw {

class StampBook;

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

// A stamp centred in a rectangle (pixels), ink only.
void DrawStampIn(QPainter& p, const StampBook& book, Stamp s, const QRectF& r);
// The same straight into a 32-bit picture, without a painter: the many
// small glyphs of a row are printed this way.
void DrawStampInto(QImage& dest, const StampBook& book, Stamp s, const QRectF& r);
// Prints an opaque picture at `at`: per channel the darker of both.
void InkInto(QImage& dest, const QImage& src, QPoint at);
// A black horizontal line one pixel high from x1 up to (not including) x2.
void HLineInto(QImage& dest, int x1, int x2, int y);
// The same, with the source area of the element's picture stretched onto r.
void StretchStampIn(QPainter& p, const StampBook& book, Stamp s, const QRectF& r, const QRectF& sourcePx);

// A fret number: its text starts a quarter of the label's width in when it
// is below 10, at the label's left otherwise, at the label's top. The string
// line is cleared behind the digits.
void DrawFretNumber(QPainter& p, const SceneLabel& l, const QFont& font, int tpp);

// A text with its top-left at (x, y) pixels, ink only.
void DrawTextAt(QPainter& p, const QString& text, const QFont& font, QPointF topLeft);

// Repeat dots: the element stands 20 twips above its reference line and its
// Tag gives the two dot centres in half line intervals from that line.
void DrawRepeatDots(QPainter& p, const StampBook& book, const ScenePicture& e, int tpp);

// A bar-line segment with the element's width, square ends.
void DrawBarLine(QPainter& p, const SceneLine& l, int tpp);

// The stamp of a repeat-mark code ("0".."8"); Stamp::None for another tag.
Stamp RepMarkStamp(const std::string& tag);

}  // namespace lw
