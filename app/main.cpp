// lutewise [FILE.tab|PROJECT.tbp ...], the headless commands, --help and
// --version: see UsageText().
#include <iostream>
#include <string>
#include <vector>

#include "command_line.h"
#include "startup.h"

int main(int argc, char** argv) {
    const int code = lw::RunCommandLine(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
    return code >= 0 ? code : lw::RunEditor(argc, argv);
}
