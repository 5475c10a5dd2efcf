#pragma once

#include "../app/ScriptedPrompts.h"
#include "sounding/CKorvaneDoc.h"
#include "view/CKorvaneView.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <cmath>
#include <gtest/gtest.h>

namespace korvane {

// The program's view of `doc` on screen, with scripted prompts.
class LiveViewFixture : public ::testing::Test {
public:
    // Two records of quiet waves with windows (1000, 7000), shown as filtered waves. In an
    // 800 x 400 client the rows are 3 units high with baselines at world y +1.5 and -1.5.
    static CKorvaneDoc TwoRecords() {
        CKorvaneDoc doc;
        doc.recordCount = 2;
        doc.dataLoaded = 1;
        doc.displayMode = FilteredWaves;
        doc.depths = {1.0f, 2.0f};
        doc.windows = {{1000, 7000}, {1000, 7000}};
        doc.filteredWaves.assign(2, std::vector<float>(doc.samplesPerRecord, 0.0f));
        doc.rawWaves = doc.filteredWaves;
        return doc;
    }
    // Client pixel of sample s at world height y in an 800 x 400 wave plot: 50 pixels per
    // unit, x from -8, plot width 12 from xOrigin -6.
    static QPoint PixelOf(double sample, double worldY) {
        return {static_cast<int>(std::lround((sample * 12.0 / 8192.0 + 2.0) * 50.0)),
                static_cast<int>(std::lround((4.0 - worldY) * 50.0))};
    }

protected:
    void SetUp() override { view.SetPrompts(&prompts); }

    // Shows the view at a client size and waits until it has drawn a frame there.
    void ShowAt(int width, int height) {
        view.resize(width, height);
        view.show();
        QElapsedTimer timer;
        timer.start();
        while ((!view.HasContext() || view.viewGeometry.clientWidth != width ||
                view.viewGeometry.clientHeight != height) &&
               timer.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        ASSERT_TRUE(view.HasContext());
        view.grabFramebuffer(); // a first frame sets xScale and xOrigin
    }
    // A left-button press, a move with the button held, or its release.
    void Mouse(QEvent::Type type, QPoint at) {
        QMouseEvent event(type, QPointF(at), view.mapToGlobal(QPointF(at)),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &event);
    }
    // Wheel notches (positive: away from the user, zooming in) at a client point; the frame
    // is drawn again after it.
    void Wheel(QPoint at, int notches) {
        QWheelEvent event(QPointF(at), view.mapToGlobal(QPointF(at)), QPoint(),
                          QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
        QCoreApplication::sendEvent(&view, &event);
        view.grabFramebuffer();
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(&view, &event);
    }

    CKorvaneDoc doc;
    ScriptedPrompts prompts;
    CKorvaneView view{doc};
};

} // namespace korvane
