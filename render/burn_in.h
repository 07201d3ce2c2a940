// Burning a row window's elements into its picture (picTAB): each visible
// element is drawn at its own place and size, and the elements the layout
// places again on every re-layout (fret numbers, rests, rhythm glyphs,
// stems, accidentals) are hidden afterwards. Chord names, free texts, repeat
// marks and dots, key signs and bar lines stay visible: the row window keeps
// showing them and a redraw from a fresh ground burns them in again.
//
// All positions are twips; twipsPerPixel converts them to picture pixels.
#pragma once

#include <QImage>
#include <string>
#include <vector>

#include "dan_data.h"
#include "row_picture.h"
#include "row_scene.h"
#include "session.h"
#include "ui_port.h"

namespace lw {

class StampBook;

inline constexpr const char* kLeadError = "Lead Error !!";

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

// What every burn-in needs besides the picture: the stamps of the row's
// size, the template font sizes, the pixel size, and where to report a
// failure (null: failures are not shown).
struct BurnContext {
    const StampBook* stamps = nullptr;   // null: StampBook::Default()
    SceneFonts fonts;
    int tpp = 15;
    UiPort* messages = nullptr;
    const StampBook& Book() const;
};

// ---- one element ----
// AND-copies a visible element (its stamp at its place and size) and hides it.
void PutImgBitBlt(QImage& dest, ScenePicture& e, const BurnContext& c);
// Stretches the fixed 375 x 270-twip source area of a visible element's
// picture onto its rectangle, then hides it.
void PutImgStretchBlt(QImage& dest, ScenePicture& e, const BurnContext& c);
// One text in pixels (technique letters "H", "P", "S": "Times New Roman", 8 points).
void PutImgCaption(QImage& dest, const std::string& text, const std::string& fontName, double points, double leftPx,
                   double topPx);
// One ledger line from (x1, y1) to (x2, y2) twips.
void PutImg5HosokuLine(QImage& dest, double x1, double y1, double x2, double y2, int tpp);

// AND-copies and hides every visible element from index `from` on.
void BlitElements(QImage& dest, std::vector<ScenePicture>& v, size_t from, const BurnContext& c);

// ---- one kind of element ----
// Fret numbers; afterwards every measure of the row is marked drawn (DrawFlag -1).
void PutImgFletPos(QImage& dest, RowScene& scene, DanData& dan, const BurnContext& c);
void PutKyufu(QImage& dest, RowScene& scene, const BurnContext& c);
void PutImgChord(QImage& dest, const RowScene& scene, const BurnContext& c);
void PutImgText(QImage& dest, const RowItems& items, const BurnContext& c);
void PutRepMark(QImage& dest, RowScene& scene, const RowItems& items, const BurnContext& c);
void PutImgRhythmNote(QImage& dest, RowScene& scene, const BurnContext& c);
void PutImgKugiriLine(QImage& dest, const RowScene& scene, const BurnContext& c);
void PutKey(QImage& dest, const RowScene& scene, const BurnContext& c);
void PutImgSharp(QImage& dest, StaffMarks& marks, const BurnContext& c);
void PutImgFlat(QImage& dest, StaffMarks& marks, const BurnContext& c);
void PutImgNatural(QImage& dest, StaffMarks& marks, const BurnContext& c);
// The stem element picTate(0): its stamp's top 435 twips stretched to its height.
bool PutImgTateBar(QImage& dest, RowScene& scene, const BurnContext& c);

// Beams and slurs are drawn straight into the picture by the rhythm drawing;
// their burn-in entry points have nothing left to draw.
inline void PutImgYokoBar(QImage&) {}
inline void PutImgSlar(QImage&) {}

// ---- the row ----
// Burns in the whole row: fret numbers, rests, chord names, free texts,
// repeat marks, rhythm glyphs, bar lines. False (and "Lead Error !!" unless
// c.messages is null) when the picture or an element array is missing;
// what was burnt in before stays.
bool PutTAB(QImage& dest, RowScene& scene, const RowItems& items, DanData& dan, const BurnContext& c);

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
// signature (picKey elements 1...). False + "Lead Error !!" on failure.
bool PutImgInitForm(QImage& dest, RowScene& scene, const DanLayoutData& l, const RowStartStyle& style,
                    const BurnContext& c);

// Places the key signature of `keyName` into scene.picKey with the row's
// stamps (the key-signature layout procedure of a row window).
void PlaceKeySignature(RowScene& scene, const DanLayoutData& l, const std::string& keyName, bool bassClef,
                       bool staffShown, int tpp);

}  // namespace lw
