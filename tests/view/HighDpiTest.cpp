// The plot at the screen's device pixel ratio. The suite runs these at the display's ratio and
// once more with QT_SCALE_FACTOR=2.
#include "LiveViewFixture.h"

#include "view/PlotRenderer.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>

namespace korvane {
namespace {

using HighDpi = LiveViewFixture;

bool IsRed(const QColor& c) {
    return c.red() > 200 && c.green() < 60 && c.blue() < 60;
}

TEST_F(HighDpi, TextLinesAndTheGrabDistanceKeepTheirSizeOnTheScreen) {
    ShowAt(800, 400);
    const double ratio = view.devicePixelRatioF();
    const QImage credits = view.grabFramebuffer();
    ASSERT_EQ(credits.size(), QSize(800, 400) * ratio);
    // The credit lines are as wide as the menus' font makes them, in device pixels.
    int left = credits.width();
    int right = -1;
    for (int y = 0; y < credits.height(); ++y)
        for (int x = 0; x < credits.width(); ++x)
            if (IsRed(credits.pixelColor(x, y))) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    const QFontMetrics menus(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    const double expected = menus.horizontalAdvance(PlotRenderer::kAuthorsCredit) * ratio;
    EXPECT_NEAR(right - left, expected, expected * 0.1);

    // Lines are one client pixel wide: the time axis below the rows.
    doc = TwoRecords();
    const QImage waves = view.grabFramebuffer();
    int axis = 0;
    for (int y = static_cast<int>(350 * ratio); y < static_cast<int>(356 * ratio); ++y)
        axis += waves.pixelColor(static_cast<int>(400 * ratio), y) == QColor(Qt::black) ? 1 : 0;
    EXPECT_EQ(axis, std::max(1, static_cast<int>(std::lround(ratio))));

    // A marker grabs 5 client pixels away (its start marker spans x 169.6 to 173.2).
    Mouse(QEvent::MouseButtonPress, QPoint(165, 125));
    EXPECT_EQ(view.dragging, 1);
    Mouse(QEvent::MouseButtonRelease, QPoint(165, 125));
}

} // namespace
} // namespace korvane
