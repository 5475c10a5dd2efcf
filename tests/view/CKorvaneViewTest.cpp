// The view's OpenGL context, projection and palette, and its display-mode commands.
#include "view/CKorvaneView.h"

#include "app/CommandIds.h"
#include "sounding/CKorvaneDoc.h"
#include "view/GlPalette.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QOpenGLContext>

#include <gtest/gtest.h>

namespace korvane {
namespace {

// Shows the view at a client size and waits until it has drawn.
void ShowAt(CKorvaneView& view, int width, int height) {
    view.resize(width, height);
    view.show();
    QElapsedTimer timer;
    timer.start();
    while ((!view.HasContext() || view.viewGeometry.clientWidth != width ||
            view.viewGeometry.clientHeight != height) &&
           timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

int CountPixels(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += (image.pixel(x, y) & 0xffffff) == (colour & 0xffffff);
    return count;
}

TEST(GlPaletteTest, ThreeThreeTwoDisplayGetsTheSystemColours) {
    const PixelFormatDescription format = GlPalette::Describe(3, 3, 2);
    EXPECT_TRUE(format.needPalette);
    EXPECT_EQ(format.colorBits, 8);
    EXPECT_EQ(format.greenShift, 3);
    EXPECT_EQ(format.blueShift, 6);
    const auto palette = GlPalette::BuildPalette(format);
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(palette[0], (PaletteEntry{0, 0, 0, 0}));
    EXPECT_EQ(palette[3], (PaletteEntry{128, 0, 0, 0}));
    EXPECT_EQ(palette[91], (PaletteEntry{128, 128, 128, 0}));
    EXPECT_EQ(palette[247], (PaletteEntry{255, 251, 240, 0}));
    EXPECT_EQ(palette[255], (PaletteEntry{255, 255, 255, 0}));
    // An entry the system does not claim follows the rule: red 1 of 7, green 2, blue 1 of 3.
    const int index = 1 | (2 << 3) | (1 << 6);
    EXPECT_EQ(palette[index], (PaletteEntry{36, 73, 85, 0}));
}

TEST(GlPaletteTest, ComponentLevelsByWidth) {
    EXPECT_EQ(GlPalette::PaletteComponent(1, 1, 0), 255);
    EXPECT_EQ(GlPalette::PaletteComponent(2, 1, 1), 255);
    EXPECT_EQ(GlPalette::PaletteComponent(2, 1, 0), 0);
    EXPECT_EQ(GlPalette::PaletteComponent(0b1100, 2, 2), 255);
    EXPECT_EQ(GlPalette::PaletteComponent(0b0100, 2, 2), 85);
    EXPECT_EQ(GlPalette::PaletteComponent(5, 3, 0), 182);
    EXPECT_EQ(GlPalette::PaletteComponent(0xff, 4, 0), 0);
    EXPECT_EQ(GlPalette::PaletteComponent(0xff, 0, 0), 0);
}

TEST(GlPaletteTest, OtherLayoutsAndTrueColour) {
    // A 4-bit format: rule only, no system colours.
    const auto small = GlPalette::BuildPalette(GlPalette::Describe(1, 2, 1));
    ASSERT_EQ(small.size(), 16u);
    EXPECT_EQ(small[3], (PaletteEntry{255, 85, 0, 0}));
    EXPECT_TRUE(GlPalette::BuildPalette(GlPalette::Describe(8, 8, 8)).empty());
    EXPECT_TRUE(GlPalette::BuildPalette(GlPalette::Describe(5, 6, 5)).empty());
}

class CKorvaneViewTest : public ::testing::Test {
protected:
    CKorvaneDoc doc;
};

TEST_F(CKorvaneViewTest, ContextIsCompatibilityProfileDoubleBufferedWithDepthAndNoPalette) {
    CKorvaneView view(doc);
    ShowAt(view, 400, 300);
    ASSERT_TRUE(view.HasContext());
    ASSERT_NE(view.context(), nullptr);
    const QSurfaceFormat format = view.context()->format();
    EXPECT_NE(format.profile(), QSurfaceFormat::CoreProfile);
    EXPECT_GE(format.depthBufferSize(), 16);
    EXPECT_EQ(view.format().swapBehavior(), QSurfaceFormat::DoubleBuffer);
    EXPECT_FALSE(view.ChosenPixelFormat().needPalette);
    EXPECT_TRUE(view.palette.empty());
}

TEST_F(CKorvaneViewTest, ProjectionFollowsTheAspectRatio) {
    CKorvaneView view(doc);
    ShowAt(view, 400, 300);
    const ViewGeometry& g = view.viewGeometry;
    EXPECT_FLOAT_EQ(g.orthoLeft, -16.0f / 3.0f);
    EXPECT_FLOAT_EQ(g.orthoRight, 16.0f / 3.0f);
    EXPECT_EQ(g.orthoBottom, -4.0f);
    EXPECT_EQ(g.orthoTop, 4.0f);
    EXPECT_EQ(g.orthoNear, -4.0f);
    EXPECT_EQ(g.orthoFar, 4.0f);
    ShowAt(view, 800, 400);
    EXPECT_FLOAT_EQ(g.orthoLeft, -8.0f);
    EXPECT_FLOAT_EQ(g.orthoRight, 8.0f);
    EXPECT_FLOAT_EQ(g.pixelsPerUnit, 50.0f);
    EXPECT_EQ(g.clientWidth, 800);
    EXPECT_EQ(g.clientHeight, 400);
}

TEST_F(CKorvaneViewTest, ShrinkingAsksForARepaintAndAZeroHeightChangesNothing) {
    CKorvaneView view(doc);
    ShowAt(view, 800, 400);
    view.makeCurrent();
    EXPECT_FALSE(view.OnSize(900, 400)); // growing
    EXPECT_TRUE(view.OnSize(900, 300));  // lower
    EXPECT_TRUE(view.OnSize(500, 300));  // narrower
    const ViewGeometry before = view.viewGeometry;
    EXPECT_FALSE(view.OnSize(500, 0)); // minimised
    EXPECT_EQ(view.viewGeometry.clientWidth, before.clientWidth);
    EXPECT_EQ(view.viewGeometry.clientHeight, before.clientHeight);
    EXPECT_EQ(view.viewGeometry.orthoLeft, before.orthoLeft);
    EXPECT_EQ(view.viewGeometry.pixelsPerUnit, before.pixelsPerUnit);
    view.doneCurrent();
}

TEST_F(CKorvaneViewTest, StartScreenIsWhiteWithRedCredits) {
    CKorvaneView view(doc);
    ShowAt(view, 640, 480);
    for (int mode : {0, 12, -1}) {
        doc.displayMode = mode;
        const QImage frame = view.grabFramebuffer();
        ASSERT_FALSE(frame.isNull());
        EXPECT_EQ(frame.pixel(2, 2) & 0xffffff, 0xffffffu) << mode;
        EXPECT_GT(CountPixels(frame, qRgb(255, 0, 0)), 20) << mode;
    }
}

TEST_F(CKorvaneViewTest, ModeCommandsStoreTheirModeAndLeaveTheDocumentUnmodified) {
    CKorvaneView view(doc);
    const std::pair<int, int> commands[] = {
        {cmd::ViewOriginalWaves, OriginalWaves},
        {cmd::ViewFilteredWaves, FilteredWaves},
        {cmd::ViewCrossCorrelationVelocity, CrossCorrelationVelocity},
        {cmd::ViewDetermination, DeterminationProfile},
        {cmd::ShowRawAutocorrelations, RawAutocorrelations},
        {cmd::ShowCorrelationFunctions, CorrelationFunctions},
        {cmd::ShowSpareWaves, SpareWaves},
        {cmd::ShowSpareTable, SpareTable},
        {cmd::ShowAlignedWindows, AlignedWindows},
        {cmd::ShowPhaseVelocity, PhaseVelocity},
    };
    for (auto [id, mode] : commands) {
        EXPECT_TRUE(view.OnCommand(id)) << id;
        EXPECT_EQ(doc.displayMode, mode) << id;
    }
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(view.OnCommand(cmd::Load)); // not the view's
    EXPECT_FALSE(view.OnCommand(cmd::EditCopy));
}

TEST_F(CKorvaneViewTest, UpdateHandlersFollowTheDocumentFlags) {
    CKorvaneView view(doc);
    EXPECT_FALSE(view.OnUpdateNeedsData());
    EXPECT_FALSE(view.OnUpdateNeedsResults());
    EXPECT_TRUE(view.OnUpdateLoad());
    doc.dataLoaded = 1;
    EXPECT_TRUE(view.OnUpdateNeedsData());
    EXPECT_FALSE(view.OnUpdateLoad());
    doc.resultsValid = 1;
    EXPECT_TRUE(view.OnUpdateNeedsResults());
}

} // namespace
} // namespace korvane
