// Transposition of the active row and the logic of the key dialog.
#pragma once

#include <string>
#include <vector>

#include "row_port.h"
#include "session.h"
#include "ui_port.h"

namespace lw {

// The 30 key names the key dialog offers: the 15 major keys, then their
// relative minors, in key-signature order.
const std::vector<std::string>& KeyNameList();

// Semitone of a key name for measuring a transposition: a minor key counts
// by its root ("F#m" as "F#"). −1 for an unknown name.
int TranspositionKeyIndex(const std::string& keyName);

// Raises every used fret of the active row by n and transposes its chord
// names. Refused (false, message, nothing changed) when n is negative or a
// fret would pass 255.
bool ItyouTAB(Session& s, UiPort& ui, int n);

// OK of the key dialog. tag "0" sets the key, anything else transposes from
// `current` to `target`. Returns true when the dialog closes.
bool KoKeyOk(Session& s, UiPort& ui, RowPort& port, const std::string& tag,
             const std::string& current, const std::string& target);

}  // namespace lw
