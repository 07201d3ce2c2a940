// What the editor opens by itself at start-up: the example project, on the
// very first start only.
#pragma once

#include <array>
#include <string>

namespace lw {

struct StartFacts {
    bool filesNamed = false;     // rows or projects named on the command line
    bool earlierRun = false;     // the per-user store holds the run marker of a start before
    bool recentProject = false;  // the recent-projects list names a project
    bool exampleExists = false;  // the working folder holds the example project
};

// True on the very first start: nothing named, no run before, no recent
// project, and the example is there to open.
bool OpensExample(const StartFacts& f);

// The example project of a working folder.
std::string ExampleProjectPath(const std::string& folder);

// True when the recent-projects list names any file.
bool HasRecentProject(const std::array<std::string, 4>& mru);

}  // namespace lw
