#pragma once

namespace korvane {

// The view's projection and the scale of the frame drawn last. The view keeps one, the
// renderer reads the client size and extents and writes xScale and xOrigin, and picking and
// dragging read all of it. Sizes in pixels, extents in world units.
struct ViewGeometry {
    int clientWidth = 0;  // lastClient.right
    int clientHeight = 0; // lastClient.bottom
    float orthoLeft = -4.0f;
    float orthoRight = 4.0f;
    float orthoBottom = -4.0f;
    float orthoTop = 4.0f;
    float orthoNear = -4.0f;
    float orthoFar = 4.0f;
    float pixelsPerUnit = 0.0f; // client pixels per world unit in x
    // Outputs of every frame: world units per data unit (sample, m/s or r^2) and the world
    // x of data value 0.
    float xScale = 0.0f;
    float xOrigin = 0.0f;

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
};

} // namespace korvane
