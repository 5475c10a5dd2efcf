#pragma once

#include "view/PlotCanvas.h"
#include "view/PlotOptions.h"
#include "view/ViewGeometry.h"

#include <map>
#include <optional>

namespace korvane {

// The zoom and pan of the plot, per display: the wave displays share their time range, each
// profile keeps its own value and depth ranges. The wheel zooms about the pointer (time on the
// wave displays, depth and value on the profiles), a pan moves the shown part with the
// pointer, and a zoom never shows less than a thousandth of the full view nor strays more
// than a hundredth of it past the data. Zooming out to the whole returns to the full view.
// Owns only these ranges; the frame drawn last says where the data lie.
class ViewNavigation {
public:
    PlotZoom ZoomOf(int mode) const;
    // factor < 1 zooms in. Returns whether the zoom changed.
    bool ZoomAbout(int mode, const ViewGeometry& frame, WorldPoint at, double factor);
    // The pointer moved by (dx, dy) world units while panning. Returns whether anything moved.
    bool Pan(int mode, const ViewGeometry& frame, float dx, float dy);
    // Back to the full view; returns whether the display was zoomed.
    bool ZoomToFit(int mode);
    // Every display back to its full view.
    void Reset() { zooms_.clear(); }

private:
    static int Key(int mode);
    // The range to show for a wanted one: within the limits above, or none for the full view.
    static std::optional<DataRange> Fit(DataRange wanted, DataRange full);

    std::map<int, PlotZoom> zooms_;
};

} // namespace korvane
