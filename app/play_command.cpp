#include "play_command.h"

#include "command_rows.h"
#include "play_order.h"
#include "tab_file.h"

namespace lw {
namespace {

constexpr const char* kUsage =
    "usage: lutewise --play INPUT.tab|INPUT.tbp ... --wav OUT.wav [--tempo N] [--instrument GM] [--base N]\n";

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
        if (!TakePlayOption(args, i, opt, option, err)) return 1;
        if (option) continue;
        if (a == "--wav" && i + 1 < args.size()) {
            wav = args[++i];
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
    CommandRows rows;
    if (!ReadCommandRows(inputs, rows, err, "再生する段がありません。")) return 1;
    HeadlessKoComm ko;
    if (!ko.Prepare(rows, libraryPath, err)) return 1;
    std::string why;
    if (!ko.Object().Play_ToWav(ko.PlayFile(), wav, opt, why)) {
        err << why << '\n';
        return 1;
    }
    out << wav << '\n';
    return 0;
}

}  // namespace lw
