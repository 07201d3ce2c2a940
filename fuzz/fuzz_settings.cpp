// "Lutewise.ini" read as at start-up, then the recent-projects list written
// back into it (the writer parses the file it keeps).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "settings.h"
#include "ui_port.h"

namespace {

struct SilentUi : lw::UiPort {
    int MessageBox(const std::string&, int, const std::string&) override { return lw::kIdOk; }
    std::string OpenFileName(const std::string&, const std::string&) override { return {}; }
    std::string SaveFileName(const std::string&, const std::string&) override { return {}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/lw-fuzz-settings-" + std::to_string(getpid()) + ".ini";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    auto s = std::make_unique<lw::Session>();
    s->CurSyosetsuCnt = 4;
    s->MeterID = 22;
    SilentUi ui;
    if (lw::ReadIniSettings(*s, ui, path)) {
        s->MruFiles[0] = "C:\\songs\\a.tbp";
        (void)lw::WriteMru(*s, path);
    }
    return 0;
}
