#include "import_command.h"
#include "command_usage.h"

#include <algorithm>
#include <filesystem>

#include "command_rows.h"
#include "import_files.h"
#include "messages.h"
#include "musicxml_archive.h"
#include "paths.h"
#include "settings.h"
#include "shell.h"

namespace lw {
namespace {

namespace fs = std::filesystem;

const std::string kUsage = usage::Of(usage::kImportMusicXml);
constexpr const char* kImportFilter = "MusicXMLﾌｧｲﾙ (*.musicxml *.mxl *.xml)|*.musicxml;*.mxl;*.xml";

bool TakeNumber(const std::vector<std::string>& args, size_t& i, int lo, int hi, int& v, std::ostream& err) {
    const std::string option = args[i];
    if (i + 1 >= args.size()) {
        err << option << " には数値が要ります。\n" << kUsage;
        return false;
    }
    const std::string& t = args[++i];
    bool digits = !t.empty() && t.size() <= 4;
    for (char c : t) digits = digits && c >= '0' && c <= '9';
    if (!digits || std::stoi(t) < lo || std::stoi(t) > hi) {
        err << option << " は " << lo << "～" << hi << " です（" << t << "）。\n" << kUsage;
        return false;
    }
    v = std::stoi(t);
    return true;
}

// A note on the instrument when the rows are for another one than the
// settings name: the rows hold the strings of their own instrument.
std::string InstrumentNote(const ImportedPiece& piece, const Session& settings) {
    if (piece.gakkiCode == settings.GakkiCode) return {};
    return "段は「" + TuningCaption(piece.gakkiCode) + "」用です（ファイルの TAB のチューニング）。開く前に楽器を「" +
           TuningCaption(piece.gakkiCode) + "」にしてください。";
}

}  // namespace

bool ImportMusicXmlFiles(const std::string& in, const std::string& outTbp, const Session& settings,
                         const ImportOptions& opt, ImportedPiece& piece, std::vector<std::string>& written,
                         std::string* error) {
    written.clear();
    std::string xml;
    if (!ReadMusicXmlFile(in, xml, error)) return false;
    if (!ImportMusicXml(xml, in, settings, opt, piece, error)) return false;
    std::vector<ImportFile> files;
    if (!ImportFiles(piece, settings, outTbp, files, error)) return false;
    if (!WriteImportFiles(files, {in}, error)) return false;
    for (const ImportFile& f : files) written.push_back(f.path);
    return true;
}

int RunImportMusicXml(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> paths;
    ImportOptions opt;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--part") {
            if (!TakeNumber(args, i, 1, 999, opt.part, err)) return 2;
        } else if (args[i] == "--measures-per-row") {
            if (!TakeNumber(args, i, 1, kMaxMeasures, opt.measuresPerRow, err)) return 2;
        } else if (args[i].rfind("--", 0) == 0) {
            err << kUsage;
            return 2;
        } else {
            paths.push_back(args[i]);
        }
    }
    if (paths.size() != 2) {
        err << kUsage;
        return 2;
    }
    const std::string ini = CurrentIniPath();
    std::error_code ec;
    if (!fs::is_regular_file(ini, ec)) {
        err << "「" << ini << "」が見つかりません。Lutewise.ini のあるフォルダーで実行してください。\n";
        return 1;
    }
    auto s = std::make_unique<Session>();
    s->CurSyosetsuCnt = 4;
    s->CurDanIx = 0;
    StreamUi ui(err);
    if (!ReadIniSettings(*s, ui, ini)) return 1;
    ImportedPiece piece;
    std::vector<std::string> written;
    std::string why;
    if (!ImportMusicXmlFiles(paths[0], paths[1], *s, opt, piece, written, &why)) {
        err << why << '\n';
        return 1;
    }
    for (const std::string& w : piece.warnings) err << w << '\n';
    if (const std::string note = InstrumentNote(piece, *s); !note.empty()) err << note << '\n';
    for (const std::string& w : written) out << w << '\n';
    return 0;
}

bool Shell::ImportMusicXml() {
    const std::string in = ui_.OpenFileName(kImportFilter, LastDir);
    if (in.empty()) return false;
    LastDir = FolderOf(fs::absolute(in).string());
    const std::string out = ui_.SaveFileName(kProjectFilter, JoinPath(LastDir, fs::path(in).stem().string() + ".tbp"));
    if (out.empty()) return false;
    LastDir = FolderOf(fs::absolute(out).string());
    // Rows of the measure count the main window shows, the file's first part.
    ImportOptions opt;
    opt.measuresPerRow = std::clamp<int>(s.CurSyosetsuCnt, 1, kMaxMeasures);
    ImportedPiece piece;
    std::vector<std::string> written;
    std::string why;
    if (!ImportMusicXmlFiles(in, fs::absolute(out).string(), s, opt, piece, written, &why)) {
        ShowMsg(ui_, why, "16");
        return false;
    }
    std::string notes;
    for (const std::string& w : piece.warnings) notes += w + kMsgBreak;
    // The rows hold their instrument's strings: it is chosen before they open.
    if (piece.gakkiCode != s.GakkiCode) {
        if (!CloseAllRows()) {
            ShowMsg(ui_, notes + written.back() + kMsgBreak + "に書き込みました。開いている段があるため、開いていません。", "64");
            return false;
        }
        s.GakkiCode = piece.gakkiCode;
        const GakkiInfo g = GakkiInfoOf(piece.gakkiCode);
        s.MaxStringIx = g.maxStringIx;
        s.GakkiMenuIx = g.menuIx;
        WriteGakki(s, IniPath());
        notes += "楽器を「" + TuningCaption(piece.gakkiCode) + "」にしました。" + kMsgBreak;
    }
    if (!notes.empty()) ShowMsg(ui_, notes, "64");
    // The first project: a piece of more than ten rows gives several.
    for (const std::string& w : written)
        if (w.size() > 4 && w.compare(w.size() - 4, 4, ".tbp") == 0) {
            DoFileProjectOpen(w);
            break;
        }
    return true;
}

}  // namespace lw
