// What a new row starts with: a piece goes on in the key, time signature and
// measure count of the row before it.
#pragma once

#include <string>

#include "session.h"

namespace lw {

struct NewRowSettings {
    int measures = 4;       // CurSyosetsuCnt, 1..8
    int meter = 22;         // MeterID
    std::string key = "C";  // KeyName
};

// The start of a new row after the row in previousSlot (-1: no row before
// it). The key always comes from the row before; in a project the measure
// count and time signature do too, otherwise they are the current ones (the
// set-up wizard has just chosen them).
NewRowSettings SettingsForNewRow(const Session& s, int previousSlot, bool inProject);

}  // namespace lw
