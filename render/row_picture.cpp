#include "row_picture.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <vector>

#include "stamps.h"

namespace lw {
namespace {

constexpr int kDefaultWidth = 1100;
constexpr int kDefaultHeight = 280;

double Px(double twips, int tpp) { return twips / (tpp > 0 ? tpp : 15); }

QRectF PxRect(double left, double top, double width, double height, int tpp) {
    return QRectF(Px(left, tpp), Px(top, tpp), Px(width, tpp), Px(height, tpp));
}

// Point sizes are drawn at 96 dpi, the logical resolution rows are designed for.
int PixelSizeOf(double points) { return std::max(1, int(std::lround(points * 96.0 / 72.0))); }

Stamp RepMarkStamp(const std::string& tag) {
    static const Stamp byCode[] = {Stamp::picSenyo, Stamp::picToCoda, Stamp::picCoda,
                                   Stamp::picDS,    Stamp::picDC,     Stamp::picRep1,
                                   Stamp::picRep2,  Stamp::picRepEnd, Stamp::picSwing};
    char* end = nullptr;
    long code = std::strtol(tag.c_str(), &end, 10);
    if (tag.empty() || code < 0 || code > 8) return Stamp::None;
    return byCode[code];
}

// Stamps sit centred in their element's rectangle, at their own size.
void DrawStampIn(QPainter& p, Stamp s, const QRectF& r) {
    if (s == Stamp::None) return;
    const QImage& img = StampBook::Default().Get(s);
    if (img.isNull()) return;
    const double w = r.width() > 0 ? r.width() : img.width();
    const double h = r.height() > 0 ? r.height() : img.height();
    QPointF at(r.left() + (w - img.width()) / 2.0, r.top() + (h - img.height()) / 2.0);
    // Ink only: white stays transparent over the row, like an AND copy.
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Multiply);
    p.drawImage(at, img);
    p.restore();
}

// Fret numbers repeat ("0" .. "24"), so each caption is drawn once per font
// into a small picture with the white ground that hides the string line
// behind it, and copied from then on: a full row repaints in a fraction of a
// millisecond instead of laying out a thousand texts.
const QImage& FretLabelImage(const std::string& caption, const QFont& font) {
    static std::map<std::pair<int, std::string>, QImage> cache;
    const auto key = std::make_pair(font.pixelSize(), caption);
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    QFontMetricsF m(font);
    const QString t = QString::fromStdString(caption);
    const int w = int(std::ceil(m.horizontalAdvance(t))) + 2;
    const int h = int(std::ceil(m.height()));
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    const double band = m.ascent() + 1;
    p.fillRect(QRectF(0, (h - band) / 2.0, w, band), Qt::white);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRectF(0, 0, w, h), Qt::AlignCenter, t);
    p.end();
    return cache.emplace(key, std::move(img)).first->second;
}

// Repeat dots: the element stands 20 twips above its reference line and its
// Tag gives the two dot centres in half line intervals from that line.
void DrawRepeatDots(QPainter& p, const ScenePicture& e, int tpp) {
    const size_t comma = e.Tag.find(',');
    const double interval = (e.Height - 40) / 2;
    if (comma == std::string::npos || interval <= 0) {
        DrawStampIn(p, e.Image, PxRect(e.Left, e.Top, e.Width, e.Height, tpp));
        return;
    }
    const double halves[2] = {std::atof(e.Tag.c_str()), std::atof(e.Tag.c_str() + comma + 1)};
    const double ipx = Px(interval, tpp);
    const double d = std::clamp(ipx * 0.45, 3.0, 7.0);
    const double cx = Px(e.Left + e.Width / 2, tpp);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    for (double h : halves) {
        const double cy = Px(e.Top + 20, tpp) + h * ipx / 2;
        p.drawEllipse(QPointF(cx, cy), d / 2, d / 2);
    }
    p.restore();
}

}  // namespace

void InstallFontSubstitutions() {
    QFont::insertSubstitution("ＭＳ Ｐ明朝", "IPAPMincho");
    QFont::insertSubstitution("ＭＳ 明朝", "IPAMincho");
    QFont::insertSubstitution("ＭＳ Ｐゴシック", "IPAPGothic");
    QFont::insertSubstitution("ＭＳ ゴシック", "IPAGothic");
    QFont::insertSubstitution("Times New Roman", "Liberation Serif");
    QFont::insertSubstitution("Arial", "Liberation Sans");
}

