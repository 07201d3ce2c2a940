#include "rhythm_drawing.h"

#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "element_paint.h"
#include "stamps.h"

namespace lw {

// ---------------------------------------------------------------- glyph choice

Stamp CopyPictureNote(int v, uint8_t attr) {
    const bool dot = GetBit(attr, kAttrDot);
    if (v == 0 || v == 1) return dot ? Stamp::pic2note_futen : Stamp::pic2note;
    if (v >= 2 && v <= 8) return dot ? Stamp::pic4note_futen : Stamp::pic4note;
    return Stamp::None;
}

Stamp CopyPictureRhythm(int v, uint8_t attr) {
    if (v < 0 || v > 8) return Stamp::None;
    if (GetBit(attr, kAttrDot)) return Stamp::pic8Up_futen;
    // A whole note has no stem and a half note an open head: drawn as
    // quarters they would read as quarters.
    if (v == 0) return Stamp::pic0Up_2;
    if (v == 1) return Stamp::pic2Up_2;
    if (v == 2) return Stamp::pic4up_2;
    if (v == 4) return Stamp::pic16Up_2;
    return Stamp::pic8Up_2;
}

Stamp CopyPictureTate(int v, uint8_t attr) {
    const bool down = GetBit(attr, kAttrStemDown);
    if (v == 0) return Stamp::pic0Up_2;
    if (v == 1 || v == 2) return Stamp::pic4up_2;
    if (v == 4) return down ? Stamp::pic16Down_2 : Stamp::pic16Up_2;
    if (v == 3 || (v >= 5 && v <= 8)) return down ? Stamp::pic8Down_2 : Stamp::pic8Up_2;
    return Stamp::None;
}

Stamp CopyPicture3ren(int formFlag) { return formFlag == 0 ? Stamp::pic3renDown : Stamp::pic3renUp; }

Stamp CopyPictureKyufu(int restId) {
    switch (restId) {
        case 21: case 22: return Stamp::pic2Kyufu;
        case 23: return Stamp::pic4Kyufu;
        case 24: return Stamp::pic8Kyufu;
        case 25: return Stamp::pic16Kyufu;
        default: return Stamp::None;
    }
}

Stamp CopyPictureRepMark(int code) {
    static const Stamp marks[] = {Stamp::picSenyo, Stamp::picToCoda, Stamp::picCoda, Stamp::picDS, Stamp::picDC,
                                  Stamp::picRep1,  Stamp::picRep2,   Stamp::picRepEnd, Stamp::picSwing};
    return code >= 0 && code <= 8 ? marks[code] : Stamp::None;
}

void CopyPicture(ScenePicture& e, Stamp s, const StampBook& book, int tpp) {
    e.Image = s;
    const QImage& img = book.Get(s);
    e.Width = img.width() * double(tpp);
    e.Height = img.height() * double(tpp);
    e.Visible = s != Stamp::None;
}

// ---------------------------------------------------------------- arcs

ArcShape ArcRule(QPointF s, QPointF e, double h, bool above, bool staffForm) {
    double x1 = s.x(), y1 = s.y(), x2 = e.x(), y2 = e.y();
    const double dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
    QRectF box;
    if (dy <= h / 3) {
        box = QRectF(x1, y1 - h / 2, dx, h);
    } else if (above) {
        box = y2 < y1 ? QRectF(x1, y1 - dy, 2 * dx, 2 * dy) : QRectF(2 * x1 - x2, y1, 2 * dx, 2 * dy);
    } else {
        box = y2 < y1 ? QRectF(2 * x1 - x2, y1 - 2 * dy, 2 * dx, 2 * dy) : QRectF(x1, y2 - 2 * dy, 2 * dx, 2 * dy);
    }
    if (staffForm) {
        const double dyShift = above ? -h / 2 : h / 4;
        box.translate(0, dyShift);
        y1 += dyShift;
        y2 += dyShift;
        box.setLeft(box.left() + h / 2);
        x1 += h / 2;
    }
    return {box, QPointF(x1, y1), QPointF(x2, y2), above};
}

void DrawArc(Canvas& dest, const ArcShape& a) {
    if (a.box.width() <= 0 || a.box.height() <= 0) return;
    const QPointF c = a.box.center();
    const double rx = a.box.width() / 2, ry = a.box.height() / 2;
    // Angles of the radials through the two points, as parametric angles of
    // the ellipse (the point where the radial meets it).
    auto angle = [&](QPointF p) { return std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx) * 180 / M_PI; };
    const QPointF from = a.above ? a.end : a.start, to = a.above ? a.start : a.end;
    const double a0 = angle(from);
    double span = angle(to) - a0;
    while (span <= 0) span += 360;
    while (span > 360) span -= 360;
    QPainter& p = dest.p;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawArc(a.box, int(std::lround(a0 * 16)), int(std::lround(span * 16)));
    p.restore();
}

