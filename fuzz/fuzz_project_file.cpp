// A .tbp project: its lines and the row paths they name.
#include <cstddef>
#include <cstdint>
#include <string>

#include "project_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const std::string& line : lw::ProjectLinesOf(bytes))
        if (lw::ProjectLineNamesRow(line)) (void)lw::ProjectLinePath(line, "/project");
    return 0;
}
