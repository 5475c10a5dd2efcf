#pragma once

#include "view/PlotCanvas.h"
#include "view/ViewGeometry.h"

#include <string>
#include <vector>

namespace korvane {

class CKorvaneDoc;

// Describes one complete frame of the plot for the document's displayMode: the credit screen,
// the wave rows (one row per record or interval) or a depth profile. It owns nothing and keeps
// no state between frames; what it reads from the document it only reads, and it draws no
// more values of a series than the series holds. xScale and xOrigin of the geometry are
// written by every frame.
class PlotRenderer {
public:
    // How a series with more samples than pixels is drawn: every sample, or per pixel column
    // of the geometry's client area the lowest and highest sample (the same to the eye, and
    // what keeps a full frame fast on software OpenGL). Markers and labels are never thinned.
    enum class Detail { Full, PixelEnvelope };

    PlotRenderer(const CKorvaneDoc& doc, PlotCanvas& canvas, ViewGeometry& geometry,
                 Detail detail = Detail::Full);

    // Clears the canvas and draws the current mode.
    void DrawPlot();

    // The two lines of the start screen (30 and 12 characters).
    static const char* const kAuthorsCredit;
    static const char* const kInstitutionCredit;

    // A row's depth label: "%.2f" cut to its first 4 characters.
    static std::string DepthLabel(float depth);

private:
    void DrawCredits();
    void DrawOriginalWaves();
    void DrawFilteredWaves();
    void DrawCorrelationFunctions();
    void DrawRawAutocorrelations();
    void DrawSpareRows(bool table);
    void DrawFilteredAutocorrelations();
    void DrawAlignedWindows();
    void DrawProfile(int mode);

    float Baseline(int row) const;
    // Rows a mode can draw when its arrays hold this many entries.
    int RowsHeld(std::size_t held) const;
    float SampleX(double sample) const;
    // The row's depth label at the given offset from its baseline, when the depth exists.
    void RowLabel(int row, float dx, float dy);
    // A series inside a window of a full-width row: the baseline up to windowFirst, count
    // values placed from sample seriesFirst on, then the baseline from windowLast to the end.
    void Trace(int row, double windowFirst, double seriesFirst, const float* values,
               std::size_t count, double windowLast);
    // Appends count values of a series to points_, value j at sample firstSample + j.
    void AppendSeries(double firstSample, const float* values, std::size_t count, float y,
                      float half);
    void FullLengthTrace(int row, const std::vector<std::vector<float>>& table);

    const CKorvaneDoc& doc_;
    PlotCanvas& canvas_;
    ViewGeometry& geometry_;
    Detail detail_;
    float plotHeight_ = 0.0f; // H
    float plotWidth_ = 0.0f;  // W
    float longTick_ = 0.0f;
    float shortTick_ = 0.0f;
    float rowHeight_ = 0.0f; // h
    int rows_ = 0;           // recordCount, or 0 when it is not positive
    std::vector<WorldPoint> points_;
};

} // namespace korvane
