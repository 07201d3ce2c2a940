#include "row_pictures.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "shell.h"
#include "stamps.h"

namespace lw {
namespace {

int Tpp(const Session& s) { return s.TwipsPerPixelX > 0 ? s.TwipsPerPixelX : 15; }

}  // namespace

RowStyle RowStyleOfRow(const Session& s, const RowDoc& row, bool drawNote) { return RowStyleOf(s, row.Slot(), drawNote); }

void UpdateRowStart(Session& s, const RowDoc& row, bool drawNote) {
    const int slot = row.Slot();
    DanLayoutData& l = s.DanLayout[slot];
    l.RowStartInset = RowStartInsetOf(l, RowStyleOf(s, slot, drawNote));
}

void PrepareRowGround(Session& s, RowDoc& row, bool drawNote, const std::string& folder) {
    UpdateRowStart(s, row, drawNote);
    const int slot = row.Slot();
    PrepareGround(row.Render, folder, RowStyleOf(s, slot, drawNote), s.DanLayout[slot], &row.GroundError);
    // The picture takes the ground's size at once (the window is sized from
    // it); it is painted whole with the row.
    row.Picture = row.Render.ground.image.copy();
    // The cross-hair and the note columns span the whole picture.
    row.Scene.WindowWidth = row.Render.ground.width() * Tpp(s);
    row.Scene.WindowHeight = row.Render.ground.height() * Tpp(s);
}

void PlaceRowKeySignature(Session& s, RowDoc& row, bool drawNote) {
    PutKeySignature(row.Scene, s, row.Slot(), drawNote);
    UpdateRowStart(s, row, drawNote);
}

void PaintRowPicture(const Session& s, RowDoc& row, bool drawNote) {
    if (row.Closing || row.Render.ground.isNull()) return;
    const int slot = row.Slot();
    const RowStyle style = RowStyleOf(s, slot, drawNote);
    const RowPaintInput in{row.Scene, row.Items, s.DanBuf[slot], s.DanLayout[slot], style, row.Render.ground};
    if (row.Picture.size() != row.Render.ground.image.size() || row.Picture.format() != QImage::Format_RGB32)
        row.Picture = QImage(row.Render.ground.image.size(), QImage::Format_RGB32);
    QPainter p(&row.Picture);
    PaintRow(p, in, 1);
}

bool PaintRowOn(QPainter& p, const Session& s, const RowDoc& row, bool drawNote, double scale) {
    if (row.Render.ground.isNull()) return false;
    const int slot = row.Slot();
    const RowStyle style = RowStyleOf(s, slot, drawNote);
    const RowPaintInput in{row.Scene, row.Items, s.DanBuf[slot], s.DanLayout[slot], style, row.Render.ground};
    PaintRow(p, in, scale);
    return true;
}

int StaffLineOf(const Session& s, RowDoc& row, bool drawNote, int string, int fret) {
    if (string < 1 || string > 6) return 0;
    const int slot = row.Slot();
    const RowStyle style = RowStyleOf(s, slot, drawNote);
    RowRenderState& st = row.Render;
    // The staff table of the row's key; the row's own notes stay untouched.
    auto scratch = std::make_unique<DanData>();
    st.staff.Ensure(style.keyName, style.bassClef, *scratch);
    OpenStringValues(style.gakkiCode, style.tuning, st.open);
    // A scratch position and memory: asking must not change the row.
    OnpuData pos{};
    AccidentalMemory memory;
    const StaffNote n = StaffPosition(st.staff, memory, s.DanLayout[slot], pos, string, fret, st.open);
    return 2 * n.line + (n.half ? 0 : 1);
}

}  // namespace lw
