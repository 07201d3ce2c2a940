// The open rows as one MusicXML 4.0 score (score-partwise): one part for the
// instrument with a standard staff and a TAB staff, measures in row order.
// Pitches, clef and spelling follow the rows' staff notation; durations
// follow the rows' rhythm values.
#pragma once

#include <string>
#include <vector>

#include "instrument_sound.h"
#include "session.h"

namespace lw {

// One row of the score: its slot in the session and its window's texts and
// repeat marks.
struct ScoreRow {
    int slot = 0;
    const RowItems* items = nullptr;
};

// Divisions of a quarter note in the written file: a whole note of the rows
// (96 ticks) is 192, so a dotted thirty-second (4.5 ticks) stays exact.
inline constexpr int kXmlDivisions = 48;

// Duration in divisions of a position of rhythm id `id` with attribute byte
// attr; 0 for a value that takes no time.
int XmlDuration(int id, uint8_t attr);

// The document, UTF-8. title names the work (may be empty).
std::string MusicXmlOf(const Session& s, const std::vector<ScoreRow>& rows, const std::string& title);

// Writes it through a temporary file and rename. False with the reason.
bool WriteMusicXml(const Session& s, const std::vector<ScoreRow>& rows, const std::string& title,
                   const std::string& path, std::string* error);

}  // namespace lw
