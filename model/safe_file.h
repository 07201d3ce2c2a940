// Writing a file so that an interrupted or failed write never destroys the
// previous version: a temporary file in the same folder, synced, then renamed
// over the target.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lw {

// Replaces path by bytes; keeps the old file's permissions and replaces the
// file a link points to. False with a description when anything fails; the
// previous file then stays intact.
bool WriteFileReplacing(const std::string& path, std::string_view bytes, std::string* error = nullptr);

// Several files that appear together or not at all: each is written to a
// temporary file beside its target first; Commit renames them over their
// targets and, when one rename fails, puts back every file it had replaced.
// Temporaries that were never committed are removed with the object.
class StagedFiles {
public:
    StagedFiles() = default;
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;
    ~StagedFiles();
    bool Stage(const std::string& path, std::string_view bytes, std::string* error = nullptr);
    bool Commit(std::string* error = nullptr);

private:
    struct Entry {
        std::string target, tmp;
    };
    std::vector<Entry> staged_;
};

}  // namespace lw
