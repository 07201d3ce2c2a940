// State of the note being entered, shared by the row windows and the
// note-entry dialog: every new position is a copy of CurOnpu.
#pragma once

#include <cstdint>
#include <string>

#include "dan_data.h"

namespace lw {

struct NoteEntryState {
    OnpuData CurOnpu{};
    int16_t CurNoteLengthID = 2;   // quarter note
    int16_t CurSanrenOpt = 0;
    // Window point of the note being entered (twips, as the dialog shows it).
    std::string BeforeX = "0";
    std::string BeforeY = "0";
    // Set when a note lands in a measure other than the current one; makes
    // the recovery copy be written.
    bool MeasureChanged = false;
};

}  // namespace lw
