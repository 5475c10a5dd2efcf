#pragma once

#include "view/ViewGeometry.h"

#include <cstdint>
#include <optional>
#include <string>

namespace korvane {

// One end of one record's analysis window: the marker the user drags or moves with the keys.
struct MarkerRef {
    int record = 0;
    int boundary = 0; // 0: the window's first sample (start marker), 1: its last (end marker)

    friend bool operator==(const MarkerRef&, const MarkerRef&) = default;
};

// The part of a display that is shown: the full view when a range is not set. Horizontal in
// the display's data unit, vertical in metres of depth (profiles only).
struct PlotZoom {
    std::optional<DataRange> x;
    std::optional<DataRange> y;

    bool IsZoomed() const { return x.has_value() || y.has_value(); }
};

// What the view adds to the document when it draws: the zoom, the selected marker, whether
// original waves are scaled row by row, and the document's name for the title line; a report
// also names the display it wants and may leave the title line and the profile's legend to its
// own caption. Belongs to the view, never to the document.
struct PlotOptions {
    PlotZoom zoom;
    std::optional<MarkerRef> selectedMarker;
    bool scaleEachRow = true;
    std::string documentName;    // Latin-1; empty: the title line names the geometry alone
    std::optional<int32_t> mode; // the display to draw; unset: the document's displayMode
    bool titleLine = true;
    bool profileLegend = true;
};

} // namespace korvane
