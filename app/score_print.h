// The score on paper, PDF and SVG: the pages of the score as "楽譜作成(&G)"
// composes them, every row painted on the device itself (lines stay lines,
// texts stay text), not an enlarged screen picture.
#pragma once

#include <QByteArray>
#include <QPainter>
#include <QRectF>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace lw {

class Shell;

// Paints the score of the open rows page by page into `area` (device
// pixels), each page as large as fits; newPage starts the next page. False
// when there are no rows.
bool PaintScorePages(Shell& shell, QPainter& p, const QRectF& area, const std::function<bool()>& newPage);

// The score as PDF pages (A4, portrait).
bool PrintScoreToPdf(Shell& shell, QByteArray& pdf, std::string* error);

// The score as SVG drawings, one per score picture, each as large as the
// picture (pixels).
bool ScoreToSvg(Shell& shell, std::vector<QByteArray>& pages, std::string* error);

// The score saved under `target`, in the format its extension names
// (.bmp, .png: the score pictures in gray levels; .pdf: the printed pages;
// .svg: one drawing per picture). More pictures than one are named
// NAME-1.EXT, NAME-2.EXT, ... (the PDF holds all its pages). Everything is
// encoded before anything is written; false with the reason when the
// extension names no score format or nothing can be encoded.
bool EncodeScoreFiles(Shell& shell, const std::string& target,
                      std::vector<std::pair<std::string, QByteArray>>& files, std::string* error);

// The file-dialog filter of the score formats.
inline constexpr const char* kScoreFilter =
    "BMPﾌｧｲﾙ (*.bmp)|*.bmp|PNGﾌｧｲﾙ (*.png)|*.png|PDFﾌｧｲﾙ (*.pdf)|*.pdf|SVGﾌｧｲﾙ (*.svg)|*.svg";
// Why a name cannot be a score file.
inline constexpr const char* kScoreFormats = "楽譜を保存できる形式は .bmp, .png, .pdf, .svg です。";

}  // namespace lw
