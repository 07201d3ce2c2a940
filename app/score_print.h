// Printing the score: pages of as many rows as one score picture holds,
// every row drawn anew at the printer's resolution (glyphs and texts
// rendered at that size, not an enlarged screen picture).
#pragma once

#include <QByteArray>
#include <QPainter>
#include <QRectF>
#include <functional>
#include <string>

namespace lw {

class Shell;

// Paints the score of the open rows page by page into `area` (device
// pixels); newPage starts the next page. False when there are no rows.
bool PaintScorePages(Shell& shell, QPainter& p, const QRectF& area, const std::function<bool()>& newPage);

// The score as PDF pages (A4, portrait).
bool PrintScoreToPdf(Shell& shell, QByteArray& pdf, std::string* error);

}  // namespace lw
