// The few places where the core needs a person: message boxes, file dialogs
// and letting pending window events run. The program passes a Qt
// implementation; tests pass a scripted one.
#pragma once

#include <string>

namespace lw {

// Standard message-box codes.
enum MsgButtons : int { kMbOk = 0, kMbYesNoCancel = 3, kMbYesNo = 4, kMbIconStop = 16, kMbIconQuestion = 32, kMbIconInfo = 64 };
enum MsgResult : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

class UiPort {
public:
    virtual ~UiPort() = default;
    // Shows a modal message box; buttons is the standard code (0, 16, 35, 36, 64 ...).
    virtual int MessageBox(const std::string& text, int buttons, const std::string& title) = 0;
    // File dialogs; filter in the "Caption (*.ext)|*.ext" form. Empty result = cancelled.
    virtual std::string OpenFileName(const std::string& filter, const std::string& startDir) = 0;
    virtual std::string SaveFileName(const std::string& filter, const std::string& proposed) = 0;
    // Lets pending window events run (no-op headless).
    virtual void DoEvents() {}
};

}  // namespace lw
