// The start routine and the checks it runs before the main window shows.
#pragma once

#include <string>

#include "ko_comm.h"
#include "shell.h"
#include "ui_port.h"

namespace lw {

// The per-user store of the program: QSettings("Lutewise", "Lutewise"),
// section "Settings".
class QtUserStore : public UserStore {
public:
    std::string Get(const std::string& key, const std::string& def) override;
    void Set(const std::string& key, const std::string& value) override;
};

// "Lutewise.ini" in folder; shows the missing-file message when absent.
bool CheckIniFile(UiPort& ui, const std::string& folder);
// Loads the library, creates one clsKoComm and releases it at once. Returns
// false with the reason when that fails.
bool CheckKoComm(const std::string& libraryPath, std::string* reason);
// Loads the library and returns its object factory (the library stays
// loaded); null with the reason when that fails.
KoCommCreateFn LoadKoCommFactory(const std::string& libraryPath, std::string* reason);
void ShowKoCommMissing(UiPort& ui, const std::string& libraryPath, const std::string& reason);
// Creates folder/"Recovery" when missing; false when it cannot be created.
bool EnsureRecoveryFolder(const std::string& folder, std::string* error);
// Advice on the screen font size when a pixel is not 15 twips; true when shown.
bool FontAdvice(UiPort& ui, int twipsPerPixel);

// The whole program: start routine, command-line files and the event loop.
int RunEditor(int argc, char** argv);

}  // namespace lw
