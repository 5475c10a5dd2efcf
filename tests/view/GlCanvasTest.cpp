#include "view/GlCanvas.h"

#include "PlotTestWidget.h"

#include <QFontDatabase>
#include <QFontMetrics>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace korvane {
namespace {

bool IsRed(const QColor& c) {
    return c.red() > 200 && c.green() < 60 && c.blue() < 60;
}

int CountPixels(const QImage& image, const QRect& area, bool (*test)(const QColor&)) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += test(image.pixelColor(x, y)) ? 1 : 0;
    return count;
}

class GlCanvasTest : public ::testing::Test {
protected:
    void Show(int width, int height) {
        widget.resize(width, height);
        ASSERT_TRUE(ShowAndWait(widget));
    }
    CKorvaneDoc doc;
    PlotTestWidget widget{doc};
};

TEST_F(GlCanvasTest, CreditLinesAreRedOnWhite) {
    Show(800, 400);
    const QImage image = widget.grabFramebuffer();
    // The authors line starts at world (-1, -0.2): pixel (350, 210), text above the baseline.
    const int red = CountPixels(image, QRect(350, 190, 300, 24), IsRed);
    EXPECT_GT(red, 30);
    int other = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            other += (c != QColor(Qt::white) && !IsRed(c)) ? 1 : 0;
        }
    EXPECT_EQ(other, 0);
    EXPECT_EQ(CountPixels(image, QRect(0, 0, 340, 400), IsRed), 0);
    // The line is as wide as the system font sets it, spaces included.
    int right = 0;
    for (int y = 196; y <= 207; ++y) // above the second line's capitals
        for (int x = 350; x < image.width(); ++x)
            if (IsRed(image.pixelColor(x, y)))
                right = std::max(right, x);
    const QFontMetrics metrics(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    EXPECT_NEAR(right - 350, metrics.horizontalAdvance(PlotRenderer::kAuthorsCredit), 4);

    // The label font lives in lists 1000..1254 of the view's context.
    widget.makeCurrent();
    EXPECT_TRUE(glIsList(1000));
    EXPECT_TRUE(glIsList(1000 + 'A'));
    EXPECT_TRUE(glIsList(1254));
    EXPECT_FALSE(glIsList(1255));
    GLint base = 0;
    glGetIntegerv(GL_LIST_BASE, &base);
    EXPECT_EQ(base, 1000);
    widget.doneCurrent();
}

TEST_F(GlCanvasTest, MarkersStayOnTopOfTheTrace) {
    doc.recordCount = 2;
    doc.dataLoaded = 1;
    doc.displayMode = FilteredWaves;
    doc.depths = {1.0f, 2.0f};
    doc.windows = {{1000, 7000}, {1000, 7000}};
    doc.filteredWaves.assign(2, std::vector<float>(doc.samplesPerRecord, 0.0f));
    Show(800, 400);
    const QImage image = widget.grabFramebuffer();
    // Row 0's baseline is at world y 1.5, pixel row 125; sample s at pixel (s*12/8192 + 2)*50.
    auto pixelX = [](double s) { return static_cast<int>(std::lround((s * 12 / 8192 + 2) * 50)); };
    EXPECT_EQ(image.pixelColor(pixelX(975), 125), QColor(Qt::red));   // start marker
    EXPECT_EQ(image.pixelColor(pixelX(7025), 125), QColor(Qt::blue)); // end marker
    EXPECT_EQ(image.pixelColor(pixelX(500), 125), QColor(Qt::green)); // plain baseline
    EXPECT_EQ(image.pixelColor(pixelX(975), 110), QColor(Qt::red));   // marker body
    EXPECT_EQ(image.pixelColor(pixelX(975), 80), QColor(Qt::white));  // above the marker
}

} // namespace
} // namespace korvane
