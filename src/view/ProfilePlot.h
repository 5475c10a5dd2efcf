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
// staircase per series. The cross-correlation velocities get a second series when the interval
// analysis ran with settings of its own: its velocities with their standard errors as bars,
// flagged intervals marked, and a legend above the plot. In the full view the velocity axis is
// the 0-400 m/s axis, extended in round steps when the data need it, and the r^2 axis is 0-1
// or, when every value is above 0.5, fitted to the values; a zoom shows any part with round
// ticks. Owns nothing; writes the frame's scales into the geometry.
class ProfilePlot {
public:
    // One staircase: a value per interval (non-finite: none) in one colour. A later series of
    // a display shows over the earlier ones, and the value axis of the full view covers the
    // values of all of them.
    struct Series {
        std::vector<double> values;
        std::array<float, 3> color{1.0f, 0.0f, 0.0f};
        // The depths each value spans, metres; empty: from record i down to record i + 1.
        std::vector<double> tops;
        std::vector<double> bottoms;
        // A bar of plus and minus this much at mid-depth where it is finite; empty: none.
        std::vector<double> errors;
        // Intervals to mark as flagged; empty: none.
        std::vector<bool> flagged;
    };
    static std::vector<Series> SeriesOf(const CKorvaneDoc& doc, int mode);

    static constexpr std::array<float, 3> kAnalysisColor{0.0f, 0.35f, 0.85f};
    static constexpr std::array<float, 3> kFlagColor{1.0f, 0.5f, 0.0f};

    // plotWidth, plotHeight and longTick: the frame's W, H and long tick, world units. legend:
    // name the series in the plot where there are several.
    ProfilePlot(const CKorvaneDoc& doc, PlotCanvas& canvas, ViewGeometry& geometry,
                const PlotZoom& zoom, float plotWidth, float plotHeight, float longTick,
                bool legend = true);

    void Draw(int mode);

private:
    enum class ValueScale { Standard, Extended, Fitted };

    void ChooseValueScale(bool determination, const std::vector<Series>& series);
    void DrawStandardValueAxis(bool determination);
    void DrawRoundValueAxis(bool determination, float axisEnd);
    void DrawDepthAxis(double deepest);
    void DrawStairs(const Series& series, std::size_t records);
    void DrawErrorBars(const Series& series, std::size_t records, bool zoomed);
    void DrawFlagMarks(const Series& series, std::size_t records);
    void DrawLegend(const Series& series);
    // Depths of the top and bottom of a series' interval i, metres, as the stairs draw them.
    float TopOf(const Series& series, std::size_t i) const;
    float BottomOf(const Series& series, std::size_t i) const;
    // Intervals of a series that the stairs can draw.
    std::size_t IntervalsOf(const Series& series, std::size_t records) const;
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
    bool legend_;
    ValueScale scale_ = ValueScale::Standard;
    double axisLast_ = 400.0; // the value at the end of the full view's axis
    std::vector<WorldPoint> points_;
};

} // namespace korvane
