#include "command_line.h"
#include "command_usage.h"

#include "convert.h"
#include "export_command.h"
#include "import_command.h"
#include "play_command.h"
#include "score_command.h"

#ifndef LW_VERSION_MAJOR
#define LW_VERSION_MAJOR 0
#define LW_VERSION_MINOR 0
#define LW_VERSION_PATCH 0
#endif

namespace lw {
namespace {

// Options Qt takes for the editor's window (with their value).
bool IsWindowSystemOption(const std::string& a, bool& takesValue) {
    takesValue = a == "-platform" || a == "-style" || a == "-qwindowgeometry" || a == "-display";
    return takesValue || a == "-reverse";
}

}  // namespace

std::string UsageText() {
    std::string text = usage::Of(usage::kEditor);
    for (const char* form : {usage::kConvert, usage::kPlay, usage::kExportScore, usage::kExportMidi,
                             usage::kExportMusicXml, usage::kImportMusicXml, "--help | -h", "--version"})
        text += std::string("       lutewise ") + form + "\n";
    return text;
}

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) return -1;
    const std::string& cmd = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (cmd == "--help" || cmd == "-h") {
        out << UsageText();
        return 0;
    }
    if (cmd == "--version") {
        out << "lutewise " << LW_VERSION_MAJOR << '.' << LW_VERSION_MINOR << '.' << LW_VERSION_PATCH << '\n';
        return 0;
    }
    if (cmd == "--convert") {
        if (rest.size() != 2 || rest[0].rfind("-", 0) == 0 || rest[1].rfind("-", 0) == 0) {
            err << usage::Of(usage::kConvert);
            return 2;
        }
        const int code = RunConvert(rest[0], rest[1], err);
        if (code == 0) out << rest[1] << '\n';
        return code;
    }
    if (cmd == "--play") return RunPlay(rest, out, err);
    if (cmd == "--export-score") return RunExportScore(rest, out, err);
    if (cmd == "--export-midi") return RunExportMidi(rest, out, err);
    if (cmd == "--export-musicxml") return RunExportMusicXml(rest, out, err);
    if (cmd == "--import-musicxml") return RunImportMusicXml(rest, out, err);
    // The editor's files; an option nobody knows is refused, not opened.
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() < 2 || a[0] != '-') continue;
        bool takesValue = false;
        if (IsWindowSystemOption(a, takesValue)) {
            i += takesValue ? 1 : 0;
            continue;
        }
        err << "「" << a << "」: 知らないオプションです。\n" << UsageText();
        return 2;
    }
    return -1;
}

}  // namespace lw