std::string GroundFileName(int posRhythm, bool viewDrawNote) {
    if (viewDrawNote) return "TABn1.bmp";
    switch (posRhythm) {
        case 3: return "TABn2.bmp";
        case 4:
        case 5: return "TABn3.bmp";
        default: return "TABn1.bmp";  // both staff styles show the staff ground
    }
}

QImage LoadGround(const std::string& folder, const std::string& name, std::string* error) {
    const QString path = QString::fromStdString(folder.empty() ? name : folder + "/" + name);
    QImage img(path);
    if (img.isNull()) {
        if (error) *error = "イメージファイルが存在しません。 (" + path.toStdString() + ")";
        QImage blank(kDefaultWidth, kDefaultHeight, QImage::Format_RGB32);
        blank.fill(Qt::white);
        return blank;
    }
    return img.convertToFormat(QImage::Format_RGB32);
}

void BlankUnusedLines(QImage& picTAB, const DanLayoutData& lay, int maxStringIx, int tpp) {
    if (maxStringIx >= 5 || lay.StringInterval <= 0) return;
    // A strip one string interval high, starting half an interval above the
    // line, so the whole line and its anti-aliasing go; taken from white ground.
    QPainter p(&picTAB);
    const int firstUnused = maxStringIx + 1;  // 0-based line index of the first missing string
    for (int line = firstUnused; line <= 5; ++line) {
        const double y = Px(lay.TabTop + line * lay.StringInterval - lay.StringInterval / 2.0, tpp);
        const double h = Px(lay.StringInterval, tpp);
        p.fillRect(QRectF(0, std::floor(y) + 1, picTAB.width(), std::ceil(h)), Qt::white);
    }
}

QImage MakePicSave(const QImage& picTAB) {
    return picTAB.copy(2 * (picTAB.width() / 4), 0, picTAB.width() / 2, picTAB.height());
}

void EraseMeasureStrip(QImage& picTAB, const QImage& picSave, int leftTwips, int rightTwips, int tpp) {
    const int x0 = int(Px(leftTwips, tpp)), x1 = int(Px(rightTwips, tpp));
    if (x1 <= x0 || picSave.isNull()) return;
    QPainter p(&picTAB);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (int x = x0; x < x1; x += picSave.width()) {
        const int w = std::min(picSave.width(), x1 - x);
        p.drawImage(QPointF(x, 0), picSave, QRectF(0, 0, w, picSave.height()));
    }
}

QImage StampImage(Stamp s) { return StampBook::Default().Get(s); }

