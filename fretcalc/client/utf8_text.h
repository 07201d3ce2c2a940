// Small UTF-8 helpers of the Fretcalc wrapper (internal to fretcalc_client).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lw::fretcalc_detail {

// Byte length of the UTF-8 character starting at text[pos] (1 for a stray
// byte), never past the end of the text.
inline size_t Utf8CharLength(std::string_view text, size_t pos) {
    const unsigned char c = static_cast<unsigned char>(text[pos]);
    size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 1;
    return n < text.size() - pos ? n : text.size() - pos;
}

inline size_t Utf8CharCount(std::string_view text) {
    size_t count = 0;
    for (size_t pos = 0; pos < text.size(); pos += Utf8CharLength(text, pos)) ++count;
    return count;
}

// The text padded with blanks to at least `chars` characters.
inline std::string PadToChars(std::string_view text, size_t chars) {
    std::string out(text);
    for (size_t n = Utf8CharCount(text); n < chars; ++n) out.push_back(' ');
    return out;
}

// The text without leading and trailing blanks.
inline std::string TrimBlanks(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    return std::string(text.substr(b, e - b));
}

}  // namespace lw::fretcalc_detail
