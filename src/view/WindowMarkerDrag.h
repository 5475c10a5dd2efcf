#pragma once

#include "view/ViewGeometry.h"

#include <cstdint>
#include <span>

class QOpenGLWidget;
class QWidget;

namespace korvane {

class CKorvaneDoc;

// Editing of the analysis windows with the mouse while the filtered waves are shown: a click
// is resolved by an OpenGL selection pass over the same frame as the screen, a hit on a
// window marker starts a drag, every move writes the dragged window end (kept within the
// window limits) and marks the document modified, and the button release ends the drag.
// Holds the drag state only; the document, geometry and widget belong to the view.
class WindowMarkerDrag {
public:
    static constexpr int32_t kMinimumSpan = 50; // samples, the width of a marker
    static constexpr int kSelectionBufferSize = 64;

    // Left button pressed at client pixel (x, y). Runs the selection pass only in
    // FilteredWaves; makes the widget's context current for it. Returns whether a drag began.
    bool Press(const CKorvaneDoc& doc, ViewGeometry& geometry, QOpenGLWidget& view, int x, int y);
    // Mouse moved to client x while the button is held. Returns whether a window was written.
    bool Move(CKorvaneDoc& doc, const ViewGeometry& geometry, QWidget& view, int x);
    // Left button released, with or without a drag.
    void Release(QWidget& view);

    // The selection pass at client pixel (x, y) in the current context: a 4 x 4 pixel pick
    // region over the frame of the geometry's projection. Exactly one hit record is handed to
    // BeginMarkerDrag. Returns the number of hit records (-1 when the buffer overflowed).
    int PickWindowMarker(const CKorvaneDoc& doc, ViewGeometry& geometry, QWidget& view, int x,
                         int y);
    // Starts a drag for a hit record of a marker (two names: record, end). Returns whether it
    // did; a hit with another number of names (a trace, a label) starts nothing.
    bool BeginMarkerDrag(std::span<const uint32_t> hitRecord, QWidget& view);

    // Sample index under client x: the inverse of the wave rows' mapping, truncated toward
    // zero (and held within the 32-bit range).
    static int32_t SampleFromMouseX(int x, const ViewGeometry& geometry);
    // Writes one end of a record's window (boundary 0 = first, 1 = last), kept to
    // 0 <= first <= last - 50 and first + 50 <= last <= samplesPerRecord - 1. Returns false
    // when the record does not exist.
    static bool MoveBoundary(CKorvaneDoc& doc, int record, int boundary, int32_t sample);

    bool dragging() const { return dragging_; }
    int dragRecord() const { return dragRecord_; }
    int dragBoundary() const { return dragBoundary_; }

private:
    bool dragging_ = false;
    int dragRecord_ = 0;
    int dragBoundary_ = 0;
};

} // namespace korvane
