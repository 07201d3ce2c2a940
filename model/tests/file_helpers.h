// Small file and text helpers shared by the row-file tests.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace lwtest {

inline std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline void WriteAll(const std::filesystem::path& p, std::string_view bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The CR LF lines of a file's text.
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    for (size_t start = 0; start < text.size();) {
        size_t e = text.find("\r\n", start);
        if (e == std::string::npos) e = text.size();
        out.push_back(text.substr(start, e - start));
        start = e + 2;
    }
    return out;
}

}  // namespace lwtest
