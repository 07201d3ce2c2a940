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
    return PutRhythm(picTAB, st, ed.Scene(), ed.Items(), s.DanBuf[slot], l, style, "all", 0, ui);
}

}  // namespace lw
