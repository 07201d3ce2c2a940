// Picture stamps: small glyph images (note heads, notes with stems and flags,
// rests, clefs, accidentals, repeat signs), black on white, rendered once per
// row geometry from the installed music font so that rows look engraved.
//
// Sizes follow the staff space: a note head is one space tall, a stem three
// and a half. Stamps that a row places by a fixed rule carry their reference
// point at a fixed place:
//  - picToon: the G line 5.5 spaces below the stamp's top (Top = staff top - 2.5 spaces),
//  - picHeon: the F line 1.7 spaces below its top (Top = staff top - 0.7 spaces),
//  - picSharp, picNatural: 3 spaces tall, the note's line in the middle,
//  - picFlat: the note's line at 4/9 of its height + half a space,
//  - note heads: one space plus a pixel above and below, the head centred,
//  - picTABstring: 3.4 string intervals tall, so it centres on the TAB lines.
#pragma once

#include <QImage>
#include <QPainterPath>
#include <vector>

#include "dan_data.h"
#include "row_scene.h"

namespace lw {

// A stamp as outlines in its own pixel coordinates (top-left 0, 0): each
// path is filled black. Its picture is these outlines rendered at 1:1.
struct StampShape {
    std::vector<QPainterPath> fills;
};

class StampBook {
public:
    // Renders every stamp for a staff space of spacePx pixels and TAB lines
    // stringPx pixels apart.
    explicit StampBook(int spacePx = 8, int stringPx = 13);
    const QImage& Get(Stamp s) const;
    // The outlines the picture of a stamp was rendered from.
    const StampShape& Shape(Stamp s) const;
    const StampShape& DotShape() const { return dotShape_; }
    const StampShape& FlagShape(int count, bool up) const { return flagShapes_[FlagIx(count)][up ? 0 : 1]; }
    // The augmentation dot alone (a pixel of margin round it), for a dotted
    // note on a line, whose dot goes to the space above.
    const QImage& Dot() const { return dot_; }
    // A flag alone (1 = eighth, 2 = sixteenth, 3 = thirty-second), its
    // stem-side edge at x 0 and its attachment at y 0 (up) or at the bottom
    // row (down).
    const QImage& Flag(int count, bool up) const { return flags_[FlagIx(count)][up ? 0 : 1]; }
    bool HasMusicFont() const { return musicFont_; }
    int SpacePx() const { return space_; }
    int StringPx() const { return string_; }

    // The book of a staff space / string interval, rendered on first use.
    static const StampBook& ForSize(int spacePx, int stringPx);
    // The book of a row: staff space from StaffInterval (or, without a staff,
    // from StringInterval) in pixels.
    static const StampBook& ForLayout(const DanLayoutData& layout, int twipsPerPixel);
    static const StampBook& Default();

private:
    static int FlagIx(int count) { return count >= 3 ? 2 : count == 2 ? 1 : 0; }
    QImage images_[64];
    StampShape shapes_[64];
    QImage dot_;
    StampShape dotShape_;
    QImage flags_[3][2];
    StampShape flagShapes_[3][2];
    bool musicFont_ = false;
    int space_ = 8;
    int string_ = 13;
};

// Family name of the music font, loaded on first use ("" when missing).
QString MusicFontFamily();

}  // namespace lw
