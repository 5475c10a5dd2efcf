#pragma once

#include "view/PlotCanvas.h"
#include "view/PlotOptions.h"

#include <optional>
#include <vector>

namespace korvane {

// Collects the window markers of a frame as they are drawn (the polygons named with a record
// and an end, cut to the clip in force), so that a click can be matched to the nearest marker
// in world units. Everything else of the frame is ignored.
class MarkerShapes final : public PlotCanvas {
public:
    void Clear() override;
    void SetColor(float, float, float) override {}
    void LineStrip(std::span<const WorldPoint>) override {}
    void Lines(std::span<const WorldPoint>) override {}
    void Polygon(std::span<const WorldPoint> points) override;
    void Label(float, float, std::string_view) override {}
    void SetClip(const WorldRect& rect) override { clip_ = rect; }
    void ResetClip() override { clip_.reset(); }
    void InitNames() override { names_.clear(); }
    void PushName(uint32_t name) override { names_.push_back(name); }
    void LoadName(uint32_t name) override;
    void PopName() override;

    // The marker whose visible shape lies nearest to p, within maxDistance world units.
    std::optional<MarkerRef> Nearest(WorldPoint p, float maxDistance) const;

private:
    struct Shape {
        MarkerRef marker;
        WorldRect box;
    };
    std::vector<Shape> shapes_;
    std::vector<uint32_t> names_;
    std::optional<WorldRect> clip_;
};

} // namespace korvane
