#include "new_row_settings.h"

#include <algorithm>

namespace lw {

int RowMeter(const Session& s, int slot) {
    (void)slot;
    return s.MeterID;
}

NewRowSettings SettingsForNewRow(const Session& s, int previousSlot, bool inProject) {
    NewRowSettings n;
    n.measures = std::clamp<int>(s.CurSyosetsuCnt, 1, kMaxMeasures);
    n.meter = s.MeterID;
    if (previousSlot < 0 || previousSlot >= kSlotCount) return n;
    if (!s.KeyName[previousSlot].empty()) n.key = s.KeyName[previousSlot];
    if (inProject) {
        const int count = s.DanBuf[previousSlot].SyosetsuCnt;
        if (count >= 1 && count <= kMaxMeasures) n.measures = count;
        n.meter = RowMeter(s, previousSlot);
    }
    return n;
}

}  // namespace lw
