#include "command_rows.h"

#include <dlfcn.h>
#include <stdlib.h>

#include <filesystem>

#include "messages.h"
#include "output_guard.h"
#include "project_file.h"
#include "safe_file.h"
#include "paths.h"
#include "play_command.h"
#include "settings.h"
#include "shell.h"
#include "startup.h"
#include "tab_file.h"

namespace lw {
namespace {

namespace fs = std::filesystem;

constexpr size_t kMaxCommandRows = 10;

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

// The rows' files: .tab as given, .tbp expanded to its lines; stops at the
// row limit with one message.
bool ExpandInputs(const std::vector<std::string>& inputs, std::vector<std::string>& files, std::ostream& err,
                  const std::string& noRows) {
    for (const std::string& in : inputs) {
        if (LowerExtension(in) == ".tab") {
            files.push_back(in);
        } else {
            std::vector<std::string> lines;
            std::string why;
            if (!ReadProjectLines(in, lines, &why)) {
                err << "「" << in << "」を読み込めません: " << why << '\n';
                return false;
            }
            const std::string folder = FolderOf(fs::absolute(in).string());
            for (const std::string& line : lines)
                if (ProjectLineNamesRow(line) && files.size() <= kMaxCommandRows)
                    files.push_back(ProjectLinePath(line, folder));
        }
        if (files.size() > kMaxCommandRows) {
            err << MessageText(29) << '\n';
            return false;
        }
    }
    if (files.empty()) {
        err << noRows << '\n';
        return false;
    }
    return true;
}

}  // namespace

int StreamUi::MessageBox(const std::string& text, int, const std::string&) {
    err_ << PlainLineBreaks(text) << '\n';
    return kIdOk;
}

bool ReadCommandRows(const std::vector<std::string>& inputs, CommandRows& rows, std::ostream& err,
                     const std::string& noRows) {
    StreamUi ui(err);
    const std::string ini = CurrentIniPath();
    std::error_code ec;
    if (!fs::is_regular_file(ini, ec)) {
        err << "「" << ini << "」が見つかりません。Lutewise.ini のあるフォルダーで実行してください。\n";
        return false;
    }
    std::vector<std::string> files;
    if (!ExpandInputs(inputs, files, err, noRows)) return false;

    // The rows as the editor opens them: the start-up defaults and settings,
    // then one new row per file, each read by LoadTab into its own slot.
    Session& s = *rows.s;
    s.CurSyosetsuCnt = 4;
    s.MeterID = 22;
    if (!ReadIniSettings(s, ui, ini)) return false;
    rows.items.assign(files.size(), RowItems{});
    for (size_t i = 0; i < files.size(); ++i) {
        const int slot = static_cast<int>(i);
        s.CurDanIx = static_cast<int16_t>(slot);
        s.DocCount = slot + 1;
        ResetRow(s.DanBuf[slot]);
        s.DanBuf[slot].SyosetsuCnt = s.CurSyosetsuCnt;
        s.KeyName[slot] = 'C';
        const LoadTabResult r = LoadTab(s, rows.items[i], files[i]);
        if (!r.ok) {
            err << r.error << '\n';
            return false;
        }
    }
    return true;
}

bool TakePlayOption(const std::vector<std::string>& args, size_t& i, clsKoComm::PlayOptions& opt, bool& handled,
                    std::ostream& err) {
    const std::string& a = args[i];
    handled = a == "--tempo" || a == "--instrument" || a == "--base";
    if (!handled) return true;
    // An option never takes the next option as its value.
    if (i + 1 >= args.size() || args[i + 1].rfind("--", 0) == 0) {
        err << a << ": 値がありません。\n";
        return false;
    }
    const std::string& v = args[++i];
    int n = 0;
    if (a == "--tempo") {
        if (!ParseInt(v, n) || n < 1 || n > 999) {
            err << "--tempo: テンポ（１分間の拍数）1～999 を指定してください。\n";
            return false;
        }
        opt.tempo = v;
    } else if (a == "--instrument") {
        if (!ParseInt(v, opt.instrument) || opt.instrument < 1 || opt.instrument > 128) {
            err << "--instrument: General MIDI の音色番号 1～128 を指定してください。\n";
            return false;
        }
    } else if (!ParseInt(v, opt.baseNote) || opt.baseNote < 0 || opt.baseNote > 111) {
        err << "--base: 基準音 0～111 を指定してください。\n";
        return false;
    }
    return true;
}

int CheckCommandFiles(const std::vector<std::string>& inputs, const std::string& output,
                      const std::vector<std::string>& extensions, const std::string& usage, std::ostream& err) {
    std::vector<NameCheck> checks;
    for (const std::string& in : inputs) checks.push_back(CheckInputName(in));
    checks.push_back(CheckOutputName(output, extensions, inputs));
    // A wrong name is said first; a file that cannot be used after.
    for (int code : {2, 1})
        for (const NameCheck& c : checks)
            if (c.exitCode == code) {
                err << c.message << '\n';
                if (code == 2) err << usage;
                return code;
            }
    return 0;
}

HeadlessKoComm::~HeadlessKoComm() {
    obj_.reset();
    std::error_code ec;
    if (!folder_.empty()) fs::remove_all(folder_, ec);
    UnregisterTemporary(JoinPath(folder_, kPlayFileName));
    UnregisterTemporary(folder_);
}

bool HeadlessKoComm::Prepare(CommandRows& rows, const std::string& libraryPath, std::ostream& err) {
    const std::string lib = libraryPath.empty() ? JoinPath(ProgramFolder(), "libKoComm.so") : libraryPath;
    std::string why;
    KoCommCreateFn create = LoadKoCommFactory(lib, &why);
    obj_.reset(create ? create() : nullptr);
    if (!obj_) {
        err << "KoComm ライブラリを読み込めません: " << lib << '\n' << why << '\n';
        return false;
    }
    // The interchange file the Midi Player reads, in a folder of its own.
    std::string pattern = (fs::temp_directory_path() / "lutewise-play-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        err << "一時フォルダーを作れません: " << pattern << '\n';
        return false;
    }
    folder_ = pattern;
    // A signal that ends the program takes the folder with it.
    RegisterTemporary(folder_, true);
    RegisterTemporary(JoinPath(folder_, kPlayFileName));
    RemoveTemporariesOnSignals();
    Session& s = *rows.s;
    std::vector<const RowItems*> items;
    for (const RowItems& r : rows.items) items.push_back(&r);
    TellPlayback(*obj_, s, items);
    if (!WritePlayFile(s, folder_, &why)) {
        err << kPlayFileName << " を書き込めません: " << why << '\n';
        return false;
    }
    playFile_ = JoinPath(folder_, kPlayFileName);
    return true;
}

}  // namespace lw
