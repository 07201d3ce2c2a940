// "lutewise --export-midi OUT.mid INPUT... [--tempo N] [--instrument GM] [--base N]"
// and "lutewise --export-musicxml OUT.musicxml INPUT...": the rows and
// projects, read in order as the editor opens them, written as a Standard
// MIDI File recorded from the Midi Player or as a MusicXML score.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace lw {

// args: everything after the command's option. Prints the written file's
// path on out; on failure the reason on err, no file, result 1.
// libraryPath: libKoComm.so (empty: beside the running program).
int RunExportMidi(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  const std::string& libraryPath = "");
int RunExportMusicXml(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace lw
