#include "settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <vector>

#include "messages.h"
#include "paths.h"
#include "safe_file.h"
#include "text_codec.h"

namespace lw {
namespace {

constexpr size_t kMaxValueChars = 255;

std::string Trim(const std::string& s) {
    const char* blanks = " \t\r\n\v\f";
    size_t b = s.find_first_not_of(blanks);
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(blanks);
    return s.substr(b, e - b + 1);
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// First n UTF-8 characters of s.
std::string LimitChars(const std::string& s, size_t n) {
    size_t chars = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (chars == n) return s.substr(0, i);
            ++chars;
        }
    }
    return s;
}

bool HasNonAscii(const std::string& bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

// The settings file is a few kilobytes; anything but a regular file of at
// most a megabyte is not read (a FIFO would block, a device never ends).
bool ReadBytes(const std::string& path, std::string& bytes) {
    std::string why;
    return ReadRegularFile(path, kMaxSettingsFileBytes, bytes, why);
}

// One physical line of the file: its bytes without the line end, the line
// end itself ("\r\n", "\n" or "" for an unterminated last line) and what it
// means to the profile syntax.
struct IniLine {
    std::string raw;
    std::string eol;
    enum Kind { kOther, kSection, kKey } kind = kOther;
    std::string name;   // section name or key name (decoded, trimmed)
    std::string value;  // decoded, trimmed (keys only)
};

struct IniText {
    std::vector<IniLine> lines;
    bool utf8 = false;      // valid UTF-8 holding non-ASCII text
    bool ascii = true;      // nothing but ASCII
    std::string bom;        // UTF-8 byte-order mark kept in front of line 0
    std::string eol = "\r\n";
};

IniText ParseIni(const std::string& bytesIn) {
    IniText t;
    std::string bytes = bytesIn;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        t.bom = bytes.substr(0, 3);
        bytes.erase(0, 3);
    }
    t.ascii = !HasNonAscii(bytes);
    t.utf8 = !t.ascii && IsValidUtf8(bytes);
    if (!t.bom.empty()) t.utf8 = IsValidUtf8(bytes);
    bool sawCrLf = false, sawLf = false;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t nl = bytes.find('\n', pos);
        IniLine line;
        if (nl == std::string::npos) {
            line.raw = bytes.substr(pos);
            pos = bytes.size();
        } else {
            line.raw = bytes.substr(pos, nl - pos);
            line.eol = '\n';
            if (!line.raw.empty() && line.raw.back() == '\r') {
                line.raw.pop_back();
                line.eol = "\r\n";
                sawCrLf = true;
            } else {
                sawLf = true;
            }
            pos = nl + 1;
        }
        // Each line is decoded on its own: a CP932 trail byte may be '[' or
        // ']', so the syntax is only looked at after decoding.
        const std::string text = t.utf8 || t.ascii ? line.raw : Cp932ToUtf8(line.raw);
        const std::string trimmed = Trim(text);
        if (!trimmed.empty() && trimmed[0] == '[') {
            size_t close = trimmed.find(']');
            line.kind = IniLine::kSection;
            line.name = Trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
        } else if (size_t eq = text.find('='); eq != std::string::npos) {
            line.kind = IniLine::kKey;
            line.name = Trim(text.substr(0, eq));
            line.value = Trim(text.substr(eq + 1));
        }
        t.lines.push_back(std::move(line));
    }
    if (sawLf && !sawCrLf) t.eol = '\n';
    return t;
}

// Index range [begin, end) of the body of the first section called `section`;
// begin = npos when there is none.
void FindSection(const IniText& t, const std::string& section, size_t& begin, size_t& end) {
    begin = end = std::string::npos;
    for (size_t i = 0; i < t.lines.size(); ++i) {
        const IniLine& l = t.lines[i];
        if (l.kind != IniLine::kSection) continue;
        if (begin != std::string::npos) {
            end = i;
            return;
        }
        if (EqualsNoCase(l.name, section)) begin = i + 1;
    }
    if (begin != std::string::npos) end = t.lines.size();
}

// Plain decimal integer within the 16-bit range; blanks around it allowed.
bool ParseInt16(const std::string& text, int16_t& out) {
    const std::string t = Trim(text);
    size_t i = 0;
    bool neg = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) neg = t[i++] == '-';
    if (i == t.size()) return false;
    long v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return false;
        v = v * 10 + (t[i] - '0');
        if (v > 32768) return false;
    }
    if (neg) v = -v;
    if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max()) return false;
    out = static_cast<int16_t>(v);
    return true;
}

