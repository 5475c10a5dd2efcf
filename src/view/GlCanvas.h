#pragma once

#include "view/PlotCanvas.h"
#include "view/ViewGeometry.h"

namespace korvane {

// Draws a frame with OpenGL 1.1 immediate mode into the current context; in selection mode
// the same calls produce hit records. Labels use the label font: display lists 1000..1254,
// one per character code 0..254, built on first use in each context from the system font
// rasterised with Qt, with the list base at 1000. The canvas owns no GL object; the lists
// belong to the context. Requires a current compatibility-profile context.
class GlCanvas final : public PlotCanvas {
public:
    static constexpr unsigned kFontListBase = 1000;
    static constexpr int kFontListCount = 255;

    // A selection pass draws the frame for its hit records only and leaves the colour and
    // depth buffers, which still show the last frame, alone.
    enum class Pass { Draw, Select };
    explicit GlCanvas(Pass pass = Pass::Draw) : pass_(pass) {}

    void Clear() override;
    void SetColor(float red, float green, float blue) override;
    void LineStrip(std::span<const WorldPoint> points) override;
    void Lines(std::span<const WorldPoint> pairs) override;
    void Polygon(std::span<const WorldPoint> points) override;
    void Label(float x, float y, std::string_view text) override;
    void InitNames() override;
    void PushName(uint32_t name) override;
    void LoadName(uint32_t name) override;
    void PopName() override;

    // Builds the font lists in the current context unless they exist, and sets the list base.
    static void UseLabelFont();
    // The state the renderer expects of a new context: depth clear value 1, depth test on.
    static void PrepareContext();
    // Viewport (0, 0, client size) and the orthographic projection of the geometry; leaves the
    // model-view matrix selected and reset.
    static void ApplyProjection(const ViewGeometry& geometry);

private:
    Pass pass_;
};

} // namespace korvane
