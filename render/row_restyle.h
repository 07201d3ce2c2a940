// A row window following a new layout style or the view option
// "音符を描画する" at once: the ground of the new style, the row laid out
// again, its bar lines, chord names and key signature placed anew.
#pragma once

#include <QImage>
#include <string>

#include "row_drawing.h"
#include "row_editor.h"

namespace lw {

// Call for every open row after the settings of the new style were read
// (geometry of "POSITION" + PosRhythm) and EditorGlobals::DrawNote was set;
// the row's slot must be the active one (s.CurDanIx). `folder` holds the
// ground pictures; a missing ground file leaves a white ground, its reason
// in groundError and the result false. The row is then painted anew.
bool RestyleRow(RowRenderState& st, RowEditor& ed, Session& s, bool drawNote, const std::string& folder,
                std::string* groundError = nullptr);

}  // namespace lw
