#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>

#include "burn_in.h"
#include "render_test_support.h"
#include "row_picture.h"
#include "stamps.h"

using namespace lw;

namespace {

class RowPicture : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!QGuiApplication::instance()) {
            static int argc = 1;
            static char name[] = "render_tests";
            static char* argv[] = {name, nullptr};
            new QGuiApplication(argc, argv);
            InstallFontSubstitutions();
        }
    }
};

int InkIn(const QImage& img, const QRect& r) {
    int n = 0;
    for (int y = std::max(0, r.top()); y <= std::min(img.height() - 1, r.bottom()); ++y)
        for (int x = std::max(0, r.left()); x <= std::min(img.width() - 1, r.right()); ++x)
            if (qGray(img.pixel(x, y)) < 128) ++n;
    return n;
}

// A ground like the real ones: six string lines 12 px apart from y = 100.
QImage SixLineGround() {
    QImage img(400, 220, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(Qt::black);
    for (int k = 0; k < 6; ++k) p.drawLine(10, 100 + 12 * k, 390, 100 + 12 * k);
    return img;
}

DanLayoutData Layout() {
    DanLayoutData l;
    l.TabTop = 1500;        // 100 px
    l.StringInterval = 180; // 12 px
    return l;
}

}  // namespace

TEST_F(RowPicture, GroundFollowsTheLayoutStyle) {
    EXPECT_EQ(GroundFileName(1, false), "TABn1.bmp");
    EXPECT_EQ(GroundFileName(2, false), "TABn1.bmp");
    EXPECT_EQ(GroundFileName(3, false), "TABn2.bmp");
    EXPECT_EQ(GroundFileName(4, false), "TABn3.bmp");
    EXPECT_EQ(GroundFileName(5, false), "TABn3.bmp");
    EXPECT_EQ(GroundFileName(5, true), "TABn1.bmp");
}

TEST_F(RowPicture, MissingGroundGivesWhitePictureAndAReason) {
    QTemporaryDir dir;
    std::string err;
    QImage img = LoadGround(dir.path().toStdString(), "TABn1.bmp", &err);
    EXPECT_FALSE(err.empty());
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(InkIn(img, img.rect()), 0);

    QImage g = SixLineGround();
    ASSERT_TRUE(g.save(dir.filePath("g.bmp"), "BMP"));
    err.clear();
    QImage back = LoadGround(dir.path().toStdString(), "g.bmp", &err);
    EXPECT_TRUE(err.empty());
    EXPECT_EQ(back.format(), QImage::Format_RGB32);
    EXPECT_EQ(InkIn(back, QRect(10, 100, 381, 1)), 381);
}

TEST_F(RowPicture, UnusedStringLinesAreBlankedPerInstrument) {
    auto lineInk = [](const QImage& img, int k) { return InkIn(img, QRect(10, 100 + 12 * k, 381, 1)); };
    for (int maxIx : {5, 4, 3}) {
        QImage img = SixLineGround();
        BlankUnusedLines(img, Layout(), maxIx, 15);
        for (int k = 0; k < 6; ++k) {
            if (k <= maxIx) EXPECT_EQ(lineInk(img, k), 381) << "strings " << maxIx + 1 << " line " << k;
            else EXPECT_EQ(lineInk(img, k), 0) << "strings " << maxIx + 1 << " line " << k;
        }
    }
}

TEST_F(RowPicture, GroundLinesAreFoundAsRectangles) {
    // Six lines 381 pixels long, one pixel high, from y = 100 every 12 pixels,
    // and a two-pixel line.
    QImage img = SixLineGround();
    {
        QPainter p(&img);
        p.fillRect(QRect(20, 30, 50, 2), Qt::black);
    }
    const RowGround g = GroundOf(img);
    ASSERT_EQ(g.lines.size(), 7u);
    EXPECT_EQ(g.lines[0], QRect(20, 30, 50, 2));
    for (int k = 0; k < 6; ++k) EXPECT_EQ(g.lines[k + 1], QRect(10, 100 + 12 * k, 381, 1)) << k;
}

