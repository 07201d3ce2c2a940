#include "safe_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace lw {
namespace {

std::string ErrnoText(int err) { return std::string("（") + std::strerror(err) + "）"; }

std::string FolderPart(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Writes bytes into a new temporary beside target, with the permissions of
// the file it will replace. "" with why when it fails (nothing left behind).
std::string WriteTemporary(const std::string& target, std::string_view bytes, std::string& why) {
    const std::string tmp = TemporaryBeside(target);
    RegisterTemporary(tmp);
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        why = "一時ファイルを作成できません" + ErrnoText(errno);
        UnregisterTemporary(tmp);
        return {};
    }
    struct stat st {};
    bool ok = WriteAll(fd, bytes);
    if (ok && ::stat(target.c_str(), &st) == 0) (void)::fchmod(fd, st.st_mode & 07777);
    ok = ok && (::fsync(fd) == 0 || errno == EINVAL);
    const int err = errno;
    ok = (::close(fd) == 0) && ok;
    if (!ok) {
        why = "書き込みに失敗しました" + ErrnoText(err ? err : errno);
        ::unlink(tmp.c_str());
        UnregisterTemporary(tmp);
        return {};
    }
    return tmp;
}

// --- temporaries removed by a signal ------------------------------------

struct TemporarySlot {
    std::atomic<bool> used{false};
    bool folder = false;
    char path[4096] = {};
};
TemporarySlot g_temporaries[16];

void RemoveTemporaries(int sig) {
    for (int pass = 0; pass < 2; ++pass)
        for (TemporarySlot& t : g_temporaries) {
            if (!t.used.load() || t.folder != (pass == 1)) continue;
            if (t.folder) ::rmdir(t.path);
            else ::unlink(t.path);
        }
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

}  // namespace

bool ReadRegularFile(const std::string& path, size_t maxBytes, std::string& bytes, std::string& why) {
    bytes.clear();
    // O_NONBLOCK: opening a FIFO without a writer returns at once; the type
    // check below then refuses it before anything is read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        why = errno == ENOENT ? "ファイルが見つかりません。" : "ファイルを開けません" + ErrnoText(errno) + "。";
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        why = S_ISDIR(st.st_mode) ? "フォルダーです。" : "通常のファイルではありません（デバイスや FIFO などは読みません）。";
        ::close(fd);
        return false;
    }
    if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
        why = "ファイルが大きすぎます（" + std::to_string(st.st_size) + " バイト、上限 " + std::to_string(maxBytes) + " バイト）。";
        ::close(fd);
        return false;
    }
    // Read at most one byte beyond the limit, in case the file grows.
    const size_t size = static_cast<size_t>(st.st_size);
    bytes.resize((size < maxBytes ? size : maxBytes) + 1);
    size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            why = "読み取れません" + ErrnoText(errno) + "。";
            ::close(fd);
            bytes.clear();
            return false;
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    bytes.resize(got);
    if (got > maxBytes) {
        why = "ファイルが大きすぎます（上限 " + std::to_string(maxBytes) + " バイト）。";
        bytes.clear();
        return false;
    }
    return true;
}

bool ResolveLinks(const std::string& path, std::string& target, std::string& why) {
    target = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        std::string link(4096, '\0');
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0 || static_cast<size_t>(n) >= link.size()) {
            why = "リンク先を読み取れません。";
            return false;
        }
        link.resize(static_cast<size_t>(n));
        if (link.empty()) return true;
        target = link[0] == '/' ? link : FolderPart(target) + "/" + link;
    }
    why = "シンボリックリンクが循環しているか、長すぎます。";
    return false;
}

std::string WhyNotReplaceable(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return "フォルダーです。";
        if (!S_ISREG(st.st_mode)) return "通常のファイルではありません（デバイスや FIFO などには書き出しません）。";
        // The write bits count even for the administrator, who may write anyway.
        if ((st.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0) return "読み取り専用のファイルです。";
    } else if (errno != ENOENT) {
        return std::string(std::strerror(errno)) + "。";
    }
    const std::string folder = FolderPart(path);
    struct stat fs {};
    if (::stat(folder.c_str(), &fs) != 0) return "フォルダー「" + folder + "」がありません。";
    if (!S_ISDIR(fs.st_mode)) return "「" + folder + "」はフォルダーではありません。";
    if (::access(folder.c_str(), W_OK | X_OK) != 0) return "フォルダー「" + folder + "」に書き込めません。";
    return {};
}

std::string TemporaryBeside(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    return folder + ".lw" + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".tmp";
}

namespace {

std::string FailText(const std::string& path, const std::string& what) { return "「" + path + "」に保存できません: " + what; }

// The file path names in the end, if it may be replaced; false with why.
bool ReplaceableTarget(const std::string& path, std::string& target, std::string& why) {
    if (path.empty()) {
        why = "ファイル名がありません。";
        return false;
    }
    if (!ResolveLinks(path, target, why)) return false;
    why = WhyNotReplaceable(target);
    return why.empty();
}

}  // namespace

