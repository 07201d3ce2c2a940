#include "project_file.h"

#include "paths.h"
#include "safe_file.h"
#include "text_codec.h"

namespace lw {

std::string TrimLineEnd(std::string s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ' || s.back() == '\t'))
        s.pop_back();
    return s;
}

std::vector<std::string> SplitRawLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t nl = bytes.find('\n', start);
        std::string line = bytes.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    return lines;
}

std::vector<std::string> ProjectLinesOf(const std::string& bytes) {
    std::vector<std::string> lines;
    for (auto& raw : SplitRawLines(bytes)) lines.push_back(DecodeFileText(raw));
    return lines;
}

bool ReadProjectLines(const std::string& path, std::vector<std::string>& lines, std::string* error) {
    std::string bytes, why;
    if (!ReadRegularFile(path, kMaxProjectFileBytes, bytes, why)) {
        if (error) *error = why;
        return false;
    }
    lines = ProjectLinesOf(bytes);
    return true;
}

std::string ProjectLinePath(const std::string& line, const std::string& projectFolder) {
    std::string rest = TrimLineEnd(line.size() > 3 ? line.substr(3) : std::string());
    if (IsAbsoluteStoredPath(rest)) return NormalizeStoredPath(rest);
    return JoinPath(projectFolder, NormalizeStoredPath(rest));
}

bool ProjectLineNamesRow(const std::string& line) { return TrimLineEnd(line).size() > 3; }

}  // namespace lw
