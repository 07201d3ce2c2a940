// The command line under hostile names and files: every refusal says what is
// wrong, exits 1 (2 for a wrong command line), writes nothing and leaves
// every existing file as it was; outputs keep their links; nothing blocks.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <sstream>
#include <thread>

#include "app_test_support.h"
#include "command_line.h"
#include "session.h"
#include "tab_file.h"

extern char** environ;

namespace fs = std::filesystem;
using namespace lwtest;

namespace {

// Every file of the folder (links as links) with its bytes or link target.
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
    std::map<std::string, std::string> m;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        const std::string rel = fs::relative(e.path(), dir).string();
        if (e.is_symlink()) m[rel] = "-> " + fs::read_symlink(e.path()).string();
        else if (e.is_regular_file()) m[rel] = ReadBytes(e.path().string());
        else m[rel] = e.is_directory() ? "<dir>" : "<special>";
    }
    return m;
}

// A six-string row of eight full measures of whole notes: 192 positions.
std::string FullRow() {
    lw::Session s;
    s.MaxStringIx = 5;
    s.CurSyosetsuCnt = 8;
    s.DanBuf[0].SyosetsuCnt = 8;
    for (int m = 0; m < 8; ++m) {
        lw::SyosetsuData& ms = s.DanBuf[0].Syosetsu[m];
        ms.OnpuCnt = 24;
        for (int p = 1; p <= 24; ++p) lw::StoreNote(ms.Onpu[p], 1, 3, 0);
    }
    return lw::SerializeTab(s, lw::RowItems{});
}

class CommandSafety : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApp();
        work = std::make_unique<WorkFolder>();
        for (const char* f : {"ode1.tab", "ode2.tab"})
            fs::copy_file(fs::path(LUTEWISE_SOURCE_DIR) / "data/examples" / f, work->path / f);
        fs::copy_file("ode1.tab", "song.tab");
    }
    int Run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        return lw::RunCommandLine(args, out, err);
    }
    // args with "OUT" replaced by out and "IN" by in, for every command.
    static std::vector<std::vector<std::string>> EveryCommand(const std::string& outName, const std::string& in) {
        return {{"--convert", in, outName + ".tab"},
                {"--play", in, "--wav", outName + ".wav"},
                {"--export-score", outName + ".png", in},
                {"--export-midi", outName + ".mid", in},
                {"--export-musicxml", outName + ".musicxml", in}};
    }
    std::unique_ptr<WorkFolder> work;
    std::ostringstream out, err;
};

}  // namespace

