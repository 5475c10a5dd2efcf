#pragma once

#include <cmath>

namespace korvane {

// A range of data values along one axis of a display: samples on the wave rows, m/s or r^2
// across the profiles, metres of depth down the profiles. first < last when it is set.
struct DataRange {
    double first = 0.0;
    double last = 0.0;

    double Span() const { return last - first; }
    bool Valid() const { return std::isfinite(first) && std::isfinite(last) && first < last; }
    friend bool operator==(const DataRange&, const DataRange&) = default;
};

// The view's projection and the scale of the frame drawn last. The view keeps one, the
// renderer reads the client size and extents and writes the outputs, and picking, dragging,
// zooming and the readout read all of it. Sizes in pixels, extents in world units.
struct ViewGeometry {
    int clientWidth = 0;  // lastClient.right
    int clientHeight = 0; // lastClient.bottom
    float orthoLeft = -4.0f;
    float orthoRight = 4.0f;
    float orthoBottom = -4.0f;
    float orthoTop = 4.0f;
    float orthoNear = -4.0f;
    float orthoFar = 4.0f;
    float pixelsPerUnit = 0.0f; // client pixels per world unit in x (and in y)
    // Outputs of every frame: world units per horizontal data unit (sample, m/s or r^2) and the
    // world x of data value 0.
    float xScale = 0.0f;
    float xOrigin = 0.0f;
    // Profiles only: world units per metre of depth and the world y of depth 0 (depth runs
    // down).
    float yScale = 0.0f;
    float yOrigin = 0.0f;
    // What the full view of the display shows (horizontal; and depth on the profiles), and
    // the world rectangle where the data are drawn; zoom and pan work within these.
    DataRange fullX;
    DataRange fullY;
    float dataLeft = 0.0f;
    float dataRight = 0.0f;
    float dataBottom = 0.0f;
    float dataTop = 0.0f;
    int mode = -1;        // the display mode the frame showed
    bool profile = false; // the frame is a depth profile (zoomable in depth as well)

    // The projection the view sets up for a client area of width x height pixels: a fixed
    // vertical extent of -4..4 and a horizontal one that follows the aspect ratio. A height
    // of 0 or less counts as aspect 1.
    static ViewGeometry ForClient(int width, int height) {
        ViewGeometry g;
        g.clientWidth = width;
        g.clientHeight = height;
        const float aspect =
            height > 0 ? static_cast<float>(width) / static_cast<float>(height) : 1.0f;
        g.orthoLeft = aspect * g.orthoBottom;
        g.orthoRight = aspect * g.orthoTop;
        const float span = g.orthoRight - g.orthoLeft;
        g.pixelsPerUnit = span > 0.0f ? static_cast<float>(width) / span : 0.0f;
        return g;
    }

    // The horizontal and vertical data ranges the frame shows in its data rectangle.
    DataRange VisibleX() const {
        if (xScale == 0.0f)
            return {};
        return {(dataLeft - xOrigin) / static_cast<double>(xScale),
                (dataRight - xOrigin) / static_cast<double>(xScale)};
    }
    DataRange VisibleY() const {
        if (yScale == 0.0f)
            return {};
        return {(yOrigin - dataTop) / static_cast<double>(yScale),
                (yOrigin - dataBottom) / static_cast<double>(yScale)};
    }
};

} // namespace korvane
