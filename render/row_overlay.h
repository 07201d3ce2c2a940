// The editing markers of a row window, painted by the window above the row
// picture and never into it: the column highlight, the ring round the
// string being typed on, the ledger-line guide, the cross-hair and the
// bar-line handles.
#pragma once

#include <QPainter>

#include "row_scene.h"

namespace lw {

class StampBook;

// Positions are twips; twipsPerPixel converts them to window pixels.
void PaintRowOverlay(QPainter& p, const RowScene& scene, int twipsPerPixel, const StampBook& book);

}  // namespace lw