bool FitsInt16(long long v) {
    return v >= std::numeric_limits<int16_t>::min() && v <= std::numeric_limits<int16_t>::max();
}

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> parts;
    size_t pos = 0;
    while (true) {
        size_t k = s.find(sep, pos);
        parts.push_back(s.substr(pos, k == std::string::npos ? std::string::npos : k - pos));
        if (k == std::string::npos) break;
        pos = k + 1;
    }
    return parts;
}

// A list of numbers, every element converted; false on an element that is
// not a 16-bit number.
bool ParseIntList(const std::string& text, std::vector<int16_t>& out) {
    out.clear();
    for (const std::string& part : Split(Trim(text), ',')) {
        int16_t v = 0;
        if (!ParseInt16(part, v)) return false;
        out.push_back(v);
    }
    return true;
}

// Pixels from the file times the screen factor, refused when the twips would
// leave the 16-bit range.
bool ToTwips(int16_t pixels, int factor, int16_t& out) {
    long long v = static_cast<long long>(pixels) * factor;
    if (!FitsInt16(v)) return false;
    out = static_cast<int16_t>(v);
    return true;
}

constexpr int kPitchCount = 36;  // entries of the tuning dialog's pitch list

}  // namespace

// ---------------------------------------------------------------------------

std::string ProfileFile::Read(const std::string& path, const std::string& section,
                              const std::string& key, bool* found) {
    if (found) *found = false;
    std::string bytes;
    if (!ReadBytes(path, bytes)) return {};
    const IniText t = ParseIni(bytes);
    size_t begin, end;
    FindSection(t, Trim(section), begin, end);
    if (begin == std::string::npos) return {};
    const std::string k = Trim(key);
    for (size_t i = begin; i < end; ++i) {
        const IniLine& l = t.lines[i];
        if (l.kind == IniLine::kKey && EqualsNoCase(l.name, k)) {
            if (found) *found = true;
            return LimitChars(l.value, kMaxValueChars);
        }
    }
    return {};
}

bool ProfileFile::Write(const std::string& path, const std::string& sectionIn,
                        const std::string& keyIn, const std::string& value) {
    const std::string section = Trim(sectionIn);
    const std::string key = Trim(keyIn);
    // Names and values that would break the line structure are refused
    // rather than written half.
    auto hasBreak = [](const std::string& s) { return s.find_first_of("\r\n", 0) != std::string::npos ||
                                                      s.find('\0') != std::string::npos; };
    if (section.empty() || key.empty() || hasBreak(section) || hasBreak(key) || hasBreak(value)) return false;
    if (section.find(']') != std::string::npos || key.find('=') != std::string::npos || key[0] == '[')
        return false;
    if (!IsValidUtf8(section) || !IsValidUtf8(key) || !IsValidUtf8(value)) return false;

    std::string bytes;
    if (!ReadBytes(path, bytes)) {
        std::error_code ec;
        if (std::filesystem::exists(path, ec)) return false;  // there but unreadable: leave it alone
        bytes.clear();
    }
    IniText t = ParseIni(bytes);

    // The file stays in its own encoding: CP932 unless it already holds
    // UTF-8 text. A plain ASCII file takes UTF-8 for text CP932 cannot hold;
    // in a CP932 file such text is refused instead of turning into "?".
    auto encode = [&t](const std::string& utf8, std::string& out) {
        if (t.utf8 || !HasNonAscii(utf8)) {
            out = utf8;
            return true;
        }
        out = Utf8ToCp932(utf8);
        if (Cp932ToUtf8(out) == utf8) return true;
        if (t.ascii) {
            out = utf8;
            t.utf8 = true;
            return true;
        }
        return false;
    };
    std::string sectionBytes, keyBytes, valueBytes;
    if (!encode(value, valueBytes) || !encode(key, keyBytes) || !encode(section, sectionBytes)) return false;

    size_t begin, end;
    FindSection(t, section, begin, end);
    IniLine added;
    added.raw = keyBytes + "=" + valueBytes;
    added.eol = t.eol;
    if (begin != std::string::npos) {
        size_t lastContent = begin;  // a new key goes after the section's last non-blank line
        bool replaced = false;
        for (size_t i = begin; i < end && !replaced; ++i) {
            IniLine& l = t.lines[i];
            if (l.kind == IniLine::kKey && EqualsNoCase(l.name, key)) {
                // Keep the key as the file spells it, and the line end.
                l.raw = Trim(l.raw.substr(0, l.raw.find('='))) + "=" + valueBytes;
                replaced = true;
            } else if (!Trim(l.raw).empty()) {
                lastContent = i + 1;
            }
        }
        if (!replaced) {
            if (t.lines[lastContent - 1].eol.empty()) t.lines[lastContent - 1].eol = t.eol;
            t.lines.insert(t.lines.begin() + static_cast<long>(lastContent), added);
        }
    } else {
        if (!t.lines.empty() && t.lines.back().eol.empty()) t.lines.back().eol = t.eol;
        IniLine head;
        head.raw = "[" + sectionBytes + "]";
        head.eol = t.eol;
        t.lines.push_back(head);
        t.lines.push_back(added);
    }

    std::string out = t.bom;
    for (const IniLine& l : t.lines) out += l.raw + l.eol;
    return WriteFileReplacing(path, out);
}

