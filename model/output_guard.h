// The checks every headless command makes on its file names before any
// work: an output never replaces an input, a file of another kind or
// anything but a regular file; an input is a regular file of a known kind.
#pragma once

#include <string>
#include <vector>

namespace lw {

// The file name's extension in lower case, dot included: ".tab" for
// "a.TAB" and for a file named ".tab"; "" when the name has no dot.
std::string LowerExtension(const std::string& path);

struct NameCheck {
    int exitCode = 0;     // 0 fine; 2 the name is wrong (show the usage); 1 the file cannot be used
    std::string message;  // what is wrong, in the user's terms
    bool ok() const { return exitCode == 0; }
};

// extensions: what the command writes, lower case with the dot (".mid").
// Refused with 2: another extension, one of inputs (also through a link),
// "Lutewise.ini", "Interface.tab", a ground picture "TABn1.bmp".."TABn3.bmp",
// or a link to a row, project or settings file. Refused with 1: a folder, a
// device, FIFO or socket, a read-only file, a missing or read-only folder.
NameCheck CheckOutputName(const std::string& path, const std::vector<std::string>& extensions,
                          const std::vector<std::string>& inputs);

// A row (.tab) or project (.tbp) named on the command line: 2 for another
// extension, 1 when it is missing or not a regular file. Never blocks.
NameCheck CheckInputName(const std::string& path);

}  // namespace lw
