#include "stamps.h"

#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace lw {
namespace {

// Code points of the glyphs we use in the Emmentaler font.
constexpr char16_t kRestWhole = 0xE000, kRestHalf = 0xE001, kRestQuarter = 0xE008,
                   kRestEighth = 0xE00B, kRestSixteenth = 0xE00C, kClefF = 0xE083, kClefG = 0xE085,
                   kSharp = 0xE013, kFlat = 0xE021, kNatural = 0xE01D, kSegno = 0xE062,
                   kCoda = 0xE064, kHead0 = 0xE0E8, kHead1 = 0xE0E9, kHead2 = 0xE0EA,
                   kDot = 0xE038, kFlagU3 = 0xE0D2, kFlagU4 = 0xE0D3, kFlagD3 = 0xE0DA,
                   kFlagD4 = 0xE0DB;

QImage Blank(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

// Draws one glyph of the music font centred horizontally; baseline at y.
void Glyph(QPainter& p, const QFont& f, char16_t code, double x, double y) {
    p.setFont(f);
    p.drawText(QPointF(x, y), QString(QChar(code)));
}

QRectF GlyphBox(const QFont& f, char16_t code) {
    return QFontMetricsF(f).tightBoundingRect(QString(QChar(code)));
}

// A glyph alone on a stamp sized to it with a small margin.
QImage GlyphStamp(const QFont& f, char16_t code, int margin = 1) {
    QRectF b = GlyphBox(f, code);
    int w = int(std::ceil(b.width())) + 2 * margin;
    int h = int(std::ceil(b.height())) + 2 * margin;
    QImage img = Blank(std::max(w, 1), std::max(h, 1));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::black);
    Glyph(p, f, code, margin - b.left(), margin - b.top());
    return img;
}

QImage TextStamp(const QString& text, const QFont& f) {
    QFontMetricsF m(f);
    QRectF b = m.tightBoundingRect(text);
    QImage img = Blank(int(std::ceil(b.width())) + 2, int(std::ceil(b.height())) + 2);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QPointF(1 - b.left(), 1 - b.top()), text);
    return img;
}

