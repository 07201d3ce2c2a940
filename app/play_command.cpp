#include "play_command.h"
#include "command_usage.h"

#include <unistd.h>

#include "command_rows.h"
#include "play_order.h"
#include "safe_file.h"
#include "tab_file.h"

namespace lw {
namespace {

const std::string kUsage = usage::Of(usage::kPlay);

// The renderer's messages name the file the user asked for.
std::string Renamed(std::string text, const std::string& from, const std::string& to) {
    for (size_t k = 0; !from.empty() && (k = text.find(from, k)) != std::string::npos; k += to.size())
        text.replace(k, from.size(), to);
    return text;
}

}  // namespace

void TellPlayback(clsKoComm& obj, const Session& s, const std::vector<const RowItems*>& items) {
    obj.let_p_SyosetsuSu(s.CurSyosetsuCnt);
    obj.let_p_DocumentCount(s.DocCount);
    obj.let_p_Gakki(s.GakkiCode);
    obj.let_p_LineCnt(s.MaxStringIx);
    obj.let_p_MeterID(s.MeterID);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const bool used = slot < s.DocCount;
        obj.let_p_RowSyosetsuSu(static_cast<int16_t>(slot), static_cast<int16_t>(used ? PlayMeasureCount(s, slot) : 0));
        obj.let_p_RowMeterID(static_cast<int16_t>(slot), static_cast<int16_t>(used ? PlayMeterID(s, slot) : -1));
    }
    obj.Put_PlayOrder(WalkRepeats(WalkMeasuresOf(s, items)));
}

int RunPlay(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const std::string& libraryPath) {
    std::vector<std::string> inputs;
    std::string wav;
    clsKoComm::PlayOptions opt;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool option = false;
        if (!TakePlayOption(args, i, opt, option, err)) {
            err << kUsage;
            return 2;
        }
        if (option) continue;
        if (a == "--wav") {
            const bool value = i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0;
            if (!value || !wav.empty()) {
                err << (value ? "--wav: 書き出す WAV は一つだけ指定してください。\n" : "--wav: 値がありません。\n") << kUsage;
                return 2;
            }
            wav = args[++i];
        } else if (a.size() > 1 && a[0] == '-') {
            err << "「" << a << "」: --play では使えないオプションです。\n" << kUsage;
            return 2;
        } else {
            inputs.push_back(a);
        }
    }
    if (inputs.empty() || wav.empty()) {
        err << kUsage;
        return 2;
    }
    if (const int code = CheckCommandFiles(inputs, wav, {".wav"}, kUsage, err)) return code;
    CommandRows rows;
    if (!ReadCommandRows(inputs, rows, err, "再生する段がありません。")) return 1;
    HeadlessKoComm ko;
    if (!ko.Prepare(rows, libraryPath, err)) return 1;

    // The sound goes to a temporary beside the WAV (the renderer adds its own
    // suffix while it writes); a signal that ends the program removes both.
    std::string target, why;
    if (!ResolveLinks(wav, target, why)) {
        err << "「" << wav << "」に書き出せません: " << why << '\n';
        return 1;
    }
    const std::string temp = TemporaryBeside(target);
    const std::string rendering = temp + ".part" + std::to_string(getpid());
    RegisterTemporary(temp);
    RegisterTemporary(rendering);
    RemoveTemporariesOnSignals();
    const bool played = ko.Object().Play_ToWav(ko.PlayFile(), temp, opt, why);
    const bool placed = played && PutFileInPlace(temp, wav, &why);
    if (!played) ::unlink(temp.c_str());
    UnregisterTemporary(temp);
    UnregisterTemporary(rendering);
    if (!placed) {
        err << Renamed(why, temp, wav) << '\n';
        return 1;
    }
    out << wav << '\n';
    return 0;
}

}  // namespace lw
