#include "burn_in.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "element_paint.h"
#include "messages.h"
#include "staff_notation.h"
#include "stamps.h"

namespace lw {
namespace {

QRectF RectOf(const ScenePicture& e, int tpp) { return PxRect(e.Left, e.Top, e.Width, e.Height, tpp); }

// The stamp's size as an element's size, twips.
void SizeToStamp(ScenePicture& e, const StampBook& book, int tpp) {
    const QImage& img = book.Get(e.Image);
    e.Width = img.width() * double(tpp);
    e.Height = img.height() * double(tpp);
}

void BlitAndHide(QImage& dest, ScenePicture& e, const BurnContext& c) {
    if (!e.Visible) return;
    DrawStampInto(dest, c.Book(), e.Image, RectOf(e, c.tpp));
    e.Visible = false;
}

void BlitAll(QImage& dest, std::vector<ScenePicture>& v, size_t from, const BurnContext& c) {
    if (v.size() <= from || dest.isNull()) return;
    BlitElements(dest, v, from, c);
}

bool Fail(const BurnContext& c) {
    if (c.messages) ShowMsg(*c.messages, kLeadError, "16");
    return false;
}

int Tpp(const BurnContext& c) { return c.tpp > 0 ? c.tpp : 15; }

}  // namespace

void BlitElements(QImage& dest, std::vector<ScenePicture>& v, size_t from, const BurnContext& c) {
    for (size_t i = from; i < v.size(); ++i) BlitAndHide(dest, v[i], c);
}

const StampBook& BurnContext::Book() const { return stamps ? *stamps : StampBook::Default(); }

void PutImgBitBlt(QImage& dest, ScenePicture& e, const BurnContext& c) {
    if (!e.Visible || dest.isNull()) return;
    BlitAndHide(dest, e, c);
}

void PutImgStretchBlt(QImage& dest, ScenePicture& e, const BurnContext& c) {
    if (!e.Visible || dest.isNull()) return;
    const int tpp = Tpp(c);
    const QRectF r = RectOf(e, tpp);
    // The source area of the element's picture, which holds its stamp at 0, 0.
    QImage source(int(std::lround(kStretchSourceWidth / tpp)), int(std::lround(kStretchSourceHeight / tpp)),
                  QImage::Format_RGB32);
    source.fill(Qt::white);
    {
        QPainter q(&source);
        q.drawImage(0, 0, c.Book().Get(e.Image));
    }
    QPainter p(&dest);
    p.setCompositionMode(QPainter::CompositionMode_Darken);
    p.drawImage(QRectF(std::round(r.left()), std::round(r.top()), std::round(r.width()), std::round(r.height())), source);
    e.Visible = false;
}

void PutImgCaption(QImage& dest, const std::string& text, const std::string& fontName, double points, double leftPx,
                   double topPx) {
    if (dest.isNull()) return;
    QPainter p(&dest);
    DrawTextAt(p, QString::fromStdString(text), RowFont(fontName, points), QPointF(leftPx, topPx));
}

void PutImg5HosokuLine(QImage& dest, double x1, double y1, double x2, double y2, int tpp) {
    if (dest.isNull()) return;
    const int ya = int(std::round(Px(y1, tpp))), yb = int(std::round(Px(y2, tpp)));
    const int xa = int(std::round(Px(x1, tpp))), xb = int(std::round(Px(x2, tpp)));
    if (ya == yb && dest.depth() == 32) {
        HLineInto(dest, std::min(xa, xb), std::max(xa, xb), ya);
        return;
    }
    QPainter p(&dest);
    p.setPen(QPen(Qt::black, 1, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPoint(xa, ya), QPoint(xb, yb));
}

void PutImgFletPos(QImage& dest, RowScene& scene, DanData& dan, const BurnContext& c) {
    if (dest.isNull() || scene.labPos.empty()) return;
    const double points = scene.labPos[0].FontSize > 0 ? scene.labPos[0].FontSize : c.fonts.fletPointSize;
    const QFont font = RowFont("Times New Roman", points);
    {
        QPainter p(&dest);
        for (size_t i = 1; i < scene.labPos.size(); ++i) {
            SceneLabel& l = scene.labPos[i];
            if (!l.Visible) continue;
            if (!l.Caption.empty()) DrawFretNumber(p, l, font, Tpp(c));
            l.Visible = false;
        }
    }
    const int n = std::clamp<int>(dan.SyosetsuCnt, 0, kMeasureSlots);
    for (int m = 0; m < n; ++m) dan.Syosetsu[m].DrawFlag = kTrue;
}

void PutKyufu(QImage& dest, RowScene& scene, const BurnContext& c) { BlitAll(dest, scene.picKyufu, 1, c); }

void PutImgChord(QImage& dest, const RowScene& scene, const BurnContext& c) {
    if (dest.isNull() || scene.labChord.empty()) return;
    const double points = scene.labChord[0].FontSize > 0 ? scene.labChord[0].FontSize : c.fonts.chordPointSize;
    const QFont font = RowFont("ＭＳ Ｐ明朝", points);
    QPainter p(&dest);
    for (size_t i = 1; i < scene.labChord.size(); ++i) {
        const SceneLabel& l = scene.labChord[i];
        if (l.Visible) DrawTextAt(p, QString::fromStdString(l.Caption), font, QPointF(Px(l.Left, Tpp(c)), Px(l.Top, Tpp(c))));
    }
}

void PutImgText(QImage& dest, const RowItems& items, const BurnContext& c) {
    if (dest.isNull()) return;
    QPainter p(&dest);
    for (size_t i = 1; i < items.Texts.size(); ++i) {
        const TextItem& t = items.Texts[i];
        if (!t.Visible) continue;
        DrawTextAt(p, QString::fromStdString(t.Caption), RowFont(t.FontName.empty() ? "ＭＳ Ｐ明朝" : t.FontName, t.FontSize > 0 ? t.FontSize : 10),
                   QPointF(Px(t.Left, Tpp(c)), Px(t.Top, Tpp(c))));
    }
}

void PutRepMark(QImage& dest, RowScene& scene, const RowItems& items, const BurnContext& c) {
    if (dest.isNull()) return;
    QPainter p(&dest);
    for (size_t i = 1; i < items.RepMarks.size(); ++i) {
        const RepMarkItem& m = items.RepMarks[i];
        if (m.Visible) DrawStampIn(p, c.Book(), RepMarkStamp(m.Tag), PxRect(m.Left, m.Top, m.Width, m.Height, Tpp(c)));
    }
    for (size_t i = 1; i < scene.picRepten.size(); ++i)
        if (scene.picRepten[i].Visible) DrawRepeatDots(p, c.Book(), scene.picRepten[i], Tpp(c));
}

void PutImgRhythmNote(QImage& dest, RowScene& scene, const BurnContext& c) { BlitAll(dest, scene.picNote, 0, c); }

void PutImgKugiriLine(QImage& dest, const RowScene& scene, const BurnContext& c) {
    if (dest.isNull()) return;
    QPainter p(&dest);
    for (size_t i = 1; i < scene.lineKugiri.size(); ++i)
        if (scene.lineKugiri[i].Visible) DrawBarLine(p, scene.lineKugiri[i], Tpp(c));
}

void PutKey(QImage& dest, const RowScene& scene, const BurnContext& c) {
    if (dest.isNull() || scene.picKey.size() < 2) return;
    for (size_t i = 1; i < scene.picKey.size(); ++i) {
        const ScenePicture& e = scene.picKey[i];
        if (e.Visible) DrawStampInto(dest, c.Book(), e.Image, RectOf(e, Tpp(c)));
    }
}

void PutImgSharp(QImage& dest, StaffMarks& m, const BurnContext& c) { BlitAll(dest, m.picSharp, 0, c); }
void PutImgFlat(QImage& dest, StaffMarks& m, const BurnContext& c) { BlitAll(dest, m.picFlat, 0, c); }
void PutImgNatural(QImage& dest, StaffMarks& m, const BurnContext& c) { BlitAll(dest, m.picNatural, 0, c); }

bool PutImgTateBar(QImage& dest, RowScene& scene, const BurnContext& c) {
    if (dest.isNull() || scene.picTate.empty()) return Fail(c);
    ScenePicture& e = scene.picTate[0];
    if (!e.Visible) return true;
    const int tpp = Tpp(c);
    const QImage& img = c.Book().Get(e.Image);
    QPainter p(&dest);
    StretchStampIn(p, c.Book(), e.Image, RectOf(e, tpp), QRectF(0, 0, img.width(), kTateStampHeight / tpp));
    e.Visible = false;
    return true;
}

bool PutTAB(QImage& dest, RowScene& scene, const RowItems& items, DanData& dan, const BurnContext& c) {
    if (dest.isNull() || dest.format() == QImage::Format_Indexed8) return Fail(c);
    if (scene.labPos.empty() || scene.picKyufu.empty() || scene.labChord.empty() || scene.lineKugiri.empty())
        return Fail(c);
    // Texts are drawn without a background (transparent mode): only the
    // digits' own band clears the string line.
    PutImgFletPos(dest, scene, dan, c);
    PutKyufu(dest, scene, c);
    PutImgChord(dest, scene, c);
    PutImgText(dest, items, c);
    PutRepMark(dest, scene, items, c);
    PutImgRhythmNote(dest, scene, c);
    PutImgKugiriLine(dest, scene, c);
    return true;
}

bool StaffShown(int posRhythm, bool drawNote) { return drawNote || posRhythm == 1 || posRhythm == 2; }

double ClefLeft(const DanLayoutData& l, const StampBook& book, bool bassClef, int tpp) {
    const double w = book.Get(bassClef ? Stamp::picHeon : Stamp::picToon).width() * double(tpp);
    return std::max(1.8 * w, l.TabLeft + book.SpacePx() * tpp / 2.0);
}

double TabWordLeft(const DanLayoutData& l, const StampBook& book, int tpp) {
    const double w = book.Get(Stamp::picTABstring).width() * double(tpp);
    return std::max(1.8 * w, l.TabLeft + book.SpacePx() * tpp / 2.0);
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

bool PutImgInitForm(QImage& dest, RowScene& scene, const DanLayoutData& l, const RowStartStyle& style,
                    const BurnContext& c) {
    if (dest.isNull() || dest.format() == QImage::Format_Indexed8 || scene.picKey.empty()) return Fail(c);
    const int tpp = Tpp(c);
    const StampBook& book = c.Book();
    if (StaffShown(style.posRhythm, style.drawNote) && l.StaffInterval > 0) {
        ScenePicture clef;
        clef.Image = style.bassClef ? Stamp::picHeon : Stamp::picToon;
        SizeToStamp(clef, book, tpp);
        clef.Left = ClefLeft(l, book, style.bassClef, tpp);
        clef.Top = l.StaffTop - (style.bassClef ? 0.7 : 2.5) * l.StaffInterval;
        clef.Visible = true;
        PutImgBitBlt(dest, clef, c);
    }
    ScenePicture word;
    word.Image = Stamp::picTABstring;
    SizeToStamp(word, book, tpp);
    word.Left = TabWordLeft(l, book, tpp);
    word.Top = l.TabTop + (style.maxStringIx == 5 ? l.StringInterval : 0) - 0.2 * l.StringInterval;
    word.Visible = true;
    PutImgBitBlt(dest, word, c);
    PutKey(dest, scene, c);
    return true;
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
