#pragma once

#include "view/PlotCanvas.h"
#include "view/PlotOptions.h"
#include "view/ViewGeometry.h"

#include <string>
#include <vector>

namespace korvane {

class CKorvaneDoc;

// Describes one complete frame of the plot for the document's displayMode: the credit screen,
// the wave rows (one row per record or interval) or a depth profile, with the axes, the
// title line and, from the view's options, the zoom, the selected marker and the row scaling.
// It owns nothing and keeps no state between frames; what it reads from the document it only
// reads, and it draws no more values of a series than the series holds. The outputs of the
// geometry (scales, origins, full ranges, data rectangle) are written by every frame.
class PlotRenderer {
public:
    // How a series with more samples than pixels is drawn: every sample, or per pixel column
    // of the geometry's client area the lowest and highest sample (the same to the eye, and
    // what keeps a full frame fast on software OpenGL). Markers and labels are never thinned.
    enum class Detail { Full, PixelEnvelope };

    PlotRenderer(const CKorvaneDoc& doc, PlotCanvas& canvas, ViewGeometry& geometry,
                 Detail detail = Detail::Full, PlotOptions options = {});

    // Clears the canvas and draws the options' mode, or else the document's.
    void DrawPlot();

    // The two lines of the start screen (30 and 12 characters).
    static const char* const kAuthorsCredit;
    static const char* const kInstitutionCredit;
    static constexpr double kMillisecondsPerSample = 0.025;

    // A row's depth label: "%.2f".
    static std::string DepthLabel(float depth);
    // The display's name, as its title line begins.
    static const char* DisplayName(int mode);
    // The title line: the display, the document's name (when given) and the test geometry.
    static std::string TitleLine(const CKorvaneDoc& doc, int mode, const std::string& document);

private:
    void DrawCredits();
    void DrawOriginalWaves();
    void DrawFilteredWaves();
    void DrawCorrelationFunctions();
    void DrawRawAutocorrelations();
    void DrawSpareRows(bool table);
    void DrawFilteredAutocorrelations();
    void DrawAlignedWindows();
    void DrawMarker(int row, int boundary, float fromX, float toX);
    void DrawTimeAxis();
    void DrawDepthTitle();
    void DrawTitleLine(bool atTop);

    int32_t Mode() const;
    float Baseline(int row) const;
    // Rows a mode can draw when its arrays hold this many entries.
    int RowsHeld(std::size_t held) const;
    float SampleX(double sample) const;
    // World units of n client pixels.
    float Px(float n) const;
    // The data of a zoomed frame stay inside the plot area; labels are drawn unclipped.
    void ClipData();
    void UnclipData();
    // The row's depth label at the given offset from the plot's left edge and its baseline,
    // when the depth exists; moved left when the whole value would run into the plot.
    void RowLabel(int row, float dx, float dy);
    // A series inside a window of a full-width row: the baseline up to windowFirst, count
    // values placed from sample seriesFirst on, then the baseline from windowLast to the end.
    void Trace(int row, double windowFirst, double seriesFirst, const float* values,
               std::size_t count, double windowLast);
    // Appends the values of a series that the frame shows, value j at sample firstSample + j,
    // drawn `half` world units high per unit of value.
    void AppendSeries(double firstSample, const float* values, std::size_t count, float y,
                      float half);
    void FullLengthTrace(int row, const std::vector<std::vector<float>>& table, bool scaled);

    const CKorvaneDoc& doc_;
    PlotCanvas& canvas_;
    ViewGeometry& geometry_;
    Detail detail_;
    PlotOptions options_;
    float plotHeight_ = 0.0f; // H
    float plotWidth_ = 0.0f;  // W
    float plotLeft_ = 0.0f;   // -W / 2, where the full view's xOrigin lies
    float longTick_ = 0.0f;
    float shortTick_ = 0.0f;
    float rowHeight_ = 0.0f; // h
    int rows_ = 0;           // recordCount, or 0 when it is not positive
    int labelledRow_ = -1;   // the row whose depth label was drawn last
    bool zoomed_ = false;    // the wave rows show part of the records' length
    DataRange visible_;      // samples across the plot width
    std::vector<WorldPoint> points_;
};

} // namespace korvane
