#pragma once

#include "analysis/SiteTables.h"
#include "view/PlotCanvas.h"
#include "view/ViewGeometry.h"

#include <array>
#include <string>
#include <vector>

namespace korvane {

// Draws the velocity profiles of a site's soundings in one depth-Vs chart: the Vs axis along
// the top, depth down the left, one staircase per sounding in a colour of its own, and a legend
// of the soundings' names beside the chart (as many as fit; the rest counted). Owns nothing;
// writes the frame's scales into the geometry.
class SitePlot {
public:
    SitePlot(const std::vector<SiteTables::Profile>& profiles, PlotCanvas& canvas,
             ViewGeometry& geometry, std::string title);

    void Draw();

    // The colour of the k-th sounding, components 0..1; neighbours in the list always differ.
    static std::array<float, 3> Colour(std::size_t k);

private:
    void DrawAxes(double deepest, double fastest);
    void DrawProfile(const SiteTables::Profile& profile);
    void DrawLegend();
    float Px(float n) const;
    float VelocityX(double velocity) const;
    float DepthY(double depth) const;

    const std::vector<SiteTables::Profile>& profiles_;
    PlotCanvas& canvas_;
    ViewGeometry& geometry_;
    std::string title_;
    float left_ = 0.0f; // the chart's rectangle, world units
    float right_ = 0.0f;
    float top_ = 0.0f;
    float bottom_ = 0.0f;
    std::vector<WorldPoint> points_;
};

} // namespace korvane
