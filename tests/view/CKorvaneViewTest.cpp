// The view on screen: start screen, printing and plot export.
#include "view/CKorvaneView.h"

#include "LiveViewFixture.h"
#include "app/CommandIds.h"

#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QTemporaryDir>

#include <functional>

namespace korvane {
namespace {

using CKorvaneViewTest = LiveViewFixture;

bool IsRed(const QColor& c) {
    return c.red() > 200 && c.green() < 60 && c.blue() < 60;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int CountPixels(const QImage& image, const QRect& area, const std::function<bool(QColor)>& test) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += test(image.pixelColor(x, y)) ? 1 : 0;
    return count;
}

TEST_F(CKorvaneViewTest, StartScreenShowsRedCreditsOnWhite) {
    ShowAt(800, 400);
    for (int mode : {0, -1}) {
        SCOPED_TRACE(mode);
        doc.displayMode = mode;
        const QImage image = view.grabFramebuffer();
        ASSERT_FALSE(image.isNull());
        // The authors line starts at world (-1, -0.2): pixel (350, 210), text above it; the
        // institution line 0.2 lower.
        EXPECT_GT(CountPixels(image, QRect(350, 190, 300, 24), IsRed), 30);
        EXPECT_EQ(CountPixels(image, QRect(0, 0, 340, 400), IsRed), 0);
    }
}

TEST_F(CKorvaneViewTest, PrintAndExportPutTheFrameOnScreenOnThePageAndInTheFile) {
    doc = TwoRecords();
    ShowAt(800, 400);
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("page.pdf"));
    view.PrintPlot(printer);
    const QByteArray page = ReadAll(dir.filePath("page.pdf"));
    EXPECT_TRUE(page.startsWith("%PDF-"));
    EXPECT_GT(page.size(), 4000); // a blank page is well under a kilobyte

    for (auto [name, magic] : {std::pair{"plot.svg", "<svg"}, std::pair{"plot.pdf", "%PDF-"},
                               std::pair{"plot.png", "\x89PNG"}}) {
        prompts.saveFileNameAnswers = {dir.filePath(name)};
        EXPECT_TRUE(view.OnCommand(cmd::FileExportPlot));
        const QByteArray bytes = ReadAll(dir.filePath(name));
        EXPECT_TRUE(bytes.contains(magic)) << name;
        EXPECT_GT(bytes.size(), 1000) << name;
    }
    EXPECT_TRUE(prompts.messages.isEmpty());
    const QString png = dir.filePath("plot.png");
    const QImage image(png);
    EXPECT_EQ(image.size(), QSize(800, 400));
    // Markers on top of the baseline that runs through them, as on screen.
    EXPECT_EQ(image.pixelColor(PixelOf(975, 1.5)), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(PixelOf(500, 1.5)), QColor(Qt::green));

    // A zoomed view exports zoomed, its rows cut at the plot's edges.
    Wheel(QPoint(400, 200), 10);
    const QString zoomed = dir.filePath("zoomed.png");
    prompts.saveFileNameAnswers = {zoomed};
    view.OnCommand(cmd::FileExportPlot);
    const QImage part(zoomed);
    EXPECT_EQ(part.pixelColor(PixelOf(4096, 1.5)), QColor(Qt::green));
    EXPECT_EQ(part.pixelColor(QPoint(95, PixelOf(0, 1.5).y())), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(QPoint(101, PixelOf(0, 1.5).y())), QColor(Qt::green));

    // A wrong type is refused.
    prompts.saveFileNameAnswers = {dir.filePath("plot.gif")};
    view.OnCommand(cmd::FileExportPlot);
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_TRUE(prompts.messages[0].contains(".png, .svg or .pdf"));
    EXPECT_FALSE(QFile::exists(dir.filePath("plot.gif")));
}

} // namespace
} // namespace korvane
