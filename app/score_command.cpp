#include "score_command.h"
#include "command_usage.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "command_rows.h"
#include "messages.h"
#include "output_guard.h"
#include "paths.h"
#include "row_picture.h"
#include "safe_file.h"
#include "score_print.h"
#include "shell.h"

namespace lw {
namespace {

namespace fs = std::filesystem;

const std::string kUsage =
    usage::Of(usage::kExportScore) + "  --notes  notes on the staff, as with \"音符を描画する\"\n";

const std::vector<std::string> kScoreExtensions = {".bmp", ".png", ".pdf", ".svg"};

// Every message the editor would show is a reason to stop.
class CollectingUi : public UiPort {
public:
    int MessageBox(const std::string& text, int, const std::string&) override {
        shown.push_back(PlainLineBreaks(text));
        return kIdOk;
    }
    std::string OpenFileName(const std::string&, const std::string&) override { return {}; }
    std::string SaveFileName(const std::string&, const std::string&) override { return {}; }
    std::vector<std::string> shown;
};

// The pages are checked as the name was, then written all or none.
bool WriteScoreFiles(const std::vector<std::pair<std::string, QByteArray>>& files,
                     const std::vector<std::string>& inputs, std::ostream& err) {
    std::vector<PendingFile> pending;
    for (const auto& [path, bytes] : files) {
        const NameCheck c = CheckOutputName(path, kScoreExtensions, inputs);
        if (!c.ok()) {
            err << c.message << '\n';
            return false;
        }
        pending.push_back({path, std::string(bytes.constData(), static_cast<size_t>(bytes.size()))});
    }
    std::string why;
    if (WriteFilesReplacing(pending, &why)) return true;
    err << why << '\n';
    return false;
}

}  // namespace

int RunExportScore(const std::vector<std::string>& given, std::ostream& out, std::ostream& err) {
    std::vector<std::string> args;
    bool notes = false;
    for (const std::string& a : given) {
        if (a == "--notes") {
            notes = true;
        } else if (a.size() > 1 && a[0] == '-') {
            err << "「" << a << "」: --export-score では使えないオプションです。\n" << kUsage;
            return 2;
        } else {
            args.push_back(a);
        }
    }
    if (args.size() < 2) {
        err << kUsage;
        return 2;
    }
    const std::string target = args[0];
    const std::vector<std::string> inputs(args.begin() + 1, args.end());
    if (const int code = CheckCommandFiles(inputs, target, kScoreExtensions, kUsage, err)) return code;
    std::error_code ec;
    const std::string ini = JoinPath(CurrentFolder(), "Lutewise.ini");
    if (!fs::is_regular_file(ini, ec)) {
        err << "「" << ini << "」が見つかりません。Lutewise.ini のあるフォルダーで実行してください。\n";
        return 1;
    }
    if (!QGuiApplication::instance()) {
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "lutewise";
        static char* argv[] = {name, nullptr};
        new QGuiApplication(argc, argv);
        InstallFontSubstitutions();
    }

    // The rows as the editor opens them.
    CollectingUi ui;
    MemoryUserStore store;
    Shell shell(ui, store);
    shell.ProgramFolder = CurrentFolder();
    shell.MainLoad();
    shell.InitStartValues();
    shell.DrawNote = notes;
    // No window shows a row: each is painted once, for the score.
    shell.PaintOnDemand = true;
    auto failed = [&](const std::string& what) {
        err << what << '\n';
        for (const std::string& m : ui.shown) err << m << '\n';
        return 1;
    };
    if (!ui.shown.empty()) return failed("「" + ini + "」を読み込めません。");
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& in = args[i];
        const std::string e = LowerExtension(in);
        if (e == ".tab") {
            std::string why;
            if (!shell.TabReadable(in, why)) return failed("「" + in + "」を読み込めません: " + why);
            shell.DoFileOpen(in);
        } else if (e == ".tbp") {
            shell.DoFileProjectOpen(in, false);
        } else {
            return failed("「" + in + "」は .tab でも .tbp でもありません。");
        }
        if (!ui.shown.empty()) return failed("「" + in + "」を開けませんでした。");
    }
    for (auto& r : shell.Rows())
        if (!r->GroundError.empty()) return failed(r->GroundError);
    if (!shell.CreateGakufu("0", true) || !ui.shown.empty()) return failed("楽譜にする段がありません。");

    // Everything is encoded before the first file is written.
    std::vector<std::pair<std::string, QByteArray>> files;
    std::string why;
    if (!EncodeScoreFiles(shell, target, files, &why)) return failed(why);
    if (!WriteScoreFiles(files, inputs, err)) return 1;
    for (const auto& f : files) out << f.first << '\n';
    return 0;
}

}  // namespace lw
