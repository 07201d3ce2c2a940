// lutewise --export-score: the score of rows and projects written as BMP,
// PNG or PDF, pages for rows that do not fit, and failures that leave no file.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "app_test_support.h"
#include "score_command.h"

namespace fs = std::filesystem;
using namespace lwtest;

namespace {

class ExportScore : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApp();
        work = std::make_unique<WorkFolder>();
        for (const char* f : {"example.tbp", "kirakira1.tab", "kirakira2.tab", "ode1.tab", "ode2.tab"})
            fs::copy_file(fs::path(LUTEWISE_SOURCE_DIR) / "data/examples" / f, work->path / f);
    }
    int Run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        return lw::RunExportScore(args, out, err);
    }
    std::unique_ptr<WorkFolder> work;
    std::ostringstream out, err;
};

}  // namespace

TEST_F(ExportScore, WritesTheScoreByTheExtension) {
    ASSERT_EQ(Run({"score.png", "example.tbp"}), 0) << err.str();
    EXPECT_EQ(out.str(), "score.png\n");
    const QImage png("score.png");
    const QImage ground(QString::fromStdString(work->File("TABn1.bmp")));
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.width(), ground.width());
    EXPECT_EQ(png.height(), 5 * ground.height() + 80) << "four rows of the staff layout: a picture of five";

    ASSERT_EQ(Run({"score.bmp", "kirakira1.tab", "kirakira2.tab"}), 0) << err.str();
    const std::string bmp = ReadBytes("score.bmp");
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(bmp[28]), 8) << "8-bit Windows bitmap with a gray palette";
    EXPECT_EQ(QImage("score.bmp").size(), png.size());

    // Notes on the staff instead of the rhythm row: the same picture size,
    // other ink.
    ASSERT_EQ(Run({"--notes", "notes.png", "example.tbp"}), 0) << err.str();
    const QImage notes("notes.png");
    ASSERT_EQ(notes.size(), png.size());
    int differ = 0;
    for (int y = 0; y < png.height(); ++y)
        for (int x = 0; x < png.width(); ++x) differ += (qGray(notes.pixel(x, y)) < 128) != (qGray(png.pixel(x, y)) < 128);
    EXPECT_GT(differ, 5000);

    // Gray levels: colour type 0, 8 bits (PNG header bytes 24 and 25).
    const std::string pngBytes = ReadBytes("score.png");
    EXPECT_EQ(static_cast<unsigned char>(pngBytes[24]), 8);
    EXPECT_EQ(static_cast<unsigned char>(pngBytes[25]), 0);

    ASSERT_EQ(Run({"score.pdf", "example.tbp"}), 0) << err.str();
    EXPECT_EQ(ReadBytes("score.pdf").substr(0, 5), "%PDF-");
}

// Output of a command line ("" when it failed).
std::string Capture(const std::string& command) {
    std::string text;
    if (FILE* f = popen((command + " 2>/dev/null").c_str(), "r")) {
        char buf[4096];
        for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
        if (pclose(f) != 0) text.clear();
    }
    return text;
}

TEST_F(ExportScore, PdfAndSvgAreLinesAndTextNotPictures) {
    ASSERT_EQ(Run({"--notes", "score.pdf", "example.tbp"}), 0) << err.str();
    EXPECT_LT(ReadBytes("score.pdf").size(), 150u * 1024) << "one page of four rows";
    // No picture in the PDF: pdfimages lists only its two heading lines.
    const std::string images = Capture("pdfimages -list score.pdf");
    ASSERT_FALSE(images.empty()) << "pdfimages (poppler-utils) is needed";
    EXPECT_EQ(std::count(images.begin(), images.end(), '\n'), 2) << images;
    // The fret numbers' and chord names' fonts are embedded: every font line says "yes" under "emb".
    const std::string fonts = Capture("pdffonts score.pdf");
    std::istringstream lines(fonts);
    std::string line;
    int listed = 0;
    for (int n = 0; std::getline(lines, line); ++n) {
        if (n < 2) continue;
        ++listed;
        EXPECT_NE(line.find(" yes "), std::string::npos) << line;
    }
    EXPECT_GE(listed, 2) << fonts;   // the serif of the fret numbers and the Mincho of the chord names
    // The fret numbers are text: the first row's numbers can be found.
    const std::string text = Capture("pdftotext score.pdf -");
    EXPECT_NE(text.find("C"), std::string::npos) << text;   // a chord name of the example

    // SVG: the same picture as the PNG once rendered.
    ASSERT_EQ(Run({"--notes", "score.png", "example.tbp"}), 0) << err.str();
    ASSERT_EQ(Run({"--notes", "score.svg", "example.tbp"}), 0) << err.str();
    EXPECT_EQ(out.str(), "score.svg\n");
    EXPECT_EQ(ReadBytes("score.svg").find("<image"), std::string::npos);
    const QImage png("score.png");
    Capture("rsvg-convert -b white -w " + std::to_string(png.width()) + " -h " + std::to_string(png.height()) +
            " -o svg.png score.svg");
    const QImage svg("svg.png");
    ASSERT_FALSE(svg.isNull()) << "rsvg-convert (librsvg2-bin) is needed";
    ASSERT_EQ(svg.size(), png.size());
    // Ink where the PNG has ink: most dark pixels agree within a pixel.
    int inkPng = 0, matched = 0;
    for (int y = 1; y + 1 < png.height(); ++y)
        for (int x = 1; x + 1 < png.width(); ++x) {
            if (qGray(png.pixel(x, y)) >= 100) continue;
            ++inkPng;
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy)
                for (int dx = -1; dx <= 1 && !near; ++dx) near = qGray(svg.pixel(x + dx, y + dy)) < 200;
            matched += near;
        }
    EXPECT_GT(inkPng, 20000);
    EXPECT_GT(matched, inkPng * 97 / 100) << matched << " of " << inkPng;

    // A name of no score format is refused, with the formats named.
    EXPECT_EQ(Run({"score.jpg", "example.tbp"}), 2);
    EXPECT_NE(err.str().find(".svg"), std::string::npos);
}

