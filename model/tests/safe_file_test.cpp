// Files under hostile names: inputs that are no regular file are refused
// without blocking, outputs replace only regular files (through their links),
// several files are put in place all or none, and a signal leaves no temporary.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "file_helpers.h"
#include "output_guard.h"
#include "project_file.h"
#include "safe_file.h"
#include "tab_file.h"

using namespace lw;
using namespace lwtest;
namespace fs = std::filesystem;

namespace {

class SafeFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("lw_safe_file_" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        old_ = fs::current_path();
        fs::current_path(dir_);
    }
    void TearDown() override {
        fs::current_path(old_);
        fs::remove_all(dir_);
    }
    // The names in the folder that are temporaries.
    std::vector<std::string> Temporaries() const {
        std::vector<std::string> v;
        for (const auto& e : fs::directory_iterator(dir_))
            if (e.path().filename().string().rfind(".lw", 0) == 0) v.push_back(e.path().filename().string());
        return v;
    }
    fs::path dir_, old_;
};

}  // namespace

TEST_F(SafeFile, InputsThatAreNoRegularFileAreRefusedWithoutBlocking) {
    ASSERT_EQ(mkfifo("pipe.tab", 0644), 0);
    fs::create_directory("folder.tab");
    WriteAll("big.tbp", std::string(kMaxProjectFileBytes + 1, '\n'));
    WriteAll("row.tab", "abc");
    struct Case {
        const char* path;
        bool ok;
        const char* why;
    } cases[] = {
        {"pipe.tab", false, "通常のファイルではありません"},
        {"folder.tab", false, "フォルダーです"},
        {"/dev/zero", false, "通常のファイルではありません"},
        {"missing.tab", false, "見つかりません"},
        {"big.tbp", false, "大きすぎます"},
        {"row.tab", true, ""},
    };
    for (const Case& c : cases) {
        std::string bytes, why;
        EXPECT_EQ(ReadRegularFile(c.path, kMaxProjectFileBytes, bytes, why), c.ok) << c.path;
        EXPECT_NE(why.find(c.why), std::string::npos) << c.path << ": " << why;
    }
    // The readers of rows and projects go through the same door.
    Session s;
    RowItems items;
    const LoadTabResult r = LoadTab(s, items, "pipe.tab");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("通常のファイルではありません"), std::string::npos) << r.error;
    std::vector<std::string> lines;
    std::string why;
    EXPECT_FALSE(ReadProjectLines("/dev/zero", lines, &why));
    EXPECT_FALSE(ReadProjectLines("big.tbp", lines, &why));
    EXPECT_NE(why.find("大きすぎます"), std::string::npos) << why;
}

TEST_F(SafeFile, OnlyRegularFilesAreReplacedAndLinksAreKept) {
    ASSERT_EQ(mkfifo("pipe", 0644), 0);
    fs::create_symlink("/dev/null", "null-link");
    fs::create_symlink("real/target", "link");
    fs::create_directory("real");
    WriteAll("real/target", "old");
    WriteAll("readonly", "old");
    chmod("readonly", 0444);
    struct Case {
        const char* path;
        const char* why;  // "" for a write that works
    } cases[] = {
        {"pipe", "通常のファイルではありません"},
        {"null-link", "通常のファイルではありません"},
        {"readonly", "読み取り専用"},
        {"real", "フォルダーです"},
        {"nowhere/out", "フォルダー「nowhere」がありません"},
        {"link", ""},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_EQ(WriteFileReplacing(c.path, "new", &error), *c.why == '\0') << c.path;
        EXPECT_NE(error.find(c.why), std::string::npos) << error;
        if (*c.why) {
            EXPECT_EQ(error.find(std::string("「") + c.path + "」"), error.rfind("「" + std::string(c.path)));
        }
    }
    EXPECT_TRUE(fs::is_symlink("link"));
    EXPECT_EQ(ReadAll("real/target"), "new");
    EXPECT_EQ(ReadAll("readonly"), "old");
    EXPECT_TRUE(fs::is_fifo("pipe"));
    // The longest legal name works: the temporary's name does not grow with it.
    const std::string longest(255, 'x');
    EXPECT_TRUE(WriteFileReplacing(longest, "long"));
    EXPECT_EQ(ReadAll(longest), "long");
    EXPECT_TRUE(Temporaries().empty());
}

