#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace korvane {

// A point of the plot in world units (the orthographic projection's coordinates).
struct WorldPoint {
    float x = 0.0f;
    float y = 0.0f;
};

// A rectangle of the plot in world units.
struct WorldRect {
    float left = 0.0f;
    float bottom = 0.0f;
    float right = 0.0f;
    float top = 0.0f;
};

// What the plot renderer draws on: a frame is described once, in world units, and each
// canvas turns it into pixels (OpenGL on screen, QPainter for images, documents and printers,
// a recorder in the tests). Everything lies at z = 0 and, as with a depth test that keeps the
// nearer-or-first fragment, where two primitives overlap the one drawn first stays visible.
class PlotCanvas {
public:
    virtual ~PlotCanvas() = default;

    // Fills the whole surface with white and forgets what was drawn before.
    virtual void Clear() = 0;
    // Colour of everything drawn next, components 0..1.
    virtual void SetColor(float red, float green, float blue) = 0;
    // Connected segments through the points, in order.
    virtual void LineStrip(std::span<const WorldPoint> points) = 0;
    // Separate segments, one for each pair of points.
    virtual void Lines(std::span<const WorldPoint> pairs) = 0;
    // A filled convex polygon.
    virtual void Polygon(std::span<const WorldPoint> points) = 0;
    // Text in the label font whose baseline starts at (x, y). The renderer passes exactly the
    // characters to draw (labels have a fixed character count).
    virtual void Label(float x, float y, std::string_view text) = 0;
    // Size of a text in the label font on this canvas, in world units: its advance width, and
    // the font's height above and below the baseline. Canvases that show no text answer 0.
    virtual float TextWidth(std::string_view) const { return 0.0f; }
    virtual float TextAscent() const { return 0.0f; }
    virtual float TextDescent() const { return 0.0f; }

    // Lines and polygons drawn from now on show only inside the rectangle (a zoomed plot keeps
    // its data inside the plot area), until ResetClip. Labels are drawn without a clip.
    virtual void SetClip(const WorldRect&) {}
    virtual void ResetClip() {}

    // Selection names: only a picking canvas makes use of them.
    virtual void InitNames() {}
    virtual void PushName(uint32_t) {}
    virtual void LoadName(uint32_t) {}
    virtual void PopName() {}
};

} // namespace korvane
