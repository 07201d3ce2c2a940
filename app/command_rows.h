// What the headless commands share: reading rows and projects as the editor
// opens them, the playback options of the Midi Player, and a KoComm object
// with its interchange file in a private folder.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "ko_comm.h"
#include "session.h"
#include "ui_port.h"

namespace lw {

// The rows of a command, in slots 0..DocCount-1 with their texts and marks.
struct CommandRows {
    std::unique_ptr<Session> s = std::make_unique<Session>();
    std::vector<RowItems> items;   // by slot
};

// Reads Lutewise.ini of the current folder and then every input in order:
// a .tab as one row, a .tbp as the rows its lines name. False with the
// reason on err (nothing read, more than ten rows, a file that fails).
// noRows: the reason given when the inputs name no row.
bool ReadCommandRows(const std::vector<std::string>& inputs, CommandRows& rows, std::ostream& err,
                     const std::string& noRows);

// Takes --tempo N, --instrument GM or --base N at args[i] (moving i past
// its value). handled=false when args[i] is none of them; false with the
// reason on err when its value is missing or refused (a wrong command line).
bool TakePlayOption(const std::vector<std::string>& args, size_t& i, clsKoComm::PlayOptions& opt, bool& handled,
                    std::ostream& err);

// Checks the command's files before any work: every input a readable row
// or project, the output a new or regular file of one of extensions that is
// no input. Prints what is wrong (with usage for a wrong name) and returns
// the exit code: 0 fine, 2 a wrong name, 1 a file that cannot be used.
int CheckCommandFiles(const std::vector<std::string>& inputs, const std::string& output,
                      const std::vector<std::string>& extensions, const std::string& usage, std::ostream& err);

// A KoComm object given the rows' settings, and their interchange file in a
// temporary folder that goes with it.
class HeadlessKoComm {
public:
    ~HeadlessKoComm();
    // libraryPath: libKoComm.so (empty: beside the running program).
    bool Prepare(CommandRows& rows, const std::string& libraryPath, std::ostream& err);
    clsKoComm& Object() { return *obj_; }
    const std::string& PlayFile() const { return playFile_; }

private:
    std::unique_ptr<clsKoComm> obj_;
    std::string folder_, playFile_;
};

// Messages of the settings reader and the row reader, on a stream.
class StreamUi : public UiPort {
public:
    explicit StreamUi(std::ostream& err) : err_(err) {}
    int MessageBox(const std::string& text, int, const std::string&) override;
    std::string OpenFileName(const std::string&, const std::string&) override { return {}; }
    std::string SaveFileName(const std::string&, const std::string&) override { return {}; }

private:
    std::ostream& err_;
};

}  // namespace lw
