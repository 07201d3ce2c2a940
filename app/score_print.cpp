#include "score_print.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPdfWriter>

#include "score.h"
#include "shell.h"

namespace lw {
namespace {
// Rows are drawn three times finer than on the screen: 288 dots per inch.
constexpr int kPrintScale = 3;
}  // namespace

bool PaintScorePages(Shell& shell, QPainter& p, const QRectF& area, const std::function<bool()>& newPage) {
    std::vector<QImage> rows;
    for (RowDoc* r : shell.RowsInOrder()) rows.push_back(shell.PrintPicture(*r, kPrintScale));
    std::vector<const QImage*> pictures;
    for (const QImage& r : rows) pictures.push_back(&r);
    const GakufuResult score = ComposeGakufu(pictures, shell.s.PosRhythm, "0", true);
    if (score.rowCount == 0) return false;
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    for (size_t i = 0; i < score.pages.size(); ++i) {
        if (i > 0 && !newPage()) return false;
        const QImage& page = score.pages[i];
        // The page's width fills the printable width; the height follows.
        double w = area.width(), h = w * page.height() / page.width();
        if (h > area.height()) {
            h = area.height();
            w = h * page.width() / page.height();
        }
        p.drawImage(QRectF(area.left(), area.top(), w, h), page);
    }
    return true;
}

bool PrintScoreToPdf(Shell& shell, QByteArray& pdf, std::string* error) {
    QBuffer buf(&pdf);
    buf.open(QIODevice::WriteOnly);
    QPdfWriter w(&buf);
    w.setPageSize(QPageSize(QPageSize::A4));
    w.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
    w.setResolution(96 * kPrintScale);
    w.setTitle(QStringLiteral("楽譜"));
    w.setCreator(QStringLiteral("Lutewise"));
    QPainter p;
    if (!p.begin(&w)) {
        if (error) *error = "PDF を開始できません";
        return false;
    }
    const QRect area = w.pageLayout().paintRectPixels(w.resolution());
    const bool ok = PaintScorePages(shell, p, QRectF(0, 0, area.width(), area.height()), [&] { return w.newPage(); });
    p.end();
    if (!ok && error) *error = "楽譜にする段がありません";
    return ok;
}

}  // namespace lw