namespace {

struct StemSpot {
    double x = 0, end = 0;   // stem's left edge and far end, from the stamp's top-left
};

// Where the stem of a note stamp stands: the far end is its outermost dark
// row, the stem the leftmost dark pixel of a row between the end and the head.
StemSpot StemOfStamp(const QImage& img, bool up) {
    StemSpot s;
    if (img.isNull()) return s;
    const int h = img.height(), w = img.width();
    auto dark = [&](int x, int y) { return qGray(img.pixel(x, y)) < 128; };
    int end = up ? h - 1 : 0;
    for (int y = 0; y < h; ++y) {
        const int yy = up ? y : h - 1 - y;
        bool any = false;
        for (int x = 0; x < w && !any; ++x) any = dark(x, yy);
        if (any) {
            end = yy;
            break;
        }
    }
    const int row = up ? end + (h - end) * 2 / 5 : end - end * 2 / 5;
    s.end = end;
    for (int x = 0; x < w; ++x)
        if (dark(x, std::clamp(row, 0, h - 1))) {
            s.x = x;
            break;
        }
    return s;
}

void FillRect(Canvas& dest, double x, double y0, double w, double y1) {
    if (y1 < y0) std::swap(y0, y1);
    FillInk(dest, QRectF(x, y0, w, y1 - y0));
}

void FillBand(Canvas& dest, double x1, double y1, double x2, double y2, double t) {
    if (x2 <= x1) return;
    FillInkPolygon(dest, QPolygonF({QPointF(x1, y1), QPointF(x1, y1 + t), QPointF(x2, y2 + t), QPointF(x2, y2)}));
}

int Count(const SyosetsuData& ms) { return std::clamp<int>(ms.OnpuCnt, 0, kMaxPositions); }

// A position drawn as a note (not a rest, something sounds).
bool IsNote(const OnpuData& pos) { return !pos.IsRest() && FirstSoundedString(pos) > 0; }

// The beams of one group [a, b] in "beam space": y measured towards the
// stem ends (negated for stems down), so one rule serves both directions.
struct BeamLine {
    double x1 = 0, y1 = 0, slope = 0, t = kBeamThickness;
    double sign = 1;   // 1 stems up, -1 stems down
    double At(double x) const { return y1 + slope * (x - x1); }
    double Inner(double x) const { return sign * (At(x) + t); }   // edge the stems reach (pixels)
    double Outer(double x) const { return sign * At(x); }
};

void DrawBeamBand(Canvas& dest, const BeamLine& b, double xa, double xb, double offset) {
    if (xb <= xa) return;
    const double ya = b.At(xa) + offset, yb = b.At(xb) + offset;
    if (b.sign > 0) FillBand(dest, xa, ya, xb, yb, b.t);
    else FillBand(dest, xa, -ya - b.t, xb, -yb - b.t, b.t);
}

// Draws the main beam, the inner beams and stubs of run r; the stems of the
// group end at the beam; the geometry records where.
void DrawGroup(Canvas& dest, const SyosetsuData& work, const BeamGroups& g, const BeamRun& r, MeasureGeom& geom,
               double space, double tpp, bool drawStems) {
    std::vector<int> notes;
    for (int p = r.first; p <= r.last; ++p)
        if (geom[p].placed) notes.push_back(p);
    if (notes.size() < 2) return;
    const std::vector<BeamSegment> inner = InnerBeams(work, g, r);
    int levels = 1;
    for (const BeamSegment& s : inner) levels = std::max(levels, s.level);
    BeamLine b;
    b.sign = geom[notes.front()].down ? -1 : 1;
    std::vector<StemEnd> ends;
    for (int p : notes) ends.push_back({geom[p].stemX, b.sign * geom[p].stemEnd});
    b.slope = BeamSlope(ends);
    const double shift = BeamShift(ends, b.slope);
    b.x1 = ends.front().x;
    b.y1 = ends.front().y - b.t + 1 - shift;
    // Every stem keeps at least two and a half spaces between its nearest
    // head and the innermost beam.
    const double depth = 1.5 * b.t * (levels - 1);
    double lift = 0;
    for (int p : notes) {
        if (!drawStems) break;  // the rhythm row's glyphs carry their own stems
        const double head = b.sign > 0 ? geom[p].top : -geom[p].bottom;
        lift = std::max(lift, b.At(geom[p].stemX) + b.t + depth - (head - 2.5 * space));
    }
    b.y1 -= lift;
    const NoteGeom& first = geom[notes.front()];
    const NoteGeom& last = geom[notes.back()];
    DrawBeamBand(dest, b, first.stemX, last.stemX + last.stemW, 0);
    for (int p : notes) {
        NoteGeom& n = geom[p];
        const double in = b.Inner(n.stemX);
        if (drawStems) FillRect(dest, n.stemX, b.sign > 0 ? n.bottom : n.top, n.stemW, in);
        n.stemEnd = b.Outer(n.stemX);
    }
    // Second and third beams, each 1.5 thicknesses inside the one before;
    // a stub is half the way to its neighbour, at most 140 twips.
    for (const BeamSegment& s : inner) {
        const double offset = 1.5 * b.t * (s.level - 1);
        if (!geom[s.from].placed || !geom[s.to].placed) continue;
        if (s.stub == 0) {
            if (geom[s.to].stemX > geom[s.from].stemX)
                DrawBeamBand(dest, b, geom[s.from].stemX, geom[s.to].stemX + geom[s.to].stemW, offset);
            continue;
        }
        const int nb = s.from + s.stub;
        if (nb < 1 || nb > kMaxPositions || !geom[nb].placed) continue;
        const NoteGeom& at = geom[s.from];
        const double d = std::min(std::abs(geom[nb].stemX - at.stemX) / 2, 140.0 / tpp);
        if (d < 1) continue;
        if (s.stub > 0) DrawBeamBand(dest, b, at.stemX, at.stemX + d, offset);
        else DrawBeamBand(dest, b, at.stemX + at.stemW - d, at.stemX + at.stemW, offset);
    }
}

// The triplet mark of every triplet, at its middle note: centred over the
// three notes, on their stem side (above in the rhythm row), or below their
// heads where the rhythm row stands right under the staff (belowInRow).
void DrawTripletMarks(Canvas& dest, const SyosetsuData& work, const MeasureGeom& geom, bool drawNote,
                      bool belowInRow, const StampBook& book) {
    const int n = Count(work);
    for (int p = 1; p <= n; ++p) {
        if (!GetBit(work.Onpu[p].NoteAttr, kAttrTripletMid)) continue;
        // The placed notes of the triplet (the held place of "タータ" is not).
        std::vector<int> three;
        for (int q = std::max(1, p - 1); q <= std::min(n, p + 1); ++q)
            if (geom[q].placed) three.push_back(q);
        if (three.empty()) continue;
        const NoteGeom& g = geom[geom[p].placed ? p : three.front()];
        const bool above = drawNote ? !g.down : !belowInRow;
        const Stamp markStamp = CopyPicture3ren(above ? 0 : 1);
        const QImage& mark = book.Get(markStamp);
        const double gap = std::max(2.0, book.SpacePx() / 3.0);
        double high = 1e9, low = -1e9;
        for (int q : three) {
            high = std::min({high, geom[q].stemEnd, geom[q].top});
            low = std::max({low, geom[q].stemEnd, geom[q].bottom});
        }
        const double top = above ? high - mark.height() - gap : low + gap;
        const double centre = (geom[three.front()].stemX + geom[three.back()].stemX) / 2;
        const double left = centre - mark.width() / 2.0;
        if (left > 0) InkStamp(dest, book, markStamp, QPointF(std::lround(left), std::lround(top)));
    }
}

// Ties, slurs and technique arcs of the measure: the tablature's arcs and
// letters over the fret numbers (which stand tabShift twips left of their
// cells when notes are drawn), and the arcs between placed notes.
void DrawArcs(Canvas& dest, const SyosetsuData& ms, const MeasureGeom& geom, const MeasureGeom* prev,
              const SyosetsuData* prevMs, int strings, const BurnContext& c, double tabShift) {
    const int n = Count(ms);
    const StampBook& book = c.Book();
    const double h = book.Get(Stamp::picSlar).height();
    const double tpp = c.tpp;
    for (int p = 1; p <= n; ++p) {
        const OnpuData& pos = ms.Onpu[p];
        if (!GetBit(pos.NoteAttr, kAttrTie) && !GetBit(pos.NoteAttr, kAttrSlur)) continue;
        const NoteGeom* a = nullptr;
        const OnpuData* apos = nullptr;
        if (p > 1) {
            a = &geom[p - 1];
            apos = &ms.Onpu[p - 1];
        } else if (prev && prevMs && prevMs->OnpuCnt > 0) {
            const int last = std::clamp<int>(prevMs->OnpuCnt, 1, kMaxPositions);
            a = &(*prev)[last];
            apos = &prevMs->Onpu[last];
        }
        const NoteGeom& b = geom[p];
        if (!a || !apos) continue;
        auto staffArc = [&](QPointF from, QPointF to) {
            if (!a->placed || !b.placed) return;
            if (a->down != b.down) from = a->alternate;
            DrawArc(dest, ArcRule(from, to, h, b.down, true));
        };
        bool effect = false;
        for (int k = 1; k <= strings && k < kStringSlots; ++k) {
            const uint8_t e = pos.Effect[k];
            const char* letter = GetBit(e, kEffectHammer) ? "H" : GetBit(e, kEffectPull) ? "P"
                                 : GetBit(e, kEffectSlide) ? "S" : nullptr;
            if (!letter) continue;
            effect = true;
            const PosRectData& ca = apos->PosRect[k];
            const PosRectData& cb = pos.PosRect[k];
            const QPointF s((ca.Left + ca.Width - tabShift) / tpp, ca.Top / tpp + h / 2);
            const QPointF t((cb.Left + cb.Width / 2.0 - tabShift) / tpp, cb.Top / tpp + h / 2);
            const ArcShape arc = ArcRule(s, QPointF(t.x(), s.y()), h, true, false);
            DrawArc(dest, arc);
            PutImgCaption(dest, letter, "Times New Roman", 8, arc.box.left() + arc.box.width() / 4, arc.box.top() - 7);
            const QPointF from = a->hasString[k] ? a->strPrimary[k] : a->primary;
            const QPointF to = b.hasString[k] ? b.strPrimary[k] : b.primary;
            staffArc(from, to);
        }
        if (!effect) staffArc(a->primary, b.primary);
    }
}

// Anchors of a glyph box: the primary at its centre on the edge away from
// the stem, the alternate 10 pixels in from its left on the stem side.
void SetAnchors(NoteGeom& g, double left, double top, double right, double bottom) {
    const double cx = (left + right) / 2;
    g.primary = QPointF(cx, g.down ? top : bottom);
    g.alternate = QPointF(left + 10, g.down ? bottom : top);
}

}  // namespace

