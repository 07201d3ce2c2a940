#include "test_support.h"

#include "reference_tables.h"
#include "text_codec.h"

#include <sstream>
#include <stdexcept>

namespace fretcalc_test {
namespace {

std::string Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return std::string(s.substr(b, e - b));
}

// The cells of each "| a | b |" line of a Markdown table.
std::vector<std::vector<std::string>> Rows(const char* table) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(table);
    std::string line;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.size() < 2 || line.front() != '|') continue;
        std::vector<std::string> cells;
        size_t start = 1;
        for (size_t bar = line.find('|', start); bar != std::string::npos; bar = line.find('|', start)) {
            cells.push_back(Trim(std::string_view(line).substr(start, bar - start)));
            start = bar + 1;
        }
        rows.push_back(cells);
    }
    return rows;
}

std::string Unquote(const std::string& cell) {
    if (cell.size() < 2 || cell.front() != '"' || cell.back() != '"')
        throw std::runtime_error("expected a quoted text: " + cell);
    return cell.substr(1, cell.size() - 2);
}

}  // namespace

const std::vector<RefShapeRow>& RefShapes() {
    static const std::vector<RefShapeRow> rows = [] {
        std::vector<RefShapeRow> out;
        for (const auto& cells : Rows(kRefShapeTable)) {
            if (cells.size() != 7) throw std::runtime_error("shape row with " + std::to_string(cells.size()));
            if (std::stoi(cells[0]) != static_cast<int>(out.size())) throw std::runtime_error("row order");
            RefShapeRow row;
            row.name = Unquote(cells[1]);
            for (int k = 0; k < 5; ++k) {
                const std::string& cell = cells[2 + k];
                RefShapeSlot slot;
                if (cell != "\u2014") {  // "—" = empty
                    const size_t colon = cell.find(':');
                    std::istringstream head(cell.substr(0, colon));
                    std::string note;
                    head >> note >> slot.root;
                    std::istringstream tail(cell.substr(colon + 1));
                    for (auto& f : slot.frets) tail >> f;
                    if (!head || !tail) throw std::runtime_error("bad slot: " + cell);
                    slot.empty = false;
                }
                row.slots[static_cast<size_t>(k)] = slot;
            }
            out.push_back(row);
        }
        return out;
    }();
    return rows;
}

const std::vector<RefChordType>& RefChordTypes() {
    static const std::vector<RefChordType> types = [] {
        std::vector<RefChordType> out;
        for (const auto& cells : Rows(kRefChordTypeTable)) {
            if (cells.size() != 3) throw std::runtime_error("chord-type row");
            if (std::stoi(cells[0]) != static_cast<int>(out.size())) throw std::runtime_error("index order");
            RefChordType type;
            type.name = Unquote(cells[1]);
            if (cells[2] != "none (terminator)") {
                std::istringstream tones(cells[2]);
                std::string item;
                while (std::getline(tones, item, ';')) {
                    std::istringstream t(item);
                    RefTone tone;
                    std::string label, flag;
                    t >> tone.semitones >> label >> flag;
                    tone.label = Unquote(label);
                    tone.sounded = flag == "s";
                    type.tones.push_back(tone);
                }
            }
            out.push_back(type);
        }
        return out;
    }();
    return types;
}

const std::vector<RefSpelling>& RefSpellings() {
    static const std::vector<RefSpelling> spellings = [] {
        const auto rows = Rows(kRefSpellings);
        std::vector<RefSpelling> out;
        for (size_t i = 1; i < rows.at(0).size(); ++i)
            out.push_back({Unquote(rows[0][i]), std::stoi(rows.at(1).at(i))});
        return out;
    }();
    return spellings;
}

const std::vector<RefKey>& RefKeys() {
    static const std::vector<RefKey> keys = [] {
        const auto rows = Rows(kRefKeySignatures);
        std::vector<RefKey> out;
        for (size_t i = 1; i < rows.at(0).size(); ++i) {
            RefKey key;
            key.major = Unquote(rows[0][i]);
            key.minor = Unquote(rows.at(1).at(i));
            const std::string& sig = rows.at(2).at(i);
            if (sig != "none") {
                const int n = std::stoi(sig);
                if (sig.find("\u266F") != std::string::npos) key.sharps = n;
                else key.flats = n;
            }
            out.push_back(key);
        }
        return out;
    }();
    return keys;
}

std::string Sjis(std::string_view utf8) { return lw::Utf8ToCp932(utf8); }
std::string Utf8(std::string_view sjis) { return lw::Cp932ToUtf8(sjis); }

std::string PadBytes(std::string bytes, size_t n) {
    if (bytes.size() < n) bytes.append(n - bytes.size(), ' ');
    return bytes;
}

std::vector<std::string> SjisShapeTypeNames() {
    std::vector<std::string> names;
    for (const RefShapeRow& row : RefShapes()) names.push_back(PadBytes(Sjis(row.name), 10));
    return names;
}

bool ReferenceGetChord(const RefShapeRow& row, int32_t root, int position, std::array<int32_t, 4>& frets) {
    struct Entry {
        int32_t root;
        std::array<int32_t, 4> frets;
    };
    std::array<Entry, 5> e{};
    for (size_t k = 0; k < 5; ++k) {
        const RefShapeSlot& slot = row.slots[k];
        const int32_t slotRoot = slot.empty ? 99 : slot.root;
        int32_t shift = root - slotRoot;
        if (shift > 11) shift -= 12;
        e[k].root = slotRoot;
        e[k].frets = slot.frets;
        if (slot.empty) e[k].frets[0] = 99;
        for (auto& f : e[k].frets) f += shift;
    }
    for (size_t i = 0; i < 4; ++i)
        for (size_t j = i + 1; j < 5; ++j)
            if (e[i].frets[0] > e[j].frets[0]) std::swap(e[i], e[j]);
    const Entry& chosen = e.at(static_cast<size_t>(position));
    if (chosen.root == 99) return false;
    frets = chosen.frets;
    return true;
}

}  // namespace fretcalc_test
