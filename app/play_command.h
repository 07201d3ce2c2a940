// "lutewise --play INPUT... --wav OUT.wav [--tempo N] [--instrument GM] [--base N]":
// the open rows played by the Midi Player of KoComm into its built-in
// synthesizer, rendered into a WAV file faster than real time.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace lw {

// args: everything after "--play". Rows (.tab) and projects (.tbp) are read
// in order as the editor opens them, in the current folder's settings; the
// interchange file goes to a private temporary folder. Prints the WAV's path
// on out; on failure the reason on err, no WAV, result 1.
// libraryPath: libKoComm.so (empty: beside the running program).
int RunPlay(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            const std::string& libraryPath = "");

}  // namespace lw
