#include "row_restyle.h"

namespace lw {

bool RestyleRow(RowRenderState& st, RowEditor& ed, Session& s, bool drawNote, const std::string& folder,
                std::string* groundError) {
    const int slot = ed.Slot();
    const RowStyle style = RowStyleOf(s, slot, drawNote);
    const DanLayoutData& l = s.DanLayout[slot];
    const bool ok = PrepareGround(st, folder, style, l, groundError);
    ed.UnLoadRepten();
    ed.LoadKugiri();
    ed.ReLayoutTAB("all");
    ed.LoadChord();
    PutKeySignature(ed.Scene(), s, slot, drawNote);
    return ok;
}

}  // namespace lw
