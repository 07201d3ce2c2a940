// The user manual: an HTML book with pictures, installed with the program.
#pragma once

#include <string>
#include <vector>

namespace lw {

// Where its start page may be, in order: the working folder's own
// ("ﾏﾆｭｱﾙ/Index.html"), the one installed beside the program (program in
// <prefix>/lib/lutewise, manual in <prefix>/share/lutewise/manual) and the
// one of the build tree (program in <build>/bin, manual in
// <build>/share/lutewise/manual).
std::vector<std::string> ManualCandidates(const std::string& workFolder, const std::string& programFolder);

// The first of them that exists; empty when none does.
std::string FindManual(const std::string& workFolder, const std::string& programFolder);

}  // namespace lw
