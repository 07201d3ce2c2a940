#include "first_start.h"

#include <algorithm>

#include "paths.h"

namespace lw {

bool OpensExample(const StartFacts& f) {
    return !f.filesNamed && !f.earlierRun && !f.recentProject && f.exampleExists;
}

std::string ExampleProjectPath(const std::string& folder) { return JoinPath(JoinPath(folder, "examples"), "example.tbp"); }

bool HasRecentProject(const std::array<std::string, 4>& mru) {
    return std::any_of(mru.begin(), mru.end(), [](const std::string& p) {
        return p.find_first_not_of(" \t") != std::string::npos;
    });
}

}  // namespace lw
