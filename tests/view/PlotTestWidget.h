#pragma once

#include "sounding/CKorvaneDoc.h"
#include "view/GlCanvas.h"
#include "view/PlotRenderer.h"
#include "view/ViewGeometry.h"
#include "view/WindowMarkerDrag.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QOpenGLWidget>
#include <QSurfaceFormat>
#include <QWindow>

namespace korvane {

// A minimal OpenGL plot view for the tests: the projection, the renderer and the drag, wired
// the way the program's view wires them.
class PlotTestWidget : public QOpenGLWidget {
public:
    explicit PlotTestWidget(CKorvaneDoc& doc) : doc_(doc) {
        QSurfaceFormat format;
        format.setRenderableType(QSurfaceFormat::OpenGL);
        format.setProfile(QSurfaceFormat::CompatibilityProfile);
        format.setVersion(2, 1);
        format.setDepthBufferSize(24);
        setFormat(format);
    }

    ViewGeometry geometry;
    WindowMarkerDrag drag;
    int frames = 0;

protected:
    void initializeGL() override { GlCanvas::PrepareContext(); }
    void resizeGL(int width, int height) override {
        geometry = ViewGeometry::ForClient(width, height);
        ViewGeometry device = geometry;
        device.clientWidth = static_cast<int>(width * devicePixelRatioF());
        device.clientHeight = static_cast<int>(height * devicePixelRatioF());
        GlCanvas::ApplyProjection(device);
    }
    void paintGL() override {
        GlCanvas canvas;
        PlotRenderer(doc_, canvas, geometry, PlotRenderer::Detail::PixelEnvelope).DrawPlot();
        ++frames;
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton)
            drag.Press(doc_, geometry, *this, event->position().toPoint().x(),
                       event->position().toPoint().y());
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        drag.Move(doc_, geometry, *this, event->position().toPoint().x());
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton)
            drag.Release(*this);
    }

private:
    CKorvaneDoc& doc_;
};

// Shows the widget and waits (up to 5 s) until it is on screen with a first frame.
inline bool ShowAndWait(QWidget& widget) {
    widget.show();
    QElapsedTimer timer;
    timer.start();
    while (!widget.isVisible() || !widget.windowHandle() || !widget.windowHandle()->isExposed()) {
        if (timer.elapsed() > 5000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    QCoreApplication::processEvents();
    return true;
}

// Delivers a synthetic mouse event at a client point.
inline void SendMouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), widget.mapToGlobal(QPointF(at)), button, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

} // namespace korvane
