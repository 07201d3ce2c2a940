// Shared by the rendering tests: a QGuiApplication with the font
// substitutions, ink counting, and pictures written for a person to look at
// when LUTEWISE_RENDER_PNG_DIR names a folder.
#pragma once

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "ui_port.h"

#include "element_paint.h"
#include "row_picture.h"

namespace lwtest {

inline void EnsureApp() {
    if (QGuiApplication::instance()) return;
    static int argc = 1;
    static char name[] = "render_tests";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
    lw::InstallFontSubstitutions();
}

// A canvas on a picture for the length of one call: Paint(pic) where a
// painter takes a Canvas&; `scale` device pixels to a row pixel (a scale
// other than 1 paints outlines and text, as printers do).
struct Paint {
    QPainter p;
    lw::Canvas c;
    explicit Paint(QImage& img, double scale = 1) : p(&img), c(Scaled(p, scale)) {}
    operator lw::Canvas&() { return c; }
    static QPainter& Scaled(QPainter& p, double scale) {
        if (scale != 1) p.scale(scale, scale);
        return p;
    }
};

// Answers every message with OK and keeps what was shown.
struct QuietUi : lw::UiPort {
    std::vector<std::string> shown;
    int MessageBox(const std::string& text, int, const std::string&) override {
        shown.push_back(text);
        return lw::kIdOk;
    }
    std::string OpenFileName(const std::string&, const std::string&) override { return {}; }
    std::string SaveFileName(const std::string&, const std::string&) override { return {}; }
};

// The default working-folder data: Lutewise.ini, ground pictures, examples.
inline std::string DataDir() { return std::string(LUTEWISE_SOURCE_DIR) + "/data"; }

inline int InkIn(const QImage& img, const QRect& r, int threshold = 128) {
    int n = 0;
    for (int y = std::max(0, r.top()); y <= std::min(img.height() - 1, r.bottom()); ++y)
        for (int x = std::max(0, r.left()); x <= std::min(img.width() - 1, r.right()); ++x)
            if (qGray(img.pixel(x, y)) < threshold) ++n;
    return n;
}

// Bounding box of the ink (gray below threshold); empty when none.
inline QRect InkBox(const QImage& img, int threshold = 128) {
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < threshold) box |= QRect(x, y, 1, 1);
    return box;
}

inline void WriteDebugPng(const std::string& name, const QImage& img) {
    const char* dir = std::getenv("LUTEWISE_RENDER_PNG_DIR");
    if (dir && *dir) img.save(QString::fromStdString(std::string(dir) + "/" + name + ".png"), "PNG");
}

// Pictures a person has looked at and approved, kept as small gray PNGs in
// render/tests/data. LUTEWISE_UPDATE_GOLDEN=1 writes them anew; look at every
// changed picture before committing it.
inline std::string GoldenPath(const std::string& name) {
    return std::string(LUTEWISE_SOURCE_DIR) + "/render/tests/data/" + name + ".png";
}

// Differences a font's anti-aliasing may bring are tolerated; a glyph moved
// by a pixel or a missing sign is not. A wide band of many glyphs may allow
// more pixels far apart (maxFar).
inline void ExpectLooksLike(const QImage& picture, const std::string& name, int maxFar = 12) {
    const QImage actual = picture.convertToFormat(QImage::Format_Grayscale8);
    if (const char* u = std::getenv("LUTEWISE_UPDATE_GOLDEN"); u && *u == '1') {
        ASSERT_TRUE(actual.save(QString::fromStdString(GoldenPath(name)), "PNG"));
        return;
    }
    const QImage golden = QImage(QString::fromStdString(GoldenPath(name))).convertToFormat(QImage::Format_Grayscale8);
    ASSERT_FALSE(golden.isNull()) << GoldenPath(name);
    ASSERT_EQ(golden.size(), actual.size()) << name;
    int far = 0;
    double sum = 0;
    for (int y = 0; y < golden.height(); ++y) {
        const uchar* g = golden.constScanLine(y);
        const uchar* a = actual.constScanLine(y);
        for (int x = 0; x < golden.width(); ++x) {
            const int d = std::abs(int(g[x]) - int(a[x]));
            sum += d;
            far += d > 96;
        }
    }
    EXPECT_LE(far, maxFar) << name;
    EXPECT_LT(sum / (golden.width() * golden.height()), 2.0) << name;
    WriteDebugPng("golden_" + name, actual);
}

}  // namespace lwtest
