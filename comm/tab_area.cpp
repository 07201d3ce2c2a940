#include "tab_area.h"

#include <cmath>
#include <cstdlib>

#include "messages.h"
#include "record_io.h"
#include "settings.h"

namespace lw {

namespace {

std::string IntText(double v) { return std::to_string(static_cast<long>(RoundHalfEven(v))); }

// Twips to pixels: the integer part.
long Pixels(const std::string& text, int tpp) { return static_cast<long>(std::trunc(TextValue(text) / tpp)); }

}  // namespace

double TextValue(const std::string& text) {
    const char* b = text.c_str();
    while (*b == ' ' || *b == '\t') ++b;
    char* end = nullptr;
    const double v = std::strtod(b, &end);
    return end == b || !std::isfinite(v) ? 0.0 : v;
}

TabAreaGeometry ReadTabAreaGeometry(UiPort& ui, const std::string& iniPath, int formatType, int tppX, int tppY) {
    Session s;
    s.CurDanIx = 0;
    s.PosRhythm = static_cast<int16_t>(formatType);
    s.TwipsPerPixelX = tppX;
    s.TwipsPerPixelY = tppY;
    ReadIniSettings(s, ui, iniPath);
    const DanLayoutData& l = s.DanLayout[0];
    return {l.TabLeft, l.TabWidth, l.TabTop, l.StringInterval, l.StaffTop, l.StaffInterval};
}

void TabAreaState::Load(const TabAreaGeometry& g) {
    OnMouseFlag = 1;
    txtLeft = std::to_string(g.DanLeft);
    txtRight = std::to_string(g.DanLeft + g.DanWidth);
    txtInterval = std::to_string(g.DanInterval);
    txtInterval2 = std::to_string(g.DanInterval2);
    txtTop0 = std::to_string(g.DanTop);
    txtTop2_0 = std::to_string(g.DanTop2);
}

void TabAreaState::TabAreaPos(double y, int32_t x) {
    if (Frame1Tag == "0") {
        txtLeft = std::to_string(x);
    } else if (Frame1Tag == "1") {
        txtRight = std::to_string(x);
    } else if (Frame1Tag == "2") {
        const double top = TextValue(txtTop0);
        if (top == 0) ShowMsg(ui_, "@0005");
        else txtInterval = IntText(y - top);
    } else if (Frame1Tag == "3") {
        // The dialog has one top box (the first row); the states of later
        // rows have no box to fill.
        txtTop0 = IntText(y);
    }
}

void TabAreaState::TabAreaPos2(double y) {
    if (Frame2Tag == "1") {
        const double top = TextValue(txtTop2_0);
        if (top == 0) ShowMsg(ui_, "@0005");
        else txtInterval2 = IntText(y - top);
    } else {
        txtTop2_0 = IntText(y);
    }
}

bool TabAreaState::WriteSettings(const std::string& iniPath, std::string* failedKey) const {
    const std::string section = "POSITION" + std::to_string(formatType_);
    // The reader uses the first element of the top lists; whatever follows
    // it in the file is kept.
    auto list = [&](const std::string& key, long first) {
        std::string old = ProfileFile::Read(iniPath, section, key);
        const size_t comma = old.find(',');
        return std::to_string(first) + (comma == std::string::npos ? std::string() : old.substr(comma));
    };
    const long left = Pixels(txtLeft, tppX_);
    struct Key {
        const char* name;
        std::string value;
        bool staff;
    } keys[] = {
        {"DanLeft", std::to_string(left), false},
        {"DanWidth", std::to_string(Pixels(txtRight, tppX_) - left), false},
        {"DanTop", list("DanTop", Pixels(txtTop0, tppY_)), false},
        {"DanTop2", list("DanTop2", Pixels(txtTop2_0, tppY_)), true},
        {"DanInterval", std::to_string(Pixels(txtInterval, tppY_)), false},
        {"DanInterval2", std::to_string(Pixels(txtInterval2, tppY_)), true},
    };
    for (const Key& k : keys) {
        if (k.staff && !HasStaff(formatType_)) continue;
        if (!ProfileFile::Write(iniPath, section, k.name, k.value)) {
            if (failedKey) *failedKey = k.name;
            return false;
        }
    }
    return true;
}

}  // namespace lw
