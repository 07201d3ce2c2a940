// lutewise [FILE.tab|PROJECT.tbp ...]
// lutewise --convert IN.tab OUT.tab
#include <cstring>
#include <iostream>

#include "convert.h"
#include "startup.h"

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--convert") == 0) {
        if (argc != 4) {
            std::cerr << "usage: lutewise --convert IN.tab OUT.tab\n";
            return 2;
        }
        return lw::RunConvert(argv[2], argv[3], std::cerr);
    }
    return lw::RunEditor(argc, argv);
}
