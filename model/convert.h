// "lutewise --convert IN OUT": reads a row the way a freshly started editor
// opens it and writes it back in the current format.
#pragma once

#include <ostream>
#include <string>

namespace lw {

// Start-up defaults, "Lutewise.ini" of the current folder, LoadTab, SaveTab.
// Messages go to err. Returns 0 on success; on any error nothing is written
// and the result is non-zero (2: a wrong file name, with the usage; 1: the
// settings or the row could not be read, or the row not written).
int RunConvert(const std::string& inPath, const std::string& outPath, std::ostream& err);

}  // namespace lw
