// A .tab row read as the editor opens it; what loads is saved and read again.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "tab_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte chooses the string count the file is read with.
    const int16_t maxStringIx = static_cast<int16_t>(3 + data[0] % 3);
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    auto s = std::make_unique<lw::Session>();
    s->MaxStringIx = maxStringIx;
    s->CurSyosetsuCnt = 4;
    s->DanBuf[0].SyosetsuCnt = 4;
    lw::RowItems items;
    const lw::LoadTabResult r = lw::LoadTabFromBytes(*s, items, bytes, "fuzz.tab");
    if (!r.ok) return 0;
    const std::string saved = lw::SerializeTab(*s, items);
    auto again = std::make_unique<lw::Session>();
    again->MaxStringIx = maxStringIx;
    again->CurSyosetsuCnt = 4;
    lw::RowItems items2;
    if (!lw::LoadTabFromBytes(*again, items2, saved, "saved.tab").ok) __builtin_trap();  // what was saved reads back
    return 0;
}
