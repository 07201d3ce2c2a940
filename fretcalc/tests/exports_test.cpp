// The library's boundary: exactly six exported symbols of ours (nm -D), C
// linkage, and the C header usable from C.
#include "fretcalc.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <set>
#include <sstream>
#include <string>

#ifndef FRETCALC_LIBRARY_PATH
#error "FRETCALC_LIBRARY_PATH must name the built libFretcalc.so"
#endif
#ifndef FRETCALC_NM
#define FRETCALC_NM "nm"
#endif

extern "C" {
int FretcalcCheckRecordSize(void);
int FretcalcCheckToneOffset(void);
int FretcalcCheckLabelOffset(void);
int FretcalcCheckSoundedOffset(void);
int32_t FretcalcCheckGetChordFromC(int32_t root, const char* type, int32_t position, int32_t* frets);
int32_t FretcalcCheckGetKeyFromC(int32_t semitone, char* buffer);
}

namespace {

struct Symbol {
    std::string type;
    std::string name;
};

std::vector<Symbol> DynamicDefinedSymbols(const std::string& library, int& status) {
    const std::string command = std::string("'") + FRETCALC_NM + "' -D --defined-only '" + library + "' 2>&1";
    std::vector<Symbol> symbols;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        status = -1;
        return symbols;
    }
    std::string output;
    std::array<char, 512> chunk{};
    while (fgets(chunk.data(), static_cast<int>(chunk.size()), pipe) != nullptr) output += chunk.data();
    status = pclose(pipe);
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        // "0000000000001234 T GetChord" (the value may be missing for some types).
        std::istringstream fields(line);
        std::string a, b, c;
        fields >> a >> b >> c;
        if (c.empty()) symbols.push_back({a, b});
        else symbols.push_back({b, c});
    }
    return symbols;
}

}  // namespace

TEST(Exports, NmListsTheSixFunctionsAndNothingOfOursBesides) {
    int status = 0;
    const auto symbols = DynamicDefinedSymbols(FRETCALC_LIBRARY_PATH, status);
    ASSERT_EQ(status, 0) << "nm failed on " << FRETCALC_LIBRARY_PATH;
    // Linker-made markers that every shared object defines.
    const std::set<std::string> standard = {"_init", "_fini", "__bss_start", "_edata", "_end"};
    const std::set<std::string> expected = {"GetChord",    "EnumChordTable",      "GetKeyIndex",
                                            "GetKey",      "GetFivelinePosTable", "GetFivelinePosTable2"};
    std::set<std::string> ours;
    for (const Symbol& s : symbols) {
        if (standard.count(s.name)) continue;
        ours.insert(s.name);
        if (expected.count(s.name)) {
            EXPECT_EQ(s.type, "T") << s.name << " is not a function in .text";
        }
    }
    EXPECT_EQ(ours, expected);
}

TEST(Exports, TheRecordLayoutIsTheSameInC) {
    EXPECT_EQ(FretcalcCheckRecordSize(), 172);
    EXPECT_EQ(FretcalcCheckToneOffset(), 12);
    EXPECT_EQ(FretcalcCheckLabelOffset(), 4);
    EXPECT_EQ(FretcalcCheckSoundedOffset(), 12);
}

TEST(Exports, CallableFromC) {
    int32_t frets[4] = {-1, -1, -1, -1};
    EXPECT_EQ(FretcalcCheckGetChordFromC(12, "Major     ", 4, frets), -1);
    EXPECT_EQ(frets[0], 10);
    EXPECT_EQ(frets[3], 12);
    char buffer[5];
    EXPECT_EQ(FretcalcCheckGetKeyFromC(10, buffer), 10);
    EXPECT_STREQ(buffer, "B\x81\xF3 ");
}
