// The numbered message catalogue and ShowMsg, the one way to a message box.
#pragma once

#include <string>

#include "ui_port.h"

namespace lw {

inline constexpr const char* kAppTitle = "Lutewise";

// Catalogue text of id 1..38; empty when the id has no entry.
std::string MessageText(int id);

// Expands a "@nnnn" template. A text not starting with "@" is returned as is.
// On an id that is not a number or has no entry, returns false and sets
// badId to the four characters after the "@".
bool ExpandMessage(const std::string& message, std::string& out, std::string& badId);

// Shows a message through the port: empty buttons = OK only, empty title =
// "Lutewise". Returns the pressed button's code.
int ShowMsg(UiPort& ui, const std::string& message, const std::string& buttons = "",
            const std::string& title = "");

// Line break inside composed messages: LF then CR.
inline constexpr const char* kMsgBreak = "\n\r";

// The message with each of those breaks as a plain LF, for a terminal or a log.
std::string PlainLineBreaks(const std::string& text);

}  // namespace lw
