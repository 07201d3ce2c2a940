// "lutewise --play INPUT... --wav OUT.wav [--tempo N] [--instrument GM] [--base N]":
// the open rows played by the Midi Player of KoComm into its built-in
// synthesizer, rendered into a WAV file faster than real time.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "ko_comm.h"
#include "session.h"

namespace lw {

// Tells obj what playback needs of the rows 0..DocCount-1 of s (items by
// slot; null: a row without signs): the active row's settings, every row's
// own measure count and time signature, and the order in which a musician
// plays the measures. Call it before the interchange file is written (that
// moves the active slot).
void TellPlayback(clsKoComm& obj, const Session& s, const std::vector<const RowItems*>& items);

// args: everything after "--play". Rows (.tab) and projects (.tbp) are read
// in order as the editor opens them, in the current folder's settings; the
// interchange file goes to a private temporary folder. Prints the WAV's path
// on out; on failure the reason on err, no WAV, result 1.
// libraryPath: libKoComm.so (empty: beside the running program).
int RunPlay(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            const std::string& libraryPath = "");

}  // namespace lw
