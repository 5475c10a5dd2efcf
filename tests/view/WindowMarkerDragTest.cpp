#include "view/WindowMarkerDrag.h"

#include "PlotTestWidget.h"

#include <gtest/gtest.h>

#include <cmath>

namespace korvane {
namespace {

// Two records in an 800 x 400 view: extents -8..8, 50 pixels per unit, plot width 12,
// xOrigin -6, xScale 12/8192 samples, rows 3 units high with baselines at +1.5 and -1.5.
CKorvaneDoc MakeDoc() {
    CKorvaneDoc doc;
    doc.recordCount = 2;
    doc.dataLoaded = 1;
    doc.displayMode = FilteredWaves;
    doc.depths = {1.0f, 2.0f};
    doc.windows = {{1000, 7000}, {1000, 7000}};
    for (int r = 0; r < 2; ++r) {
        std::vector<float> wave(doc.samplesPerRecord);
        for (std::size_t s = 0; s < wave.size(); ++s)
            wave[s] = 0.1f * static_cast<float>(std::sin(s * 0.01));
        doc.filteredWaves.push_back(wave);
        doc.rawWaves.push_back(wave);
    }
    return doc;
}

// Client pixel of a sample of a row's baseline, with an offset in world units above it.
QPoint PixelOf(double sample, double worldY) {
    const double worldX = sample * 12.0 / 8192.0 - 6.0;
    return {static_cast<int>(std::lround((worldX + 8.0) * 50.0)),
            static_cast<int>(std::lround((4.0 - worldY) * 50.0))};
}

class WindowMarkerDragTest : public ::testing::Test {
protected:
    void SetUp() override {
        widget.resize(800, 400);
        ASSERT_TRUE(ShowAndWait(widget));
    }
    void Press(QPoint at) {
        SendMouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    }
    void MoveTo(int x, int y = 200) {
        SendMouse(widget, QEvent::MouseMove, QPoint(x, y), Qt::NoButton, Qt::LeftButton);
    }
    void Release(QPoint at) {
        SendMouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    }

