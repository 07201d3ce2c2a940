#include "output_guard.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "paths.h"
#include "safe_file.h"

namespace lw {
namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

NameCheck Refuse(int code, const std::string& message) { return NameCheck{code, message}; }

// What a file of the working folder is when its name says so, or "".
std::string KindByName(const std::string& path) {
    const std::string name = Lower(FileNameOf(path));
    if (name == "lutewise.ini") return "設定ファイル";
    if (name == "interface.tab") return "演奏用の受け渡しファイル";
    if (name == "tabn1.bmp" || name == "tabn2.bmp" || name == "tabn3.bmp") return "段の下地の絵";
    const std::string ext = LowerExtension(path);
    if (ext == ".tab") return "TAB譜ファイル";
    if (ext == ".tbp") return "プロジェクトファイル";
    if (ext == ".ini") return "設定ファイル";
    return {};
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return false;
}

}  // namespace

std::string LowerExtension(const std::string& path) {
    const std::string name = FileNameOf(path);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : Lower(name.substr(dot));
}

NameCheck CheckOutputName(const std::string& path, const std::vector<std::string>& extensions,
                          const std::vector<std::string>& inputs) {
    const std::string quoted = "「" + path + "」";
    if (path.empty()) return Refuse(2, "書き出すファイルの名前がありません。");
    const std::string ext = LowerExtension(path);
    if (std::find(extensions.begin(), extensions.end(), ext) == extensions.end()) {
        std::string list;
        for (const std::string& e : extensions) list += (list.empty() ? "" : ", ") + e;
        return Refuse(2, quoted + "には書き出せません: 書き出すファイルの拡張子は " + list + " です。");
    }
    std::string target, why;
    if (!ResolveLinks(path, target, why)) return Refuse(1, quoted + "に書き出せません: " + why);
    for (const std::string& in : inputs)
        if (SameFile(target, in) || target == in)
            return Refuse(2, quoted + "は入力ファイルです。書き出し先には別のファイルを指定してください。");
    // A command never replaces a file of the working folder of another kind.
    for (const std::string& name : {path, target}) {
        const std::string kind = KindByName(name);
        if (!kind.empty() && std::find(extensions.begin(), extensions.end(), LowerExtension(name)) == extensions.end())
            return Refuse(2, quoted + "は" + kind + "です。書き出し先には別のファイルを指定してください。");
        if (kind == "設定ファイル" || kind == "段の下地の絵" || kind == "演奏用の受け渡しファイル")
            return Refuse(2, quoted + "は" + kind + "です。書き出し先には別のファイルを指定してください。");
    }
    why = WhyNotReplaceable(target);
    if (!why.empty()) return Refuse(1, quoted + "に書き出せません: " + why);
    return {};
}

NameCheck CheckInputName(const std::string& path) {
    const std::string ext = LowerExtension(path);
    if (ext != ".tab" && ext != ".tbp")
        return Refuse(2, "「" + path + "」は TAB譜ファイル（.tab）でもプロジェクトファイル（.tbp）でもありません。");
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT) return Refuse(1, "「" + path + "」が見つかりません。");
        std::string why;
        std::string bytes;
        ReadRegularFile(path, 0, bytes, why);
        return Refuse(1, "「" + path + "」を読み込めません: " + why);
    }
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    if (!regular)
        return Refuse(1, "「" + path + "」を読み込めません: " +
                             (S_ISDIR(st.st_mode) ? std::string("フォルダーです。")
                                                  : std::string("通常のファイルではありません（デバイスや FIFO などは読みません）。")));
    return {};
}

}  // namespace lw
