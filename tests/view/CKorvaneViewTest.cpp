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
#include <QOpenGLContext>
#include <QPrinter>
#include <QTemporaryDir>

#include <GL/gl.h>

#include <algorithm>
#include <functional>

namespace korvane {
namespace {

using CKorvaneViewTest = LiveViewFixture;

bool IsRed(const QColor& c) {
    return c.red() > 200 && c.green() < 60 && c.blue() < 60;
}

int CountPixels(const QImage& image, const QRect& area, const std::function<bool(QColor)>& test) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += test(image.pixelColor(x, y)) ? 1 : 0;
    return count;
}

TEST(GlPaletteTest, ThreeThreeTwoDisplayGetsTheSystemColoursAndTrueColourNone) {
    const PixelFormatDescription format = GlPalette::Describe(3, 3, 2);
    EXPECT_TRUE(format.needPalette);
    EXPECT_EQ(format.colorBits, 8);
    EXPECT_EQ(format.greenShift, 3);
    EXPECT_EQ(format.blueShift, 6);
    const auto palette = GlPalette::BuildPalette(format);
    ASSERT_EQ(palette.size(), 256u);
    const std::pair<int, PaletteEntry> known[] = {
        {0, {0, 0, 0, 0}},
        {3, {128, 0, 0, 0}},
        {91, {128, 128, 128, 0}},
        {247, {255, 251, 240, 0}},
        {255, {255, 255, 255, 0}},
        {1 | (2 << 3) | (1 << 6), {36, 73, 85, 0}}, // by the rule: red 1/7, green 2/7, blue 1/3
    };
    for (auto [index, entry] : known)
        EXPECT_EQ(palette[index], entry) << index;
    // A 4-bit format follows the rule alone; true colour needs no palette.
    const auto small = GlPalette::BuildPalette(GlPalette::Describe(1, 2, 1));
    ASSERT_EQ(small.size(), 16u);
    EXPECT_EQ(small[3], (PaletteEntry{255, 85, 0, 0}));
    EXPECT_TRUE(GlPalette::BuildPalette(GlPalette::Describe(8, 8, 8)).empty());
    EXPECT_TRUE(GlPalette::BuildPalette(GlPalette::Describe(5, 6, 5)).empty());
    // index, width, shift -> level
    const int levels[][4] = {{1, 1, 0, 255},      {2, 1, 1, 255},     {2, 1, 0, 0},
                             {0b1100, 2, 2, 255}, {0b0100, 2, 2, 85}, {5, 3, 0, 182},
                             {0xff, 4, 0, 0},     {0xff, 0, 0, 0}};
    for (const auto& l : levels)
        EXPECT_EQ(GlPalette::PaletteComponent(l[0], l[1], l[2]), l[3]) << l[0] << "/" << l[1];
}

TEST_F(CKorvaneViewTest, ContextAndProjectionFollowTheClient) {
    ShowAt(400, 300);
    const QSurfaceFormat format = view.context()->format();
    EXPECT_NE(format.profile(), QSurfaceFormat::CoreProfile);
    EXPECT_GE(format.depthBufferSize(), 16);
    EXPECT_EQ(view.format().swapBehavior(), QSurfaceFormat::DoubleBuffer);
    EXPECT_FALSE(view.ChosenPixelFormat().needPalette);
    EXPECT_TRUE(view.palette.empty());
    const ViewGeometry& g = view.viewGeometry;
    EXPECT_FLOAT_EQ(g.orthoLeft, -16.0f / 3.0f);
    EXPECT_FLOAT_EQ(g.orthoRight, 16.0f / 3.0f);
    EXPECT_EQ(g.orthoBottom, -4.0f);
    EXPECT_EQ(g.orthoTop, 4.0f);
    EXPECT_EQ(g.orthoNear, -4.0f);
    EXPECT_EQ(g.orthoFar, 4.0f);
    ShowAt(800, 400);
    EXPECT_FLOAT_EQ(g.orthoLeft, -8.0f);
    EXPECT_FLOAT_EQ(g.orthoRight, 8.0f);
    EXPECT_FLOAT_EQ(g.pixelsPerUnit, 50.0f);

    // Shrinking asks for a repaint; a zero height (minimised) changes nothing.
    view.makeCurrent();
    EXPECT_FALSE(view.OnSize(900, 400));
    EXPECT_TRUE(view.OnSize(900, 300));
    EXPECT_TRUE(view.OnSize(500, 300));
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
        // The authors line starts at world (-1, -0.2): pixel (350, 210), text above it.
        EXPECT_GT(CountPixels(image, QRect(350, 190, 300, 24), IsRed), 30);
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
    // The label font lives in lists 1000..1254 of the view's context.
    view.makeCurrent();
    EXPECT_TRUE(glIsList(1000));
    EXPECT_TRUE(glIsList(1000 + 'A'));
    EXPECT_TRUE(glIsList(1254));
    EXPECT_FALSE(glIsList(1255));
    GLint base = 0;
    glGetIntegerv(GL_LIST_BASE, &base);
    EXPECT_EQ(base, 1000);
    view.doneCurrent();
}

TEST_F(CKorvaneViewTest, PrintingPutsThePlotOnThePage) {
    doc = TwoRecords();
    ShowAt(800, 400);
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("page.pdf"));
    view.PrintPlot(printer);
    QFile page(dir.filePath("page.pdf"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QByteArray bytes = page.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    // A blank page is well under a kilobyte; the frame adds its paths and text.
    EXPECT_GT(bytes.size(), 4000);
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(CKorvaneViewTest, ExportPlotWritesTheFrameOnScreenAndAsksBeforeReplacing) {
    doc = TwoRecords();
    ShowAt(800, 400);
    QTemporaryDir dir;
    const QString png = dir.filePath("plot.png");
    prompts.saveFileNameAnswers = {png};
    EXPECT_TRUE(view.OnCommand(cmd::FileExportPlot));
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(800, 400));
    EXPECT_EQ(image.pixelColor(PixelOf(975, 1.5)), QColor(Qt::red));

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
