#include "view/WindowMarkerDrag.h"

#include "view/GlCanvas.h"
#include "view/MarkerShapes.h"
#include "view/PlotRenderer.h"

#include <QOpenGLWidget>
#include <QWidget>

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace korvane {

int32_t WindowMarkerDrag::SampleFromMouseX(int x, const ViewGeometry& g) {
    if (g.pixelsPerUnit == 0.0f || g.xScale == 0.0f)
        return 0;
    const float worldX = static_cast<float>(x) / g.pixelsPerUnit + g.orthoLeft;
    const double sample = std::trunc(static_cast<double>((worldX - g.xOrigin) / g.xScale));
    if (!(sample == sample))
        return 0;
    return static_cast<int32_t>(std::clamp<double>(sample, std::numeric_limits<int32_t>::min(),
                                                   std::numeric_limits<int32_t>::max()));
}

SampleWindow WindowMarkerDrag::MovedWindow(SampleWindow w, int boundary, int64_t s,
                                           uint32_t samplesPerRecord) {
    // 64-bit arithmetic: a window read from a file may sit near the ends of the range. The
    // outer limit wins where the two disagree, so the window never leaves the record.
    if (boundary == 0) {
        const int64_t highest = static_cast<int64_t>(w.last) - kMinimumSpan;
        w.first = static_cast<int32_t>(std::max<int64_t>(std::min(s, highest), 0));
    } else {
        const int64_t lowest = static_cast<int64_t>(w.first) + kMinimumSpan;
        const int64_t end = static_cast<int64_t>(samplesPerRecord) - 1;
        w.last = static_cast<int32_t>(std::min(std::max(s, lowest), end));
    }
    return w;
}

bool WindowMarkerDrag::MoveBoundary(CKorvaneDoc& doc, int record, int boundary, int32_t sample) {
    if (record < 0 || static_cast<std::size_t>(record) >= doc.windows.size())
        return false;
    doc.windows[record] = MovedWindow(doc.windows[record], boundary, sample, doc.samplesPerRecord);
    return true;
}

std::optional<MarkerRef> WindowMarkerDrag::Press(const CKorvaneDoc& doc, ViewGeometry& geometry,
                                                 QOpenGLWidget& view, int x, int y,
                                                 const PlotOptions& options) {
    if (doc.displayMode != FilteredWaves)
        return std::nullopt;
    view.makeCurrent();
    const double ratio = view.devicePixelRatioF();
    PickWindowMarker(doc, geometry, view, static_cast<int>(x * ratio), static_cast<int>(y * ratio),
                     4.0 * ratio, ratio, options);
    view.doneCurrent();
    if (!dragging_ && geometry.pixelsPerUnit > 0.0f) {
        // Missed by the exact pick (or the baseline was hit too): the nearest marker close
        // to the click.
        MarkerShapes shapes;
        ViewGeometry frame = geometry;
        PlotRenderer(doc, shapes, frame, PlotRenderer::Detail::PixelEnvelope, options).DrawPlot();
        const WorldPoint at{static_cast<float>(x) / geometry.pixelsPerUnit + geometry.orthoLeft,
                            geometry.orthoTop - static_cast<float>(y) / geometry.pixelsPerUnit};
        if (const auto marker = shapes.Nearest(at, kGrabDistance / geometry.pixelsPerUnit)) {
            const uint32_t names[] = {static_cast<uint32_t>(marker->record),
                                      static_cast<uint32_t>(marker->boundary)};
            BeginMarkerDrag(names, view);
        }
    }
    view.update();
    if (!dragging_)
        return std::nullopt;
    if (static_cast<std::size_t>(dragRecord_) < doc.windows.size())
        startWindow_ = doc.windows[dragRecord_];
    return MarkerRef{dragRecord_, dragBoundary_};
}

int WindowMarkerDrag::PickWindowMarker(const CKorvaneDoc& doc, ViewGeometry& geometry,
                                       QWidget& view, int x, int y, double size, double ratio,
                                       const PlotOptions& options) {
    std::array<GLuint, kSelectionBufferSize> buffer{};
    glSelectBuffer(kSelectionBufferSize, buffer.data());
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glRenderMode(GL_SELECT);
    glLoadIdentity();
    // Window y grows downwards, OpenGL's upwards.
    gluPickMatrix(x, viewport[3] - y, size, size, viewport);
    glOrtho(geometry.orthoLeft, geometry.orthoRight, geometry.orthoBottom, geometry.orthoTop,
            geometry.orthoNear, geometry.orthoFar);
    glMatrixMode(GL_MODELVIEW);
    GLint hits = 0;
    {
        GlCanvas canvas(GlCanvas::Pass::Select, geometry.pixelsPerUnit, ratio);
        PlotRenderer(doc, canvas, geometry, PlotRenderer::Detail::PixelEnvelope, options)
            .DrawPlot();
    }
    hits = glRenderMode(GL_RENDER);
    if (hits == 1) {
        const GLuint names = std::min<GLuint>(buffer[0], kSelectionBufferSize - 3);
        BeginMarkerDrag(std::span<const uint32_t>(buffer.data() + 3, names), view);
    }
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    return hits;
}

bool WindowMarkerDrag::BeginMarkerDrag(std::span<const uint32_t> names, QWidget& view) {
    if (names.size() != 2)
        return false;
    dragRecord_ = static_cast<int>(names[0]);
    dragBoundary_ = static_cast<int>(names[1]);
    view.grabMouse();
    view.setCursor(Qt::SizeHorCursor);
    dragging_ = true;
    return true;
}

bool WindowMarkerDrag::Move(CKorvaneDoc& doc, const ViewGeometry& geometry, QWidget& view, int x) {
    if (!dragging_)
        return false;
    view.setCursor(Qt::SizeHorCursor);
    const int32_t sample = SampleFromMouseX(x, geometry);
    if (!MoveBoundary(doc, dragRecord_, dragBoundary_, sample))
        return false;
    view.update();
    return true;
}

std::optional<WindowEdit> WindowMarkerDrag::Release(const CKorvaneDoc& doc, QWidget& view) {
    view.setCursor(Qt::ArrowCursor);
    view.releaseMouse();
    const bool dragged = dragging_;
    dragging_ = false;
    if (!dragged || dragRecord_ < 0 || static_cast<std::size_t>(dragRecord_) >= doc.windows.size())
        return std::nullopt;
    const SampleWindow now = doc.windows[dragRecord_];
    if (now == startWindow_)
        return std::nullopt;
    return WindowEdit{dragRecord_, dragBoundary_, now, false};
}

} // namespace korvane