    CKorvaneDoc doc = MakeDoc();
    PlotTestWidget widget{doc};
};

TEST(WindowMarkerDragLogicTest, MouseXBecomesASample) {
    ViewGeometry g = ViewGeometry::ForClient(800, 400);
    EXPECT_FLOAT_EQ(g.pixelsPerUnit, 50.0f);
    g.xOrigin = -6.0f;
    g.xScale = 12.0f / 8192.0f;
    EXPECT_EQ(WindowMarkerDrag::SampleFromMouseX(400, g), 4096);
    EXPECT_EQ(WindowMarkerDrag::SampleFromMouseX(100, g), 0);
    EXPECT_EQ(WindowMarkerDrag::SampleFromMouseX(99, g), -13); // truncated toward zero
    ViewGeometry unsized;
    EXPECT_EQ(WindowMarkerDrag::SampleFromMouseX(400, unsized), 0);
}

TEST(WindowMarkerDragLogicTest, WindowLimits) {
    CKorvaneDoc doc = MakeDoc();
    EXPECT_TRUE(WindowMarkerDrag::MoveBoundary(doc, 0, 0, -5));
    EXPECT_EQ(doc.windows[0].first, 0);
    EXPECT_TRUE(WindowMarkerDrag::MoveBoundary(doc, 0, 0, 6990));
    EXPECT_EQ(doc.windows[0].first, 6950);
    EXPECT_TRUE(WindowMarkerDrag::MoveBoundary(doc, 0, 1, 9000));
    EXPECT_EQ(doc.windows[0].last, 8191);
    EXPECT_TRUE(WindowMarkerDrag::MoveBoundary(doc, 0, 1, -100000));
    EXPECT_EQ(doc.windows[0].last, 7000);
    // A window too narrow for the span (read from a file) still never leaves the record.
    doc.windows[1] = {8180, 8191};
    EXPECT_TRUE(WindowMarkerDrag::MoveBoundary(doc, 1, 1, 0));
    EXPECT_EQ(doc.windows[1].last, 8191);
    doc.windows[1] = {0, 20};
    EXPECT_TRUE(WindowMarkerDrag::MoveBoundary(doc, 1, 0, 10));
    EXPECT_EQ(doc.windows[1].first, 0);
    EXPECT_FALSE(WindowMarkerDrag::MoveBoundary(doc, 2, 0, 10));
    EXPECT_FALSE(WindowMarkerDrag::MoveBoundary(doc, -1, 0, 10));
}

TEST_F(WindowMarkerDragTest, DraggingAStartMarkerStopsAtBothLimits) {
    const QPoint marker = PixelOf(975, 1.5 + 0.5); // above the baseline, inside the red marker
    Press(marker);
    ASSERT_TRUE(widget.drag.dragging());
    EXPECT_EQ(widget.drag.dragRecord(), 0);
    EXPECT_EQ(widget.drag.dragBoundary(), 0);
    EXPECT_EQ(widget.cursor().shape(), Qt::SizeHorCursor);
    EXPECT_FALSE(doc.IsModified()); // nothing moved yet

    MoveTo(400);
    EXPECT_EQ(doc.windows[0].first, 4096);
    EXPECT_TRUE(doc.IsModified());
    MoveTo(100, 390); // the mouse y plays no part
    EXPECT_EQ(doc.windows[0].first, 0);
    MoveTo(5);
    EXPECT_EQ(doc.windows[0].first, 0);
    MoveTo(799);
    EXPECT_EQ(doc.windows[0].first, 6950);
    Release(QPoint(799, 200));
    EXPECT_FALSE(widget.drag.dragging());
    EXPECT_EQ(widget.cursor().shape(), Qt::ArrowCursor);
    MoveTo(400); // no drag: nothing written
    EXPECT_EQ(doc.windows[0].first, 6950);
    EXPECT_EQ(doc.windows[1].first, 1000);
}

TEST_F(WindowMarkerDragTest, DraggingAnEndMarkerStopsAtBothLimits) {
    Press(PixelOf(7025, -1.5 - 0.5)); // below the baseline of record 1, in the blue marker
    ASSERT_TRUE(widget.drag.dragging());
    EXPECT_EQ(widget.drag.dragRecord(), 1);
    EXPECT_EQ(widget.drag.dragBoundary(), 1);
    MoveTo(799);
    EXPECT_EQ(doc.windows[1].last, 8191);
    MoveTo(0); // left of the plot area
    EXPECT_EQ(doc.windows[1].last, 1050);
    Release(QPoint(0, 200));
    EXPECT_EQ(doc.windows[0].last, 7000);
}

TEST_F(WindowMarkerDragTest, ClicksThatStartNoDrag) {
    // On the baseline inside the marker the baseline segment is hit as well.
    Press(PixelOf(975, 1.5));
    EXPECT_FALSE(widget.drag.dragging());
    Release(PixelOf(975, 1.5));
    // On the trace alone, and on empty ground.
    Press(PixelOf(3000, 1.5));
    EXPECT_FALSE(widget.drag.dragging());
    Release(PixelOf(3000, 1.5));
    Press(QPoint(400, 200));
    EXPECT_FALSE(widget.drag.dragging());
    Release(QPoint(400, 200));
    // Another mode runs no selection pass.
    doc.displayMode = OriginalWaves;
    Press(PixelOf(975, 2.0));
    EXPECT_FALSE(widget.drag.dragging());
    MoveTo(400);
    Release(QPoint(400, 200));
    EXPECT_EQ(doc.windows[0].first, 1000);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(WindowMarkerDragTest, TheScreenShowsTheCurrentFrameAfterAPick) {
    Press(PixelOf(975, 2.0));
    MoveTo(400);
    Release(QPoint(400, 200));
    const QImage image = widget.grabFramebuffer();
    // The start marker now stands just left of sample 4096 (pixel 400) in row 0.
    const QPoint marker = PixelOf(4096 - 25, 2.0);
    EXPECT_EQ(image.pixelColor(marker), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(PixelOf(975, 2.0)), QColor(Qt::white));
}

} // namespace
} // namespace korvane
