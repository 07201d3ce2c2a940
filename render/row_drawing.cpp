#include "row_drawing.h"

#include <algorithm>
#include <cmath>

#include "element_paint.h"
#include "messages.h"
#include "row_picture.h"
#include "stamps.h"

namespace lw {
namespace {

// Offset of fret numbers (and the notes above them) when notes are drawn.

Stamp HeadStampOf(int rhythmId, bool dotted) {
    if (rhythmId == 0) return dotted ? Stamp::pic1note_futen : Stamp::pic1note;
    if (rhythmId == 1) return dotted ? Stamp::pic2note_futen : Stamp::pic2note;
    if (rhythmId >= 2 && rhythmId <= 8) return dotted ? Stamp::pic4note_futen : Stamp::pic4note;
    return Stamp::None;
}

// Pixels from an accidental stamp's top to the line of its note.
double AccidentalOriginPx(const StampBook& book, Stamp s) {
    const QImage& img = book.Get(s);
    if (s == Stamp::picFlat) return 4.0 * img.height() / 9.0 + book.SpacePx() / 2.0;
    return img.height() / 2.0;
}

struct Sign {
    ScenePicture e;
    double centreY;   // the note's line or space (twips)
};

// Signs of one chord closer than two and a half spaces would collide: from
// the top note down, each goes to the first column (leftwards) where it is
// clear of the signs already there.
void PlaceSignColumns(std::vector<Sign>& signs, double space) {
    if (signs.size() < 2) return;
    std::sort(signs.begin(), signs.end(), [](const Sign& a, const Sign& b) { return a.centreY < b.centreY; });
    double width = 0;
    for (const Sign& s : signs) width = std::max(width, s.e.Width);
    std::vector<int> column(signs.size(), 0);
    for (size_t i = 0; i < signs.size(); ++i) {
        for (bool clash = true; clash;) {
            clash = false;
            for (size_t j = 0; j < i; ++j)
                if (column[j] == column[i] && std::abs(signs[j].centreY - signs[i].centreY) < 2.5 * space) clash = true;
            if (clash) ++column[i];
        }
        signs[i].e.Left -= column[i] * width;
    }
}

std::vector<ScenePicture>& MarkArray(StaffMarks& m, Stamp s) {
    return s == Stamp::picSharp ? m.picSharp : s == Stamp::picFlat ? m.picFlat : m.picNatural;
}

}  // namespace

RowStyle RowStyleOf(const Session& s, int slot, bool drawNote) {
    RowStyle r;
    r.posRhythm = s.PosRhythm;
    r.drawNote = drawNote;
    r.maxStringIx = s.MaxStringIx;
    r.gakkiCode = s.GakkiCode;
    r.bassClef = IsBassClefInstrument(s.GakkiCode);
    r.tuning = s.TuningTbl;
    if (slot >= 0 && slot < kSlotCount && !s.KeyName[slot].empty()) r.keyName = s.KeyName[slot];
    if (s.FletFontSize > 0) r.fonts.fletPointSize = s.FletFontSize;
    if (s.ChordFontSize > 0) r.fonts.chordPointSize = s.ChordFontSize;
    r.tpp = s.TwipsPerPixelX > 0 ? s.TwipsPerPixelX : 15;
    r.meterId = s.DanBuf[slot].MeterID;
    return r;
}

void SetGround(RowRenderState& st, const QImage& ground, const RowStyle& style, const DanLayoutData& l) {
    QImage img = ground.convertToFormat(QImage::Format_RGB32);
    if (style.maxStringIx == 3 || style.maxStringIx == 4) BlankUnusedLines(img, l, style.maxStringIx, style.tpp);
    st.ground = GroundOf(img);
}

bool PrepareGround(RowRenderState& st, const std::string& folder, const RowStyle& style, const DanLayoutData& l,
                   std::string* error) {
    std::string err;
    const QImage img = LoadGround(folder, GroundFileName(style.posRhythm, style.drawNote), &err);
    SetGround(st, img, style, l);
    if (error) *error = err;
    return err.empty();
}

void PutKeySignature(RowScene& scene, const Session& s, int slot, bool drawNote) {
    const RowStyle style = RowStyleOf(s, slot, drawNote);
    const DanLayoutData& l = s.DanLayout[std::clamp(slot, 0, kSlotCount - 1)];
    PlaceKeySignature(scene, l, style.keyName, style.bassClef, StaffShown(style.posRhythm, drawNote), style.tpp);
}

bool StaffPointToStringFret(const Session& s, int slot, RowRenderState& st, double y, int& string, int& fret) {
    const RowStyle style = RowStyleOf(s, slot, false);
    OpenStringValues(style.gakkiCode, style.tuning, st.open);
    return StaffPointToStringFret(y, s.DanLayout[std::clamp(slot, 0, kSlotCount - 1)], style.bassClef, style.keyName,
                                  st.open, style.maxStringIx, string, fret);
}

int16_t RowStartInsetOf(const DanLayoutData& l, const RowStyle& style) {
    const double right = RowStartRight(l, StampBook::ForLayout(l, style.tpp), style.keyName, style.bassClef,
                                       StaffShown(style.posRhythm, style.drawNote), style.tpp);
    // Fret numbers (and the heads over them) stand left of their column
    // when notes are drawn, and a first note's accidental stands before its
    // head, right of the key signature.
    const StampBook& book = StampBook::ForLayout(l, style.tpp);
    const double sign = (book.Get(Stamp::picSharp).width() + std::max(1.0, book.SpacePx() / 4.0)) * style.tpp;
    const double need = std::ceil(right - l.SyosetsuLeft[0]) + (style.drawNote ? kDrawNoteShift + sign : 0);
    return static_cast<int16_t>(std::clamp(need, 0.0, 3000.0));
}

BurnContext BurnContextOf(const RowStyle& style, const DanLayoutData& l) {
    BurnContext c;
    c.stamps = &StampBook::ForLayout(l, style.tpp);
    c.fonts = style.fonts;
    c.tpp = style.tpp;
    return c;
}

void DrawStaffMeasure(Canvas& picTAB, MeasurePass& st, const RowScene& scene, DanData& dan, const DanLayoutData& l,
                      int m, const RowStyle& style, const BurnContext& c) {
    if (m < 0 || m >= kMeasureSlots || l.StaffInterval <= 0) return;
    st.staff.Ensure(style.keyName, style.bassClef, dan);
    OpenStringValues(style.gakkiCode, style.tuning, st.open);
    st.memory.Clear();
    const StampBook& book = c.Book();
    const int tpp = c.tpp;
    const double space = book.SpacePx(), side = std::max(1.0, space / 4.0);
    const KeySig key = KeySignatureOf(style.keyName);
    const double cellW = scene.labPos.empty() ? 240 : scene.labPos[0].Width;
    const double shift = style.drawNote ? kDrawNoteShift : 0;
    const double headW = book.Get(Stamp::pic4note).width() * double(tpp);
    const int strings = std::clamp(style.maxStringIx + 1, 1, 6);
    SyosetsuData& ms = dan.Syosetsu[m];
    const int n = std::clamp<int>(ms.OnpuCnt, 0, kMaxPositions);
    if (n == 0) return;
    // Triplet places are known once the measure is prepared.
    SyosetsuData prepared = ms;
    PrepareMeasure(prepared, style.meterId);
    struct Head {
        ScenePicture e;
        StaffNote note;
        double centreY;   // the note's line or space (twips)
        bool dotAbove;
        int string;
    };
    MeasureGeom& geom = st.geom[m];
    for (auto& g : geom) g = NoteGeom{};
    const double stemW = std::max(1.0, std::round(space * 0.13));
    for (int p = 1; p <= n; ++p) {
        OnpuData& pos = ms.Onpu[p];
        if (pos.IsRest() || IsHeldPlace(prepared.Onpu[p])) continue;
        // The glyphs and signs of this position (picNote, picSharp, ...).
        std::vector<ScenePicture> picNote;
        StaffMarks marks;
        std::vector<Head> heads;
        std::vector<Sign> signs;
        for (int k = 1; k <= strings; ++k) {
            if (pos.FletUse[k] != kSounding) continue;
            const bool dotted = GetBit(pos.NoteAttr, kAttrDot);
            if (HeadStampOf(pos.NoteLengthID[k], dotted) == Stamp::None) continue;
            Head h;
            h.note = StaffPosition(st.staff, st.memory, l, pos, k, pos.Flet[k], st.open);
            // A dotted note on a line carries its dot in the space above.
            h.dotAbove = dotted && h.note.half;
            h.string = k;
            h.e.Image = HeadStampOf(pos.NoteLengthID[k], dotted && !h.dotAbove);
            const QImage& img = book.Get(h.e.Image);
            h.e.Width = img.width() * double(tpp);
            h.e.Height = img.height() * double(tpp);
            h.e.Left = pos.PosRect[k].Left + (cellW - headW) / 2 - shift;
            // Our head stamps keep one pixel above the head.
            h.e.Top = h.note.top + kHeadPictureMargin - tpp;
            h.e.Visible = true;
            h.centreY = h.note.top + kHeadPictureMargin + l.StaffInterval / 2.0;
            const Stamp sign = AccidentalStamp(h.note, key, style.bassClef);
            if (sign != Stamp::None) {
                const QImage& si = book.Get(sign);
                ScenePicture a;
                a.Image = sign;
                a.Width = si.width() * double(tpp);
                a.Height = si.height() * double(tpp);
                a.Left = h.e.Left - a.Width - side * tpp;
                a.Top = h.centreY - AccidentalOriginPx(book, sign) * tpp;
                a.Visible = true;
                signs.push_back({a, h.centreY});
            }
            heads.push_back(h);
        }
        // Two heads a second apart cannot share a place: from the bottom up,
        // the upper head of a second moves to the right of the lower one.
        std::sort(heads.begin(), heads.end(), [](const Head& a, const Head& b) { return a.centreY > b.centreY; });
        bool belowMoved = false;
        for (size_t i = 0; i < heads.size(); ++i) {
            const bool second = i > 0 && std::abs(heads[i - 1].centreY - heads[i].centreY - l.StaffInterval / 2.0) < 1;
            const bool moved = second && !belowMoved;
            if (moved) heads[i].e.Left += headW - 2 * side * tpp;
            belowMoved = moved;
        }
        for (const Head& h : heads) {
            picNote.push_back(h.e);
            if (h.dotAbove) {
                const QImage& dot = book.Dot();
                const double x = Px(h.e.Left, tpp) + book.Get(h.e.Image).width() - side + space * 0.4 - 1;
                const double y = Px(h.centreY - l.StaffInterval / 2.0, tpp) - dot.height() / 2.0;
                InkStamp(picTAB, dot, book.DotShape(), QPointF(std::round(x), std::round(y)));
            }
            for (int line : LedgerLines(h.note.line, h.note.half)) {
                const double y = StaffLineY(l, line);
                PutImg5HosokuLine(picTAB, h.e.Left, y, h.e.Left + headW, y, tpp);
            }
        }
        if (!heads.empty()) {
            // Where the stem, the beam and the arcs of this note start.
            NoteGeom& g = geom[p];
            g.placed = true;
            g.down = GetBit(pos.NoteAttr, kAttrStemDown);
            double left = 1e9;
            g.top = 1e9;
            g.bottom = -1e9;
            const double headPx = book.Get(Stamp::pic4note).width();
            const double halfH = space / 2.0;
            for (const Head& h : heads) {
                left = std::min(left, Px(h.e.Left, tpp));
                const double cy = Px(h.centreY, tpp);
                g.top = std::min(g.top, cy);
                g.bottom = std::max(g.bottom, cy);
            }
            g.left = std::round(left);
            g.right = g.left + headPx;
            g.stemW = stemW;
            g.stemX = g.down ? g.left + 1 : g.right - 1 - stemW;
            for (const Head& h : heads) {
                const double l0 = std::round(Px(h.e.Left, tpp)), cy = Px(h.centreY, tpp);
                g.hasString[h.string] = true;
                g.strPrimary[h.string] = QPointF(l0 + headPx / 2, g.down ? cy - halfH : cy + halfH);
            }
            g.primary = QPointF(g.left + headPx / 2, g.down ? g.top - halfH : g.bottom + halfH);
            g.alternate = QPointF(g.left + 10, g.down ? g.bottom + halfH : g.top - halfH);
        }
        PlaceSignColumns(signs, l.StaffInterval);
        for (const auto& sg : signs) MarkArray(marks, sg.e.Image).push_back(sg.e);
        BlitElements(picTAB, picNote, 0, c);   // the rhythm glyphs (PutImgRhythmNote)
        PutImgSharp(picTAB, marks, c);
        PutImgFlat(picTAB, marks, c);
        PutImgNatural(picTAB, marks, c);
    }
}

void RedrawDan(Canvas& picTAB, MeasurePass& st, const RowScene& scene, DanData& dan, const DanLayoutData& l, int m,
               const RowStyle& style, const BurnContext& c) {
    if (m < 0 || m >= kMaxMeasures) return;
    st.memory.Clear();
    RhythmContext rc;
    rc.meterId = style.meterId;
    rc.posRhythm = style.posRhythm;
    rc.drawNote = style.drawNote;
    rc.maxStringIx = style.maxStringIx;
    const MeasureGeom* prev = m > 0 ? &st.geom[m - 1] : nullptr;
    const SyosetsuData* prevMs = m > 0 ? &dan.Syosetsu[m - 1] : nullptr;
    if (style.drawNote) {
        DrawStaffMeasure(picTAB, st, scene, dan, l, m, style, c);
        DrawStaffRhythm(picTAB, dan.Syosetsu[m], l, st.geom[m], prev, prevMs, rc, c);
    } else if (style.posRhythm != 5) {
        DrawRhythmRow(picTAB, dan.Syosetsu[m], l, st.geom[m], prev, prevMs, rc, c);
    } else {
        DrawTabTechniques(picTAB, dan.Syosetsu[m], prevMs, rc, c);
    }
}

}  // namespace lw