TEST_F(RowPicture, SceneShowsOnlyVisibleElementsWhereTheyAre) {
    RowScene scene;
    RowItems items;
    SceneLabel fret;
    fret.Left = 150 * 15;
    fret.Top = 100 * 15 - 105;
    fret.Width = 240;
    fret.Height = 210;
    fret.Caption = "12";
    fret.Visible = true;
    scene.labPos.push_back(fret);
    fret.Left = 300 * 15;
    fret.Visible = false;  // hidden: must not draw
    scene.labPos.push_back(fret);
    SceneLine bar;
    bar.X1 = bar.X2 = 250 * 15;
    bar.Y1 = 100 * 15;
    bar.Y2 = 160 * 15;
    bar.BorderWidth = 3;
    bar.Visible = true;
    scene.lineKugiri.push_back(bar);

    QImage img(400, 220, QImage::Format_RGB32);
    img.fill(Qt::white);
    PutTAB(lwtest::Paint(img), scene, items, BurnContext{});
    EXPECT_GT(InkIn(img, QRect(150, 93, 16, 14)), 10);
    EXPECT_EQ(InkIn(img, QRect(300, 93, 16, 14)), 0);
    EXPECT_GE(InkIn(img, QRect(248, 100, 5, 60)), 2 * 60);     // thick bar: several pixels wide
    EXPECT_EQ(InkIn(img, QRect(0, 0, 140, 220)), 0);
}

TEST_F(RowPicture, StampsHaveInkAndMusicFontIsFound) {
    const StampBook& book = StampBook::Default();
    EXPECT_TRUE(book.HasMusicFont());
    for (Stamp s : {Stamp::pic4Kyufu, Stamp::pic8Kyufu, Stamp::pic16Kyufu, Stamp::pic2Kyufu, Stamp::picToon,
                    Stamp::picHeon, Stamp::picSharp, Stamp::picFlat, Stamp::picNatural, Stamp::picSenyo,
                    Stamp::picCoda, Stamp::picTABstring, Stamp::pic4up_2, Stamp::pic8Up_2, Stamp::picRepten}) {
        const QImage& img = book.Get(s);
        ASSERT_FALSE(img.isNull()) << int(s);
        EXPECT_GT(InkIn(img, img.rect()), 3) << int(s);
        EXPECT_LT(img.width(), 200);
    }
    // The treble clef spans more than a staff height; a quarter rest less.
    EXPECT_GT(book.Get(Stamp::picToon).height(), 4 * 8);
    EXPECT_LT(book.Get(Stamp::pic4Kyufu).height(), 4 * 8);
}

TEST_F(RowPicture, RepeatDotsSitInTheSpacesTheirTagNames) {
    // Reference line at y = 100 px; interval 12 px; dots half an interval
    // above the line and one and a half below: centres at 94 and 118.
    RowScene scene;
    ScenePicture dots;
    dots.Image = Stamp::picRepten;
    dots.Left = 50 * 15;
    dots.Width = 60;
    dots.Top = 100 * 15 - 20;
    dots.Height = 2 * 180 + 40;
    dots.Tag = "-1,3";
    dots.Visible = true;
    scene.picRepten.push_back(dots);
    QImage img(200, 200, QImage::Format_RGB32);
    img.fill(Qt::white);
    PutTAB(lwtest::Paint(img), scene, RowItems{}, BurnContext{});
    EXPECT_GT(InkIn(img, QRect(48, 92, 6, 5)), 4);
    EXPECT_GT(InkIn(img, QRect(48, 116, 6, 5)), 4);
    EXPECT_EQ(InkIn(img, QRect(40, 99, 30, 3)), 0);    // not on the reference line
    EXPECT_EQ(InkIn(img, QRect(40, 104, 30, 8)), 0);   // nothing between the dots
}
