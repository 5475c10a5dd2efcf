#include "view/WindowMarkerDrag.h"

#include "sounding/CKorvaneDoc.h"
#include "view/GlCanvas.h"
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

bool WindowMarkerDrag::MoveBoundary(CKorvaneDoc& doc, int record, int boundary, int32_t sample) {
    if (record < 0 || static_cast<std::size_t>(record) >= doc.windows.size())
        return false;
    SampleWindow& w = doc.windows[record];
    // 64-bit arithmetic: a window read from a file may sit near the ends of the range. The
    // outer limit wins where the two disagree, so the window never leaves the record.
    const int64_t s = sample;
    if (boundary == 0) {
        const int64_t highest = static_cast<int64_t>(w.last) - kMinimumSpan;
        w.first = static_cast<int32_t>(std::max<int64_t>(std::min(s, highest), 0));
    } else {
        const int64_t lowest = static_cast<int64_t>(w.first) + kMinimumSpan;
        const int64_t end = static_cast<int64_t>(doc.samplesPerRecord) - 1;
        w.last = static_cast<int32_t>(std::min(std::max(s, lowest), end));
    }
    return true;
}

bool WindowMarkerDrag::Press(const CKorvaneDoc& doc, ViewGeometry& geometry, QOpenGLWidget& view,
                             int x, int y) {
    if (doc.displayMode != FilteredWaves)
        return false;
    view.makeCurrent();
    const double ratio = view.devicePixelRatioF();
    PickWindowMarker(doc, geometry, view, static_cast<int>(x * ratio), static_cast<int>(y * ratio));
    view.doneCurrent();
    view.update();
    return dragging_;
}

int WindowMarkerDrag::PickWindowMarker(const CKorvaneDoc& doc, ViewGeometry& geometry,
                                       QWidget& view, int x, int y) {
    std::array<GLuint, kSelectionBufferSize> buffer{};
    glSelectBuffer(kSelectionBufferSize, buffer.data());
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glRenderMode(GL_SELECT);
    glLoadIdentity();
    // Window y grows downwards, OpenGL's upwards.
    gluPickMatrix(x, viewport[3] - y, 4.0, 4.0, viewport);
    glOrtho(geometry.orthoLeft, geometry.orthoRight, geometry.orthoBottom, geometry.orthoTop,
            geometry.orthoNear, geometry.orthoFar);
    glMatrixMode(GL_MODELVIEW);
    GlCanvas canvas(GlCanvas::Pass::Select);
    PlotRenderer(doc, canvas, geometry, PlotRenderer::Detail::PixelEnvelope).DrawPlot();
    const GLint hits = glRenderMode(GL_RENDER);
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
    doc.SetModifiedFlag(true);
    view.update();
    return true;
}

void WindowMarkerDrag::Release(QWidget& view) {
    view.setCursor(Qt::ArrowCursor);
    view.releaseMouse();
    dragging_ = false;
}

} // namespace korvane
