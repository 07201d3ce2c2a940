#include "paths.h"

#include <cctype>
#include <filesystem>

namespace lw {

std::string NormalizeStoredPath(const std::string& p) {
    std::string r = p;
    for (char& c : r)
        if (c == '\\') c = '/';
    return r;
}

bool IsAbsoluteStoredPath(const std::string& p) {
    if (!p.empty() && (p[0] == '/' || p[0] == '\\')) return true;
    return p.size() >= 3 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':' &&
           (p[2] == '\\' || p[2] == '/');
}

std::string FileNameOf(const std::string& path) {
    size_t k = path.find_last_of("\\/");
    return k == std::string::npos ? path : path.substr(k + 1);
}

std::string FolderOf(const std::string& path) {
    size_t k = path.find_last_of("\\/");
    return k == std::string::npos ? std::string() : path.substr(0, k);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

std::string CurrentFolder() {
    std::error_code ec;
    auto p = std::filesystem::current_path(ec);
    return ec ? std::string(".") : p.string();
}

}  // namespace lw
