// The view's OpenGL context, projection, palette and start screen, printing and plot export.
#include "view/CKorvaneView.h"

#include "LiveViewFixture.h"
#include "app/CommandIds.h"
#include "view/GlPalette.h"
#include "view/PlotRenderer.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QPrinter>
#include <QTemporaryDir>

#include <algorithm>
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

TEST(GlPaletteTest, ThreeThreeTwoDisplayGetsTheRuleAndTheSystemColoursTrueColourNone) {
    const auto palette = GlPalette::BuildPalette(GlPalette::Describe(3, 3, 2));
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(palette[1 | (2 << 3) | (1 << 6)], (PaletteEntry{36, 73, 85, 0})); // 1/7, 2/7, 1/3
    EXPECT_EQ(palette[91], (PaletteEntry{128, 128, 128, 0}));                   // a system colour
    EXPECT_EQ(GlPalette::BuildPalette(GlPalette::Describe(1, 2, 1))[3],
              (PaletteEntry{255, 85, 0, 0}));
    EXPECT_TRUE(GlPalette::BuildPalette(GlPalette::Describe(8, 8, 8)).empty());
}

TEST_F(CKorvaneViewTest, ShrinkingAsksForARepaintAndMinimisingChangesNothing) {
    ShowAt(800, 400);
    EXPECT_TRUE(view.palette.empty()); // true colour
    const ViewGeometry& g = view.viewGeometry;
    view.makeCurrent();
    EXPECT_FALSE(view.OnSize(900, 400));
    EXPECT_TRUE(view.OnSize(900, 300));
    EXPECT_TRUE(view.OnSize(500, 300));
    EXPECT_FLOAT_EQ(g.orthoRight, 4.0f * 5.0f / 3.0f);
    const ViewGeometry before = g;
    EXPECT_FALSE(view.OnSize(500, 0));
    EXPECT_EQ(g.clientWidth, before.clientWidth);
    EXPECT_EQ(g.clientHeight, before.clientHeight);
    EXPECT_EQ(g.orthoLeft, before.orthoLeft);
    EXPECT_EQ(g.pixelsPerUnit, before.pixelsPerUnit);
    view.doneCurrent();
}

TEST_F(CKorvaneViewTest, StartScreenShowsRedCreditsOnWhiteInTheLabelFont) {
    ShowAt(800, 400);
    for (int mode : {0, 12, -1}) {
        SCOPED_TRACE(mode);
        doc.displayMode = mode;
        const QImage image = view.grabFramebuffer();
        ASSERT_FALSE(image.isNull());
        // The authors line starts at world (-1, -0.2): pixel (350, 210), text above it; the
        // institution line 0.2 lower.
        EXPECT_GT(CountPixels(image, QRect(350, 190, 300, 24), IsRed), 30);
        EXPECT_GT(CountPixels(image, QRect(350, 212, 100, 9), IsRed), 10);
        EXPECT_EQ(CountPixels(image, QRect(0, 0, 340, 400), IsRed), 0);
        EXPECT_EQ(CountPixels(image, image.rect(),
                              [](QColor c) { return c != QColor(Qt::white) && !IsRed(c); }),
                  0);
        // The line is as wide as the system font sets it, spaces included.
        int right = 0;
        for (int y = 196; y <= 207; ++y) // above the second line's capitals
            for (int x = 350; x < image.width(); ++x)
                if (IsRed(image.pixelColor(x, y)))
                    right = std::max(right, x);
        const QFontMetrics metrics(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
        EXPECT_NEAR(right - 350, metrics.horizontalAdvance(PlotRenderer::kAuthorsCredit), 4);
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
    EXPECT_EQ(image.pixelColor(PixelOf(7025, -1.5)), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(PixelOf(500, 1.5)), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::white));

    // An existing file is replaced only when the user agrees; a wrong type is refused.
    prompts.saveFileNameAnswers = {png};
    prompts.confirmAnswers = {false};
    doc.displayMode = Credits;
    view.OnCommand(cmd::FileExportPlot);
    EXPECT_EQ(prompts.confirmTexts.size(), 1);
    EXPECT_EQ(QImage(png).pixelColor(PixelOf(975, 1.5)), QColor(Qt::red));
    prompts.saveFileNameAnswers = {dir.filePath("plot.gif")};
    view.OnCommand(cmd::FileExportPlot);
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_TRUE(prompts.messages[0].contains(".png, .svg or .pdf"));
    EXPECT_FALSE(QFile::exists(dir.filePath("plot.gif")));
}

} // namespace
} // namespace korvane