void PaintScene(QPainter& p, const RowScene& scene, const RowItems& items, const SceneFonts& fonts, int tpp) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);

    // Bar lines lie on the window's graphic layer, under every control.
    for (size_t i = 1; i < scene.lineKugiri.size(); ++i) {
        const SceneLine& l = scene.lineKugiri[i];
        if (!l.Visible) continue;
        p.setPen(QPen(Qt::black, std::max(1, l.BorderWidth), Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(Px(l.X1, tpp), Px(l.Y1, tpp)), QPointF(Px(l.X2, tpp), Px(l.Y2, tpp)));
    }

    struct Item {
        int z;
        int order;
        std::function<void()> draw;
    };
    std::vector<Item> list;
    int order = 0;

    QFont flet("Times New Roman");
    flet.setBold(true);
    flet.setPixelSize(PixelSizeOf(fonts.fletPointSize));
    QFont chord("ＭＳ Ｐ明朝");
    chord.setBold(true);
    chord.setPixelSize(PixelSizeOf(fonts.chordPointSize));

    for (size_t i = 1; i < scene.labPos.size(); ++i) {
        const SceneLabel& l = scene.labPos[i];
        if (!l.Visible || l.Caption.empty()) continue;
        list.push_back({l.Z, order++, [&p, &l, &flet, tpp] {
                            const QImage& img = FretLabelImage(l.Caption, flet);
                            const QPointF c = PxRect(l.Left, l.Top, l.Width, l.Height, tpp).center();
                            p.drawImage(QPointF(std::round(c.x() - img.width() / 2.0), std::round(c.y() - img.height() / 2.0)), img);
                        }});
    }
    for (size_t i = 1; i < scene.picKyufu.size(); ++i) {
        const ScenePicture& e = scene.picKyufu[i];
        if (!e.Visible) continue;
        list.push_back({e.Z, order++, [&p, &e, tpp] { DrawStampIn(p, e.Image, PxRect(e.Left, e.Top, e.Width, e.Height, tpp)); }});
    }
    for (size_t i = 1; i < scene.labChord.size(); ++i) {
        const SceneLabel& l = scene.labChord[i];
        if (!l.Visible || l.Caption.empty()) continue;
        list.push_back({l.Z, order++, [&p, &l, &chord, tpp] {
                            p.setFont(chord);
                            p.setPen(Qt::black);
                            QRectF r = PxRect(l.Left, l.Top, std::max(l.Width, 2000.0), l.Height, tpp);
                            p.drawText(r, Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(l.Caption));
                        }});
    }
    auto pictures = [&](const std::vector<ScenePicture>& v, size_t from) {
        for (size_t i = from; i < v.size(); ++i) {
            const ScenePicture& e = v[i];
            if (!e.Visible) continue;
            list.push_back({e.Z, order++, [&p, &e, tpp] { DrawStampIn(p, e.Image, PxRect(e.Left, e.Top, e.Width, e.Height, tpp)); }});
        }
    };
    for (size_t i = 1; i < scene.picRepten.size(); ++i) {
        const ScenePicture& e = scene.picRepten[i];
        if (!e.Visible) continue;
        list.push_back({e.Z, order++, [&p, &e, tpp] { DrawRepeatDots(p, e, tpp); }});
    }
    pictures(scene.picNote, 0);
    pictures(scene.picTate, 0);
    pictures(scene.picKey, 1);

    for (size_t i = 1; i < items.Texts.size(); ++i) {
        const TextItem& t = items.Texts[i];
        if (!t.Visible || t.Caption.empty()) continue;
        list.push_back({0, order++, [&p, &t, tpp] {
                            QFont f("ＭＳ Ｐ明朝");
                            f.setBold(true);
                            f.setPixelSize(PixelSizeOf(t.FontSize > 0 ? t.FontSize : 10));
                            p.setFont(f);
                            p.setPen(Qt::black);
                            QRectF r = PxRect(t.Left, t.Top, std::max(t.Width, 200.0), std::max(t.Height, 200.0), tpp);
                            p.drawText(r.topLeft() + QPointF(0, QFontMetricsF(f).ascent()), QString::fromStdString(t.Caption));
                        }});
    }
    for (size_t i = 1; i < items.RepMarks.size(); ++i) {
        const RepMarkItem& m = items.RepMarks[i];
        if (!m.Visible) continue;
        list.push_back({0, order++, [&p, &m, tpp] {
                            DrawStampIn(p, RepMarkStamp(m.Tag), PxRect(m.Left, m.Top, m.Width, m.Height, tpp));
                        }});
    }
    for (const SceneLabel& h : scene.labKugiri) {
        if (!h.Visible) continue;
        list.push_back({h.Z, order++, [&p, &h, tpp] {
                            QRectF r = PxRect(h.Left, h.Top, h.Width, h.Height, tpp);
                            p.fillRect(r, QColor(90, 90, 90));
                        }});
    }
    std::stable_sort(list.begin(), list.end(), [](const Item& a, const Item& b) { return a.z < b.z; });
    for (auto& it : list) it.draw();

    // Markers on top: column highlight, string marker, guide, cross-hair.
    if (scene.labAsisto.Visible && scene.labAsisto.BackStyle == 1) {
        const SceneLabel& a = scene.labAsisto;
        p.fillRect(PxRect(a.Left, a.Top, a.Width > 0 ? a.Width : 240, a.Height > 0 ? a.Height : scene.WindowHeight, tpp),
                   QColor(70, 130, 220, 60));
    }
    if (scene.labFletEdit.Visible) {
        const SceneLabel& m = scene.labFletEdit;
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setBrush(QColor(200, 40, 40));
        p.setPen(Qt::NoPen);
        p.drawEllipse(PxRect(m.Left, m.Top, m.Width, m.Height, tpp));
        p.setRenderHint(QPainter::Antialiasing, false);
    }
    if (scene.pic5Sen_Hosoku.Visible) {
        const ScenePicture& g = scene.pic5Sen_Hosoku;
        DrawStampIn(p, Stamp::pic5Sen_Hosoku, PxRect(g.Left, g.Top, g.Width, g.Height, tpp));
    }
    p.setPen(QPen(QColor(150, 150, 150), 1, Qt::DotLine));
    for (const SceneLine* l : {&scene.lineBeemTate, &scene.lineBeemYoko}) {
        if (!l->Visible) continue;
        p.drawLine(QPointF(Px(l->X1, tpp), Px(l->Y1, tpp)), QPointF(Px(l->X2, tpp), Px(l->Y2, tpp)));
    }
    p.restore();
}

}  // namespace lw
