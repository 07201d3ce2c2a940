// The text of a MusicXML file: plain (.musicxml, .xml) or compressed (.mxl,
// a zip archive whose META-INF/container.xml names the score).
#pragma once

#include <string>
#include <string_view>

namespace lw {

// Files and archive members larger than this are refused unread.
constexpr size_t kMaxMusicXmlBytes = 64u << 20;

// Reads path; an archive (recognised by its content, not its name) is
// opened and its score taken out. False with a message naming the file.
bool ReadMusicXmlFile(const std::string& path, std::string& xml, std::string* error);

// The score of a compressed MusicXML archive held in memory.
bool UnpackMxl(std::string_view archive, const std::string& name, std::string& xml, std::string* error);

}  // namespace lw
