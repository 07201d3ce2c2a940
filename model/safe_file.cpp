#include "safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace lw {

bool WriteFileReplacing(const std::string& path, std::string_view bytes, std::string* error) {
    auto fail = [&](const std::string& what, int err) {
        if (error) *error = "「" + path + "」に保存できません: " + what + (err ? std::string("（") + std::strerror(err) + "）" : "");
        return false;
    };
    if (path.empty()) return fail("ファイル名がありません。", 0);
    // Replace the file a link points to, not the link.
    std::string target = path;
    struct stat st {};
    bool existed = false;
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    if (stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return fail("フォルダーです。", 0);
        existed = true;
    }
    static std::atomic<unsigned> counter{0};
    const std::string tmp = target + ".~" + std::to_string(getpid()) + "_" + std::to_string(counter++) + ".tmp";
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return fail("一時ファイルを作成できません。", errno);
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            ::unlink(tmp.c_str());
            return fail("書き込みに失敗しました。", err);
        }
        done += static_cast<size_t>(n);
    }
    if (existed) (void)::fchmod(fd, st.st_mode & 07777);
    if (::fsync(fd) != 0 && errno != EINVAL) {
        const int err = errno;
        ::close(fd);
        ::unlink(tmp.c_str());
        return fail("書き込みに失敗しました。", err);
    }
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        return fail("書き込みに失敗しました。", err);
    }
    if (std::rename(tmp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        return fail("ファイルを置き換えられません。", err);
    }
    return true;
}

}  // namespace lw
