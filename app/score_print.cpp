#include "score_print.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <cctype>
#include <cstring>
#include <filesystem>

#include "gray_png.h"
#include "output_guard.h"
#include "row_pictures.h"
#include "score.h"
#include "shell.h"

namespace lw {
namespace {

// The score's pages (mode "0", every row placed) of the open rows.
GakufuLayout ScoreLayout(Shell& shell, std::vector<RowDoc*>& rows) {
    rows.clear();
    std::vector<QSize> sizes;
    for (RowDoc* r : shell.RowsInOrder()) {
        if (r->Render.ground.isNull()) continue;
        rows.push_back(r);
        sizes.push_back(r->Render.ground.image.size());
    }
    return LayoutGakufu(sizes, shell.s.PosRhythm, "0", true);
}

// One score page in its own pixels, origin at the page's top-left.
void PaintScorePage(Shell& shell, QPainter& p, const GakufuLayout& g, const std::vector<RowDoc*>& rows, int page) {
    for (size_t i = 0; i < rows.size(); ++i) {
        const GakufuPlace& at = g.rows[i];
        if (at.page != page) continue;
        const QSize size = rows[i]->Render.ground.image.size();
        p.save();
        p.translate(-kGakufuLeftCut, at.y);
        p.setClipRect(QRectF(kGakufuLeftCut, 0, size.width() - kGakufuLeftCut, at.height), Qt::IntersectClip);
        PaintRowOn(p, shell.s, *rows[i], shell.DrawNote, 1);
        p.restore();
    }
}

}  // namespace

bool PaintScorePages(Shell& shell, QPainter& p, const QRectF& area, const std::function<bool()>& newPage) {
    std::vector<RowDoc*> rows;
    const GakufuLayout g = ScoreLayout(shell, rows);
    if (rows.empty()) return false;
    for (int page = 0; page < g.pages; ++page) {
        if (page > 0 && !newPage()) return false;
        // The page's width fills the printable width; the height follows.
        double k = area.width() / g.width;
        if (g.height * k > area.height()) k = area.height() / g.height;
        p.save();
        p.translate(area.topLeft());
        p.scale(k, k);
        PaintScorePage(shell, p, g, rows, page);
        p.restore();
    }
    return true;
}

bool PrintScoreToPdf(Shell& shell, QByteArray& pdf, std::string* error) {
    QBuffer buf(&pdf);
    buf.open(QIODevice::WriteOnly);
    QPdfWriter w(&buf);
    w.setPageSize(QPageSize(QPageSize::A4));
    w.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
    w.setResolution(288);
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

bool ScoreToSvg(Shell& shell, std::vector<QByteArray>& pages, std::string* error) {
    std::vector<RowDoc*> rows;
    const GakufuLayout g = ScoreLayout(shell, rows);
    if (rows.empty()) {
        if (error) *error = "楽譜にする段がありません";
        return false;
    }
    for (int page = 0; page < g.pages; ++page) {
        QByteArray bytes;
        QBuffer buf(&bytes);
        buf.open(QIODevice::WriteOnly);
        QSvgGenerator svg;
        svg.setOutputDevice(&buf);
        svg.setSize(QSize(g.width, g.height));
        svg.setViewBox(QRect(0, 0, g.width, g.height));
        svg.setTitle(QStringLiteral("楽譜"));
        svg.setResolution(96);
        QPainter p;
        if (!p.begin(&svg)) {
            if (error) *error = "SVG を開始できません";
            return false;
        }
        p.fillRect(QRect(0, 0, g.width, g.height), Qt::white);
        PaintScorePage(shell, p, g, rows, page);
        p.end();
        pages.push_back(bytes);
    }
    return true;
}

namespace {

// NAME-k.EXT beside NAME.EXT.
std::string PagePath(const std::string& out, int k) {
    const std::filesystem::path p(out);
    return (p.parent_path() / (p.stem().string() + "-" + std::to_string(k) + p.extension().string())).string();
}

// A black-and-white score picture as 8-bit gray levels (BMP: as an indexed
// picture with a gray palette, which BMP files hold).
bool EncodePicture(const QImage& page, bool bmp, QByteArray& bytes) {
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    if (!bmp) {
        bytes = GrayPng(page);
        return !bytes.isEmpty();
    }
    QVector<QRgb> gray(256);
    for (int i = 0; i < 256; ++i) gray[i] = qRgb(i, i, i);
    QImage indexed(page.size(), QImage::Format_Indexed8);
    indexed.setColorTable(gray);
    const QImage g = page.convertToFormat(QImage::Format_Grayscale8);
    for (int y = 0; y < g.height(); ++y) std::memcpy(indexed.scanLine(y), g.constScanLine(y), size_t(g.width()));
    return indexed.save(&buf, "BMP");
}

}  // namespace

bool EncodeScoreFiles(Shell& shell, const std::string& target,
                      std::vector<std::pair<std::string, QByteArray>>& files, std::string* error) {
    const std::string ext = LowerExtension(target);
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    if (ext == ".pdf") {
        QByteArray pdf;
        std::string why;
        if (!PrintScoreToPdf(shell, pdf, &why)) return fail("PDF を作れません: " + why);
        files.emplace_back(target, pdf);
        return true;
    }
    if (ext == ".svg") {
        std::vector<QByteArray> pages;
        std::string why;
        if (!ScoreToSvg(shell, pages, &why)) return fail("SVG を作れません: " + why);
        for (size_t k = 0; k < pages.size(); ++k)
            files.emplace_back(pages.size() == 1 ? target : PagePath(target, int(k) + 1), pages[k]);
        return true;
    }
    if (ext != ".bmp" && ext != ".png") return fail("「" + target + "」: " + kScoreFormats);
    const size_t pages = shell.GakufuPages.size();
    if (pages == 0) return fail("楽譜がありません。");
    for (size_t k = 0; k < pages; ++k) {
        QByteArray bytes;
        if (!EncodePicture(shell.GakufuPages[k], ext == ".bmp", bytes)) return fail("画像を作れません。");
        files.emplace_back(pages == 1 ? target : PagePath(target, int(k) + 1), bytes);
    }
    return true;
}

}  // namespace lw
