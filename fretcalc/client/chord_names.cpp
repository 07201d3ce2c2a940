// Editor side: SplitChordName and TransposeChordName on the
// editor's UTF-8 chord names.
#include "fretcalc_client.h"
#include "utf8_text.h"

#include <string_view>

namespace lw {
namespace {

constexpr std::string_view kSharpSign = "\u266F";  // ♯
constexpr std::string_view kFlatSign = "\u266D";   // ♭

// Steps 1-5 of SplitChordName, without the "Major" default.
void SplitRootAndType(const std::string& name, std::string& root, std::string& type) {
    using fretcalc_detail::Utf8CharLength;
    const std::string_view text(name);
    if (text.empty()) {
        root.clear();
        type.clear();
        return;
    }
    const size_t firstLen = Utf8CharLength(text, 0);
    const std::string_view first = text.substr(0, firstLen);
    std::string_view second;
    if (firstLen < text.size()) second = text.substr(firstLen, Utf8CharLength(text, firstLen));

    if (second == "#" || second == kSharpSign) {
        root = std::string(first) + "#";
        type = std::string(text.substr(firstLen + second.size()));
    } else if (second == kFlatSign) {
        root = std::string(first) + std::string(kFlatSign);
        type = std::string(text.substr(firstLen + second.size()));
    } else {
        root = std::string(first);
        type = std::string(text.substr(firstLen));
    }
}

}  // namespace

void SplitChordName(const std::string& name, int32_t& rootValue, std::string& type) {
    std::string root;
    SplitRootAndType(name, root, type);
    if (type.empty()) type = "Major";
    rootValue = KeyIndexOf(root) + 12;
}

std::string TransposeChordName(const std::string& name, int n) {
    std::string root, type;
    SplitRootAndType(name, root, type);
    int r = KeyIndexOf(root) + n;
    if (r >= 12) r -= 12;
    if (r < 0 || r > 11) return name;  // no such semitone: leave the name
    return KeyNameOf(r) + type;
}

}  // namespace lw