TEST_F(SafeFile, SeveralFilesArePutInPlaceAllOrNone) {
    WriteAll("page-1.png", "old 1");
    fs::create_directory("page-2.png");
    std::string error;
    EXPECT_FALSE(WriteFilesReplacing({{"page-1.png", "new 1"}, {"page-2.png", "new 2"}}, &error));
    EXPECT_NE(error.find("page-2.png"), std::string::npos) << error;
    EXPECT_EQ(ReadAll("page-1.png"), "old 1");
    // A page name the folder cannot hold: the first is not replaced either.
    EXPECT_FALSE(WriteFilesReplacing({{"page-1.png", "new 1"}, {std::string(256, 'y'), "new 2"}}, &error));
    EXPECT_EQ(ReadAll("page-1.png"), "old 1");
    EXPECT_TRUE(WriteFilesReplacing({{"page-1.png", "new 1"}, {"page-3.png", "new 3"}}, &error)) << error;
    EXPECT_EQ(ReadAll("page-1.png"), "new 1");
    EXPECT_EQ(ReadAll("page-3.png"), "new 3");
    EXPECT_TRUE(Temporaries().empty());
}

TEST_F(SafeFile, ASignalThatEndsTheProgramRemovesItsTemporaries) {
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ}) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            fs::create_directory("work");
            WriteAll("work/Interface.tab", "x");
            WriteAll(".lw1-0.tmp", "partial");
            RegisterTemporary((dir_ / "work").string(), true);
            RegisterTemporary((dir_ / "work/Interface.tab").string());
            RegisterTemporary((dir_ / ".lw1-0.tmp").string());
            RemoveTemporariesOnSignals();
            raise(sig);
            _exit(0);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << sig;
        EXPECT_TRUE(Temporaries().empty()) << sig;
        EXPECT_FALSE(fs::exists("work")) << sig;
    }
}

TEST_F(SafeFile, OutputAndInputNamesAreCheckedBeforeAnyWork) {
    WriteAll("song.tab", "row");
    WriteAll("old.mid", "midi");
    WriteAll("other.tab", "row");
    fs::create_symlink("other.tab", "row-link.mid");
    fs::create_symlink("song.tab", "input-link.mid");
    fs::create_symlink("song.tab", "same.tab");
    ASSERT_EQ(mkfifo("pipe.mid", 0644), 0);
    ASSERT_EQ(mkfifo("pipe.tab", 0644), 0);
    struct Out {
        const char* path;
        std::vector<std::string> exts;
        int code;
        const char* says;
    } outs[] = {
        {"song.tab", {".mid"}, 2, "拡張子は .mid"},
        {"old.mid", {".mid"}, 0, ""},
        {"OLD.MID", {".mid"}, 0, ""},
        {"row-link.mid", {".mid"}, 2, "TAB譜ファイル"},
        {"same.tab", {".tab"}, 2, "入力ファイル"},
        {"input-link.mid", {".mid"}, 2, "入力ファイル"},
        {"Lutewise.ini", {".mid"}, 2, "拡張子"},
        {"TABn2.BMP", {".bmp", ".png"}, 2, "段の下地の絵"},
        {"interface.tab", {".tab"}, 2, "受け渡しファイル"},
        {"pipe.mid", {".mid"}, 1, "通常のファイルではありません"},
        {"nowhere/x.mid", {".mid"}, 1, "フォルダー「nowhere」がありません"},
        {"", {".mid"}, 2, "名前がありません"},
    };
    for (const Out& c : outs) {
        const NameCheck r = CheckOutputName(c.path, c.exts, {"song.tab"});
        EXPECT_EQ(r.exitCode, c.code) << c.path;
        EXPECT_NE(r.message.find(c.says), std::string::npos) << c.path << ": " << r.message;
    }
    struct In {
        const char* path;
        int code;
    } ins[] = {{"song.tab", 0}, {"SONG.TAB", 1}, {"pipe.tab", 1}, {"notes.txt", 2}, {"/dev/null", 2}, {".", 2}};
    for (const In& c : ins) EXPECT_EQ(CheckInputName(c.path).exitCode, c.code) << c.path;
    EXPECT_EQ(LowerExtension(".tab"), ".tab");
    EXPECT_EQ(LowerExtension("dir.x/name"), "");
}
