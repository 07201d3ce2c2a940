#include "convert.h"

#include <sys/stat.h>

#include "messages.h"
#include "output_guard.h"
#include "session.h"
#include "settings.h"
#include "tab_file.h"

namespace lw {
namespace {

constexpr const char* kConvertUsage = "usage: lutewise --convert IN.tab OUT.tab\n";

// Headless message port: every message is printed and answered with OK.
class StreamUi : public UiPort {
public:
    explicit StreamUi(std::ostream& err) : err_(err) {}
    int MessageBox(const std::string& text, int, const std::string&) override {
        err_ << PlainLineBreaks(text) << '\n';
        return kIdOk;
    }
    std::string OpenFileName(const std::string&, const std::string&) override { return {}; }
    std::string SaveFileName(const std::string&, const std::string&) override { return {}; }

private:
    std::ostream& err_;
};

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

int RunConvert(const std::string& inPath, const std::string& outPath, std::ostream& err) {
    StreamUi ui(err);
    // The names first: a row in, a row out, never the same file.
    const NameCheck in = LowerExtension(inPath) == ".tab" ? CheckInputName(inPath)
                                                          : NameCheck{2, "「" + inPath + "」は TAB譜ファイル（.tab）ではありません。"};
    const NameCheck out = CheckOutputName(outPath, {".tab"}, {inPath});
    for (int code : {2, 1})
        for (const NameCheck* c : {&in, &out})
            if (c->exitCode == code) {
                err << c->message << '\n';
                if (code == 2) err << kConvertUsage;
                return code;
            }
    const std::string ini = CurrentIniPath();
    if (!IsRegularFile(ini)) {
        err << "「" << ini << "」が見つかりません。Lutewise.ini のあるフォルダーで実行してください。\n";
        return 1;
    }

    // A freshly started editor with one new row in slot 0.
    Session s;
    s.CurSyosetsuCnt = 4;
    s.MeterID = 22;
    s.CurDanIx = 0;
    s.DocCount = 1;
    ResetRow(s.DanBuf[0]);
    s.DanBuf[0].SyosetsuCnt = s.CurSyosetsuCnt;
    if (!ReadIniSettings(s, ui, ini)) return 1;
    s.KeyName[0] = 'C';

    // A new measure count re-reads the settings, as the measure-count control does.
    bool settingsOk = true;
    auto onMeasureCount = [&](Session& t) { settingsOk = ReadIniSettings(t, ui, ini) && settingsOk; };
    RowItems items;
    const LoadTabResult r = LoadTab(s, items, inPath, onMeasureCount);
    if (!r.ok) {
        err << r.error << '\n';
        return 1;
    }
    if (!settingsOk) return 1;

    std::string error;
    if (!SaveTab(s, items, outPath, &error)) {
        err << error << '\n';
        return 1;
    }
    return 0;
}

}  // namespace lw
