// The forms of lutewise's command line, written once: each headless command
// prints its own form on a wrong command line, --help prints them all.
#pragma once

#include <string>

namespace lw::usage {

inline constexpr const char* kEditor = "[FILE.tab|FILE.tbp ...]";
inline constexpr const char* kConvert = "--convert IN.tab OUT.tab";
inline constexpr const char* kPlay =
    "--play INPUT.tab|INPUT.tbp ... --wav OUT.wav [--tempo N] [--instrument GM] [--base N]";
inline constexpr const char* kExportScore =
    "--export-score [--notes] OUT.bmp|OUT.png|OUT.pdf|OUT.svg INPUT.tab|INPUT.tbp ...";
inline constexpr const char* kExportMidi =
    "--export-midi OUT.mid INPUT.tab|INPUT.tbp ... [--tempo N] [--instrument GM] [--base N]";
inline constexpr const char* kExportMusicXml = "--export-musicxml OUT.musicxml INPUT.tab|INPUT.tbp ...";
inline constexpr const char* kImportMusicXml =
    "--import-musicxml IN.musicxml|IN.mxl OUT.tbp [--part N] [--measures-per-row M]";

// "usage: lutewise FORM" and a line end.
inline std::string Of(const char* form) { return std::string("usage: lutewise ") + form + "\n"; }

}  // namespace lw::usage
