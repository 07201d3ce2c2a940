// The files of an imported piece: rows OUT-01.tab, OUT-02.tab, ... and the
// project OUT.tbp naming them; a piece of more than ten rows becomes the
// projects OUT-1.tbp, OUT-2.tbp, ... with rows OUT-1-01.tab, .... They are
// written together or not at all.
#pragma once

#include <string>
#include <vector>

#include "musicxml_import.h"
#include "session.h"

namespace lw {

struct ImportFile {
    std::string path;
    std::string bytes;
    bool project = false;
};

// Rows are serialised as the editor saves them (settings gives the row
// geometry and the version text). outTbp must end in ".tbp".
bool ImportFiles(const ImportedPiece& piece, const Session& settings, const std::string& outTbp,
                 std::vector<ImportFile>& files, std::string* error);

// Writes every file, or none: refuses a target that is one of the inputs,
// is no regular file, or holds something other than a row or a project.
bool WriteImportFiles(const std::vector<ImportFile>& files, const std::vector<std::string>& inputs,
                      std::string* error);

}  // namespace lw
