#include "stamps.h"

#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

namespace lw {
namespace {

// Code points of the glyphs we use in the Emmentaler font.
constexpr char16_t kRestWhole = 0xE000, kRestQuarter = 0xE008, kRestEighth = 0xE00B,
                   kRestSixteenth = 0xE00C, kClefF = 0xE083, kClefG = 0xE085, kSharp = 0xE013,
                   kFlat = 0xE021, kNatural = 0xE01D, kSegno = 0xE062, kCoda = 0xE064,
                   kHead0 = 0xE0E8, kHead1 = 0xE0E9, kHead2 = 0xE0EA, kDot = 0xE038,
                   kFlagU3 = 0xE0D2, kFlagU4 = 0xE0D3, kFlagU5 = 0xE0D4, kFlagD3 = 0xE0DA, kFlagD4 = 0xE0DB,
                   kFlagD5 = 0xE0DC;

QImage Blank(double w, double h) {
    QImage img(std::max(1, int(std::ceil(w))), std::max(1, int(std::ceil(h))), QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

// The outline of one glyph with its origin (baseline, pen position) at 0, 0.
QPainterPath Outline(const QFont& f, char16_t code) {
    QPainterPath path;
    path.addText(0, 0, f, QString(QChar(code)));
    return path;
}

// A stamp as outlines: its pixel picture is rendered from them, and devices
// finer than the screen fill them at their own resolution.
struct Built {
    QSizeF size;
    StampShape shape;
    void Add(const QPainterPath& path, QPointF origin) { shape.fills.push_back(path.translated(origin)); }
    void AddRect(const QRectF& r) {
        QPainterPath path;
        path.addRect(r);
        shape.fills.push_back(path);
    }
    void AddAll(const Built& other, QPointF origin) {
        for (const QPainterPath& path : other.shape.fills) shape.fills.push_back(path.translated(origin));
    }
};

Built Sized(double w, double h) {
    Built b;
    b.size = QSizeF(std::max(1, int(std::ceil(w))), std::max(1, int(std::ceil(h))));
    return b;
}

// A glyph alone on a stamp sized to its outline with a margin.
Built GlyphStamp(const QFont& f, char16_t code, double margin = 1) {
    const QPainterPath g = Outline(f, code);
    const QRectF b = g.boundingRect();
    Built s = Sized(b.width() + 2 * margin, b.height() + 2 * margin);
    s.Add(g, QPointF(margin - b.left(), margin - b.top()));
    return s;
}

// A glyph whose origin (the note's line) sits originY below the stamp's top;
// the stamp is `height` tall, or taller when the glyph needs it.
Built OriginStamp(const QFont& f, char16_t code, double originY, double height, double margin = 1) {
    const QPainterPath g = Outline(f, code);
    const QRectF b = g.boundingRect();
    height = std::max(height, originY + b.bottom());
    Built s = Sized(b.width() + 2 * margin, height);
    s.Add(g, QPointF(margin - b.left(), originY));
    return s;
}

// A note head one staff space tall with a pixel above and below; a quarter
// of a space each side, so ledger lines drawn across the stamp stand out a
// little from the head.
Built HeadStamp(const QFont& f, char16_t head, int space, bool dotted) {
    const QPainterPath g = Outline(f, head);
    const QRectF b = g.boundingRect();
    const double side = std::max(1.0, space / 4.0);
    const double h = space + 2;
    const QPainterPath dot = Outline(f, kDot);
    const QRectF db = dot.boundingRect();
    const double w = b.width() + 2 * side + (dotted ? space * 0.4 + db.width() : 0);
    Built s = Sized(w, h);
    s.Add(g, QPointF(side - b.left(), h / 2 - b.center().y()));
    if (dotted) s.Add(dot, QPointF(side + b.width() + space * 0.4 - db.left(), h / 2 - db.center().y()));
    return s;
}

// A note with its stem (3.5 spaces from the head's centre) and flags from
// the font: head at the bottom for stems up, at the top for stems down.
Built NoteStamp(const QFont& f, char16_t head, int flags, bool up, bool dotted, int space) {
    const QPainterPath g = Outline(f, head);
    const QRectF hb = g.boundingRect();
    const double stem = space * 3.5;
    const double stemW = std::max(1.0, std::round(space * 0.13));
    char16_t flagCode = 0;
    if (flags > 0) flagCode = up ? (flags == 1 ? kFlagU3 : kFlagU4) : (flags == 1 ? kFlagD3 : kFlagD4);
    const QPainterPath flag = flagCode ? Outline(f, flagCode) : QPainterPath();
    const QRectF fb = flag.boundingRect();
    const QPainterPath dot = Outline(f, kDot);
    const QRectF db = dot.boundingRect();
    const double margin = 1;
    const bool hasStem = head != kHead0;
    double w = hb.width() + 2 * margin + (flagCode && up ? fb.width() : 0) + (dotted ? space * 0.5 + db.width() : 0);
    const double h = (hasStem ? stem : 0) + hb.height() / 2 + hb.height() / 2 + 2 * margin;
    Built s = Sized(w, h);
    const double hx = margin;
    const double headCy = up ? h - margin - hb.height() / 2 : margin + hb.height() / 2;
    s.Add(g, QPointF(hx - hb.left(), headCy - hb.center().y()));
    if (hasStem) {
        // On whole pixels: one black line, not two grey ones.
        const double sx = std::round(up ? hx + hb.width() - stemW : hx);
        const double y0 = up ? headCy - stem : headCy;
        const double y1 = up ? headCy : headCy + stem;
        s.AddRect(QRectF(sx, y0, stemW, y1 - y0));
        // Flags hang from the stem's end, their left edge on the stem's left.
        if (flagCode) s.Add(flag, QPointF(sx - fb.left(), up ? y0 : y1));
    }
    if (dotted) {
        const double dx = hx + hb.width() + (flagCode && up ? fb.width() : 0) + space * 0.5 - db.left();
        s.Add(dot, QPointF(dx, headCy - space * 0.5 - db.center().y()));
    }
    return s;
}

Built TextStamp(const QString& text, const QFont& f) {
    QPainterPath path;
    path.addText(0, 0, f, text);
    const QRectF b = path.boundingRect();
    Built s = Sized(b.width() + 2, b.height() + 2);
    s.Add(path, QPointF(1 - b.left(), 1 - b.top()));
    return s;
}

// The word "TAB" set vertically, one letter per third of 3.4 string intervals.
Built TabWordStamp(int stringPx) {
    QFont tab("Times New Roman");
    tab.setBold(true);
    const double line = stringPx * 3.4 / 3;
    tab.setPixelSize(std::max(6, int(std::lround(line * 1.15))));
    const char* letters[] = {"T", "A", "B"};
    double width = 0;
    QPainterPath paths[3];
    for (int i = 0; i < 3; ++i) {
        paths[i].addText(0, 0, tab, letters[i]);
        width = std::max(width, paths[i].boundingRect().width());
    }
    Built s = Sized(width + 4, stringPx * 3.4);
    for (int i = 0; i < 3; ++i) {
        const QRectF b = paths[i].boundingRect();
        s.Add(paths[i], QPointF((s.size.width() - b.width()) / 2 - b.left(), line * (i + 0.5) - b.center().y()));
    }
    return s;
}

// The pixel picture of a stamp: its outlines filled black on white.
QImage Render(const Built& s) {
    QImage img = Blank(s.size.width(), s.size.height());
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    for (const QPainterPath& path : s.shape.fills) p.fillPath(path, Qt::black);
    return img;
}

}  // namespace

QString MusicFontFamily() {
    static QString family = [] {
        QDir dir("/usr/share/lilypond");
        for (const QString& ver : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed)) {
            const QString path = dir.filePath(ver + "/fonts/otf/emmentaler-20.otf");
            if (!QFile::exists(path)) continue;
            int id = QFontDatabase::addApplicationFont(path);
            if (id >= 0) {
                QStringList fam = QFontDatabase::applicationFontFamilies(id);
                if (!fam.isEmpty()) return fam.first();
            }
        }
        return QString();
    }();
    return family;
}

StampBook::StampBook(int space, int stringPx) : space_(std::max(3, space)), string_(std::max(4, stringPx)) {
    space = space_;
    const QString fam = MusicFontFamily();
    musicFont_ = !fam.isEmpty();
    QFont f(musicFont_ ? fam : QString("Serif"));
    f.setPixelSize(space * 4);  // the font's em is one staff height
    auto set = [this](Stamp s, const Built& b) {
        images_[static_cast<int>(s)] = Render(b);
        shapes_[static_cast<int>(s)] = b.shape;
    };

    {
        const Built d = GlyphStamp(f, kDot);
        dot_ = Render(d);
        dotShape_ = d.shape;
    }
    for (int n = 0; n < 3; ++n) {
        for (int d = 0; d < 2; ++d) {
            static const char16_t codes[2][3] = {{kFlagU3, kFlagU4, kFlagU5}, {kFlagD3, kFlagD4, kFlagD5}};
            const QPainterPath flag = Outline(f, codes[d][n]);
            const QRectF b = flag.boundingRect();
            Built s = Sized(b.width() + 1, b.height() + 1);
            // Up flags hang from their top, down flags rise from their bottom.
            s.Add(flag, QPointF(-b.left(), -b.top()));
            flags_[n][d] = Render(s);
            flagShapes_[n][d] = s.shape;
        }
    }
    set(Stamp::pic1note, HeadStamp(f, kHead0, space, false));
    set(Stamp::pic1note_futen, HeadStamp(f, kHead0, space, true));
    set(Stamp::pic2note, HeadStamp(f, kHead1, space, false));
    set(Stamp::pic4note, HeadStamp(f, kHead2, space, false));
    set(Stamp::pic2note_futen, HeadStamp(f, kHead1, space, true));
    set(Stamp::pic4note_futen, HeadStamp(f, kHead2, space, true));
    set(Stamp::pic0Up_2, NoteStamp(f, kHead0, 0, true, false, space));
    set(Stamp::pic4up_2, NoteStamp(f, kHead2, 0, true, false, space));
    set(Stamp::pic2Up_2, NoteStamp(f, kHead1, 0, true, false, space));
    set(Stamp::pic8Up_2, NoteStamp(f, kHead2, 1, true, false, space));
    set(Stamp::pic8Down_2, NoteStamp(f, kHead2, 1, false, false, space));
    set(Stamp::pic16Up_2, NoteStamp(f, kHead2, 2, true, false, space));
    set(Stamp::pic16Down_2, NoteStamp(f, kHead2, 2, false, false, space));
    set(Stamp::pic8Up_futen, NoteStamp(f, kHead2, 1, true, true, space));
    // Whole and half rests share the block, hanging from the stamp's top.
    set(Stamp::pic2Kyufu, OriginStamp(f, kRestWhole, 1, space + 2));
    set(Stamp::pic4Kyufu, GlyphStamp(f, kRestQuarter));
    set(Stamp::pic8Kyufu, GlyphStamp(f, kRestEighth));
    set(Stamp::pic16Kyufu, GlyphStamp(f, kRestSixteenth));
    {
        QFont three("Times New Roman");
        three.setBold(true);
        three.setItalic(true);
        three.setPixelSize(space + space / 2);
        set(Stamp::pic3renUp, TextStamp("3", three));
        set(Stamp::pic3renDown, TextStamp("3", three));
    }
    {
        // Stem segment: 29 pixels (435 twips) tall, one stem wide.
        const int stemW = std::max(1, int(std::round(space * 0.13)));
        Built s = Sized(stemW + 2, 29);
        s.AddRect(QRectF(1, 0, stemW, 29));
        set(Stamp::picTate, s);
    }
    {
        // Tie and slur arc: a crescent, thick in the middle, thin at the ends.
        Built s = Sized(space * 4, space);
        QPainterPath arc;
        arc.moveTo(1, space - 1);
        arc.quadTo(space * 2, -space * 0.6, space * 4 - 1, space - 1);
        arc.quadTo(space * 2, -space * 0.2, 1, space - 1);
        s.Add(arc, QPointF(0, 0));
        set(Stamp::picSlar, s);
    }
    set(Stamp::picToon, OriginStamp(f, kClefG, space * 5.5, 0));
    set(Stamp::picHeon, OriginStamp(f, kClefF, space * 1.7, 0));
    set(Stamp::picTABstring, TabWordStamp(string_));
    set(Stamp::picSharp, OriginStamp(f, kSharp, space * 1.5, space * 3));
    {
        const QRectF b = Outline(f, kNatural).boundingRect();
        const double half = std::max(space * 1.5, std::max(-b.top(), b.bottom()) + 1);
        set(Stamp::picNatural, OriginStamp(f, kNatural, half, 2 * half));
        // The flat's line lies 4/9 of its height + half a space below its top.
        const QRectF fb = Outline(f, kFlat).boundingRect();
        double h = std::max(space * 2.25, 9.0 * (-fb.top() + 1 - space / 2.0) / 4.0);
        h = std::max(h, 4.0 * h / 9.0 + space / 2.0 + fb.bottom() + 1);
        set(Stamp::picFlat, OriginStamp(f, kFlat, 4.0 * std::ceil(h) / 9.0 + space / 2.0, std::ceil(h)));
    }
    set(Stamp::picSenyo, GlyphStamp(f, kSegno));
    set(Stamp::picCoda, GlyphStamp(f, kCoda));
    {
        QFont word("Times New Roman");
        word.setBold(true);
        word.setItalic(true);
        word.setPixelSize(int(space * 1.5));
        set(Stamp::picDS, TextStamp("D.S.", word));
        set(Stamp::picDC, TextStamp("D.C.", word));
        set(Stamp::picRepEnd, TextStamp("Fine", word));
        // "to Coda" followed by the coda sign.
        const Built to = TextStamp("to ", word), coda = GlyphStamp(f, kCoda);
        Built s = Sized(to.size.width() + coda.size.width(), std::max(to.size.height(), coda.size.height()));
        s.AddAll(to, QPointF(0, s.size.height() - to.size.height()));
        s.AddAll(coda, QPointF(to.size.width(), 0));
        set(Stamp::picToCoda, s);
        QFont swing = word;
        swing.setItalic(false);
        set(Stamp::picSwing, TextStamp("Swing", swing));
    }
    {
        // Ending brackets: a hook with the ending number.
        QFont num("Times New Roman");
        num.setBold(true);
        num.setPixelSize(int(space * 1.4));
        for (int n = 1; n <= 2; ++n) {
            Built s = Sized(space * 8, space * 2);
            s.AddRect(QRectF(0, 0, s.size.width(), 1));
            s.AddRect(QRectF(0, 0, 1, s.size.height()));
            QPainterPath number;
            number.addText(0, 0, num, QString::number(n) + ".");
            s.Add(number, QPointF(3, space * 1.6));
            set(n == 1 ? Stamp::picRep1 : Stamp::picRep2, s);
        }
    }
    {
        // Repeat dot: one round dot.
        const int d = std::max(3, space / 2 + 1);
        Built s = Sized(d + 1, d + 1);
        QPainterPath dot;
        dot.addEllipse(QRectF(0.5, 0.5, d - 0.5, d - 0.5));
        s.Add(dot, QPointF(0, 0));
        set(Stamp::picRepten, s);
    }
    {
        // Ledger-line guide: short lines one staff space apart, in grey; a
        // marker of the row window, never part of the row's picture.
        QImage img = Blank(space * 3, space * 4 + 1);
        QPainter p(&img);
        p.setPen(QPen(Qt::gray, 1));
        for (int i = 0; i < 4; ++i) p.drawLine(0, i * space + space / 2, img.width() - 1, i * space + space / 2);
        images_[static_cast<int>(Stamp::pic5Sen_Hosoku)] = img;
    }
}

const QImage& StampBook::Get(Stamp s) const { return images_[static_cast<int>(s)]; }
const StampShape& StampBook::Shape(Stamp s) const { return shapes_[static_cast<int>(s)]; }

const StampBook& StampBook::ForSize(int spacePx, int stringPx) {
    static std::map<std::pair<int, int>, std::unique_ptr<StampBook>> books;
    auto& b = books[{spacePx, stringPx}];
    if (!b) b = std::make_unique<StampBook>(spacePx, stringPx);
    return *b;
}

const StampBook& StampBook::ForLayout(const DanLayoutData& l, int tpp) {
    const double t = tpp > 0 ? tpp : 15;
    const int stringPx = l.StringInterval > 0 ? int(std::lround(l.StringInterval / t)) : 13;
    const int spacePx = l.StaffInterval > 0 ? int(std::lround(l.StaffInterval / t)) : int(std::lround(stringPx * 8 / 13.0));
    return ForSize(spacePx, stringPx);
}

const StampBook& StampBook::Default() { return ForSize(8, 13); }

}  // namespace lw
