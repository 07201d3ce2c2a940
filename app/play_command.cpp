#include "play_command.h"

#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "messages.h"
#include "paths.h"
#include "session.h"
#include "settings.h"
#include "shell.h"
#include "startup.h"
#include "tab_file.h"

namespace lw {
namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: lutewise --play INPUT.tab|INPUT.tbp ... --wav OUT.wav [--tempo N] [--instrument GM] [--base N]\n";

// Messages of the settings reader and the row reader go to stderr.
class StderrUi : public UiPort {
public:
    explicit StderrUi(std::ostream& err) : err_(err) {}
    int MessageBox(const std::string& text, int, const std::string&) override {
        std::string t = text;
        for (size_t k = 0; (k = t.find("\n\r", k)) != std::string::npos;) t.replace(k, 2, "\n");
        err_ << t << '\n';
        ++shown;
        return kIdOk;
    }
    std::string OpenFileName(const std::string&, const std::string&) override { return {}; }
    std::string SaveFileName(const std::string&, const std::string&) override { return {}; }
    int shown = 0;

private:
    std::ostream& err_;
};

bool EndsWith(const std::string& s, const std::string& tail) {
    if (s.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - tail.size() + i])) != tail[i]) return false;
    return true;
}

bool ParseInt(const std::string& text, int& v) {
    if (text.empty() || text.size() > 6) return false;
    size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size()) return false;
    for (size_t k = i; k < text.size(); ++k)
        if (text[k] < '0' || text[k] > '9') return false;
    v = std::stoi(text);
    return true;
}

std::string ProgramFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? CurrentFolder() : exe.parent_path().string();
}

// The rows' files: .tab as given, .tbp expanded to its lines.
bool ExpandInputs(const std::vector<std::string>& inputs, std::vector<std::string>& files, std::ostream& err) {
    for (const std::string& in : inputs) {
        if (EndsWith(in, ".tab")) {
            files.push_back(in);
        } else if (EndsWith(in, ".tbp")) {
            std::vector<std::string> lines;
            std::string why;
            if (!ReadProjectLines(in, lines, &why)) {
                err << "「" << in << "」を読み込めません: " << why << '\n';
                return false;
            }
            const std::string folder = FolderOf(fs::absolute(in).string());
            for (const std::string& line : lines) {
                std::string t = line;
                while (!t.empty() && (t.back() == '\r' || t.back() == ' ' || t.back() == '\t')) t.pop_back();
                if (t.size() <= 3) continue;  // a blank line names no row
                files.push_back(ProjectLinePath(t, folder));
            }
        } else {
            err << "「" << in << "」は .tab でも .tbp でもありません。\n";
            return false;
        }
    }
    if (files.empty()) {
        err << "再生する段がありません。\n";
        return false;
    }
    if (files.size() > 10) {
        err << MessageText(29) << '\n';
        return false;
    }
    return true;
}

struct TempFolder {
    std::string path;
    ~TempFolder() {
        std::error_code ec;
        if (!path.empty()) fs::remove_all(path, ec);
    }
};

}  // namespace

int RunPlay(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const std::string& libraryPath) {
    std::vector<std::string> inputs;
    std::string wav;
    clsKoComm::PlayOptions opt;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--wav" && hasValue) {
            wav = args[++i];
        } else if (a == "--tempo" && hasValue) {
            opt.tempo = args[++i];  // checked by the player, as the window's box
        } else if (a == "--instrument" && hasValue) {
            if (!ParseInt(args[++i], opt.instrument) || opt.instrument < 1 || opt.instrument > 128) {
                err << "--instrument: General MIDI の音色番号 1～128 を指定してください。\n";
                return 1;
            }
        } else if (a == "--base" && hasValue) {
            if (!ParseInt(args[++i], opt.baseNote) || opt.baseNote < 0 || opt.baseNote > 111) {
                err << "--base: 基準音 0～111 を指定してください。\n";
                return 1;
            }
        } else if (a.rfind("--", 0) == 0) {
            err << kUsage;
            return 1;
        } else {
            inputs.push_back(a);
        }
    }
    if (inputs.empty() || wav.empty()) {
        err << kUsage;
        return 1;
    }
    StderrUi ui(err);
    const std::string ini = CurrentIniPath();
    std::error_code ec;
    if (!fs::is_regular_file(ini, ec)) {
        err << "「" << ini << "」が見つかりません。Lutewise.ini のあるフォルダーで実行してください。\n";
        return 1;
    }
    std::vector<std::string> files;
    if (!ExpandInputs(inputs, files, err)) return 1;

    // The rows as the editor opens them: the start-up defaults and settings,
    // then one new row per file, each read by LoadTab into its own slot.
    Session s;
    s.CurSyosetsuCnt = 4;
    s.MeterID = 22;
    if (!ReadIniSettings(s, ui, ini)) return 1;
    for (size_t i = 0; i < files.size(); ++i) {
        const int slot = static_cast<int>(i);
        s.CurDanIx = static_cast<int16_t>(slot);
        s.DocCount = slot + 1;
        ResetRow(s.DanBuf[slot]);
        s.DanBuf[slot].SyosetsuCnt = s.CurSyosetsuCnt;
        s.KeyName[slot] = "C";
        RowItems items;
        const LoadTabResult r = LoadTab(s, items, files[i]);
        if (!r.ok) {
            err << r.error << '\n';
            return 1;
        }
    }

    const std::string lib = libraryPath.empty() ? JoinPath(ProgramFolder(), "libKoComm.so") : libraryPath;
    std::string why;
    KoCommCreateFn create = LoadKoCommFactory(lib, &why);
    std::unique_ptr<clsKoComm> obj(create ? create() : nullptr);
    if (!obj) {
        err << "KoComm ライブラリを読み込めません: " << lib << '\n' << why << '\n';
        return 1;
    }

    // The interchange file the Midi Player reads, in a folder of its own.
    TempFolder tmp;
    std::string pattern = (fs::temp_directory_path() / "lutewise-play-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        err << "一時フォルダーを作れません: " << pattern << '\n';
        return 1;
    }
    tmp.path = pattern;
    if (!WritePlayFile(s, tmp.path, &why)) {
        err << kPlayFileName << " を書き込めません: " << why << '\n';
        return 1;
    }
    obj->let_p_SyosetsuSu(s.CurSyosetsuCnt);
    obj->let_p_DocumentCount(s.DocCount);
    obj->let_p_Gakki(s.GakkiCode);
    obj->let_p_LineCnt(s.MaxStringIx);
    obj->let_p_MeterID(s.MeterID);
    if (!obj->Play_ToWav(JoinPath(tmp.path, kPlayFileName), wav, opt, why)) {
        err << why << '\n';
        return 1;
    }
    out << wav << '\n';
    return 0;
}

}  // namespace lw
