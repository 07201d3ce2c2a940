// The .tab row file and the playback interchange file "Interface.tab".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "session.h"

namespace lw {

// Field count of the measure-text and position records by string count:
// 58 for six strings, 42 for four, 51 otherwise.
int RecordFieldCount(int maxStringIx);

// One record = one line of comma-separated fields (texts quoted, CR LF).
// The measure-text record is an array of 101 texts; a position record an
// array of 16-bit integers. Both write/read exactly RecordFieldCount fields.
std::string FormatTextRecord(const std::vector<std::string>& s, int maxStringIx);
std::string FormatPositionRecord(const std::vector<int16_t>& a, int maxStringIx);

struct LoadTabResult {
    bool ok = true;
    std::string error;       // description shown to the user when !ok
    int fretLabelCount = 0;  // controls the row window creates when rebuilt
    int restCount = 0;
    bool hadHeader = false;
};

// Reads path into the active slot (s.CurDanIx) and the window's items. Stops
// at the first error; what was stored before it stays. Never writes outside
// the arrays. Header values (measure count, meter, key) go into the session;
// the caller shows them in the main window.
LoadTabResult LoadTab(Session& s, RowItems& items, const std::string& path);

// Writes the active row. Writes a temporary file beside path and renames it
// over path, so a failed save leaves the previous file intact. Returns false
// with a description on failure.
bool SaveTab(const Session& s, const RowItems& items, const std::string& path, std::string* error = nullptr);

// Serialises the active row exactly as SaveTab writes it (CP932 bytes).
std::string SerializeTab(const Session& s, const RowItems& items);

// Deletes and rewrites folder/"Interface.tab" with the position records of
// slots 0..DocCount-1. Leaves CurDanIx at DocCount-1 as the editor does.
bool WritePlayFile(Session& s, const std::string& folder, std::string* error = nullptr);

}  // namespace lw
