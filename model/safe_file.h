// Reading and writing files so that hostile names never block or destroy
// anything: inputs must be regular files of bounded size; an output is a
// temporary file in the same folder, synced, then renamed over the target, so
// an interrupted or failed write never destroys the previous version.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lw {

// Reads a regular file of at most maxBytes. Anything else (missing, a
// folder, a FIFO, a device) is refused before it is read, without ever
// blocking. False with the reason in the user's terms (no path).
bool ReadRegularFile(const std::string& path, size_t maxBytes, std::string& bytes, std::string& why);

// The file a path names once every symbolic link is followed; the path
// itself when it is no link. False (with why) for a link loop or chain
// too long to follow.
bool ResolveLinks(const std::string& path, std::string& target, std::string& why);

// Why path cannot be replaced by a new file, or "" when it can: a folder,
// a device, FIFO or socket, a read-only file, a missing or read-only folder.
// path is taken as given (resolve links first).
std::string WhyNotReplaceable(const std::string& path);

// A temporary name in path's folder, short enough that any legal name of
// the target works: ".lw<pid>-<n>.tmp".
std::string TemporaryBeside(const std::string& path);

// Replaces path by bytes; keeps the old file's permissions and replaces the
// file a link points to, keeping the link. Only a regular file (or nothing)
// is ever replaced. False with a description naming the path once when
// anything fails; the previous file then stays intact.
bool WriteFileReplacing(const std::string& path, std::string_view bytes, std::string* error = nullptr);

// Several files that appear together or not at all: each is checked and
// written to a temporary file beside its target first; Commit renames them
// over their targets and, when one rename fails, puts back every file it had
// replaced. Temporaries that were never committed are removed with the object.
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
        std::string path, target, tmp;
    };
    std::vector<Entry> staged_;
};

// The same for files at hand: every target is checked before anything is
// written; when anything fails every existing file is as it was and no
// temporary is left.
struct PendingFile {
    std::string path;
    std::string bytes;
};
bool WriteFilesReplacing(const std::vector<PendingFile>& files, std::string* error = nullptr);

// Moves a finished temporary over path (resolving links as above), with the
// old file's permissions. Removes the temporary when it fails.
bool PutFileInPlace(const std::string& temporary, const std::string& path, std::string* error = nullptr);

// Temporaries that a signal ending the program (SIGINT, SIGTERM, SIGHUP,
// SIGQUIT, SIGPIPE, SIGXFSZ, ...) removes; a folder entry is removed after
// the files. At most 16.
void RegisterTemporary(const std::string& path, bool folder = false);
void UnregisterTemporary(const std::string& path);
// Installs the signal handlers once.
void RemoveTemporariesOnSignals();

}  // namespace lw
