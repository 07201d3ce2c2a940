// Score composition: row limits, picture heights, stacking, pages.
#include <gtest/gtest.h>

#include "render_test_support.h"
#include "gray_png.h"
#include "score.h"

using namespace lw;

namespace {

// A row picture 200 x 40 whose ink is a band in row `shade` grey.
QImage Row(int shade) {
    QImage img(200, 40, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x) img.setPixel(x, y, qRgb(shade, shade, shade));
    img.setPixel(5, 5, qRgb(0, 0, 0));  // inside the left 10 pixels: never copied
    return img;
}

}  // namespace

TEST(Score, RowLimitsAndHeights) {
    struct Case {
        int style;
        const char* mode;
        int limit, gap;
    } cases[] = {{1, "0", 5, 0}, {1, "1", 8, 0}, {2, "0", 5, 0}, {2, "1", 8, 0},
                 {3, "0", 7, 10}, {4, "0", 7, 0}, {5, "0", 7, 0}};
    const QImage r = Row(100);
    for (const Case& c : cases) {
        EXPECT_EQ(GakufuRowLimit(c.style, c.mode), c.limit) << c.style << c.mode;
        EXPECT_EQ(GakufuRowGap(c.style), c.gap) << c.style;
        const GakufuResult res = ComposeGakufu({&r}, c.style, c.mode, false);
        ASSERT_EQ(res.pages.size(), 1u);
        EXPECT_EQ(res.pages[0].height(), c.limit * (40 + c.gap) + 80) << c.style << c.mode;
        EXPECT_EQ(res.pages[0].width(), 200);
    }
}

TEST(Score, RowsStackInOrderFromTheMarginAndOverflowGoesToFurtherPages) {
    QImage a = Row(10), b = Row(60), c = Row(120);
    GakufuResult res = ComposeGakufu({&a, &b, &c}, 1, "0", false);
    const QImage& pic = res.pages[0];
    EXPECT_EQ(qGray(pic.pixel(50, 79)), 255) << "the top margin stays white";
    EXPECT_EQ(qGray(pic.pixel(50, 80)), 10);
    EXPECT_EQ(qGray(pic.pixel(50, 120)), 60) << "no gap between rows";
    EXPECT_EQ(qGray(pic.pixel(50, 160)), 120);
    EXPECT_EQ(qGray(pic.pixel(50, 200)), 255);
    EXPECT_EQ(lwtest::InkIn(pic, pic.rect(), 1), 0) << "the left 10 pixels of a row are not copied";
    EXPECT_EQ(qGray(pic.pixel(195, 85)), 255) << "the right 10 pixels stay white";
    EXPECT_FALSE(res.overflow);
    // Staff only: the upper half of each row.
    res = ComposeGakufu({&a, &b}, 1, "1", false);
    EXPECT_EQ(qGray(res.pages[0].pixel(50, 100)), 60);
    // Style 3 leaves 10 pixels between rows.
    res = ComposeGakufu({&a, &b}, 3, "0", false);
    EXPECT_EQ(qGray(res.pages[0].pixel(50, 125)), 255);
    EXPECT_EQ(qGray(res.pages[0].pixel(50, 130)), 60);
    // Six rows of style 1: one picture keeps five; pages keep them all.
    std::vector<QImage> six(6, Row(30));
    six[5] = Row(200);
    std::vector<const QImage*> ptrs;
    for (const QImage& r : six) ptrs.push_back(&r);
    res = ComposeGakufu(ptrs, 1, "0", false);
    EXPECT_TRUE(res.overflow);
    EXPECT_EQ(res.pages.size(), 1u);
    res = ComposeGakufu(ptrs, 1, "0", true);
    ASSERT_EQ(res.pages.size(), 2u);
    EXPECT_EQ(qGray(res.pages[1].pixel(50, 80)), 200) << "the sixth row opens the second picture";
    EXPECT_EQ(res.pages[1].height(), res.pages[0].height());
}

TEST(GrayPngTest, ReadsBackAsTheSameGrayPicture) {
    lwtest::EnsureApp();
    QImage img(37, 11, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) img.setPixel(x, y, qRgb((x * 7 + y * 13) % 256, (x * 7 + y * 13) % 256, (x * 7 + y * 13) % 256));
    const QByteArray png = lw::GrayPng(img);
    QImage back;
    ASSERT_TRUE(back.loadFromData(png, "PNG"));
    EXPECT_EQ(back.format(), QImage::Format_Grayscale8);
    ASSERT_EQ(back.size(), img.size());
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) ASSERT_EQ(qGray(back.pixel(x, y)), (x * 7 + y * 13) % 256) << x << "," << y;
}
