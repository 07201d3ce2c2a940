// What a row looks like, for the shell: the ground of a row's layout style,
// the room its row start takes, its picture on the screen (a cache of
// PaintRow: dropping it and painting again gives the same pixels), and the
// same row painted on any other device (printer, PDF, SVG) at any scale.
// The shell only says that a row changed; everything drawn follows from the
// row, its layout and the style.
#pragma once

#include <QImage>
#include <QPainter>
#include <string>

#include "row_paint.h"
#include "session.h"
#include "ui_port.h"

namespace lw {

struct RowDoc;

// The style a row is drawn in (layout style, "音符を描画する", instrument, key).
RowStyle RowStyleOfRow(const Session& s, const RowDoc& row, bool drawNote);

// The room the row start (clef, "TAB", key signature) takes before the
// first note of the row (DanLayout.RowStartInset).
void UpdateRowStart(Session& s, const RowDoc& row, bool drawNote);

// The ground of the row's layout style from `folder` (GroundError says why
// it is white when the file could not be read); the row window's size
// follows it.
void PrepareRowGround(Session& s, RowDoc& row, bool drawNote, const std::string& folder);

// The key signature of the row placed anew (and the room it takes).
void PlaceRowKeySignature(Session& s, RowDoc& row, bool drawNote);

// Paints the row anew into its screen picture (row.Picture).
void PaintRowPicture(const Session& s, RowDoc& row, bool drawNote);

// Paints the row on any painter, `scale` device units to a screen pixel.
bool PaintRowOn(QPainter& p, const Session& s, const RowDoc& row, bool drawNote, double scale);

// The place of a string and fret on the staff in the row's key and tuning,
// in half steps below the top line (4 = the middle line).
int StaffLineOf(const Session& s, RowDoc& row, bool drawNote, int string, int fret);

}  // namespace lw