// Note with stem (and flags) as used in the rhythm row: head at the bottom
// for stems up, at the top for stems down.
QImage NoteStamp(const QFont& f, char16_t head, int flags, bool up, bool dotted, int space) {
    const int stem = space * 3 + space / 2;
    QRectF hb = GlyphBox(f, head);
    const int w = int(std::ceil(hb.width())) + space * 2 + (dotted ? space : 0);
    const int h = stem + int(std::ceil(hb.height())) + 2;
    QImage img = Blank(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::black);
    const double hx = 1 - hb.left();
    const double headCentreY = up ? h - 1 - hb.height() / 2 : 1 + hb.height() / 2;
    Glyph(p, f, head, hx, headCentreY - hb.center().y());
    if (head != kHead0) {
        QPen pen(Qt::black, std::max(1.0, space / 7.0));
        p.setPen(pen);
        const double sx = up ? hx + hb.right() - 0.6 : hx + hb.left() + 0.6;
        const double y0 = headCentreY, y1 = up ? headCentreY - stem : headCentreY + stem;
        p.drawLine(QPointF(sx, y0), QPointF(sx, y1));
        if (flags > 0) {
            char16_t fl = up ? (flags == 1 ? kFlagU3 : kFlagU4) : (flags == 1 ? kFlagD3 : kFlagD4);
            Glyph(p, f, fl, sx - 0.5, y1);
        }
    }
    if (dotted) Glyph(p, f, kDot, hx + hb.width() + space * 0.5, headCentreY - GlyphBox(f, kDot).center().y());
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

StampBook::StampBook(int space) {
    const QString fam = MusicFontFamily();
    musicFont_ = !fam.isEmpty();
    QFont f(musicFont_ ? fam : QString("Serif"));
    f.setPixelSize(space * 4);  // the font's em is one staff height
    auto set = [this](Stamp s, QImage img) { images_[static_cast<int>(s)] = std::move(img); };

    set(Stamp::pic2note, GlyphStamp(f, kHead1));
    set(Stamp::pic4note, GlyphStamp(f, kHead2));
    {
        auto dotted = [&](char16_t head) {
            QRectF hb = GlyphBox(f, head);
            QImage img = Blank(int(hb.width()) + space + 3, int(hb.height()) + 2);
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::black);
            Glyph(p, f, head, 1 - hb.left(), 1 - hb.top());
            Glyph(p, f, kDot, hb.width() + space * 0.5, 1 + hb.height() / 2 - GlyphBox(f, kDot).center().y());
            return img;
        };
        set(Stamp::pic2note_futen, dotted(kHead1));
        set(Stamp::pic4note_futen, dotted(kHead2));
    }
    set(Stamp::pic0Up_2, NoteStamp(f, kHead0, 0, true, false, space));
    set(Stamp::pic4up_2, NoteStamp(f, kHead2, 0, true, false, space));
    set(Stamp::pic8Up_2, NoteStamp(f, kHead2, 1, true, false, space));
    set(Stamp::pic8Down_2, NoteStamp(f, kHead2, 1, false, false, space));
    set(Stamp::pic16Up_2, NoteStamp(f, kHead2, 2, true, false, space));
    set(Stamp::pic16Down_2, NoteStamp(f, kHead2, 2, false, false, space));
    set(Stamp::pic8Up_futen, NoteStamp(f, kHead2, 1, true, true, space));
    {
        // Whole and half rests share the block; drawn on a short staff line.
        QImage img = Blank(space * 2, space + 2);
        QPainter p(&img);
        p.fillRect(QRectF(space * 0.3, 1, space * 1.4, space * 0.5), Qt::black);
        set(Stamp::pic2Kyufu, img);
    }
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
        // Stem segment: 29 pixels (435 twips) tall, one pixel wide.
        QImage img = Blank(3, 29);
        QPainter p(&img);
        p.fillRect(1, 0, 1, 29, Qt::black);
        set(Stamp::picTate, img);
    }
    {
        QImage img = Blank(space * 4, space);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath arc;
        arc.moveTo(1, space - 1);
        arc.quadTo(space * 2, -space * 0.6, space * 4 - 1, space - 1);
        arc.quadTo(space * 2, -space * 0.2, 1, space - 1);
        p.fillPath(arc, Qt::black);
        set(Stamp::picSlar, img);
    }
    set(Stamp::picToon, GlyphStamp(f, kClefG));
    set(Stamp::picHeon, GlyphStamp(f, kClefF));
    {
        QFont tab("Times New Roman");
        tab.setBold(true);
        tab.setPixelSize(int(space * 1.6));
        QFontMetricsF m(tab);
        const int w = int(std::ceil(m.horizontalAdvance("W"))) + 2;
        const int line = int(std::ceil(m.ascent())) + 1;
        QImage img = Blank(w, line * 3 + 2);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setFont(tab);
        p.setPen(Qt::black);
        const char* letters[] = {"T", "A", "B"};
        for (int i = 0; i < 3; ++i) {
            const QString l = letters[i];
            p.drawText(QPointF((w - m.horizontalAdvance(l)) / 2, line * (i + 1)), l);
        }
        set(Stamp::picTABstring, img);
    }
    set(Stamp::picSharp, GlyphStamp(f, kSharp));
    set(Stamp::picFlat, GlyphStamp(f, kFlat));
    set(Stamp::picNatural, GlyphStamp(f, kNatural));
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
        QImage to = TextStamp("to ", word), coda = GlyphStamp(f, kCoda);
        QImage img = Blank(to.width() + coda.width(), std::max(to.height(), coda.height()));
        QPainter p(&img);
        p.drawImage(0, img.height() - to.height(), to);
        p.drawImage(to.width(), 0, coda);
        set(Stamp::picToCoda, img);
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
            QImage img = Blank(space * 8, space * 2);
            QPainter p(&img);
            p.setPen(QPen(Qt::black, 1));
            p.drawLine(0, 0, img.width() - 1, 0);
            p.drawLine(0, 0, 0, img.height() - 1);
            p.setFont(num);
            p.drawText(QPointF(3, space * 1.6), QString::number(n) + ".");
            set(n == 1 ? Stamp::picRep1 : Stamp::picRep2, img);
        }
    }
    {
        // Repeat dot: one round dot.
        const int d = std::max(3, space / 2 + 1);
        QImage img = Blank(d + 1, d + 1);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(Qt::black);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRectF(0.5, 0.5, d - 0.5, d - 0.5));
        set(Stamp::picRepten, img);
    }
    {
        // Ledger-line guide: three short lines one staff space apart.
        QImage img = Blank(space * 3, space * 4 + 1);
        QPainter p(&img);
        p.setPen(QPen(Qt::gray, 1));
        for (int i = 0; i < 4; ++i) p.drawLine(0, i * space + space / 2, img.width() - 1, i * space + space / 2);
        set(Stamp::pic5Sen_Hosoku, img);
    }
}

const QImage& StampBook::Get(Stamp s) const { return images_[static_cast<int>(s)]; }

StampBook& StampBook::Default() {
    static StampBook book(8);
    return book;
}

}  // namespace lw