bool WriteFileReplacing(const std::string& path, std::string_view bytes, std::string* error) {
    StagedFiles one;
    return one.Stage(path, bytes, error) && one.Commit(error);
}

bool WriteFilesReplacing(const std::vector<PendingFile>& files, std::string* error) {
    // Every target is checked before anything is written.
    for (const PendingFile& f : files) {
        std::string target, why;
        if (!ReplaceableTarget(f.path, target, why)) {
            if (error) *error = FailText(f.path, why);
            return false;
        }
    }
    StagedFiles staged;
    for (const PendingFile& f : files)
        if (!staged.Stage(f.path, f.bytes, error)) return false;
    return staged.Commit(error);
}

StagedFiles::~StagedFiles() {
    for (const Entry& e : staged_)
        if (!e.tmp.empty()) {
            ::unlink(e.tmp.c_str());
            UnregisterTemporary(e.tmp);
        }
}

bool StagedFiles::Stage(const std::string& path, std::string_view bytes, std::string* error) {
    Entry e{path, {}, {}};
    std::string why;
    if (!ReplaceableTarget(path, e.target, why) || (e.tmp = WriteTemporary(e.target, bytes, why)).empty()) {
        if (error) *error = FailText(path, why);
        return false;
    }
    staged_.push_back(std::move(e));
    return true;
}

bool StagedFiles::Commit(std::string* error) {
    // With several files, the ones being replaced stay reachable under a
    // second name until every new file is in place.
    struct Done {
        std::string target, backup;
    };
    std::vector<Done> done;
    auto forget = [](const std::string& name) {
        if (name.empty()) return;
        ::unlink(name.c_str());
        UnregisterTemporary(name);
    };
    for (Entry& e : staged_) {
        Done d{e.target, {}};
        if (staged_.size() > 1 && ::access(e.target.c_str(), F_OK) == 0) {
            d.backup = TemporaryBeside(e.target);
            RegisterTemporary(d.backup);
            if (::link(e.target.c_str(), d.backup.c_str()) != 0 && std::rename(e.target.c_str(), d.backup.c_str()) != 0) {
                UnregisterTemporary(d.backup);
                d.backup.clear();
            }
        }
        if (std::rename(e.tmp.c_str(), e.target.c_str()) != 0) {
            const int err = errno;
            if (!d.backup.empty()) done.push_back(d);
            for (auto it = done.rbegin(); it != done.rend(); ++it) {
                if (it->backup.empty()) ::unlink(it->target.c_str());
                else std::rename(it->backup.c_str(), it->target.c_str());
                UnregisterTemporary(it->backup);
            }
            if (error) *error = FailText(e.path, "ファイルを置き換えられません" + ErrnoText(err));
            return false;  // the remaining temporaries go with the object
        }
        UnregisterTemporary(e.tmp);
        e.tmp.clear();
        done.push_back(d);
    }
    for (const Done& d : done) forget(d.backup);
    staged_.clear();
    return true;
}

bool PutFileInPlace(const std::string& temporary, const std::string& path, std::string* error) {
    auto fail = [&](const std::string& what) {
        ::unlink(temporary.c_str());
        if (error) *error = "「" + path + "」に保存できません: " + what;
        return false;
    };
    std::string target, why;
    if (!ResolveLinks(path, target, why)) return fail(why);
    why = WhyNotReplaceable(target);
    if (!why.empty()) return fail(why);
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) (void)::chmod(temporary.c_str(), st.st_mode & 07777);
    if (std::rename(temporary.c_str(), target.c_str()) != 0) return fail("ファイルを置き換えられません" + ErrnoText(errno));
    return true;
}

void RegisterTemporary(const std::string& path, bool folder) {
    if (path.empty() || path.size() >= sizeof g_temporaries[0].path) return;
    for (TemporarySlot& t : g_temporaries) {
        if (t.used.load()) continue;
        std::memcpy(t.path, path.c_str(), path.size() + 1);
        t.folder = folder;
        t.used.store(true);
        return;
    }
}

void UnregisterTemporary(const std::string& path) {
    for (TemporarySlot& t : g_temporaries)
        if (t.used.load() && path == t.path) {
            t.used.store(false);
            return;
        }
}

void RemoveTemporariesOnSignals() {
    static std::atomic<bool> installed{false};
    if (installed.exchange(true)) return;
    // Every signal whose default ends the program and that can be caught.
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGALRM, SIGUSR1, SIGUSR2, SIGXCPU, SIGXFSZ})
        ::signal(sig, RemoveTemporaries);
}

}  // namespace lw
