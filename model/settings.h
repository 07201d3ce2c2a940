// Lutewise.ini: the Windows-style settings file, its reader and writers.
#pragma once

#include <cstdint>
#include <string>

#include "session.h"
#include "ui_port.h"

namespace lw {

// Private-profile access in the manner of the Windows calls: section and key
// names compare case-insensitively; writing one key keeps every other line
// of the file. The file is CP932 on disk (UTF-8 accepted when valid).
class ProfileFile {
public:
    // The value (trimmed of surrounding blanks, at most 255 characters);
    // found=false when the section or key is absent.
    static std::string Read(const std::string& path, const std::string& section,
                            const std::string& key, bool* found = nullptr);
    // Replaces the key's line, or appends the key at the end of its section,
    // or appends the section; every other byte of the file stays. Written via
    // a temporary file and rename. The file keeps its encoding (CP932, or
    // UTF-8 when it already is; an ASCII file becomes UTF-8 for text CP932
    // cannot hold). False, file untouched, when the write fails or the text
    // cannot be stored (line breaks, "]" in a section, "=" in a key, text
    // CP932 cannot hold in a CP932 file).
    static bool Write(const std::string& path, const std::string& section,
                      const std::string& key, const std::string& value);
};

// The settings file of the current folder: current folder + "/Lutewise.ini".
std::string CurrentIniPath();

// The largest settings file that is read.
constexpr size_t kMaxSettingsFileBytes = 1u << 20;

// GetIni: a missing or empty key is no number, so an integer target then
// fails (false, target unchanged); a text target receives "" (not a lone NUL
// character) and the call succeeds. Numbers outside the 16-bit range fail.
bool GetIni(const std::string& path, const std::string& section, const std::string& key, std::string& target);
bool GetIni(const std::string& path, const std::string& section, const std::string& key, int16_t& target);

struct GakkiInfo {
    int16_t maxStringIx;
    int16_t menuIx;
};
GakkiInfo GakkiInfoOf(int gakkiCode);

// Reads the whole file in order (the instrument and the common-settings
// options only at the first reading of a session), derives the layout of the slots and
// initialises the bar flags. Shows "@0019"CRLF"@0020" and returns false at the
// first unreadable value (missing or not a number, a tuning list of more than
// six entries or an index outside the pitch list, geometry whose twips leave
// the 16-bit range); values already read stay. A missing or empty MruList
// gives no recent files.
bool ReadIniSettings(Session& s, UiPort& ui, const std::string& iniPath);

// Copies the active slot's TabLeft, TabWidth and intervals into every slot,
// derives heights, staff left and width, then the measure boxes of every slot
// whose TabTop is not 0 from TabLeft/TabWidth and CurSyosetsuCnt. Returns
// false and changes nothing when a derived value would leave the 16-bit
// range or the measure count is not 1..8.
bool DeriveLayout(Session& s);

// Slots 0..9, measures 0..CurSyosetsuCnt-1: the closing bar line is placed
// (BarVisible -1); a measure without its plain bar flag gets the default
// flags 0, 0, -1, -1, 0, 0.
void InitBarFlags(Session& s);

bool WriteGakki(const Session& s, const std::string& iniPath);
bool WriteTuning(const Session& s, const std::string& iniPath);
bool WriteMru(const Session& s, const std::string& iniPath);

}  // namespace lw
