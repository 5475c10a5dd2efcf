#pragma once

#include "view/PlotCanvas.h"
#include "view/PlotOptions.h"
#include "view/ViewGeometry.h"

#include <array>
#include <cstddef>
#include <vector>

namespace korvane {

class CKorvaneDoc;

// Draws a depth profile (the cross-correlation and phase-spectrum velocities, the coefficient
// of determination): the value axis along the top, the depth axis on the left, and one
// staircase per series. In the full view the velocity axis is the 0-400 m/s axis, extended in
// round steps when the data need it, and the r^2 axis is 0-1 or, when every value is above
// 0.5, fitted to the values; a zoom shows any part with round ticks. Owns nothing; writes the
// frame's scales into the geometry.
class ProfilePlot {
public:
    // One staircase: a value per interval (non-finite: none) in one colour. A display draws
    // its series in order, and the value axis of the full view covers all of them.
    struct Series {
        std::vector<double> values;
        std::array<float, 3> color{1.0f, 0.0f, 0.0f};
    };
    static std::vector<Series> SeriesOf(const CKorvaneDoc& doc, int mode);

    // plotWidth, plotHeight and longTick: the frame's W, H and long tick, world units.
    ProfilePlot(const CKorvaneDoc& doc, PlotCanvas& canvas, ViewGeometry& geometry,
                const PlotZoom& zoom, float plotWidth, float plotHeight, float longTick);

    void Draw(int mode);

private:
    enum class ValueScale { Standard, Extended, Fitted };

    void ChooseValueScale(bool determination, const std::vector<Series>& series);
    void DrawStandardValueAxis(bool determination);
    void DrawRoundValueAxis(bool determination, float axisEnd);
    void DrawDepthAxis(double deepest);
    void DrawStairs(const Series& series, std::size_t records);
    float ValueX(double value) const;
    float DepthY(double depth) const;
    // World units of n client pixels.
    float Px(float n) const;

    const CKorvaneDoc& doc_;
    PlotCanvas& canvas_;
    ViewGeometry& geometry_;
    const PlotZoom& zoom_;
    float width_;     // W
    float height_;    // H
    float longTick_;  // W x 0.0125
    float shortTick_; // half of it
    ValueScale scale_ = ValueScale::Standard;
    double axisLast_ = 400.0; // the value at the end of the full view's axis
    std::vector<WorldPoint> points_;
};

} // namespace korvane