TEST_F(ExportScore, RowsBeyondOnePictureGoOnNumberedPages) {
    std::vector<std::string> args{"score.png"};
    for (int i = 1; i <= 6; ++i) {
        const std::string name = "row" + std::to_string(i) + ".tab";
        fs::copy_file(work->path / "ode1.tab", work->path / name);
        args.push_back(name);
    }
    ASSERT_EQ(Run(args), 0) << err.str();
    EXPECT_EQ(out.str(), "score-1.png\nscore-2.png\n");
    EXPECT_FALSE(fs::exists("score.png"));
    EXPECT_FALSE(QImage("score-2.png").isNull());
    // Printed pages hold as many rows as a score picture: two pages.
    args[0] = "score.pdf";
    ASSERT_EQ(Run(args), 0) << err.str();
    const std::string pdf = ReadBytes("score.pdf");
    size_t pages = 0;
    for (size_t k = 0; (k = pdf.find("/Type /Page\n", k)) != std::string::npos; ++k) ++pages;
    for (size_t k = 0; (k = pdf.find("/Type /Page\r", k)) != std::string::npos; ++k) ++pages;
    for (size_t k = 0; (k = pdf.find("/Type /Page ", k)) != std::string::npos; ++k) ++pages;
    EXPECT_EQ(pages, 2u);
}

TEST_F(ExportScore, FailuresSayWhyAndLeaveNoFile) {
    WriteBytes("empty.tbp", "");
    const std::vector<std::pair<std::vector<std::string>, int>> bad = {
        {{"score.png", "missing.tab"}, 1},
        {{"score.png", "empty.tbp"}, 1},
        {{"no/such/folder/score.png", "ode1.tab"}, 1},
        {{"score.gif", "ode1.tab"}, 2},  // a wrong command line
        {{"score.png"}, 2},
    };
    for (const auto& [args, rc] : bad) {
        EXPECT_EQ(Run(args), rc) << args[0];
        EXPECT_FALSE(err.str().empty()) << args[0];
        EXPECT_TRUE(out.str().empty()) << args[0];
        EXPECT_FALSE(fs::exists("score.png"));
    }
}

// Without row windows a row is painted once, when the score reads it, and
// the score is the one of rows painted after every change.
TEST_F(ExportScore, RowsWithoutWindowsArePaintedOnceForTheScore) {
    std::vector<QImage> pages[2];
    for (bool onDemand : {false, true}) {
        ScriptedUi ui;
        lw::MemoryUserStore store;
        lw::Shell shell(ui, store);
        shell.MainLoad();
        shell.InitStartValues();
        shell.DrawNote = true;
        shell.PaintOnDemand = onDemand;
        shell.DoFileProjectOpen("example.tbp", false);
        ASSERT_EQ(shell.OpenRowCount(), 4);
        for (auto& r : shell.Rows()) EXPECT_EQ(r->PictureStale, onDemand) << r->Caption;
        ASSERT_TRUE(shell.CreateGakufu("0", true));
        EXPECT_TRUE(ui.shown.empty());
        for (auto& r : shell.Rows()) EXPECT_FALSE(r->PictureStale) << r->Caption;
        pages[onDemand] = shell.GakufuPages;
    }
    ASSERT_EQ(pages[0].size(), 1u);
    ASSERT_EQ(pages[1].size(), 1u);
    EXPECT_TRUE(pages[0][0] == pages[1][0]);
}