void DrawStaffRhythm(Canvas& picTAB, const SyosetsuData& ms, const DanLayoutData& l, MeasureGeom& geom,
                     const MeasureGeom* prev, const SyosetsuData* prevMs, const RhythmContext& rc,
                     const BurnContext& c) {
    SyosetsuData work = ms;
    PrepareMeasure(work, rc.meterId);
    const BeamGroups g = GroupMeasure(work, rc.meterId);
    const StampBook& book = c.Book();
    const double space = book.SpacePx(), len = 3.5 * space;
    const int n = Count(work);
    std::array<bool, kPositionSlots> beamed{};
    const std::vector<BeamRun> runs = MainRuns(work, g);
    for (const BeamRun& r : runs)
        for (int p = r.first; p <= r.last; ++p) beamed[p] = true;
    // Stems and flags of the notes outside beams.
    for (int p = 1; p <= n; ++p) {
        NoteGeom& ng = geom[p];
        if (!ng.placed) continue;
        const int sv = g.stem[p];
        // Three flags need a space more stem than one or two.
        const double stem = len + (FlagsOfStem(sv) > 2 ? space : 0);
        ng.stemEnd = ng.down ? ng.bottom + stem : ng.top - stem;
        if (sv == kStemHeld) continue;
        if (beamed[p] || sv == 0) {
            if (sv == 0) ng.stemEnd = ng.down ? ng.bottom : ng.top;
            continue;
        }
        FillRect(picTAB, ng.stemX, ng.down ? ng.top : ng.bottom, ng.stemW, ng.stemEnd);
        if (const int flags = FlagsOfStem(sv)) {
            const QImage& f = book.Flag(flags, !ng.down);
            const double y = ng.down ? ng.stemEnd - f.height() + 1 : ng.stemEnd;
            InkStamp(picTAB, f, book.FlagShape(flags, !ng.down), QPointF(std::lround(ng.stemX), std::lround(y)));
        }
        // The note-level anchors follow the stem glyph.
        SetAnchors(ng, ng.left, std::min(ng.top, ng.stemEnd), ng.right, std::max(ng.bottom, ng.stemEnd));
        if (ng.down) ng.primary.setY(ng.top - space / 2);
        else ng.primary.setY(ng.bottom + space / 2);
    }
    for (const BeamRun& r : runs) DrawGroup(picTAB, work, g, r, geom, space, c.tpp, true);
    DrawTripletMarks(picTAB, work, geom, true, false, book);
    DrawArcs(picTAB, work, geom, prev, prevMs, rc.maxStringIx + 1, c, kDrawNoteShift);
}

