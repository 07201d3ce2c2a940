// The print preview draws the score at its own resolution: every staff and
// TAB line shows at every zoom, not only the ones a scaled picture keeps.
#include <gtest/gtest.h>

#if __has_include(<QPrintPreviewWidget>)
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <filesystem>

#include "app_test_support.h"
#include "score_print.h"

namespace fs = std::filesystem;
using namespace lw;
using namespace lwtest;

namespace {

// Horizontal lines of ink: rows of the picture with at least `length` dark
// pixels (fret numbers interrupt a TAB line), neighbouring rows counted once.
int LinesIn(const QImage& img, int length) {
    int lines = 0;
    bool before = false;
    for (int y = 0; y < img.height(); ++y) {
        int dark = 0;
        for (int x = 0; x < img.width(); ++x) dark += qGray(img.pixel(x, y)) < 160;
        const bool line = dark >= length;
        lines += line && !before;
        before = line;
    }
    return lines;
}

}  // namespace

TEST(PrintPreview, EveryLineOfTheScoreShowsAtEveryZoom) {
    EnsureApp();
    WorkFolder work;
    for (const char* f : {"example.tbp", "kirakira1.tab", "kirakira2.tab", "ode1.tab", "ode2.tab"})
        fs::copy_file(fs::path(LUTEWISE_SOURCE_DIR) / "data/examples" / f, work.path / f);
    ScriptedUi ui;
    MemoryUserStore store;
    Shell shell(ui, store);
    shell.MainLoad();
    shell.InitStartValues();
    shell.DoFileProjectOpen(work.File("example.tbp"), false);
    ASSERT_EQ(shell.Rows().size(), 4u);
    shell.AskSave = false;

    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewWidget preview(&printer);
    QObject::connect(&preview, &QPrintPreviewWidget::paintRequested, [&](QPrinter* pr) {
        QPainter p(pr);
        const QRectF area = pr->pageLayout().paintRectPixels(pr->resolution());
        PaintScorePages(shell, p, QRectF(0, 0, area.width(), area.height()), [pr] { return pr->newPage(); });
    });
    preview.show();
    // The whole page at three zooms: four rows of five staff lines and six TAB lines.
    for (int width : {360, 700, 1400}) {
        preview.resize(width, width * 3 / 2);
        preview.fitInView();
        preview.updatePreview();
        const QImage shot = preview.grab().toImage();
        if (const char* dir = std::getenv("LUTEWISE_RENDER_PNG_DIR")) shot.save(QString("%1/preview_%2.png").arg(dir).arg(width));
        // Only the page: the white area, without the frame and its shadow.
        QRect page;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); x += 4)
                if (qGray(shot.pixel(x, y)) > 250) page |= QRect(x, y, 1, 1);
        EXPECT_EQ(LinesIn(shot.copy(page.adjusted(4, 4, -4, -4)), width / 3), 4 * 11) << width;
    }
}
#endif
