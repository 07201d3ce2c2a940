#include "row_picture.h"

#include <QDateTime>
#include <QFileInfo>
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
    // Every row of a style reads the same file: it is decoded once for as
    // long as its size and time stay the same.
    struct Kept {
        qint64 size = -1;
        QDateTime time;
        QImage img;
    };
    static std::map<QString, Kept> kept;
    const QFileInfo info(path);
    if (info.isFile()) {
        Kept& k = kept[path];
        if (k.size != info.size() || k.time != info.lastModified() || k.img.isNull()) {
            k.img = QImage(path).convertToFormat(QImage::Format_RGB32);
            k.size = info.size();
            k.time = info.lastModified();
        }
        if (!k.img.isNull()) return k.img;
    }
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

RowGround GroundOf(const QImage& picture) {
    RowGround g;
    g.image = picture.convertToFormat(QImage::Format_RGB32);
    // Open rectangles by (x, width): a run continues one when the row above
    // had the same run.
    std::map<std::pair<int, int>, QRect> open;
    for (int y = 0; y < g.image.height(); ++y) {
        std::map<std::pair<int, int>, QRect> next;
        const QRgb* line = reinterpret_cast<const QRgb*>(g.image.constScanLine(y));
        // Most rows of a ground are white: those end every open rectangle.
        if (std::all_of(line, line + g.image.width(), [](QRgb c) { return (c & 0xffffff) == 0xffffff; })) {
            for (auto& [key, r] : open) g.lines.push_back(r);
            open.clear();
            continue;
        }
        for (int x = 0; x < g.image.width();) {
            if (qGray(line[x]) >= 128) {
                ++x;
                continue;
            }
            int end = x;
            while (end < g.image.width() && qGray(line[end]) < 128) ++end;
            const auto key = std::make_pair(x, end - x);
            auto it = open.find(key);
            QRect r = it != open.end() ? it->second : QRect(x, y, end - x, 0);
            if (it != open.end()) open.erase(it);
            r.setHeight(r.height() + 1);
            next[key] = r;
            x = end;
        }
        for (auto& [key, r] : open) g.lines.push_back(r);
        open = std::move(next);
    }
    for (auto& [key, r] : open) g.lines.push_back(r);
    std::sort(g.lines.begin(), g.lines.end(),
              [](const QRect& a, const QRect& b) { return std::make_pair(a.top(), a.left()) < std::make_pair(b.top(), b.left()); });
    return g;
}

QImage StampImage(Stamp s) { return StampBook::Default().Get(s); }

}  // namespace lw
