#include "transpose.h"

#include <algorithm>

#include "fretcalc_client.h"
#include "layout_messages.h"
#include "messages.h"

namespace lw {

const std::vector<std::string>& KeyNameList() {
    static const std::vector<std::string> names = {
        "C", "G", "D", "A", "E", "B", "F#", "C#", "F", "B♭", "E♭", "A♭", "D♭", "G♭", "C♭",
        "Am", "Em", "Bm", "F#m", "C#m", "G#m", "D#m", "A#m", "Dm", "Gm", "Cm", "Fm", "B♭m", "E♭m", "A♭m",
    };
    return names;
}

int TranspositionKeyIndex(const std::string& keyName) {
    std::string root = keyName;
    while (!root.empty() && root.back() == ' ') root.pop_back();
    // The note-name table knows roots only; "Am" would not be found at all.
    if (root.size() > 1 && root.back() == 'm') root.pop_back();
    if (root.empty()) return -1;
    return KeyIndexOf(root);
}

bool ItyouTAB(Session& s, UiPort& ui, int n) {
    if (n < 0) return false;
    DanData& dan = s.CurDan();
    const int cnt = std::min<int>(s.CurSyosetsuCnt, kMaxMeasures);
    const int strings = std::min<int>(s.MaxStringIx + 1, kStringSlots - 1);
    // Check every fret first: a byte cannot hold more than 255.
    for (int m = 0; m < cnt; ++m) {
        const auto& ms = dan.Syosetsu[m];
        for (int p = 1; p <= std::clamp<int>(ms.OnpuCnt, 0, kMaxPositions); ++p)
            for (int st = 1; st <= strings; ++st)
                if (ms.Onpu[p].FletUse[st] == kSounding && ms.Onpu[p].Flet[st] + n > 255) {
                    ShowMsg(ui, kMsgFretOverflow, "16");
                    return false;
                }
    }
    for (int m = 0; m < cnt; ++m) {
        auto& ms = dan.Syosetsu[m];
        for (int p = 1; p <= std::clamp<int>(ms.OnpuCnt, 0, kMaxPositions); ++p)
            for (int st = 1; st <= strings; ++st)
                if (ms.Onpu[p].FletUse[st] == kSounding)
                    ms.Onpu[p].Flet[st] = static_cast<uint8_t>(ms.Onpu[p].Flet[st] + n);
        if (!ms.Chord1.empty()) ms.Chord1 = TransposeChordName(ms.Chord1, n % 12);
        if (!ms.Chord2.empty()) ms.Chord2 = TransposeChordName(ms.Chord2, n % 12);
    }
    return true;
}

bool KoKeyOk(Session& s, UiPort& ui, RowPort& port, const std::string& tag,
             const std::string& current, const std::string& target) {
    if (tag == "0") {
        if (current.empty()) {
            ShowMsg(ui, "@0035", "16");
            return false;
        }
        s.KeyName[s.CurDanIx] = current;
        port.PutKeySignature();
        return true;
    }
    if (target.empty()) {
        ShowMsg(ui, "@0035", "16");
        return false;
    }
    const int from = TranspositionKeyIndex(current), to = TranspositionKeyIndex(target);
    if (from < 0 || to < 0) {
        ShowMsg(ui, "@0035", "16");
        return false;
    }
    const int n = to - from;
    if (n < 0) {
        ShowMsg(ui, "@0036", "16");
        return false;
    }
    if (!ItyouTAB(s, ui, n)) return false;
    s.KeyName[s.CurDanIx] = target;
    port.PutKeySignature();
    return true;
}

}  // namespace lw