void DrawTabTechniques(Canvas& picTAB, const SyosetsuData& ms, const SyosetsuData* prevMs, const RhythmContext& rc,
                       const BurnContext& c) {
    const MeasureGeom none{};
    DrawArcs(picTAB, ms, none, prevMs ? &none : nullptr, prevMs, rc.maxStringIx + 1, c, 0);
}

void DrawRhythmRow(Canvas& picTAB, const SyosetsuData& ms, const DanLayoutData& l, MeasureGeom& geom,
                   const MeasureGeom* prev, const SyosetsuData* prevMs, const RhythmContext& rc,
                   const BurnContext& c) {
    SyosetsuData work = ms;
    PrepareMeasure(work, rc.meterId);
    const BeamGroups g = GroupMeasure(work, rc.meterId);
    const StampBook& book = c.Book();
    const int tpp = c.tpp;
    const int n = Count(work);
    std::array<bool, kPositionSlots> beamed{};
    const std::vector<BeamRun> runs = MainRuns(work, g);
    for (const BeamRun& r : runs)
        for (int p = r.first; p <= r.last; ++p) beamed[p] = true;
    const double eighthH = book.Get(Stamp::pic8Up_2).height() * double(tpp);
    double topTw;
    switch (rc.posRhythm) {
        case 4: topTw = l.TabTop - l.StringInterval - eighthH; break;
        case 2: case 3: topTw = l.TabTop + (rc.maxStringIx + 1.3) * l.StringInterval; break;
        default: topTw = l.TabTop - 1.8 * l.StringInterval - eighthH; break;
    }
    const double headW = book.Get(Stamp::pic4note).width();
    for (int p = 1; p <= n; ++p) {
        NoteGeom& ng = geom[p];
        ng = NoteGeom{};
        const OnpuData& pos = work.Onpu[p];
        if (!IsNote(pos)) continue;
        const int k = GetBit(pos.NoteAttr, kAttrTie) ? 1 : FirstSoundedString(pos);
        const bool dotted = GetBit(pos.NoteAttr, kAttrDot);
        // A dotted note is the glyph of its own value with the dot beside it:
        // a dotted quarter must not look like a dotted eighth, and a beamed
        // dotted note keeps its beam.
        uint8_t plain = pos.NoteAttr;
        SetBit(plain, kAttrDot, false);
        Stamp s = beamed[p] ? Stamp::pic4up_2 : CopyPictureRhythm(g.stem[p], plain);
        if (g.stem[p] == 0 && !beamed[p]) s = Stamp::pic0Up_2;
        if (s == Stamp::None) continue;
        const QImage& img = book.Get(s);
        const PosRectData& cell = pos.PosRect[k];
        const double left = Px(cell.Left + cell.Width / 2.0, tpp) - headW / 2 - (rc.drawNote ? Px(60, tpp) : 0);
        const double top = Px(topTw, tpp);
        InkStamp(picTAB, book, s, QPointF(std::lround(left), std::lround(top)));
        if (dotted) {
            // Right of the head, or of the flag that hangs beside it.
            const double x = s == Stamp::pic4up_2 || s == Stamp::pic0Up_2 || s == Stamp::pic2Up_2 ? left + headW
                                                                                              : left + img.width();
            const QImage& dot = book.Dot();
            InkStamp(picTAB, dot, book.DotShape(),
                     QPointF(std::lround(x + book.SpacePx() * 0.2), std::lround(top + img.height() - book.SpacePx() - 1)));
        }
        ng.placed = true;
        ng.down = false;
        ng.left = std::round(left);
        ng.right = ng.left + img.width();
        ng.top = std::round(top);
        ng.bottom = ng.top + img.height();
        const StemSpot spot = StemOfStamp(book.Get(s == Stamp::pic0Up_2 ? Stamp::pic4up_2 : s), true);
        ng.stemX = ng.left + spot.x;
        ng.stemW = std::max(1.0, std::round(book.SpacePx() * 0.13));
        ng.stemEnd = ng.top + spot.end;
        SetAnchors(ng, ng.left, ng.top, ng.right, ng.bottom);
    }
    for (const BeamRun& r : runs) DrawGroup(picTAB, work, g, r, geom, book.SpacePx(), tpp, false);
    // Under the staff (layout item "リズム譜は５線譜の下") there is no room above.
    DrawTripletMarks(picTAB, work, geom, rc.drawNote, rc.posRhythm == 1, book);
    DrawArcs(picTAB, work, geom, prev, prevMs, rc.maxStringIx + 1, c, 0);
}

}  // namespace lw