std::string CurrentIniPath() { return JoinPath(CurrentFolder(), "Lutewise.ini"); }

// A missing key and an empty value both give an empty text (the value is
// then no number, so the integer form fails). Text targets get "" rather than
// a lone NUL character, which would only leak into lists and file names.
bool GetIni(const std::string& path, const std::string& section, const std::string& key, std::string& target) {
    target = ProfileFile::Read(path, section, key);
    return true;
}

bool GetIni(const std::string& path, const std::string& section, const std::string& key, int16_t& target) {
    const std::string text = ProfileFile::Read(path, section, key);
    int16_t v = 0;
    if (!ParseInt16(text, v)) return false;
    target = v;
    return true;
}

GakkiInfo GakkiInfoOf(int code) {
    if (code == 0 || (code >= 6 && code <= 14) || code == 99) return {5, 0};
    if (code >= 1 && code <= 4) return {3, static_cast<int16_t>(code)};
    if (code == 98) return {3, 1};
    if (code == 22) return {4, 6};
    return {4, 5};
}

bool DeriveLayout(Session& s) {
    if (s.CurDanIx < 0 || s.CurDanIx >= kSlotCount) return false;
    const DanLayoutData& a = s.CurLayout();
    const long long staffHeight = 4LL * a.StaffInterval;
    const long long tabHeight = static_cast<long long>(a.StringInterval) * s.MaxStringIx;
    const long long rightEnd = static_cast<long long>(a.TabLeft) + a.TabWidth;
    const int n = s.CurSyosetsuCnt;
    if (!FitsInt16(staffHeight) || !FitsInt16(tabHeight) || !FitsInt16(rightEnd)) return false;
    if (n < 1 || n > kMaxMeasures) return false;

    // Every slot shows its row with the geometry of the active one.
    const DanLayoutData src = a;
    for (DanLayoutData& d : s.DanLayout) {
        d.TabLeft = src.TabLeft;
        d.TabWidth = src.TabWidth;
        d.StringInterval = src.StringInterval;
        d.StaffInterval = src.StaffInterval;
        d.StaffHeight = static_cast<int16_t>(staffHeight);
        d.TabHeight = static_cast<int16_t>(tabHeight);
        d.StaffLeft = src.TabLeft;
        d.StaffWidth = src.TabWidth;
    }

    const float q = static_cast<float>(src.TabWidth) / static_cast<float>(n);
    const int16_t w = static_cast<int16_t>(std::nearbyint(q));
    for (DanLayoutData& d : s.DanLayout) {
        if (d.TabTop == 0) continue;  // no geometry for this slot: keep its boxes
        int16_t left = d.TabLeft;
        for (int m = 0; m < n; ++m) {
            if (m > 0) left = static_cast<int16_t>(std::nearbyint(q + static_cast<float>(left)));
            d.SyosetsuTop[m] = d.TabTop;
            d.SyosetsuLeft[m] = left;
            d.SyosetsuHeight[m] = d.TabHeight;
            d.SyosetsuWidth[m] = w;
        }
        d.SyosetsuLeft[n] = static_cast<int16_t>(rightEnd);
    }
    return true;
}

void InitBarFlags(Session& s) {
    const int n = std::min<int>(std::max<int>(s.CurSyosetsuCnt, 0), kMaxMeasures);
    for (int slot = 0; slot <= 9; ++slot) {
        for (int m = 0; m < n; ++m) {
            SyosetsuData& ms = s.DanBuf[slot].Syosetsu[m];
            ms.BarVisible = kTrue;
            if (ms.BarFlag[kBarPlain] == kFalse) {
                ms.BarFlag[kBarRepEnd] = kFalse;
                ms.BarFlag[kBarRepEnd2] = kFalse;
                ms.BarFlag[kBarPlain] = kTrue;
                ms.BarFlag[kBarPlain2] = kTrue;
                ms.BarFlag[kBarRepStart] = kFalse;
                ms.BarFlag[kBarRepStart2] = kFalse;
            }
        }
    }
}

