// The row picture's ground (picTAB's background): loaded from the working
// folder, the tablature lines an instrument does not have blanked, and its
// lines kept for devices finer than the screen.
#pragma once

#include <QImage>
#include <string>
#include <vector>

#include "dan_data.h"
#include "row_scene.h"
#include "session.h"

class QPainter;

namespace lw {

class StampBook;

// Maps the classic Windows font names used by rows to installed fonts
// ("ＭＳ Ｐ明朝" -> IPAPMincho, "ＭＳ Ｐゴシック" -> IPAPGothic,
// "Times New Roman" -> Liberation Serif). Call once after QGuiApplication exists.
void InstallFontSubstitutions();

// Ground picture of a layout style (PosRhythm 1..5): "TABn1.bmp" for the
// staff styles or when notes are drawn, "TABn2.bmp", "TABn3.bmp".
std::string GroundFileName(int posRhythm, bool viewDrawNote);

// Loads folder/name as an RGB32 image. A missing or unreadable file gives a
// white picture of the default size and sets error.
QImage LoadGround(const std::string& folder, const std::string& name, std::string* error = nullptr);

// Overwrites the tablature lines the instrument does not use with blank
// ground (five strings: the sixth line; four strings: the fifth and sixth).
void BlankUnusedLines(QImage& picTAB, const DanLayoutData& layout, int maxStringIx, int twipsPerPixel);

// The clean ground of a row: its picture (the ground file with the
// instrument's unused lines blanked) and the same ink as rectangles, the
// staff and TAB lines, which devices finer than the screen draw as lines.
struct RowGround {
    QImage image;
    std::vector<QRect> lines;
    bool isNull() const { return image.isNull(); }
    int width() const { return image.width(); }
    int height() const { return image.height(); }
};
// The ground of a picture: its dark pixels (gray below 128) gathered into
// rectangles, each horizontal run joined with the equal runs below it.
RowGround GroundOf(const QImage& picture);

struct SceneFonts {
    double fletPointSize = 9;   // labPos template size
    double chordPointSize = 10; // labChord template size
};

// Pixel size of a stamp as drawn in a row window.
QImage StampImage(Stamp s);

}  // namespace lw