TEST_F(CommandSafety, RefusedNamesAndFilesChangeNothing) {
    ASSERT_EQ(mkfifo("fifo.tab", 0644), 0);
    ASSERT_EQ(mkfifo("fifo.tbp", 0644), 0);
    ASSERT_EQ(mkfifo("fifo.mid", 0644), 0);
    WriteBytes("names-fifo.tbp", "00:fifo.tab\r\n");
    WriteBytes("readonly.mid", "old");
    chmod("readonly.mid", 0444);
    WriteBytes("readonly.wav", "old");
    chmod("readonly.wav", 0444);
    fs::create_directory("folder.wav");
    fs::create_directory("page-2.png");
    fs::create_symlink("song.tab", "link-to-row.mid");
    WriteBytes("page-1.png", "old page");
    WriteBytes("Lutewise.ini.bak", ReadBytes("Lutewise.ini"));
    WriteBytes("big.tbp", std::string((1 << 20) + 1, '\n'));
    struct Case {
        std::vector<std::string> args;
        int rc;
        const char* says;
    } cases[] = {
        // A forgotten output name: the first row would have been replaced.
        {{"--export-midi", "song.tab", "ode2.tab"}, 2, "拡張子は .mid"},
        {{"--export-musicxml", "song.tab", "ode2.tab"}, 2, "拡張子は .musicxml"},
        {{"--convert", "song.tab", "song.tab"}, 2, "入力ファイル"},
        {{"--export-midi", "link-to-row.mid", "ode1.tab"}, 2, "TAB譜ファイル"},
        {{"--export-score", "TABn1.bmp", "song.tab"}, 2, "段の下地の絵"},
        {{"--play", "song.tab", "--wav", "Lutewise.ini"}, 2, "拡張子は .wav"},
        {{"--convert", "song.tab", "Interface.tab"}, 2, "受け渡しファイル"},
        // Files that are not regular, read-only or folders.
        {{"--export-midi", "fifo.mid", "song.tab"}, 1, "通常のファイルではありません"},
        {{"--export-midi", "readonly.mid", "song.tab"}, 1, "読み取り専用"},
        {{"--play", "song.tab", "--wav", "readonly.wav"}, 1, "読み取り専用"},
        {{"--play", "song.tab", "--wav", "folder.wav"}, 1, "フォルダーです"},
        {{"--export-midi", "nofolder/x.mid", "song.tab"}, 1, "フォルダー「nofolder」がありません"},
        // Inputs that would block or never end.
        {{"--export-midi", "x.mid", "fifo.tab"}, 1, "通常のファイルではありません"},
        {{"--export-musicxml", "x.musicxml", "fifo.tbp"}, 1, "通常のファイルではありません"},
        {{"--play", "names-fifo.tbp", "--wav", "x.wav"}, 1, "通常のファイルではありません"},
        {{"--export-score", "x.png", "names-fifo.tbp"}, 1, "通常のファイルではありません"},
        {{"--convert", "fifo.tab", "x.tab"}, 1, "通常のファイルではありません"},
        {{"--export-midi", "x.mid", "big.tbp"}, 1, "大きすぎます"},
        {{"--export-score", "x.png", "missing.tab"}, 1, "「missing.tab」が見つかりません"},
        // Two pages whose second cannot be written: the old first page stays.
        {{"--export-score", "page.png", "song.tab", "song.tab", "song.tab", "song.tab", "song.tab", "song.tab"},
         1, "page-2.png"},
        // Wrong command lines.
        {{"--export-score", "x.png", "song.tab", "--tempo", "50"}, 2, "「--tempo」: --export-score では使えない"},
        {{"--play", "song.tab", "--tempo", "--instrument", "5", "--wav", "x.wav"}, 2, "--tempo: 値がありません"},
        {{"--play", "song.tab", "--wave", "x.wav"}, 2, "usage: lutewise --play"},
        {{"--play", "song.tab", "--wav"}, 2, "--wav: 値がありません"},
        {{"--export-midi", "x.mid", "song.tab", "--tempo", "1000"}, 2, "1～999"},
        {{"--exprot-midi", "x.mid", "song.tab"}, 2, "「--exprot-midi」: 知らないオプション"},
        {{"song.tab", "-x"}, 2, "usage: lutewise [FILE.tab"},
        {{"--convert", "song.tab"}, 2, "usage: lutewise --convert"},
        {{"--export-score", "x.png", "notes.txt"}, 2, "「notes.txt」は TAB譜ファイル（.tab）でも"},
    };
    const auto before = Snapshot(work->path);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        EXPECT_EQ(Run(c.args), c.rc);
        EXPECT_NE(err.str().find(c.says), std::string::npos) << err.str();
        EXPECT_EQ(err.str().find("usage") != std::string::npos, c.rc == 2) << err.str();
        EXPECT_EQ(out.str(), "");
        EXPECT_EQ(Snapshot(work->path), before);
    }
}

TEST_F(CommandSafety, EveryCommandRefusesMissingDamagedAndNonRegularInputs) {
    WriteBytes("damaged.tab", "\"TAB\",9,0,\"C\",0,22,\"\",\"\",\"\",\"201\"\r\n");
    ASSERT_EQ(mkfifo("fifo.tab", 0644), 0);
    fs::create_symlink("/dev/zero", "zero.tbp");
    fs::create_directory("folder.tab");
    const auto before = Snapshot(work->path);
    for (const char* in : {"missing.tab", "damaged.tab", "fifo.tab", "zero.tbp", "folder.tab"})
        for (const auto& args : EveryCommand("out", in)) {
            if (args[0] == "--convert" && std::string(in) == "zero.tbp") continue;
            SCOPED_TRACE(args[0] + " " + in);
            EXPECT_EQ(Run(args), 1);
            EXPECT_NE(err.str().find(std::string("「") + in + "」"), std::string::npos) << err.str();
            EXPECT_EQ(out.str(), "");
            EXPECT_EQ(Snapshot(work->path), before);
        }
}

