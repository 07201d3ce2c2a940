#include "burn_in.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "messages.h"
#include "staff_notation.h"
#include "stamps.h"

namespace lw {
namespace {

QRectF RectOf(const ScenePicture& e, int tpp) { return PxRect(e.Left, e.Top, e.Width, e.Height, tpp); }

int Tpp(const BurnContext& c) { return c.tpp > 0 ? c.tpp : 15; }

}  // namespace

const StampBook& BurnContext::Book() const { return stamps ? *stamps : StampBook::Default(); }

void BlitElements(Canvas& dest, const std::vector<ScenePicture>& v, size_t from, const BurnContext& c) {
    for (size_t i = from; i < v.size(); ++i) PutImgBitBlt(dest, v[i], c);
}

void PutImgBitBlt(Canvas& dest, const ScenePicture& e, const BurnContext& c) {
    if (e.Visible) DrawStampIn(dest, c.Book(), e.Image, RectOf(e, Tpp(c)));
}

void PutImgStretchBlt(Canvas& dest, const ScenePicture& e, const BurnContext& c) {
    if (!e.Visible) return;
    const int tpp = Tpp(c);
    // The source area of the element's picture, which holds its stamp at 0, 0.
    StretchStampIn(dest, c.Book(), e.Image, RectOf(e, tpp),
                   QRectF(0, 0, std::lround(kStretchSourceWidth / tpp), std::lround(kStretchSourceHeight / tpp)));
}

void PutImgCaption(Canvas& dest, const std::string& text, const std::string& fontName, double points, double leftPx,
                   double topPx) {
    DrawTextAt(dest, QString::fromStdString(text), RowFont(fontName, points), QPointF(leftPx, topPx));
}

void PutImg5HosokuLine(Canvas& dest, double x1, double y1, double x2, double y2, int tpp) {
    const int ya = int(std::round(Px(y1, tpp))), yb = int(std::round(Px(y2, tpp)));
    const int xa = int(std::round(Px(x1, tpp))), xb = int(std::round(Px(x2, tpp)));
    if (ya == yb) {
        InkHLine(dest, std::min(xa, xb), std::max(xa, xb), ya);
        return;
    }
    InkLine(dest, QPointF(xa, ya), QPointF(xb, yb), 1);
}

void PutImgFletPos(Canvas& dest, const RowScene& scene, const BurnContext& c) {
    if (scene.labPos.empty()) return;
    const double points = scene.labPos[0].FontSize > 0 ? scene.labPos[0].FontSize : c.fonts.fletPointSize;
    const QFont font = RowFont("Times New Roman", points);
    for (size_t i = 1; i < scene.labPos.size(); ++i) {
        const SceneLabel& l = scene.labPos[i];
        if (l.Visible && !l.Caption.empty()) DrawFretNumber(dest, l, font, Tpp(c));
    }
}

void PutKyufu(Canvas& dest, const RowScene& scene, const BurnContext& c) { BlitElements(dest, scene.picKyufu, 1, c); }

void PutImgChord(Canvas& dest, const RowScene& scene, const BurnContext& c) {
    if (scene.labChord.empty()) return;
    const double points = scene.labChord[0].FontSize > 0 ? scene.labChord[0].FontSize : c.fonts.chordPointSize;
    const QFont font = RowFont("ＭＳ Ｐ明朝", points);
    for (size_t i = 1; i < scene.labChord.size(); ++i) {
        const SceneLabel& l = scene.labChord[i];
        if (l.Visible)
            DrawTextAt(dest, QString::fromStdString(l.Caption), font, QPointF(Px(l.Left, Tpp(c)), Px(l.Top, Tpp(c))));
    }
}

void PutImgText(Canvas& dest, const RowItems& items, const BurnContext& c) {
    for (size_t i = 1; i < items.Texts.size(); ++i) {
        const TextItem& t = items.Texts[i];
        if (!t.Visible) continue;
        DrawTextAt(dest, QString::fromStdString(t.Caption),
                   RowFont(t.FontName.empty() ? "ＭＳ Ｐ明朝" : t.FontName, t.FontSize > 0 ? t.FontSize : 10),
                   QPointF(Px(t.Left, Tpp(c)), Px(t.Top, Tpp(c))));
    }
}

void PutRepMark(Canvas& dest, const RowScene& scene, const RowItems& items, const BurnContext& c) {
    for (size_t i = 1; i < items.RepMarks.size(); ++i) {
        const RepMarkItem& m = items.RepMarks[i];
        if (m.Visible) DrawStampIn(dest, c.Book(), RepMarkStamp(m.Tag), PxRect(m.Left, m.Top, m.Width, m.Height, Tpp(c)));
    }
    for (size_t i = 1; i < scene.picRepten.size(); ++i)
        if (scene.picRepten[i].Visible) DrawRepeatDots(dest, c.Book(), scene.picRepten[i], Tpp(c));
}

void PutImgKugiriLine(Canvas& dest, const RowScene& scene, const BurnContext& c) {
    for (size_t i = 1; i < scene.lineKugiri.size(); ++i)
        if (scene.lineKugiri[i].Visible) DrawBarLine(dest, scene.lineKugiri[i], Tpp(c));
}

void PutKey(Canvas& dest, const RowScene& scene, const BurnContext& c) { BlitElements(dest, scene.picKey, 1, c); }

void PutImgSharp(Canvas& dest, const StaffMarks& m, const BurnContext& c) { BlitElements(dest, m.picSharp, 0, c); }
void PutImgFlat(Canvas& dest, const StaffMarks& m, const BurnContext& c) { BlitElements(dest, m.picFlat, 0, c); }
void PutImgNatural(Canvas& dest, const StaffMarks& m, const BurnContext& c) { BlitElements(dest, m.picNatural, 0, c); }

void PutImgTateBar(Canvas& dest, const ScenePicture& e, const BurnContext& c) {
    if (!e.Visible) return;
    const int tpp = Tpp(c);
    const QImage& img = c.Book().Get(e.Image);
    StretchStampIn(dest, c.Book(), e.Image, RectOf(e, tpp), QRectF(0, 0, img.width(), kTateStampHeight / tpp));
}

void PutTAB(Canvas& dest, const RowScene& scene, const RowItems& items, const BurnContext& c) {
    // Texts are drawn without a background (transparent mode): only the
    // digits' own band clears the string line.
    PutImgFletPos(dest, scene, c);
    PutKyufu(dest, scene, c);
    PutImgChord(dest, scene, c);
    PutImgText(dest, items, c);
    PutRepMark(dest, scene, items, c);
    PutImgKugiriLine(dest, scene, c);
}

bool StaffShown(int posRhythm, bool drawNote) { return drawNote || posRhythm == 1 || posRhythm == 2; }

double ClefLeft(const DanLayoutData& l, const StampBook& book, bool bassClef, int tpp) {
    const double w = book.Get(bassClef ? Stamp::picHeon : Stamp::picToon).width() * double(tpp);
    return std::max(1.8 * w, l.TabLeft + l.RowStartLead + book.SpacePx() * tpp / 2.0);
}

double TabWordLeft(const DanLayoutData& l, const StampBook& book, int tpp) {
    const double w = book.Get(Stamp::picTABstring).width() * double(tpp);
    return std::max(1.8 * w, l.TabLeft + l.RowStartLead + book.SpacePx() * tpp / 2.0);
}

double KeySignatureLeft(const DanLayoutData& l, const StampBook& book, bool bassClef, int tpp) {
    const double clefRight = ClefLeft(l, book, bassClef, tpp) + book.Get(bassClef ? Stamp::picHeon : Stamp::picToon).width() * double(tpp);
    const double signW = book.Get(Stamp::picSharp).width() * double(tpp);
    return std::max(l.TabLeft - signW, clefRight + book.SpacePx() * tpp / 2.0);
}

double RowStartRight(const DanLayoutData& l, const StampBook& book, const std::string& keyName, bool bassClef,
                     bool staffShown, int tpp) {
    const double space = book.SpacePx() * double(tpp);
    double right = TabWordLeft(l, book, tpp) + book.Get(Stamp::picTABstring).width() * double(tpp);
    if (staffShown) {
        const Stamp clef = bassClef ? Stamp::picHeon : Stamp::picToon;
        right = std::max(right, ClefLeft(l, book, bassClef, tpp) + book.Get(clef).width() * double(tpp));
        const KeySig sig = KeySignatureOf(keyName);
        const double w = book.Get(sig.flats ? Stamp::picFlat : Stamp::picSharp).width() * double(tpp);
        if (sig.count > 0) right = KeySignatureLeft(l, book, bassClef, tpp) + sig.count * w;
    }
    return right + space;
}

void PutImgInitForm(Canvas& dest, const RowScene& scene, const DanLayoutData& l, const RowStartStyle& style,
                    const BurnContext& c) {
    const int tpp = Tpp(c);
    const StampBook& book = c.Book();
    auto place = [&](Stamp s, double left, double top) {
        const QImage& img = book.Get(s);
        DrawStampIn(dest, book, s, PxRect(left, top, img.width() * double(tpp), img.height() * double(tpp), tpp));
    };
    if (StaffShown(style.posRhythm, style.drawNote) && l.StaffInterval > 0)
        place(style.bassClef ? Stamp::picHeon : Stamp::picToon, ClefLeft(l, book, style.bassClef, tpp),
              l.StaffTop - (style.bassClef ? 0.7 : 2.5) * l.StaffInterval);
    place(Stamp::picTABstring, TabWordLeft(l, book, tpp),
          l.TabTop + (style.maxStringIx == 5 ? l.StringInterval : 0) - 0.2 * l.StringInterval);
    PutKey(dest, scene, c);
}

void PlaceKeySignature(RowScene& scene, const DanLayoutData& l, const std::string& keyName, bool bassClef,
                       bool staffShown, int tpp) {
    tpp = tpp > 0 ? tpp : 15;
    const StampBook& book = StampBook::ForLayout(l, tpp);
    const bool flats = KeySignatureOf(keyName).flats;
    const QImage& sharp = book.Get(Stamp::picSharp);
    const QImage& flat = book.Get(Stamp::picFlat);
    PutKeySignature(scene, l, keyName, bassClef, staffShown, KeySignatureLeft(l, book, bassClef, tpp),
                    (flats ? flat.width() : sharp.width()) * double(tpp), sharp.height() * double(tpp),
                    flat.height() * double(tpp));
}

}  // namespace lw
