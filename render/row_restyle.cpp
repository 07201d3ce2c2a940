#include "row_restyle.h"

namespace lw {

bool RestyleRow(QImage& picTAB, RowRenderState& st, RowEditor& ed, Session& s, bool drawNote,
                const std::string& folder, UiPort* ui, std::string* groundError) {
    const int slot = ed.Slot();
    const RowStyle style = RowStyleOf(s, slot, drawNote);
    const DanLayoutData& l = s.DanLayout[slot];
    PrepareGround(st, folder, style, l, groundError);
    ed.UnLoadRepten();
    ed.LoadKugiri();
    ed.ReLayoutTAB("all");
    ed.LoadChord();
    PutKeySignature(ed.Scene(), s, slot, drawNote);
    // Drawn from a copy: the row itself stays as its file holds it.
    DanData drawn = s.DanBuf[slot];
    InvalidateStaffData(drawn);
    return PutRhythm(picTAB, st, ed.Scene(), ed.Items(), drawn, l, style, "all", 0, ui);
}

}  // namespace lw
