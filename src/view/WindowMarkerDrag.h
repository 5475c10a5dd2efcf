#pragma once

#include "sounding/CKorvaneDoc.h"
#include "view/PlotOptions.h"
#include "view/ViewGeometry.h"

#include <cstdint>
#include <optional>
#include <span>

class QOpenGLWidget;
class QWidget;

namespace korvane {

// A change of one record's analysis window by the mouse or the keys, as the view hands it on
// to be applied (and recorded for undo).
struct WindowEdit {
    int record = 0;
    int boundary = 0;    // the end that moved: 0 first, 1 last
    SampleWindow window; // the record's new window
    bool nudge = false;  // a key press: repeated nudges of one marker make one undo step
};

// Editing of the analysis windows with the mouse while the filtered waves are shown: a click
// is resolved by an OpenGL selection pass over the same frame as the screen, and when that
// hits no marker alone, by the nearest marker within a few pixels of the click; a marker hit
// starts a drag, every move writes the dragged window end (kept within the window limits),
// and the button release ends the drag. Holds the drag state only; the document, geometry
// and widget belong to the view, which records the finished drag.
class WindowMarkerDrag {
public:
    static constexpr int32_t kMinimumSpan = 50; // samples, the width of a marker
    static constexpr int kSelectionBufferSize = 64;
    static constexpr float kGrabDistance = 6.0f; // client pixels around a marker's shape

    // Left button pressed at client pixel (x, y) over the frame drawn with `options`. Runs
    // the pick only in FilteredWaves; makes the widget's context current for it. Returns the
    // marker grabbed, if any.
    std::optional<MarkerRef> Press(const CKorvaneDoc& doc, ViewGeometry& geometry,
                                   QOpenGLWidget& view, int x, int y, const PlotOptions& options);
    // Mouse moved to client x while the button is held. Returns whether a window was written.
    bool Move(CKorvaneDoc& doc, const ViewGeometry& geometry, QWidget& view, int x);
    // Left button released, with or without a drag. Returns the finished drag's edit when the
    // window differs from its state at the press; the document then holds the new window.
    std::optional<WindowEdit> Release(const CKorvaneDoc& doc, QWidget& view);

    // The selection pass at device pixel (x, y) in the current context: a pick region of
    // `size` device pixels over the frame of the geometry's projection. Exactly one hit record
    // is handed to BeginMarkerDrag. Returns the number of hit records (-1 when the buffer
    // overflowed).
    int PickWindowMarker(const CKorvaneDoc& doc, ViewGeometry& geometry, QWidget& view, int x,
                         int y, double size, double ratio, const PlotOptions& options);
    // Starts a drag for a hit record of a marker (two names: record, end). Returns whether it
    // did; a hit with another number of names (a trace, a label) starts nothing.
    bool BeginMarkerDrag(std::span<const uint32_t> hitRecord, QWidget& view);

    // Sample index under client x: the inverse of the wave rows' mapping, truncated toward
    // zero (and held within the 32-bit range).
    static int32_t SampleFromMouseX(int x, const ViewGeometry& geometry);
    // The window of `w` with one end moved to `sample` (boundary 0 = first, 1 = last), kept to
    // 0 <= first <= last - 50 and first + 50 <= last <= samplesPerRecord - 1.
    static SampleWindow MovedWindow(SampleWindow w, int boundary, int64_t sample,
                                    uint32_t samplesPerRecord);
    // Writes one end of a record's window with those limits. Returns false when the record
    // does not exist.
    static bool MoveBoundary(CKorvaneDoc& doc, int record, int boundary, int32_t sample);

    // The dragged record's window as it was at the press.
    SampleWindow StartWindow() const { return startWindow_; }
    bool dragging() const { return dragging_; }
    int dragRecord() const { return dragRecord_; }
    int dragBoundary() const { return dragBoundary_; }

private:
    bool dragging_ = false;
    int dragRecord_ = 0;
    int dragBoundary_ = 0;
    SampleWindow startWindow_; // the dragged record's window at the press
};

} // namespace korvane
