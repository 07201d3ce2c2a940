// lutewise [FILE.tab|PROJECT.tbp ...]
// lutewise --convert IN.tab OUT.tab
#include <cstring>
#include <iostream>

#include "startup.h"

#if __has_include("convert.h")
#include "convert.h"
#define LW_HAVE_CONVERT 1
#endif

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--convert") == 0) {
        if (argc != 4) {
            std::cerr << "usage: lutewise --convert IN.tab OUT.tab\n";
            return 2;
        }
#ifdef LW_HAVE_CONVERT
        return lw::RunConvert(argv[2], argv[3], std::cerr);
#else
        std::cerr << "lutewise: --convert is not available in this build\n";
        return 2;
#endif
    }
    return lw::RunEditor(argc, argv);
}