TEST_F(CommandSafety, BrokenSettingsAreBlamedNotTheRow) {
    WriteBytes("Lutewise.ini", "[TAB]\r\nFontSize=x\r\n");
    const auto before = Snapshot(work->path);
    for (const auto& args : EveryCommand("out", "song.tab")) {
        SCOPED_TRACE(args[0]);
        EXPECT_EQ(Run(args), 1);
        EXPECT_NE(err.str().find("Iniファイルの設定が壊れています"), std::string::npos) << err.str();
        EXPECT_EQ(err.str().find("「song.tab」"), std::string::npos) << err.str();
    }
    EXPECT_EQ(Snapshot(work->path), before);
}

TEST_F(CommandSafety, OutputLinksAreKeptAndTheirFilesReplaced) {
    fs::create_directory("real");
    for (const auto& args : EveryCommand("link", "song.tab")) {
        SCOPED_TRACE(args[0]);
        const std::string link = args[0] == "--play" ? args[3] : args[0] == "--convert" ? args[2] : args[1];
        const std::string real = "real/" + link;
        WriteBytes(real, "old");
        fs::create_symlink(real, link);
        ASSERT_EQ(Run(args), 0) << err.str();
        EXPECT_EQ(out.str(), link + "\n");
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_NE(ReadBytes(real), "old");
        EXPECT_GT(fs::file_size(real), 100u);
    }
}

TEST_F(CommandSafety, EveryCommandTakesADotNameAndTheLongestLegalName) {
    fs::copy_file("ode1.tab", ".tab");
    // Names of 255 bytes, the longest a folder holds.
    auto longest = [](const std::string& ext) { return std::string(255 - ext.size(), 'n') + ext; };
    const std::vector<std::vector<std::string>> commands = {
        {"--convert", ".tab", longest(".tab")},
        {"--play", ".tab", "--wav", longest(".wav")},
        {"--export-score", longest(".png"), ".tab"},
        {"--export-midi", longest(".mid"), ".tab"},
        {"--export-musicxml", longest(".musicxml"), ".tab"},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(args[0]);
        ASSERT_EQ(Run(args), 0) << err.str();
        const std::string written = out.str().substr(0, out.str().size() - 1);
        EXPECT_EQ(written.size(), 255u);
        EXPECT_GT(fs::file_size(written), 0u);
    }
    // Nothing but the outputs beside the inputs: no temporary is left.
    for (const auto& e : fs::directory_iterator(work->path))
        EXPECT_EQ(e.path().filename().string().rfind(".lw", 0), std::string::npos) << e.path();
}

TEST_F(CommandSafety, AProjectBeyondTheRowLimitIsRefusedOnce) {
    std::string lines;
    for (int i = 0; i < 20000; ++i) lines += "00:song.tab\r\n";
    WriteBytes("long.tbp", lines);
    for (const auto& args : EveryCommand("out", "long.tbp")) {
        if (args[0] == "--convert") continue;
        SCOPED_TRACE(args[0]);
        EXPECT_EQ(Run(args), 1);
        const std::string e = err.str();
        const size_t first = e.find("これ以上段数を増やすことは出来ません");
        ASSERT_NE(first, std::string::npos) << e;
        EXPECT_EQ(e.find("これ以上段数を増やすことは出来ません", first + 1), std::string::npos) << e;
    }
}

