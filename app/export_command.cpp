#include "export_command.h"

#include "command_rows.h"

namespace lw {
namespace {

constexpr const char* kMidiUsage =
    "usage: lutewise --export-midi OUT.mid INPUT.tab|INPUT.tbp ... [--tempo N] [--instrument GM] [--base N]\n";
constexpr const char* kNoRows = "書き出す段がありません。";

}  // namespace

int RunExportMidi(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  const std::string& libraryPath) {
    std::vector<std::string> inputs;
    clsKoComm::PlayOptions opt;
    for (size_t i = 0; i < args.size(); ++i) {
        bool option = false;
        if (!TakePlayOption(args, i, opt, option, err)) return 1;
        if (option) continue;
        if (args[i].rfind("--", 0) == 0) {
            err << kMidiUsage;
            return 1;
        }
        inputs.push_back(args[i]);
    }
    if (inputs.size() < 2) {
        err << kMidiUsage;
        return 1;
    }
    const std::string midi = inputs.front();
    inputs.erase(inputs.begin());
    CommandRows rows;
    if (!ReadCommandRows(inputs, rows, err, kNoRows)) return 1;
    HeadlessKoComm ko;
    if (!ko.Prepare(rows, libraryPath, err)) return 1;
    std::string why;
    if (!ko.Object().Play_ToMidiFile(ko.PlayFile(), midi, opt, why)) {
        err << why << '\n';
        return 1;
    }
    out << midi << '\n';
    return 0;
}

}  // namespace lw
