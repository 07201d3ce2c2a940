// A row window as a retained scene: the control arrays of the row window
// become vectors of positioned elements (twips), element 0 of each array the
// hidden template. The row picture (picTAB) is painted from the visible
// elements and the row; painting never changes the scene. No Qt here.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace lw {

// Fixed picture stamps an element can show.
enum class Stamp : uint8_t {
    None = 0,
    pic2note, pic2note_futen, pic4note, pic4note_futen,
    pic0Up_2, pic4up_2, pic8Up_2, pic8Down_2, pic16Up_2, pic16Down_2, pic8Up_futen,
    pic2Kyufu, pic4Kyufu, pic8Kyufu, pic16Kyufu,
    pic3renDown, pic3renUp, picTate, picSlar,
    picToon, picHeon, picTABstring,
    picSharp, picFlat, picNatural,
    picSenyo, picToCoda, picCoda, picDS, picDC, picRep1, picRep2, picRepEnd, picSwing,
    picRepten,          // repeat dots
    pic5Sen_Hosoku,     // ledger-line guide
    pic2Up_2,           // half note with its stem, for the rhythm row
    pic1note, pic1note_futen,  // whole-note head on the staff
};

struct SceneLabel {
    double Top = 0, Left = 0, Height = 0, Width = 0;
    bool Visible = false;
    std::string Caption;
    std::string Tag;
    int BackStyle = 0;      // 0 transparent, 1 opaque
    double FontSize = 0;
    int Z = 0;              // larger = in front
};

struct ScenePicture {
    double Top = 0, Left = 0, Height = 0, Width = 0;
    bool Visible = false;
    Stamp Image = Stamp::None;
    std::string Tag;
    int Z = 0;
};

struct SceneLine {
    double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    int BorderWidth = 1;
    bool Visible = false;
};

struct RowScene {
    // Fret labels (one per string of every note position) and rest pictures.
    std::vector<SceneLabel> labPos{SceneLabel{}};
    std::vector<ScenePicture> picKyufu{ScenePicture{}};
    // Clickable full-height column cells, one array per measure 0..7.
    std::array<std::vector<SceneLabel>, 8> labInx{};
    std::vector<SceneLabel> labChord{SceneLabel{}};
    // Bar lines: 1..3 the leading bar, 4+6m..9+6m the bar closing measure m.
    std::vector<SceneLine> lineKugiri{SceneLine{}};
    std::vector<SceneLabel> labKugiri{};      // drag handle per measure 0..7
    std::vector<ScenePicture> picRepten{ScenePicture{}};
    // Key signature (the rhythm glyphs and stems are kept by each paint).
    std::vector<ScenePicture> picKey{ScenePicture{}};
    // Markers.
    SceneLabel labFletEdit;
    SceneLabel labAsisto;
    SceneLine lineBeemTate, lineBeemYoko;
    ScenePicture pic5Sen_Hosoku;

    // Window client size in twips (cells are as tall as the window).
    double WindowHeight = 4000, WindowWidth = 15000;
    int ZCounter = 0;
    int BringToFront() { return ++ZCounter; }

    RowScene() {
        for (auto& a : labInx) a.assign(1, SceneLabel{});
        // Template sizes of the row window's design: a fret label is one
        // note column wide.
        labPos[0].Width = 240;
        labPos[0].Height = 210;
        labChord[0].Height = 240;
        labChord[0].Width = 600;
        picKyufu[0].Width = 240;
        picKyufu[0].Height = 270;
        labFletEdit.Width = 120;
        labFletEdit.Height = 120;
        pic5Sen_Hosoku.Image = Stamp::pic5Sen_Hosoku;
        pic5Sen_Hosoku.Width = 360;
        pic5Sen_Hosoku.Height = 600;
    }
};

}  // namespace lw
