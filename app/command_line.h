// The command line of lutewise: the editor's files, the headless commands,
// --help/-h, --version and the refusal of anything else.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace lw {

// Every form of the command line, one per line, starting "usage:".
std::string UsageText();

// Runs what args (argv without the program name) ask for and returns the
// exit code: 0 done, 1 failed, 2 a wrong command line (the usage on err).
// -1: no command; start the editor with the files.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace lw
