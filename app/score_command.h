// "lutewise --export-score OUT INPUT...": the rows (.tab) and projects (.tbp)
// opened as the editor opens them, composed as "楽譜作成(&G)" composes them,
// and written by OUT's extension: .bmp or .png (the score pictures), .pdf
// (the printed pages) or .svg (one drawing per score picture).
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace lw {

// args: everything after "--export-score"; "--notes" draws the notes on the
// staff (the view option "音符を描画する"). Run in a folder with
// "Lutewise.ini" and the ground pictures. When the rows fill more than one
// score picture, .bmp/.png/.svg write NAME-1.EXT, NAME-2.EXT, ... Every written
// file is printed on out; on failure the reason goes to err, nothing is left
// behind and the result is 1.
int RunExportScore(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace lw
