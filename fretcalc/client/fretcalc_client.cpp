// The thin wrapper over libFretcalc.so's C interface: converts UTF-8 to and
// from Shift-JIS, pads texts as the library's comparisons need, and passes
// texts by reference (the address of the text pointer) as the library expects.
#include "fretcalc_client.h"

#include "fretcalc.h"
#include "text_codec.h"
#include "utf8_text.h"

#include <climits>
#include <cstring>

namespace lw {

using fretcalc_detail::PadToChars;
using fretcalc_detail::TrimBlanks;

bool GetChordFrets(int root, const std::string& type, int position, std::array<int32_t, 4>& frets) {
    // The library compares the first 10 bytes; pad the Shift-JIS text to 10.
    std::string sjis = Utf8ToCp932(type);
    if (sjis.size() < 10) sjis.append(10 - sjis.size(), ' ');
    const char* text = sjis.c_str();
    int32_t out[4] = {};
    if (::GetChord(root, &text, position, out) == 0) return false;
    for (int s = 0; s < 4; ++s) frets[static_cast<size_t>(s)] = out[s];
    return true;
}

std::vector<ChordType> EnumChordTypes() {
    std::vector<ChordType> types;
    for (int32_t index = 0; index < FRETCALC_CHORD_TYPES; ++index) {
        ChordTypeRecord record{};
        if (::EnumChordTable(&record, index) == 0) break;  // the terminator "EOF"
        ChordType type;
        type.name = Cp932ToUtf8(std::string_view(record.name, strnlen(record.name, sizeof record.name)));
        for (const ChordToneRecord& tone : record.tones) {
            const size_t labelLen = strnlen(tone.label, sizeof tone.label);
            if (labelLen == 0) break;  // the first empty label ends the list
            ChordTone t;
            t.semitones = tone.semitones;
            t.label = Cp932ToUtf8(std::string_view(tone.label, labelLen));
            t.sounded = tone.sounded != 0;
            type.tones.push_back(std::move(t));
        }
        types.push_back(std::move(type));
    }
    return types;
}

std::string PaddedChordTypeName(const std::string& type) { return PadToChars(type, 10); }

int KeyIndexOf(const std::string& name) {
    const std::string sjis = Utf8ToCp932(PadToChars(name, 6));
    const char* text = sjis.c_str();
    return ::GetKeyIndex(&text);
}

std::string KeyNameOf(int semitone) {
    char buffer[8] = "    ";  // 4 blanks, NUL; the library writes 4 bytes and a NUL
    char* text = buffer;
    ::GetKey(semitone, &text);
    buffer[sizeof buffer - 1] = '\0';
    return Cp932ToUtf8(TrimBlanks(buffer));
}

bool FivelinePosTable(const std::string& keyName, bool bass, StaffPosTable& table) {
    const std::string sjis = Utf8ToCp932(keyName);
    const char* text = sjis.c_str();
    // The result is 0 either way; an unknown name leaves the table untouched,
    // which a sentinel in entry 0 shows (a filled entry 0 is line 8 or 6).
    int32_t raw[kStaffEntries * 4];
    raw[0] = INT32_MIN;
    if (bass)
        ::GetFivelinePosTable2(&text, raw);
    else
        ::GetFivelinePosTable(&text, raw);
    if (raw[0] == INT32_MIN) return false;
    for (int s = 0; s < kStaffEntries; ++s) {
        StaffPos& e = table[static_cast<size_t>(s)];
        e.line = raw[4 * s];
        e.half = raw[4 * s + 1];
        e.raise = raw[4 * s + 2];
        e.lower = raw[4 * s + 3];
    }
    return true;
}

StaffPosTable FivelinePosTable(const std::string& keyName, bool bass) {
    StaffPosTable table{};
    FivelinePosTable(keyName, bass, table);
    return table;
}

}  // namespace lw
