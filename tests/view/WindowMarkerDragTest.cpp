// Dragging the window markers of the filtered waves with the mouse, in the program's view.
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
    EXPECT_FALSE(doc.IsModified()); // nothing moved yet
    const std::pair<QPoint, int32_t> moves[] = {
        {{400, 10}, 4096}, {{100, 390}, 0}, {{5, 200}, 0}, {{799, 200}, 6950}, {{400, 200}, 4096},
    }; // the mouse y plays no part
    for (auto [at, first] : moves) {
        Mouse(QEvent::MouseMove, at);
        EXPECT_EQ(doc.windows[0].first, first) << at.x();
    }
    EXPECT_TRUE(doc.IsModified());
    EXPECT_GE(changes, 1);
    Mouse(QEvent::MouseButtonRelease, QPoint(400, 200));
    EXPECT_EQ(view.dragging, 0);
    Mouse(QEvent::MouseMove, QPoint(700, 200)); // no drag: nothing written
    EXPECT_EQ(doc.windows[0].first, 4096);
    EXPECT_EQ(doc.windows[1].first, 1000);

    const QImage after = view.grabFramebuffer();
    EXPECT_EQ(after.pixelColor(PixelOf(4096 - 25, 2.0)), QColor(Qt::red));
    EXPECT_EQ(after.pixelColor(PixelOf(975, 2.0)), QColor(Qt::white));
}

TEST_F(WindowMarkerDragTest, ClicksThatStartNoDrag) {
    struct Case {
        const char* what;
        QPoint at;
        int mode;
        bool locked;
    };
    const Case cases[] = {
        // On the baseline inside the marker the baseline segment is hit as well.
        {"baseline inside the marker", PixelOf(975, 1.5), FilteredWaves, false},
        {"another mode runs no selection pass", PixelOf(975, 2.0), OriginalWaves, false},
        {"a long command runs", PixelOf(975, 2.0), FilteredWaves, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        doc.displayMode = c.mode;
        view.SetCommandsLocked(c.locked);
        Mouse(QEvent::MouseButtonPress, c.at);
        EXPECT_EQ(view.dragging, 0);
        Mouse(QEvent::MouseMove, QPoint(400, 200));
        Mouse(QEvent::MouseButtonRelease, QPoint(400, 200));
        EXPECT_EQ(doc.windows[0].first, 1000);
        EXPECT_FALSE(doc.IsModified());
    }
}

} // namespace
} // namespace korvane
