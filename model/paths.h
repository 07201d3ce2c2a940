// Paths stored in files may come from Windows: "C:\a\b.tab" or relative with
// backslashes.
#pragma once

#include <string>

namespace lw {

// Backslashes read as separators.
std::string NormalizeStoredPath(const std::string& p);
// Absolute when it starts with "/" or a drive letter followed by ":\" (or ":/").
bool IsAbsoluteStoredPath(const std::string& p);
// The characters after the last separator ("\" or "/"); the whole text when none.
std::string FileNameOf(const std::string& path);
// Folder part up to the last separator (no trailing separator); "" when none.
std::string FolderOf(const std::string& path);
std::string JoinPath(const std::string& folder, const std::string& name);
std::string CurrentFolder();

}  // namespace lw
