// The .tab row file and the playback interchange file "Interface.tab".
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "record_io.h"
#include "safe_file.h"
#include "session.h"

namespace lw {

// Files larger than this are refused unread: a full row with many texts is a
// few hundred kilobytes at most.
constexpr size_t kMaxTabFileBytes = 4u << 20;

// A free text read from a file is at most this long and this large: more
// never fits a row picture, and drawing it would take minutes.
constexpr size_t kMaxFreeTextChars = 255;
constexpr double kMaxFreeTextPoints = 200;

// The name of the playback interchange file in the current folder.
inline constexpr const char* kPlayFileName = "Interface.tab";

struct LoadTabResult {
    bool ok = true;
    std::string error;       // description shown to the user when !ok
    int fretLabelCount = 0;  // controls the row window creates when rebuilt
    int restCount = 0;
    bool hadHeader = false;
};

// Called by LoadTab right after a header changed the measure count (already
// in s.CurSyosetsuCnt and the slot's SyosetsuCnt), before the measure texts
// are read: the editor re-reads the settings there so that the measure boxes
// fit the new count; stored measure positions then override them.
using MeasureCountChanged = std::function<void(Session&)>;

// Reads path into the active slot (s.CurDanIx) and the window's items (which
// are cleared first). Stops at the first error; what was stored before it
// stays. Every record is checked before any of it is stored, so nothing is
// written outside the arrays. Header values (measure count, meter, key) go
// into the session; the caller shows them in the main window. Text and
// repeat-mark geometry outside the 16-bit twips range, texts longer than
// kMaxFreeTextChars and font sizes outside 0..kMaxFreeTextPoints are errors
// like any other bad value. Anything but a regular file is refused unread.
LoadTabResult LoadTab(Session& s, RowItems& items, const std::string& path,
                      const MeasureCountChanged& onMeasureCount = {});
// The same from bytes already in memory; name is used in messages only.
LoadTabResult LoadTabFromBytes(Session& s, RowItems& items, std::string_view bytes,
                               const std::string& name, const MeasureCountChanged& onMeasureCount = {});

// Writes the active row. Writes a temporary file beside path and renames it
// over path, so a failed save leaves the previous file intact. Returns false
// with a description on failure.
bool SaveTab(const Session& s, const RowItems& items, const std::string& path, std::string* error = nullptr);

// Serialises the active row exactly as SaveTab writes it: CP932 bytes, or
// UTF-8 when a text holds characters CP932 cannot.
std::string SerializeTab(const Session& s, const RowItems& items);

// Appends the position records of measures 0..measureCount-1 of slot, each
// carrying slot in A(1).
void AppendPositionRecords(std::string& out, const Session& s, int slot, int measureCount);

// Deletes and rewrites folder/"Interface.tab" with the position records of
// slots 0..DocCount-1. Leaves CurDanIx at DocCount-1 as the editor does.
bool WritePlayFile(Session& s, const std::string& folder, std::string* error = nullptr);

// What playback takes of slot i: its measure count and time signature. The
// active row's are the session's settings; every other row has its own (a
// row without a count takes the active row's).
int PlayMeasureCount(const Session& s, int slot);
int PlayMeterID(const Session& s, int slot);


}  // namespace lw
