#include "text_codec.h"

#include <iconv.h>

#include <cerrno>
#include <mutex>
#include <vector>

namespace lw {
namespace {

// One converter per direction, reused; iconv descriptors are not thread-safe,
// so a lock guards each.
struct Converter {
    iconv_t cd;
    std::mutex mu;
    Converter(const char* to, const char* from) : cd(iconv_open(to, from)) {}
    ~Converter() {
        if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    }
    std::string Run(std::string_view in, std::string_view replacement, int skipUnit) {
        std::string out;
        if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
        std::lock_guard<std::mutex> lock(mu);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        std::vector<char> buf(in.size() * 4 + 16);
        while (srcLeft > 0) {
            char* dst = buf.data();
            size_t dstLeft = buf.size();
            size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
            out.append(buf.data(), buf.size() - dstLeft);
            if (r == static_cast<size_t>(-1)) {
                if (errno == E2BIG) continue;
                // EILSEQ or EINVAL: replace one input unit and go on.
                out.append(replacement);
                size_t skip = std::min<size_t>(srcLeft, static_cast<size_t>(skipUnit));
                if (skipUnit == 0) {
                    // UTF-8 input: skip one whole character.
                    unsigned char c = static_cast<unsigned char>(*src);
                    skip = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
                    skip = std::min(skip, srcLeft);
                }
                src += skip;
                srcLeft -= skip;
            }
        }
        char* dst = buf.data();
        size_t dstLeft = buf.size();
        iconv(cd, nullptr, nullptr, &dst, &dstLeft);
        out.append(buf.data(), buf.size() - dstLeft);
        return out;
    }
};

Converter& ToCp932() {
    static Converter c("CP932", "UTF-8");
    return c;
}
Converter& FromCp932() {
    static Converter c("UTF-8", "CP932");
    return c;
}

bool IsAscii(std::string_view s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

}  // namespace

std::string Utf8ToCp932(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);
    return ToCp932().Run(utf8, "?", 0);
}

std::string Cp932ToUtf8(std::string_view cp932) {
    if (IsAscii(cp932)) return std::string(cp932);
    return FromCp932().Run(cp932, "\xEF\xBF\xBD", 1);
}

bool IsValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        int n;
        uint32_t cp;
        if (c < 0x80) { ++i; continue; }
        else if ((c & 0xE0) == 0xC0) { n = 1; cp = c & 0x1F; }
        else if ((c & 0xF0) == 0xE0) { n = 2; cp = c & 0x0F; }
        else if ((c & 0xF8) == 0xF0) { n = 3; cp = c & 0x07; }
        else return false;
        if (i + static_cast<size_t>(n) >= s.size()) return false;
        for (int k = 1; k <= n; ++k) {
            unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values beyond U+10FFFF are not UTF-8.
        if ((n == 1 && cp < 0x80) || (n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) ||
            (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            return false;
        i += n + 1;
    }
    return true;
}

std::string DecodeFileText(std::string_view bytes) {
    if (IsValidUtf8(bytes)) {
        // Text editors often put a byte-order mark in front of UTF-8.
        if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
        return std::string(bytes);
    }
    return Cp932ToUtf8(bytes);
}

std::string EncodeFileText(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);
    std::string cp932 = Utf8ToCp932(utf8);
    // Also catches CP932 bytes that happen to form valid UTF-8 (a few
    // half-width katakana pairs do) and would be read back as UTF-8.
    if (IsValidUtf8(utf8) && DecodeFileText(cp932) != utf8) return std::string(utf8);
    return cp932;
}

}  // namespace lw
