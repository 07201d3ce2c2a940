// lutewise --export-score: the score of rows and projects written as BMP,
// PNG or PDF, pages for rows that do not fit, and failures that leave no file.
#include <gtest/gtest.h>

#include <QImage>
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
    EXPECT_EQ(static_cast<unsigned char>(bmp[28]), 24) << "24-bit Windows bitmap";
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

    ASSERT_EQ(Run({"score.pdf", "example.tbp"}), 0) << err.str();
    EXPECT_EQ(ReadBytes("score.pdf").substr(0, 5), "%PDF-");
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
