// The row picture as a function of the row: the ground's lines, the row
// start, the notes and rhythm of every measure, then the row window's
// elements in their fixed order (fret numbers, rests, chord names, free
// texts, repeat marks, bar lines), drawn onto any painter: the screen
// picture, a finer picture, a printer, a PDF page, an SVG drawing.
//
// Painting reads the row and its scene and changes neither; everything it
// works out lives in the call. So painting twice, or after any command,
// gives the picture a fresh open of the same row gives.
#pragma once

#include <QImage>
#include <QPainter>

#include "row_drawing.h"

namespace lw {

struct RowPaintInput {
    const RowScene& scene;
    const RowItems& items;
    const DanData& dan;
    const DanLayoutData& layout;
    const RowStyle& style;
    const RowGround& ground;
};

// Paints the row with the painter's origin at the row's top-left, `scale`
// device units to a screen pixel of the row (lines, letters, beams and
// margins all scale with it).
void PaintRow(QPainter& p, const RowPaintInput& in, double scale = 1);

// The row's picture at `scale` times the screen size of its ground, on white.
QImage RowPicture(const RowPaintInput& in, double scale = 1);

// Where the row's lines end: the right end of its last measure (pixels),
// when a bar line moved in ends the row before the ground's lines do;
// otherwise the ground's full width.
double RowLinesEnd(const DanData& dan, const DanLayoutData& l, int tpp, int groundWidth);

}  // namespace lw
