// The row picture (picTAB): its ground loaded from the working folder, the
// blanking of tablature lines an instrument does not have, the clean strip
// used to erase a measure, and painting of a row scene over it.
#pragma once

#include <QImage>
#include <string>

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

// picSave: the clean right half of the ground, used to erase single measures.
QImage MakePicSave(const QImage& picTAB);
// Copies the clean strip over one measure's x range (plain copy).
void EraseMeasureStrip(QImage& picTAB, const QImage& picSave, int leftTwips, int rightTwips, int twipsPerPixel);

struct SceneFonts {
    double fletPointSize = 9;   // labPos template size
    double chordPointSize = 10; // labChord template size
};

// Paints the visible elements of a scene and the row's free texts and repeat
// marks in z-order, in window pixels (twips / twipsPerPixel).
// Stamps come from `stamps` (the row's book, StampBook::ForLayout) or the
// default book.
void PaintScene(QPainter& p, const RowScene& scene, const RowItems& items, const SceneFonts& fonts,
                int twipsPerPixel, const StampBook* stamps = nullptr);

// Pixel size of a stamp as drawn in a row window.
QImage StampImage(Stamp s);

}  // namespace lw
