// "lutewise --import-musicxml IN.musicxml|IN.mxl OUT.tbp [--part N]
// [--measures-per-row M]": a MusicXML score made into rows and a project.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "musicxml_import.h"
#include "session.h"

namespace lw {

// args: everything after the command's option. Reads Lutewise.ini of the
// current folder, prints every file written on out and warnings on err.
// 0 on success; 1 when the score, the settings or a file fails (nothing is
// written then); 2 for a command line it cannot take.
int RunImportMusicXml(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// What the command and the File menu share: reads in, makes the rows for
// the instrument of `settings` (or the file's own tuning), writes them.
// written: the files, projects last. False with the reason.
bool ImportMusicXmlFiles(const std::string& in, const std::string& outTbp, const Session& settings,
                         const ImportOptions& opt, ImportedPiece& piece, std::vector<std::string>& written,
                         std::string* error);

}  // namespace lw
