// lutewise [FILE.tab|PROJECT.tbp ...]
// lutewise --convert IN.tab OUT.tab
// lutewise --play INPUT... --wav OUT.wav [--tempo N] [--instrument GM] [--base N]
// lutewise --export-score OUT.bmp|OUT.png|OUT.pdf INPUT...
// lutewise --export-midi OUT.mid INPUT... [--tempo N] [--instrument GM] [--base N]
// lutewise --export-musicxml OUT.musicxml INPUT...
// lutewise --import-musicxml IN.musicxml|IN.mxl OUT.tbp [--part N] [--measures-per-row M]
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "convert.h"
#include "export_command.h"
#include "import_command.h"
#include "play_command.h"
#include "score_command.h"
#include "startup.h"

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--convert") == 0) {
        if (argc != 4) {
            std::cerr << "usage: lutewise --convert IN.tab OUT.tab\n";
            return 2;
        }
        return lw::RunConvert(argv[2], argv[3], std::cerr);
    }
    if (argc >= 2 && std::strcmp(argv[1], "--play") == 0)
        return lw::RunPlay(std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);
    if (argc >= 2 && std::strcmp(argv[1], "--export-score") == 0)
        return lw::RunExportScore(std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);
    if (argc >= 2 && std::strcmp(argv[1], "--export-midi") == 0)
        return lw::RunExportMidi(std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);
    if (argc >= 2 && std::strcmp(argv[1], "--export-musicxml") == 0)
        return lw::RunExportMusicXml(std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);
    if (argc >= 2 && std::strcmp(argv[1], "--import-musicxml") == 0)
        return lw::RunImportMusicXml(std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);
    return lw::RunEditor(argc, argv);
}
