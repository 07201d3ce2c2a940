// The playback interchange file "Interface.tab" as the Midi Player reads it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "midi_player.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int maxStringIx = 3 + data[0] % 3;
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    auto rows = std::make_unique<lw::PlayRows>();
    std::string error;
    (void)lw::ReadPlayRecords(bytes, maxStringIx, *rows, error);
    return 0;
}
