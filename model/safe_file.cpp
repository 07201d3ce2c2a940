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

namespace {

std::string FailText(const std::string& path, const std::string& what, int err) {
    return "「" + path + "」に保存できません: " + what + (err ? std::string("（") + std::strerror(err) + "）" : "");
}

// Writes bytes into a new temporary file beside path's final target (the
// file a link points to), synced, with the old file's permissions. target
// and tmp name the two files.
bool WriteTemporary(const std::string& path, std::string_view bytes, std::string& target, std::string& tmp,
                    std::string* error) {
    auto fail = [&](const std::string& what, int err) {
        if (error) *error = FailText(path, what, err);
        return false;
    };
    if (path.empty()) return fail("ファイル名がありません。", 0);
    // Replace the file a link points to, not the link.
    target = path;
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
    tmp = target + ".~" + std::to_string(getpid()) + "_" + std::to_string(counter++) + ".tmp";
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
    return true;
}

}  // namespace

bool WriteFileReplacing(const std::string& path, std::string_view bytes, std::string* error) {
    std::string target, tmp;
    if (!WriteTemporary(path, bytes, target, tmp, error)) return false;
    if (std::rename(tmp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        if (error) *error = FailText(path, "ファイルを置き換えられません。", err);
        return false;
    }
    return true;
}

StagedFiles::~StagedFiles() {
    for (const Entry& e : staged_) ::unlink(e.tmp.c_str());
}

bool StagedFiles::Stage(const std::string& path, std::string_view bytes, std::string* error) {
    Entry e;
    if (!WriteTemporary(path, bytes, e.target, e.tmp, error)) return false;
    staged_.push_back(std::move(e));
    return true;
}

bool StagedFiles::Commit(std::string* error) {
    // The files being replaced stay reachable under a second name until every
    // new file is in place.
    struct Done {
        std::string target, keep;
    };
    std::vector<Done> done;
    auto rollBack = [&] {
        for (auto it = done.rbegin(); it != done.rend(); ++it) {
            if (it->keep.empty()) ::unlink(it->target.c_str());
            else std::rename(it->keep.c_str(), it->target.c_str());
        }
    };
    for (size_t i = 0; i < staged_.size(); ++i) {
        const Entry& e = staged_[i];
        Done d{e.target, {}};
        struct stat st {};
        if (lstat(e.target.c_str(), &st) == 0) {
            d.keep = e.tmp + ".old";
            if (::link(e.target.c_str(), d.keep.c_str()) != 0) {
                const int err = errno;
                rollBack();
                if (error) *error = FailText(e.target, "ファイルを置き換えられません。", err);
                return false;
            }
        }
        if (std::rename(e.tmp.c_str(), e.target.c_str()) != 0) {
            const int err = errno;
            if (!d.keep.empty()) ::unlink(d.keep.c_str());
            rollBack();
            if (error) *error = FailText(e.target, "ファイルを置き換えられません。", err);
            return false;
        }
        done.push_back(std::move(d));
    }
    for (const Done& d : done)
        if (!d.keep.empty()) ::unlink(d.keep.c_str());
    staged_.clear();
    return true;
}

}  // namespace lw
