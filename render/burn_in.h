// The layers of a row picture: each visible element of the row window drawn
// at its own place and size, in the fixed order in which they cover each
// other. Drawing reads the scene and never changes it.
//
// All positions are twips; twipsPerPixel converts them to the row's pixels.
#pragma once

#include <QImage>
#include <string>
#include <vector>

#include "dan_data.h"
#include "element_paint.h"
#include "row_picture.h"
#include "row_scene.h"
#include "session.h"
#include "ui_port.h"

namespace lw {

class StampBook;

// Source area of PutImgStretchBlt: 375 x 270 twips of the element's picture.
inline constexpr double kStretchSourceWidth = 375, kStretchSourceHeight = 270;
// Height of the stem stamp that PutImgTateBar stretches (29 pixels at 15 twips).
inline constexpr double kTateStampHeight = 435;

// Accidentals the staff notation places next to note heads (elements 0...).
struct StaffMarks {
    std::vector<ScenePicture> picSharp, picFlat, picNatural;
    void Clear() {
        picSharp.clear();
        picFlat.clear();
        picNatural.clear();
    }
};

// What every painter needs besides the canvas: the stamps of the row's
// size, the template font sizes and the pixel size.
struct BurnContext {
    const StampBook* stamps = nullptr;   // null: StampBook::Default()
    SceneFonts fonts;
    int tpp = 15;
    const StampBook& Book() const;
};

// ---- one element ----
// The painters take the row as it is and change nothing: drawing a row twice
// gives the same picture, whatever was drawn before. Positions are twips,
// painted in the row's screen pixels on the canvas (see Canvas).

// A visible element's stamp at its place and size.
void PutImgBitBlt(Canvas& dest, const ScenePicture& e, const BurnContext& c);
// The fixed 375 x 270-twip source area of a visible element's picture
// stretched onto its rectangle.
void PutImgStretchBlt(Canvas& dest, const ScenePicture& e, const BurnContext& c);
// One text in pixels (technique letters "H", "P", "S": "Times New Roman", 8 points).
void PutImgCaption(Canvas& dest, const std::string& text, const std::string& fontName, double points, double leftPx,
                   double topPx);
// One ledger line from (x1, y1) to (x2, y2) twips.
void PutImg5HosokuLine(Canvas& dest, double x1, double y1, double x2, double y2, int tpp);

// Every visible element from index `from` on.
void BlitElements(Canvas& dest, const std::vector<ScenePicture>& v, size_t from, const BurnContext& c);

// ---- one kind of element ----
void PutImgFletPos(Canvas& dest, const RowScene& scene, const BurnContext& c);
void PutKyufu(Canvas& dest, const RowScene& scene, const BurnContext& c);
void PutImgChord(Canvas& dest, const RowScene& scene, const BurnContext& c);
void PutImgText(Canvas& dest, const RowItems& items, const BurnContext& c);
void PutRepMark(Canvas& dest, const RowScene& scene, const RowItems& items, const BurnContext& c);
void PutImgKugiriLine(Canvas& dest, const RowScene& scene, const BurnContext& c);
void PutKey(Canvas& dest, const RowScene& scene, const BurnContext& c);
void PutImgSharp(Canvas& dest, const StaffMarks& marks, const BurnContext& c);
void PutImgFlat(Canvas& dest, const StaffMarks& marks, const BurnContext& c);
void PutImgNatural(Canvas& dest, const StaffMarks& marks, const BurnContext& c);
// A stem element: its stamp's top 435 twips stretched to its height.
void PutImgTateBar(Canvas& dest, const ScenePicture& stem, const BurnContext& c);

// ---- the row ----
// The elements of the row in their fixed order, each covering what came
// before: fret numbers, rests, chord names, free texts, repeat marks, bar
// lines. (The rhythm glyphs are drawn by the rhythm pass before them.)
void PutTAB(Canvas& dest, const RowScene& scene, const RowItems& items, const BurnContext& c);

// What the row start depends on.
struct RowStartStyle {
    int posRhythm = 1;        // layout style 1..5
    bool drawNote = false;    // view option "音符を描画する"
    bool bassClef = false;
    int maxStringIx = 5;
};

// True when the row shows the five-line staff: the two staff styles, or
// notes drawn on the staff.
bool StaffShown(int posRhythm, bool drawNote);

// Row start geometry (twips): the clef's and the TAB word's left edge. Both
// stand 1.8 of their own widths from the window's left, but never left of
// the row's start (TabLeft) plus half a staff space.
double ClefLeft(const DanLayoutData& l, const StampBook& book, bool bassClef, int tpp);
double TabWordLeft(const DanLayoutData& l, const StampBook& book, int tpp);
// Left edge of the first key-signature sign: after the clef when the staff
// has one.
double KeySignatureLeft(const DanLayoutData& l, const StampBook& book, bool bassClef, int tpp);

// Right edge (twips) of the row start: clef or TAB word and key signature,
// plus a staff space. The first note of a row should stand right of it.
double RowStartRight(const DanLayoutData& l, const StampBook& book, const std::string& keyName, bool bassClef,
                     bool staffShown, int tpp);

// The row start: clef (when the staff is shown), the word "TAB", the key
// signature (picKey elements 1...).
void PutImgInitForm(Canvas& dest, const RowScene& scene, const DanLayoutData& l, const RowStartStyle& style,
                    const BurnContext& c);

// Places the key signature of `keyName` into scene.picKey with the row's
// stamps (the key-signature layout procedure of a row window).
void PlaceKeySignature(RowScene& scene, const DanLayoutData& l, const std::string& keyName, bool bassClef,
                       bool staffShown, int tpp);

}  // namespace lw
