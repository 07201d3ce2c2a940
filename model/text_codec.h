// Text at the file and library boundaries: .tab, .tbp and Lutewise.ini are
// Shift-JIS (CP932) on disk; inside the program every text is UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace lw {

// UTF-8 -> CP932. Characters CP932 cannot hold become "?".
std::string Utf8ToCp932(std::string_view utf8);
// CP932 -> UTF-8. Undecodable bytes become U+FFFD.
std::string Cp932ToUtf8(std::string_view cp932);
bool IsValidUtf8(std::string_view bytes);
// Reads a file's text: valid UTF-8 stays as it is (a leading byte-order mark
// dropped), anything else is CP932.
std::string DecodeFileText(std::string_view bytes);
// Text for a file: CP932 when DecodeFileText reads it back unchanged, else
// the UTF-8 text as it is. A "?" in place of characters CP932 cannot hold
// would be lost work.
std::string EncodeFileText(std::string_view utf8);

}  // namespace lw