bool ReadIniSettings(Session& s, UiPort& ui, const std::string& ini) {
    auto fail = [&ui]() {
        ShowMsg(ui, "@0019\r\n@0020");
        return false;
    };

    // 1. Font sizes once per run.
    if (s.ChordFontSize == 0) {
        if (!GetIni(ini, "TAB", "FontSize", s.ChordFontSize)) return fail();
        if (!GetIni(ini, "TAB", "FontSize2", s.FletFontSize)) return fail();
    }

    // 2. Instrument: read at the first reading; afterwards the one the user
    // chose in this run holds (it was written when chosen).
    if (!s.IniRead) {
        if (!GetIni(ini, "TAB", "Gakki", s.GakkiCode)) return fail();
        const GakkiInfo g = GakkiInfoOf(s.GakkiCode);
        s.MaxStringIx = g.maxStringIx;
        s.GakkiMenuIx = g.menuIx;
    }

    // 3. User tunings, one column per key. A key is taken whole or not at
    // all; an index outside the pitch list would point nowhere later.
    static const char* const kTuningKeys[3] = {"Settei01", "Settei02", "Settei03"};
    for (int col = 0; col < 3; ++col) {
        std::string text;
        GetIni(ini, "TUNING", kTuningKeys[col], text);
        std::vector<int16_t> values;
        if (!ParseIntList(text, values) || values.size() > 6) return fail();
        for (int16_t v : values)
            if (v < 0 || v >= kPitchCount) return fail();
        for (size_t row = 0; row < values.size(); ++row) s.TuningTbl[row][col] = values[row];
    }

    // 4. Recent files; nothing there means no recent files.
    {
        std::string text;
        GetIni(ini, "RIREKI", "MruList", text);
        text = Trim(text);
        std::vector<std::string> parts;
        if (!text.empty()) parts = Split(text, ',');
        for (size_t i = 0; i < s.MruFiles.size(); ++i) s.MruFiles[i] = i < parts.size() ? parts[i] : std::string();
    }

    // 5. Options of the common-settings dialog are not stored: they start
    // at their defaults and hold for the run.
    if (!s.IniRead) {
        s.RhythmRewrite = false;
        s.MoveFletForm = true;
    }
    s.IniRead = true;

    // 6. Geometry of the layout style.
    if (s.PosRhythm == 0) return true;
    if (s.CurDanIx < 0 || s.CurDanIx >= kSlotCount) return fail();
    const std::string sec = "POSITION" + std::to_string(s.PosRhythm);
    const bool staff = s.PosRhythm == 1 || s.PosRhythm == 2;
    DanLayoutData& cur = s.CurLayout();
    int16_t px = 0, tw = 0;
    std::string text;
    std::vector<int16_t> list;

    if (!GetIni(ini, sec, "DanLeft", px) || !ToTwips(px, s.TwipsPerPixelX, tw)) return fail();
    cur.TabLeft = tw;

    GetIni(ini, sec, "DanTop", text);
    if (!ParseIntList(text, list) || !ToTwips(list[0], s.TwipsPerPixelY, tw)) return fail();
    for (DanLayoutData& d : s.DanLayout) d.TabTop = tw;

    if (staff) {
        GetIni(ini, sec, "DanTop2", text);
        if (!ParseIntList(text, list) || !ToTwips(list[0], s.TwipsPerPixelY, tw)) return fail();
        for (DanLayoutData& d : s.DanLayout) d.StaffTop = tw;
    }

    if (!GetIni(ini, sec, "DanWidth", px) || !ToTwips(px, s.TwipsPerPixelX, tw)) return fail();
    cur.TabWidth = tw;

    if (!GetIni(ini, sec, "DanInterval", px) || !ToTwips(px, s.TwipsPerPixelY, tw)) return fail();
    cur.StringInterval = tw;

    if (staff) {
        if (!GetIni(ini, sec, "DanInterval2", px) || !ToTwips(px, s.TwipsPerPixelY, tw)) return fail();
        cur.StaffInterval = tw;
    }

    // 7 and 8.
    if (!DeriveLayout(s)) return fail();
    InitBarFlags(s);
    return true;
}

bool WriteGakki(const Session& s, const std::string& ini) {
    return ProfileFile::Write(ini, "TAB", "Gakki", std::to_string(s.GakkiCode));
}

bool WriteTuning(const Session& s, const std::string& ini) {
    static const char* const kTuningKeys[3] = {"Settei01", "Settei02", "Settei03"};
    bool ok = true;
    for (int col = 0; col < 3; ++col) {
        std::string v;
        for (int row = 0; row < 6; ++row) {
            if (row) v += ",";
            v += std::to_string(s.TuningTbl[row][col]);
        }
        ok = ProfileFile::Write(ini, "TUNING", kTuningKeys[col], v) && ok;
    }
    return ok;
}

bool WriteMru(const Session& s, const std::string& ini) {
    return ProfileFile::Write(ini, "RIREKI", "MruList", s.MruFiles[0] + "," + s.MruFiles[1] + "," + s.MruFiles[2]);
}

}  // namespace lw
