#pragma once

#include "view/PlotCanvas.h"
#include "view/ViewGeometry.h"

#include <QFont>
#include <QFontMetrics>

#include <optional>

namespace korvane {

// Draws a frame with OpenGL 1.1 immediate mode into the current context; in selection mode
// the same calls produce hit records. Labels use the label font: display lists 1000..1254,
// one per character code 0..254, built in each context from the system font rasterised with
// Qt at the surface's device pixel ratio (and built again when the ratio changes), with the
// list base at 1000. Lines are one client pixel wide at every ratio. The canvas owns no GL
// object; the lists belong to the context. Requires a current compatibility-profile context.
class GlCanvas final : public PlotCanvas {
public:
    static constexpr unsigned kFontListBase = 1000;
    static constexpr int kFontListCount = 255;

    // A selection pass draws the frame for its hit records only and leaves the colour and
    // depth buffers, which still show the last frame, alone.
    enum class Pass { Draw, Select };
    // pixelsPerUnit: client pixels per world unit; ratio: device pixels per client pixel.
    GlCanvas(Pass pass, float pixelsPerUnit, double ratio);
    ~GlCanvas() override;
    GlCanvas(const GlCanvas&) = delete;
    GlCanvas& operator=(const GlCanvas&) = delete;

    void Clear() override;
    void SetColor(float red, float green, float blue) override;
    void LineStrip(std::span<const WorldPoint> points) override;
    void Lines(std::span<const WorldPoint> pairs) override;
    void Polygon(std::span<const WorldPoint> points) override;
    void Label(float x, float y, std::string_view text) override;
    float TextWidth(std::string_view text) const override;
    float TextAscent() const override;
    float TextDescent() const override;
    void SetClip(const WorldRect& rect) override;
    void ResetClip() override;
    void InitNames() override;
    void PushName(uint32_t name) override;
    void LoadName(uint32_t name) override;
    void PopName() override;

    // The label font at a device pixel ratio: the system font, scaled so that it has the
    // menus' size on the screen.
    static QFont LabelFont(double ratio);
    // Builds the font lists in the current context unless they exist for this ratio, and sets
    // the list base.
    static void UseLabelFont(double ratio);
    // The state the renderer expects of a new context: depth clear value 1, depth test on.
    static void PrepareContext();
    // Viewport (0, 0, client size) and the orthographic projection of the geometry; leaves the
    // model-view matrix selected and reset.
    static void ApplyProjection(const ViewGeometry& geometry);

private:
    // World units per device pixel.
    float WorldPerDevicePixel() const;

    Pass pass_;
    float pixelsPerUnit_;
    double ratio_;
    QFontMetrics metrics_;
    bool clipped_ = false;
};

} // namespace korvane
