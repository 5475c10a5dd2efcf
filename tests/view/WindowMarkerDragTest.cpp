// Editing the analysis windows with the mouse and the keys, in the program's view: picking,
// dragging, zoom, the limits, and the readout under the pointer.
#include "view/WindowMarkerDrag.h"

#include "LiveViewFixture.h"

namespace korvane {
namespace {

class WindowMarkerDragTest : public LiveViewFixture {
protected:
    void SetUp() override {
        LiveViewFixture::SetUp();
        doc = TwoRecords();
        doc.onChanged = [this] { ++changes; };
        ShowAt(800, 400);
    }
    int changes = 0;
};

TEST_F(WindowMarkerDragTest, DraggingAStartMarkerStopsAtBothLimitsAndShowsAtOnce) {
    const QImage before = view.grabFramebuffer();
    EXPECT_EQ(before.pixelColor(PixelOf(975, 1.5)), QColor(Qt::red)); // on top of the baseline
    EXPECT_EQ(before.pixelColor(PixelOf(7025, -1.5)), QColor(Qt::blue));

    Mouse(QEvent::MouseButtonPress, PixelOf(975, 2.0)); // above the baseline, in the marker
    EXPECT_EQ(view.dragging, 1);
    EXPECT_EQ(view.dragRecord, 0);
    EXPECT_EQ(view.dragBoundary, 0);
    EXPECT_EQ(view.SelectedMarker(), (MarkerRef{0, 0}));
    const std::pair<QPoint, int32_t> moves[] = {
        {{400, 10}, 4096}, {{100, 390}, 0}, {{5, 200}, 0}, {{799, 200}, 6950}, {{400, 200}, 4096},
    }; // the mouse y plays no part
    for (auto [at, first] : moves) {
        Mouse(QEvent::MouseMove, at);
        EXPECT_EQ(doc.windows[0].first, first) << at.x();
    }
    EXPECT_GE(changes, 1);
    EXPECT_FALSE(doc.IsModified()); // the drag becomes one edit when it ends
    Mouse(QEvent::MouseButtonRelease, QPoint(400, 200));
    EXPECT_EQ(view.dragging, 0);
    EXPECT_TRUE(doc.IsModified());
    Mouse(QEvent::MouseMove, QPoint(700, 200)); // no drag: nothing written
    EXPECT_EQ(doc.windows[0].first, 4096);
    EXPECT_EQ(doc.windows[1].first, 1000);

    const QImage after = view.grabFramebuffer();
    EXPECT_EQ(after.pixelColor(PixelOf(4096 - 25, 2.0)), QColor(Qt::red));
    EXPECT_EQ(after.pixelColor(PixelOf(975, 2.0)), QColor(Qt::white));
}

TEST_F(WindowMarkerDragTest, MarkersGrabWithinSixPixelsAndOnlyWhereEditsAreAllowed) {
    struct Case {
        const char* what;
        QPoint at;
        int mode;
        bool locked;
        bool grabs;
    };
    // The start marker of record 0 covers pixels x 169.6 to 173.2 and y 87.5 to 162.5.
    const Case cases[] = {
        {"on the baseline inside the marker", PixelOf(975, 1.5), FilteredWaves, false, true},
        {"5 pixels left of it", QPoint(165, 125), FilteredWaves, false, true},
        {"5 pixels above it", QPoint(171, 83), FilteredWaves, false, true},
        {"9 pixels right of it", QPoint(182, 125), FilteredWaves, false, false},
        {"another mode runs no pick", PixelOf(975, 2.0), OriginalWaves, false, false},
        {"a long command runs", PixelOf(975, 2.0), FilteredWaves, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        doc.displayMode = c.mode;
        view.SetCommandsLocked(c.locked);
        view.grabFramebuffer();
        Mouse(QEvent::MouseButtonPress, c.at);
        EXPECT_EQ(view.dragging, c.grabs ? 1 : 0);
        Mouse(QEvent::MouseMove, QPoint(400, 200));
        Mouse(QEvent::MouseButtonRelease, QPoint(400, 200));
        EXPECT_EQ(doc.windows[0].first, c.grabs ? 4096 : 1000);
        EXPECT_EQ(doc.IsModified(), c.grabs);
        doc.windows[0].first = 1000;
        doc.SetModifiedFlag(false);
    }
}

TEST_F(WindowMarkerDragTest, ZoomedInAMarkerLandsOnTheSampleUnderThePointer) {
    // Twenty notches about sample 4200 show about 94 samples across 600 pixels.
    Wheel(PixelOf(4200, 0.0), 20);
    const ViewGeometry& g = view.viewGeometry;
    ASSERT_GT(g.xScale * g.pixelsPerUnit, 4.0f);
    const auto pixelX = [&](double sample) {
        return static_cast<int>(
            std::lround((sample * g.xScale + g.xOrigin - g.orthoLeft) * g.pixelsPerUnit));
    };
    // Record 0's start marker ends less than 5 pixels left of the part shown.
    const double edge = g.VisibleX().first;
    doc.windows[0] = {static_cast<int32_t>(std::ceil(edge)) - 1, 4400};
    ASSERT_LT((edge - doc.windows[0].first) * g.xScale * g.pixelsPerUnit, 5.0);
    doc.windows[1] = {3900, 4180};
    view.grabFramebuffer();
    Mouse(QEvent::MouseButtonPress, QPoint(pixelX(4190), 260)); // record 1's end marker
    ASSERT_EQ(view.dragging, 1);
    EXPECT_EQ(view.dragRecord, 1);
    EXPECT_EQ(view.dragBoundary, 1);
    // Each sample is more than a pixel wide: the pointer places the marker on one sample.
    for (int sample : {4200, 4201, 4202}) {
        Mouse(QEvent::MouseMove, QPoint(pixelX(sample + 0.5), 260));
        EXPECT_EQ(doc.windows[1].last, sample);
    }
    Mouse(QEvent::MouseButtonRelease, QPoint(pixelX(4202.5), 260));
    EXPECT_EQ(doc.windows[1], (SampleWindow{3900, 4202}));

    // A marker out of the zoomed part cannot be grabbed beside the plot's edge.
    Mouse(QEvent::MouseButtonPress, QPoint(101, 120));
    EXPECT_EQ(view.dragging, 0);
    Mouse(QEvent::MouseButtonRelease, QPoint(0, 0));

    // A middle-button drag, or a left-button drag with Space held, pans: the data follow the
    // pointer.
    for (bool space : {false, true}) {
        const DataRange shown = g.VisibleX();
        const Qt::MouseButton button = space ? Qt::LeftButton : Qt::MiddleButton;
        if (space)
            Key(Qt::Key_Space);
        for (auto [type, x] :
             {std::pair{QEvent::MouseButtonPress, 400}, std::pair{QEvent::MouseMove, 430},
              std::pair{QEvent::MouseButtonRelease, 430}}) {
            QMouseEvent event(type, QPointF(x, 300), view.mapToGlobal(QPointF(x, 300)),
                              type == QEvent::MouseMove ? Qt::NoButton : button,
                              type == QEvent::MouseButtonRelease ? Qt::NoButton : button,
                              Qt::NoModifier);
            QCoreApplication::sendEvent(&view, &event);
        }
        view.grabFramebuffer();
        EXPECT_NEAR(g.VisibleX().first, shown.first - 30.0 / (g.xScale * g.pixelsPerUnit), 0.01);
        EXPECT_EQ(doc.windows[1], (SampleWindow{3900, 4202})); // no marker moved
    }

    // Zoom to Fit draws the full view again.
    view.OnViewZoomToFit();
    view.grabFramebuffer();
    EXPECT_FLOAT_EQ(g.xScale, 12.0f / 8192.0f);
    EXPECT_FLOAT_EQ(g.xOrigin, -6.0f);
}

TEST_F(WindowMarkerDragTest, KeysMoveTheSelectedMarkerWithinTheLimitsAndTabSelectsRecords) {
    Key(Qt::Key_Right); // nothing selected: nothing moves
    EXPECT_EQ(doc.windows[0], (SampleWindow{1000, 7000}));
    Mouse(QEvent::MouseButtonPress, PixelOf(975, 2.0));
    Mouse(QEvent::MouseButtonRelease, PixelOf(975, 2.0));
    ASSERT_EQ(view.SelectedMarker(), (MarkerRef{0, 0}));
    EXPECT_FALSE(doc.IsModified()); // a click that moves nothing edits nothing

    Key(Qt::Key_Right);
    EXPECT_EQ(doc.windows[0].first, 1001);
    Key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(doc.windows[0].first, 991);
    EXPECT_TRUE(doc.IsModified());
    doc.windows[0] = {5, 60};
    for (int i = 0; i < 3; ++i)
        Key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(doc.windows[0].first, 0);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(doc.windows[0].first, 10);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(doc.windows[0].first, 10); // last - 50

    // Tab selects the next record's marker of the same end, Shift+Tab the one before; both
    // go round.
    Key(Qt::Key_Tab);
    EXPECT_EQ(view.SelectedMarker(), (MarkerRef{1, 0}));
    Key(Qt::Key_Tab);
    EXPECT_EQ(view.SelectedMarker(), (MarkerRef{0, 0}));
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(view.SelectedMarker(), (MarkerRef{1, 0}));
    doc.windows[1] = {1000, 8180};
    Mouse(QEvent::MouseButtonPress, PixelOf(8205, -1.0)); // record 1's end marker
    Mouse(QEvent::MouseButtonRelease, PixelOf(8205, -1.0));
    ASSERT_EQ(view.SelectedMarker(), (MarkerRef{1, 1}));
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(doc.windows[1].last, 8191);

    // The selected marker is drawn framed in black.
    const QImage image = view.grabFramebuffer();
    const QPoint marker = PixelOf(8191 + 25, -1.5);
    int black = 0;
    for (int y = marker.y() - 45; y < marker.y() - 35; ++y)
        black += image.pixelColor(marker.x(), y) == QColor(Qt::black) ? 1 : 0;
    EXPECT_EQ(black, 1);                               // the frame's top, 2 pixels above the marker
    Mouse(QEvent::MouseButtonPress, QPoint(400, 300)); // nothing there: no selection
    Mouse(QEvent::MouseButtonRelease, QPoint(400, 300));
    EXPECT_EQ(view.SelectedMarker(), std::nullopt);
}

TEST_F(WindowMarkerDragTest, ReadoutNamesWhatLiesUnderThePointer) {
    doc.filteredWaves[0][4096] = 0.5f;
    const auto readout = [this] { return view.ReadoutText().toStdString(); };
    Mouse(QEvent::MouseMove, PixelOf(4096, 1.5));
    EXPECT_EQ(readout(), "Depth 1.00 m   Time 102.400 ms   Amplitude 0.5");
    Mouse(QEvent::MouseMove, QPoint(650, 275)); // sample 7509, outside the window: no amplitude
    EXPECT_EQ(readout(), "Depth 2.00 m   Time 187.725 ms");
    Mouse(QEvent::MouseMove, QPoint(20, 200)); // left of the plot
    EXPECT_EQ(readout(), "");

    // On a profile: the interval's value, and its flags from the analysis when it has them.
    doc.recordCount = 3;
    doc.depths = {1.0f, 2.0f, 4.0f};
    doc.ccVelocities = {150.0f, 210.25f};
    doc.displayMode = CrossCorrelationVelocity;
    view.SetIntervalFlags([](int mode, std::size_t interval) {
        return mode == CrossCorrelationVelocity && interval == 1 ? "low r2" : "";
    });
    view.grabFramebuffer(); // depth 0 at pixel y 50, 75 pixels per metre
    Mouse(QEvent::MouseMove, QPoint(400, 50 + 225));
    EXPECT_EQ(readout(), "Depth 3.00 m   Interval 2.00-4.00 m   Vs 210.3 m/s   low r2");
    Mouse(QEvent::MouseMove, QPoint(400, 50 + 75));
    EXPECT_EQ(readout(), "Depth 1.00 m   Interval 1.00-2.00 m   Vs 150.0 m/s");
}

} // namespace
} // namespace korvane
