// The row-area dialog without its widgets: the text boxes as texts, the
// pick states, the clicks handed over by the editor and the writing of the
// "POSITION" section. KoTabArea shows this state; the tests drive it alone.
#pragma once

#include <cstdint>
#include <string>

#include "session.h"
#include "ui_port.h"

namespace lw {

// Row geometry in twips, as the settings file gives it for a layout mode.
struct TabAreaGeometry {
    int DanLeft = 0, DanWidth = 0, DanTop = 0, DanInterval = 0, DanTop2 = 0, DanInterval2 = 0;
};

// Reads the geometry of slot 0 for layout mode formatType with the settings
// reader (which shows its own message on a broken file).
TabAreaGeometry ReadTabAreaGeometry(UiPort& ui, const std::string& iniPath, int formatType, int tppX, int tppY);

// Layout modes whose rows have a five-line staff (and staff keys).
inline bool HasStaff(int formatType) { return formatType == 1 || formatType == 2; }

class TabAreaState {
public:
    TabAreaState(UiPort& ui, int formatType, int tppX, int tppY)
        : ui_(ui), formatType_(formatType), tppX_(tppX > 0 ? tppX : 15), tppY_(tppY > 0 ? tppY : 15) {}

    // Load: the text boxes from the geometry, the TAB tab shown.
    void Load(const TabAreaGeometry& g);

    std::string txtLeft, txtRight, txtInterval, txtTop0;   // Frame1
    std::string txtTop2_0, txtInterval2;                  // Frame2
    std::string Frame1Tag, Frame2Tag;                     // pick states
    int16_t OnMouseFlag = 1;                              // tab index + 1

    int FormatType() const { return formatType_; }
    bool StaffTabEnabled() const { return HasStaff(formatType_); }
    void ShowTab(int index) { OnMouseFlag = static_cast<int16_t>(index + 1); }

    // A click on the TAB tab (p_TabAreaPos) and on the staff tab
    // (p_TabAreaPos2); x is the object's p_X.
    void TabAreaPos(double y, int32_t x);
    void TabAreaPos2(double y);

    // Writes the keys of section "POSITION" + mode, in pixels. Stops at the
    // first key that cannot be written (the keys before it stay) and returns
    // false with its name.
    bool WriteSettings(const std::string& iniPath, std::string* failedKey = nullptr) const;

private:
    UiPort& ui_;
    int formatType_;
    int tppX_, tppY_;
};

// Value of a text box: its leading number, 0 when it has none.
double TextValue(const std::string& text);

}  // namespace lw
