// Writing a file so that an interrupted or failed write never destroys the
// previous version: a temporary file in the same folder, synced, then renamed
// over the target.
#pragma once

#include <string>
#include <string_view>

namespace lw {

// Replaces path by bytes; keeps the old file's permissions and replaces the
// file a link points to. False with a description when anything fails; the
// previous file then stays intact.
bool WriteFileReplacing(const std::string& path, std::string_view bytes, std::string* error = nullptr);

}  // namespace lw
