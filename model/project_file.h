// The .tbp project file: one line per row, "NN:" and the row's path.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace lw {

// No project comes near this size; a larger file (or a device that never
// ends) is refused unread.
constexpr size_t kMaxProjectFileBytes = 1u << 20;

// The text without trailing CR, LF, blanks and tabs.
std::string TrimLineEnd(std::string s);

// Splits raw bytes at LF, dropping the CR of CR LF. A final line without a
// line end counts; the empty text after a final line end does not.
std::vector<std::string> SplitRawLines(const std::string& bytes);

// The lines of a project file's bytes, decoded to UTF-8.
std::vector<std::string> ProjectLinesOf(const std::string& bytes);

// Reads a project file into lines (CR LF or LF), decoded to UTF-8. Only a
// regular file of at most kMaxProjectFileBytes is read.
bool ReadProjectLines(const std::string& path, std::vector<std::string>& lines, std::string* error);

// The path of a project line made absolute with the project folder.
std::string ProjectLinePath(const std::string& line, const std::string& projectFolder);

// True when a line names a row (a hand-edited file may hold blank lines).
bool ProjectLineNamesRow(const std::string& line);

}  // namespace lw
