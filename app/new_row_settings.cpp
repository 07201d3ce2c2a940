#include "new_row_settings.h"

#include <algorithm>

#include "tab_file.h"

namespace lw {

NewRowSettings SettingsForNewRow(const Session& s, int previousSlot, bool inProject) {
    NewRowSettings n;
    n.measures = std::clamp<int>(s.CurSyosetsuCnt, 1, kMaxMeasures);
    n.meter = s.MeterID;
    if (previousSlot < 0 || previousSlot >= kSlotCount) return n;
    if (!s.KeyName[previousSlot].empty()) n.key = s.KeyName[previousSlot];
    if (inProject) {
        const int count = s.DanBuf[previousSlot].SyosetsuCnt;
        if (count >= 1 && count <= kMaxMeasures) n.measures = count;
        n.meter = PlayMeterID(s, previousSlot);  // the row's own (the session's when active)
    }
    return n;
}

}  // namespace lw
