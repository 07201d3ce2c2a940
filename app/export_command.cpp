#include "export_command.h"
#include "command_usage.h"

#include <filesystem>

#include "command_rows.h"
#include "musicxml_writer.h"

namespace lw {
namespace {

const std::string kMidiUsage = usage::Of(usage::kExportMidi);
const std::string kXmlUsage = usage::Of(usage::kExportMusicXml);
constexpr const char* kNoRows = "書き出す段がありません。";

}  // namespace

int RunExportMidi(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  const std::string& libraryPath) {
    std::vector<std::string> inputs;
    clsKoComm::PlayOptions opt;
    for (size_t i = 0; i < args.size(); ++i) {
        bool option = false;
        if (!TakePlayOption(args, i, opt, option, err)) {
            err << kMidiUsage;
            return 2;
        }
        if (option) continue;
        if (args[i].size() > 1 && args[i][0] == '-') {
            err << "「" << args[i] << "」: --export-midi では使えないオプションです。\n" << kMidiUsage;
            return 2;
        }
        inputs.push_back(args[i]);
    }
    if (inputs.size() < 2) {
        err << kMidiUsage;
        return 2;
    }
    const std::string midi = inputs.front();
    inputs.erase(inputs.begin());
    if (const int code = CheckCommandFiles(inputs, midi, {".mid", ".midi"}, kMidiUsage, err)) return code;
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

int RunExportMusicXml(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    for (const std::string& a : args)
        if (a.size() > 1 && a[0] == '-') {
            err << "「" << a << "」: --export-musicxml では使えないオプションです。\n" << kXmlUsage;
            return 2;
        }
    if (args.size() < 2) {
        err << kXmlUsage;
        return 2;
    }
    const std::string xml = args.front();
    const std::vector<std::string> inputs(args.begin() + 1, args.end());
    if (const int code = CheckCommandFiles(inputs, xml, {".musicxml", ".xml"}, kXmlUsage, err)) return code;
    CommandRows rows;
    if (!ReadCommandRows(inputs, rows, err, kNoRows)) return 1;
    std::vector<ScoreRow> score;
    for (int slot = 0; slot < rows.s->DocCount; ++slot) score.push_back({slot, &rows.items[slot]});
    std::string why;
    if (!WriteMusicXml(*rows.s, score, std::filesystem::path(inputs.front()).stem().string(), xml, &why)) {
        err << why << '\n';
        return 1;
    }
    out << xml << '\n';
    return 0;
}

}  // namespace lw