TEST_F(CommandSafety, AWavBeyondFourGigabytesIsRefusedUpFront) {
    WriteBytes("full.tab", FullRow());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Run({"--play", "full.tab", "--tempo", "1", "--wav", "huge.wav"}), 1);
    // 192 whole notes of 4 beats of 60 s: 12 h 48 min, 8.1 GB with the tail.
    EXPECT_NE(err.str().find("WAV ファイルは 4 GB までです。この演奏は 12 時間 48 分 0 秒、約 8.1 GB"), std::string::npos)
        << err.str();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_FALSE(fs::exists("huge.wav"));
}

TEST_F(CommandSafety, HelpVersionAndUnknownOptionsWithoutADisplay) {
    // The program itself, with no display and no platform chosen.
    auto run = [](std::vector<std::string> args, std::string& stdoutText, std::string& stderrText) {
        const std::string o = (fs::temp_directory_path() / ("lw_cli_out_" + std::to_string(getpid()))).string();
        const std::string e = o + "_err";
        std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" LUTEWISE_PROGRAM "'";
        for (const std::string& a : args) cmd += " '" + a + "'";
        const int status = std::system((cmd + " >" + o + " 2>" + e + " </dev/null").c_str());
        stdoutText = ReadBytes(o);
        stderrText = ReadBytes(e);
        fs::remove(o);
        fs::remove(e);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    std::string o, e;
    for (const char* help : {"--help", "-h"}) {
        EXPECT_EQ(run({help}, o, e), 0) << e;
        for (const char* form : {"lutewise [FILE.tab|FILE.tbp ...]", "--convert IN.tab OUT.tab", "--play INPUT",
                                 "--export-score [--notes]", "--export-midi OUT.mid", "--export-musicxml OUT",
                                 "--import-musicxml IN.musicxml|IN.mxl OUT.tbp",
                                 "--help | -h", "--version"})
            EXPECT_NE(o.find(form), std::string::npos) << form;
        EXPECT_EQ(e, "");
    }
    EXPECT_EQ(run({"--version"}, o, e), 0);
    EXPECT_EQ(o, "lutewise " LUTEWISE_VERSION "\n");
    for (const char* wrong : {"--verison", "--hlep", "-v"}) {
        EXPECT_EQ(run({wrong}, o, e), 2) << wrong;
        EXPECT_EQ(o, "");
        EXPECT_EQ(e.find("「" + std::string(wrong) + "」: 知らないオプションです。\nusage: lutewise"), 0u) << e;
    }
}

TEST_F(CommandSafety, AnInterruptedPlayLeavesNoTemporary) {
    WriteBytes("full.tab", FullRow());
    pid_t pid = 0;
    std::vector<std::string> args = {LUTEWISE_PROGRAM, "--play", "full.tab", "--tempo", "60", "--wav", "long.wav"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    // The program's own temporary folder, so that other tests running at the
    // same time cannot be mistaken for what this run left behind.
    const fs::path tmp = work->path / "tmp";
    fs::create_directories(tmp);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind("TMPDIR=", 0) != 0) env.emplace_back(*e);
    env.push_back("TMPDIR=" + tmp.string());
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    auto interchangeFolders = [&] {
        std::vector<std::string> v;
        for (const auto& e : fs::directory_iterator(tmp))
            if (e.path().filename().string().rfind("lutewise-play-", 0) == 0) v.push_back(e.path().string());
        return v;
    };
    for (int sig : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(sig);
        ASSERT_EQ(posix_spawn(&pid, LUTEWISE_PROGRAM, nullptr, nullptr, argv.data(), envp.data()), 0);
        // Wait until the sound is being written, then end the program.
        bool rendering = false;
        for (int i = 0; i < 200 && !rendering; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            for (const auto& e : fs::directory_iterator(work->path))
                rendering = rendering || e.path().filename().string().find(".part") != std::string::npos;
        }
        EXPECT_TRUE(rendering);
        EXPECT_FALSE(interchangeFolders().empty());
        kill(pid, sig);
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig);
        for (const auto& e : fs::directory_iterator(work->path)) {
            const std::string name = e.path().filename().string();
            EXPECT_TRUE(name.rfind(".lw", 0) == std::string::npos && name != "long.wav") << name;
        }
        EXPECT_TRUE(interchangeFolders().empty());
    }
}
