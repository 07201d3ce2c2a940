// Picture stamps: small monochrome glyph images (rests, note heads, clefs,
// accidentals, repeat signs) rendered once from the installed music font so
// that rows look engraved.
#pragma once

#include <QImage>

#include "row_scene.h"

namespace lw {

class StampBook {
public:
    // Renders every stamp for a staff space of spacePx pixels.
    explicit StampBook(int spacePx = 8);
    const QImage& Get(Stamp s) const;
    bool HasMusicFont() const { return musicFont_; }
    static StampBook& Default();

private:
    QImage images_[64];
    bool musicFont_ = false;
};

// Family name of the music font, loaded on first use ("" when missing).
QString MusicFontFamily();

}  // namespace lw
