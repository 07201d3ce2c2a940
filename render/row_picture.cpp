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

#include "element_paint.h"
#include "stamps.h"

namespace lw {
namespace {

constexpr int kDefaultWidth = 1100;
constexpr int kDefaultHeight = 280;

constexpr int kMarkerWidth = 240;

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

void PaintScene(QPainter& p, const RowScene& scene, const RowItems& items, const SceneFonts& fonts, int tpp,
                const StampBook* stamps) {
    const StampBook& book = stamps ? *stamps : StampBook::Default();
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);

    // Bar lines lie on the window's graphic layer, under every control.
    for (size_t i = 1; i < scene.lineKugiri.size(); ++i)
        if (scene.lineKugiri[i].Visible) DrawBarLine(p, scene.lineKugiri[i], tpp);

    struct Item {
        int z;
        int order;
        std::function<void()> draw;
    };
    std::vector<Item> list;
    int order = 0;

    // Texts take the point size of their template element when it has one.
    auto templateSize = [](const std::vector<SceneLabel>& v, double fallback) {
        return !v.empty() && v[0].FontSize > 0 ? v[0].FontSize : fallback;
    };
    const QFont flet = RowFont("Times New Roman", templateSize(scene.labPos, fonts.fletPointSize));
    const QFont chord = RowFont("ＭＳ Ｐ明朝", templateSize(scene.labChord, fonts.chordPointSize));

    for (size_t i = 1; i < scene.labPos.size(); ++i) {
        const SceneLabel& l = scene.labPos[i];
        if (!l.Visible || l.Caption.empty()) continue;
        list.push_back({l.Z, order++, [&p, &l, &flet, tpp] { DrawFretNumber(p, l, flet, tpp); }});
    }
    auto pictures = [&](const std::vector<ScenePicture>& v, size_t from) {
        for (size_t i = from; i < v.size(); ++i) {
            const ScenePicture& e = v[i];
            if (!e.Visible) continue;
            list.push_back({e.Z, order++, [&p, &e, &book, tpp] {
                                DrawStampIn(p, book, e.Image, PxRect(e.Left, e.Top, e.Width, e.Height, tpp));
                            }});
        }
    };
    pictures(scene.picKyufu, 1);
    for (size_t i = 1; i < scene.labChord.size(); ++i) {
        const SceneLabel& l = scene.labChord[i];
        if (!l.Visible || l.Caption.empty()) continue;
        list.push_back({l.Z, order++, [&p, &l, &chord, tpp] {
                            DrawTextAt(p, QString::fromStdString(l.Caption), chord, QPointF(Px(l.Left, tpp), Px(l.Top, tpp)));
                        }});
    }
    for (size_t i = 1; i < scene.picRepten.size(); ++i) {
        const ScenePicture& e = scene.picRepten[i];
        if (!e.Visible) continue;
        list.push_back({e.Z, order++, [&p, &e, &book, tpp] { DrawRepeatDots(p, book, e, tpp); }});
    }
    pictures(scene.picNote, 0);
    pictures(scene.picTate, 0);
    pictures(scene.picKey, 1);

    for (size_t i = 1; i < items.Texts.size(); ++i) {
        const TextItem& t = items.Texts[i];
        if (!t.Visible || t.Caption.empty()) continue;
        list.push_back({0, order++, [&p, &t, tpp] {
                            DrawTextAt(p, QString::fromStdString(t.Caption), RowFont(t.FontName.empty() ? "ＭＳ Ｐ明朝" : t.FontName, t.FontSize > 0 ? t.FontSize : 10),
                                       QPointF(Px(t.Left, tpp), Px(t.Top, tpp)));
                        }});
    }
    for (size_t i = 1; i < items.RepMarks.size(); ++i) {
        const RepMarkItem& m = items.RepMarks[i];
        if (!m.Visible) continue;
        list.push_back({0, order++, [&p, &m, &book, tpp] {
                            DrawStampIn(p, book, RepMarkStamp(m.Tag), PxRect(m.Left, m.Top, m.Width, m.Height, tpp));
                        }});
    }
    for (const SceneLabel& h : scene.labKugiri) {
        if (!h.Visible) continue;
        list.push_back({h.Z, order++, [&p, &h, tpp] { p.fillRect(PxRect(h.Left, h.Top, h.Width, h.Height, tpp), QColor(90, 90, 90)); }});
    }
    std::stable_sort(list.begin(), list.end(), [](const Item& a, const Item& b) { return a.z < b.z; });
    for (auto& it : list) it.draw();

    // Markers on top: column highlight, string marker, guide, cross-hair.
    if (scene.labAsisto.Visible && scene.labAsisto.BackStyle == 1) {
        const SceneLabel& a = scene.labAsisto;
        p.fillRect(PxRect(a.Left, a.Top, a.Width > 0 ? a.Width : kMarkerWidth, a.Height > 0 ? a.Height : scene.WindowHeight, tpp),
                   QColor(70, 130, 220, 60));
    }
    if (scene.labFletEdit.Visible) {
        const SceneLabel& m = scene.labFletEdit;
        // A ring around the place, so the fret number typed there shows through.
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(200, 40, 40), 2));
        p.drawEllipse(PxRect(m.Left, m.Top, m.Width, m.Height, tpp).adjusted(-4, -4, 4, 4));
        p.setRenderHint(QPainter::Antialiasing, false);
    }
    if (scene.pic5Sen_Hosoku.Visible) {
        const ScenePicture& g = scene.pic5Sen_Hosoku;
        DrawStampIn(p, book, Stamp::pic5Sen_Hosoku, PxRect(g.Left, g.Top, g.Width, g.Height, tpp));
    }
    p.setPen(QPen(QColor(150, 150, 150), 1, Qt::DotLine));
    for (const SceneLine* l : {&scene.lineBeemTate, &scene.lineBeemYoko}) {
        if (!l->Visible) continue;
        p.drawLine(QPointF(Px(l->X1, tpp), Px(l->Y1, tpp)), QPointF(Px(l->X2, tpp), Px(l->Y2, tpp)));
    }
    p.restore();
}

}  // namespace lw
