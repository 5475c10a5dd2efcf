#include "view/PlotRenderer.h"

#include "sounding/CKorvaneDoc.h"
#include "sounding/FixedDecimal.h"
#include "view/AxisTicks.h"
#include "view/ProfilePlot.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

namespace korvane {

namespace {

constexpr int kMarkerWidth = 50; // samples
constexpr int kSparePoints = 50; // values drawn per row of the spare modes
constexpr uint32_t kNoName = 0xFFFFFFFFu;

// The part of series index range [first, last] that values actually holds: start index and
// count (0 when nothing of it exists).
std::pair<std::size_t, std::size_t> HeldRange(int64_t first, int64_t last, std::size_t size) {
    const int64_t from = std::max<int64_t>(first, 0);
    const int64_t to = std::min<int64_t>(last, static_cast<int64_t>(size) - 1);
    if (to < from)
        return {0, 0};
    return {static_cast<std::size_t>(from), static_cast<std::size_t>(to - from + 1)};
}

bool IsProfile(int mode) {
    return mode == CrossCorrelationVelocity || mode == DeterminationProfile ||
           mode == PhaseVelocity;
}

} // namespace

const char* const PlotRenderer::kAuthorsCredit = "M. Arvidsen and T. Holloway-Li";
const char* const PlotRenderer::kInstitutionCredit = "Geotech Lab.";

PlotRenderer::PlotRenderer(const CKorvaneDoc& doc, PlotCanvas& canvas, ViewGeometry& geometry,
                           Detail detail, PlotOptions options)
    : doc_(doc), canvas_(canvas), geometry_(geometry), detail_(detail),
      options_(std::move(options)) {}

std::string PlotRenderer::DepthLabel(float depth) {
    return FixedDecimal::Text(depth, 2);
}

const char* PlotRenderer::DisplayName(int mode) {
    static const char* const kNames[] = {
        "",
        "Original waves",
        "Filtered waves",
        "Shear-wave velocity from cross-correlation",
        "Coefficient of determination",
        "Cross-correlation functions",
        "Autocorrelations of the raw waves",
        "Spare waves",
        "Spare table",
        "Autocorrelations of the filtered windows",
        "Aligned windows",
        "Shear-wave velocity from the phase spectra",
    };
    return mode >= 0 && mode <= PhaseVelocity ? kNames[mode] : "";
}

std::string PlotRenderer::TitleLine(const CKorvaneDoc& doc, int mode, const std::string& document) {
    std::string line = DisplayName(mode);
    if (!document.empty())
        line += "  -  " + document;
    // Six significant digits like "%g", with '.' in every locale.
    const auto metres = [](float value) {
        char text[32];
        const auto end = std::to_chars(text, text + sizeof text, static_cast<double>(value),
                                       std::chars_format::general, 6);
        return std::string(text, end.ptr);
    };
    return line + "  -  hammer to rod " + metres(doc.hammerToRod) + " m, geophone to tip " +
           metres(doc.geophoneToTip) + " m";
}

void PlotRenderer::DrawPlot() {
    canvas_.Clear();
    plotHeight_ = (geometry_.orthoTop - geometry_.orthoBottom) * 0.75f;
    const bool sized = geometry_.clientWidth > 0 && geometry_.clientHeight > 0;
    plotWidth_ = sized ? static_cast<float>(geometry_.clientWidth) * plotHeight_ /
                             static_cast<float>(geometry_.clientHeight)
                       : 0.0f;
    geometry_.xScale =
        doc_.samplesPerRecord > 0 ? plotWidth_ / static_cast<float>(doc_.samplesPerRecord) : 0.0f;
    longTick_ = plotWidth_ * 0.0125f;
    shortTick_ = longTick_ * 0.5f;
    rows_ = std::max(doc_.recordCount, 0);
    labelledRow_ = -1;
    rowHeight_ = rows_ > 0 ? plotHeight_ / static_cast<float>(rows_) : 0.0f;
    plotLeft_ = -plotWidth_ / 2.0f;
    geometry_.xOrigin = plotLeft_;
    geometry_.yScale = 0.0f;
    geometry_.yOrigin = 0.0f;
    geometry_.fullX = {};
    geometry_.fullY = {};
    geometry_.dataLeft = plotLeft_;
    geometry_.dataRight = -plotLeft_;
    geometry_.dataBottom = -plotHeight_ / 2.0f;
    geometry_.dataTop = plotHeight_ / 2.0f;
    geometry_.profile = false;
    const int mode = Mode();
    geometry_.mode = mode;

    if (mode < OriginalWaves || mode > PhaseVelocity) {
        DrawCredits();
        return;
    }
    // Before the first resize to a real size there is no plot area to draw into.
    if (!sized)
        return;
    if (IsProfile(mode)) {
        ProfilePlot(doc_, canvas_, geometry_, options_.zoom, plotWidth_, plotHeight_, longTick_,
                    options_.profileLegend)
            .Draw(mode);
        DrawTitleLine(false);
        return;
    }

    geometry_.fullX = {0.0, static_cast<double>(doc_.samplesPerRecord)};
    zoomed_ = options_.zoom.x && options_.zoom.x->Valid() && geometry_.fullX.Valid();
    if (zoomed_) {
        geometry_.xScale = static_cast<float>(plotWidth_ / options_.zoom.x->Span());
        geometry_.xOrigin =
            plotLeft_ - static_cast<float>(options_.zoom.x->first) * geometry_.xScale;
    }
    visible_ = zoomed_ ? *options_.zoom.x : geometry_.fullX;
    ClipData();
    switch (mode) {
    case OriginalWaves:
        DrawOriginalWaves();
        break;
    case FilteredWaves:
        DrawFilteredWaves();
        break;
    case CorrelationFunctions:
        DrawCorrelationFunctions();
        break;
    case RawAutocorrelations:
        DrawRawAutocorrelations();
        break;
    case SpareWaves:
        DrawSpareRows(false);
        break;
    case SpareTable:
        DrawSpareRows(true);
        break;
    case FilteredAutocorrelations:
        DrawFilteredAutocorrelations();
        break;
    case AlignedWindows:
        DrawAlignedWindows();
        break;
    default:
        break;
    }
    UnclipData();
    if (mode != SpareWaves && mode != SpareTable)
        DrawTimeAxis();
    DrawDepthTitle();
    DrawTitleLine(true);
}

void PlotRenderer::DrawCredits() {
    canvas_.SetColor(1.0f, 0.0f, 0.0f);
    canvas_.Label(-1.0f, -0.2f, kAuthorsCredit);
    canvas_.Label(-0.5f, -0.4f, kInstitutionCredit);
}

int32_t PlotRenderer::Mode() const {
    return options_.mode.value_or(doc_.displayMode);
}

float PlotRenderer::Px(float n) const {
    return geometry_.pixelsPerUnit > 0.0f ? n / geometry_.pixelsPerUnit : 0.0f;
}

void PlotRenderer::ClipData() {
    if (zoomed_)
        canvas_.SetClip({plotLeft_, geometry_.orthoBottom, -plotLeft_, geometry_.orthoTop});
}

void PlotRenderer::UnclipData() {
    if (zoomed_)
        canvas_.ResetClip();
}

float PlotRenderer::Baseline(int row) const {
    return plotHeight_ / 2.0f - (static_cast<float>(row) + 0.5f) * rowHeight_;
}

float PlotRenderer::SampleX(double sample) const {
    return static_cast<float>(sample) * geometry_.xScale + geometry_.xOrigin;
}

void PlotRenderer::RowLabel(int row, float dx, float dy) {
    if (static_cast<std::size_t>(row) >= doc_.depths.size())
        return;
    // Rows closer than a line of text would write their labels over each other: a label that
    // would touch the last one drawn is left out.
    const float line = canvas_.TextAscent() + canvas_.TextDescent();
    if (labelledRow_ >= 0 && Baseline(labelledRow_) - Baseline(row) < line)
        return;
    labelledRow_ = row;
    const std::string text = DepthLabel(doc_.depths[row]);
    const float room = plotLeft_ - Px(4) - canvas_.TextWidth(text);
    UnclipData();
    canvas_.Label(std::min(plotLeft_ + dx, room), Baseline(row) + dy, text);
    ClipData();
}

void PlotRenderer::AppendSeries(double firstSample, const float* values, std::size_t count, float y,
                                float half) {
    if (zoomed_) {
        // Only what lies across the plot, and one value beyond each edge for the lines there.
        const double from = std::clamp(std::floor(visible_.first - firstSample) - 1.0, 0.0,
                                       static_cast<double>(count));
        const double to = std::clamp(std::ceil(visible_.last - firstSample) + 2.0, from,
                                     static_cast<double>(count));
        values += static_cast<std::size_t>(from);
        firstSample += from;
        count = static_cast<std::size_t>(to - from);
    }
    const double pixelsPerSample =
        static_cast<double>(geometry_.xScale) * static_cast<double>(geometry_.pixelsPerUnit);
    if (detail_ == Detail::Full || !(pixelsPerSample > 0.0) || pixelsPerSample * 2.0 >= 1.0) {
        for (std::size_t j = 0; j < count; ++j)
            points_.push_back(
                {SampleX(firstSample + static_cast<double>(j)), y + half * values[j]});
        return;
    }
    // More than two samples share a pixel column: keep each column's lowest and highest
    // sample, in their order, so the strip covers the same pixels with far fewer vertices.
    // Non-finite values are left to the full path's behaviour: they compare false and are
    // simply never chosen as an extreme.
    const double left = (static_cast<double>(geometry_.xOrigin) - geometry_.orthoLeft) *
                        static_cast<double>(geometry_.pixelsPerUnit);
    auto column = [&](std::size_t j) {
        return static_cast<int64_t>(
            std::floor(left + (firstSample + static_cast<double>(j)) * pixelsPerSample));
    };
    // Points on one pixel row in a row only stretch a horizontal run: keep its two ends.
    const float spanY = geometry_.orthoTop - geometry_.orthoBottom;
    const double pixelsPerUnitY =
        spanY > 0.0f ? static_cast<double>(geometry_.clientHeight) / spanY : 0.0;
    int64_t lastRow = 0;
    int run = 0;
    auto emit = [&](std::size_t j) {
        const WorldPoint p{SampleX(firstSample + static_cast<double>(j)), y + half * values[j]};
        // A non-finite or absurd value gets a row of its own rather than an undefined cast.
        const double rowY = std::floor(p.y * pixelsPerUnitY);
        const int64_t row = std::abs(rowY) < 9.0e18 ? static_cast<int64_t>(rowY)
                                                    : std::numeric_limits<int64_t>::min();
        if (run >= 2 && row == lastRow) {
            points_.back() = p;
            return;
        }
        run = run > 0 && row == lastRow ? run + 1 : 1;
        lastRow = row;
        points_.push_back(p);
    };
    std::size_t j = 0;
    while (j < count) {
        const int64_t current = column(j);
        std::size_t low = j;
        std::size_t high = j;
        std::size_t end = j + 1;
        for (; end < count && column(end) == current; ++end) {
            if (values[end] < values[low])
                low = end;
            if (values[end] > values[high])
                high = end;
        }
        if (j == 0 && low != 0 && high != 0)
            emit(0); // the series starts exactly where it does
        emit(std::min(low, high));
        if (low != high)
            emit(std::max(low, high));
        if (end == count && low != count - 1 && high != count - 1)
            emit(count - 1);
        j = end;
    }
}

void PlotRenderer::FullLengthTrace(int row, const std::vector<std::vector<float>>& table,
                                   bool scaled) {
    if (static_cast<std::size_t>(row) >= table.size())
        return;
    const std::vector<float>& values = table[row];
    const std::size_t count = std::min<std::size_t>(values.size(), doc_.samplesPerRecord);
    const float y = Baseline(row);
    float half = 0.5f * rowHeight_;
    if (scaled) {
        // The row's largest finite magnitude reaches the row's edge.
        float peak = 0.0f;
        for (std::size_t s = 0; s < count; ++s)
            if (std::isfinite(values[s]))
                peak = std::max(peak, std::abs(values[s]));
        if (peak > 0.0f && std::isfinite(half / peak))
            half /= peak;
    }
    points_.clear();
    AppendSeries(0.0, values.data(), count, y, half);
    if (!points_.empty())
        canvas_.LineStrip(points_);
}

void PlotRenderer::Trace(int row, double windowFirst, double seriesFirst, const float* values,
                         std::size_t count, double windowLast) {
    // Baseline from the left end to the window, the series, then the baseline to the end.
    const float y = Baseline(row);
    const float half = 0.5f * rowHeight_;
    points_.clear();
    points_.push_back({geometry_.xOrigin, y});
    points_.push_back({SampleX(windowFirst), y});
    AppendSeries(seriesFirst, values, count, y, half);
    points_.push_back({SampleX(windowLast), y});
    points_.push_back({SampleX(static_cast<double>(doc_.samplesPerRecord) - 1.0), y});
    canvas_.LineStrip(points_);
}

int PlotRenderer::RowsHeld(std::size_t held) const {
    return static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(rows_), held));
}

void PlotRenderer::DrawOriginalWaves() {
    canvas_.SetColor(1.0f, 0.0f, 1.0f);
    const int rows = RowsHeld(std::max(doc_.depths.size(), doc_.rawWaves.size()));
    for (int r = 0; r < rows; ++r) {
        RowLabel(r, -0.8f, -0.04f);
        FullLengthTrace(r, doc_.rawWaves, options_.scaleEachRow);
    }
}

void PlotRenderer::DrawMarker(int row, int boundary, float fromX, float toX) {
    const float y = Baseline(row);
    const float m = rowHeight_ * 0.25f;
    if (options_.selectedMarker == MarkerRef{row, boundary}) {
        // Drawn first, so it stays on top: a black frame a little outside the marker.
        const float gap = Px(2);
        const float left = std::min(fromX, toX) - gap;
        const float right = std::max(fromX, toX) + gap;
        const WorldPoint frame[] = {{left, y + m + gap},
                                    {right, y + m + gap},
                                    {right, y - m - gap},
                                    {left, y - m - gap},
                                    {left, y + m + gap}};
        canvas_.SetColor(0.0f, 0.0f, 0.0f);
        canvas_.LineStrip(frame);
    }
    if (boundary == 0)
        canvas_.SetColor(1.0f, 0.0f, 0.0f);
    else
        canvas_.SetColor(0.0f, 0.0f, 1.0f);
    const WorldPoint shape[] = {{fromX, y + m}, {fromX, y - m}, {toX, y - m}, {toX, y + m}};
    canvas_.Polygon(shape);
}

void PlotRenderer::DrawFilteredWaves() {
    canvas_.InitNames();
    canvas_.PushName(kNoName);
    for (int r = 0; r < rows_; ++r) {
        if (static_cast<std::size_t>(r) >= doc_.windows.size())
            break;
        const SampleWindow w = doc_.windows[r];
        canvas_.LoadName(static_cast<uint32_t>(r));

        canvas_.PushName(0);
        DrawMarker(r, 0, SampleX(w.first), SampleX(static_cast<double>(w.first) - kMarkerWidth));
        canvas_.PopName();
        canvas_.PushName(1);
        DrawMarker(r, 1, SampleX(w.last), SampleX(static_cast<double>(w.last) + kMarkerWidth));
        canvas_.PopName();

        canvas_.SetColor(0.0f, 1.0f, 0.0f);
        RowLabel(r, -0.8f, -0.04f);
        if (static_cast<std::size_t>(r) >= doc_.filteredWaves.size())
            continue;
        const std::vector<float>& wave = doc_.filteredWaves[r];
        const auto [from, count] = HeldRange(w.first, w.last, wave.size());
        Trace(r, w.first, static_cast<double>(from), wave.data() + from, count, w.last);
    }
    canvas_.PopName();
}

void PlotRenderer::DrawCorrelationFunctions() {
    canvas_.SetColor(0.0f, 1.0f, 0.0f);
    for (int k = 0; k + 1 < rows_; ++k) {
        if (static_cast<std::size_t>(k) + 1 >= doc_.windows.size())
            break;
        const SampleWindow w0 = doc_.windows[k];
        const SampleWindow w1 = doc_.windows[k + 1];
        const int64_t length0 = static_cast<int64_t>(w0.last) - w0.first + 1;
        const int64_t length1 = static_cast<int64_t>(w1.last) - w1.first + 1;
        const int64_t length = std::max(length0, length1);
        const int64_t start = w0.last < w1.last ? w0.first : w1.first;
        RowLabel(k, -0.4f, 0.1f);
        if (static_cast<std::size_t>(k) >= doc_.correlationFunctions.size())
            continue;
        const std::vector<float>& function = doc_.correlationFunctions[k];
        if (function.empty())
            continue; // never computed (a cancelled run)
        const std::size_t count =
            length > 0 ? std::min<std::size_t>(function.size(), static_cast<std::size_t>(length))
                       : 0;
        Trace(k, static_cast<double>(start), static_cast<double>(start), function.data(), count,
              static_cast<double>(start + length - 1));
    }
}

void PlotRenderer::DrawRawAutocorrelations() {
    canvas_.SetColor(0.0f, 1.0f, 0.0f);
    const int rows = RowsHeld(std::max(doc_.depths.size(), doc_.rawAutocorrelations.size()));
    for (int r = 0; r < rows; ++r) {
        RowLabel(r, -0.4f, 0.1f);
        FullLengthTrace(r, doc_.rawAutocorrelations, false);
    }
}

void PlotRenderer::DrawSpareRows(bool table) {
    const std::vector<std::vector<float>>& source = table ? doc_.spareTable : doc_.spareWaves;
    canvas_.SetColor(0.0f, 1.0f, 0.0f);
    // The 50 values span 98 % of the plot width whatever the record length: a zoom scales
    // them like samples.
    const float step = plotWidth_ * 0.02f;
    const float zoom =
        plotWidth_ > 0.0f && doc_.samplesPerRecord > 0
            ? geometry_.xScale * static_cast<float>(doc_.samplesPerRecord) / plotWidth_
            : 1.0f;
    const float half = 0.5f * rowHeight_;
    const int rows = RowsHeld(std::max(doc_.depths.size(), source.size()));
    for (int r = 0; r < rows; ++r) {
        RowLabel(r, -0.4f, 0.1f);
        if (static_cast<std::size_t>(r) >= source.size())
            continue;
        const std::vector<float>& values = source[r];
        const std::size_t count = std::min<std::size_t>(values.size(), kSparePoints);
        const float y = Baseline(r);
        points_.clear();
        for (std::size_t j = 0; j < count; ++j) {
            const float x = zoomed_ ? static_cast<float>(j) * step * zoom + geometry_.xOrigin
                                    : static_cast<float>(j) * step + geometry_.xOrigin;
            points_.push_back({x, y + half * values[j]});
        }
        if (!points_.empty())
            canvas_.LineStrip(points_);
    }
}

void PlotRenderer::DrawFilteredAutocorrelations() {
    canvas_.SetColor(0.0f, 1.0f, 0.0f);
    for (int r = 0; r < rows_; ++r) {
        if (static_cast<std::size_t>(r) >= doc_.windows.size())
            break;
        const SampleWindow w = doc_.windows[r];
        RowLabel(r, -0.4f, 0.1f);
        if (static_cast<std::size_t>(r) >= doc_.filteredAutocorrelations.size())
            continue;
        const std::vector<float>& values = doc_.filteredAutocorrelations[r];
        if (values.empty())
            continue;
        const int64_t length = static_cast<int64_t>(w.last) - w.first + 1;
        const std::size_t count =
            length > 0 ? std::min<std::size_t>(values.size(), static_cast<std::size_t>(length)) : 0;
        Trace(r, w.first, w.first, values.data(), count, w.last);
    }
}

void PlotRenderer::DrawAlignedWindows() {
    const float half = 0.5f * rowHeight_;
    for (int k = 0; k + 1 < rows_; ++k) {
        if (static_cast<std::size_t>(k) + 1 >= doc_.windows.size())
            break;
        const SampleWindow w0 = doc_.windows[k];
        const SampleWindow w1 = doc_.windows[k + 1];
        canvas_.SetColor(0.0f, 1.0f, 0.0f);
        RowLabel(k, -0.4f, 0.1f);
        if (static_cast<std::size_t>(k) + 1 >= doc_.filteredWaves.size())
            continue;
        const std::vector<float>& upper = doc_.filteredWaves[k];
        const auto [from, count] = HeldRange(w0.first, w0.last, upper.size());
        Trace(k, w0.first, static_cast<double>(from), upper.data() + from, count, w0.last);

        if (static_cast<std::size_t>(k) >= doc_.lags.size())
            continue;
        const std::vector<float>& lower = doc_.filteredWaves[k + 1];
        const float y = Baseline(k);
        const auto [lowerFrom, lowerCount] = HeldRange(w1.first, w1.last, lower.size());
        const double lag = doc_.lags[k];
        canvas_.SetColor(1.0f, 0.0f, 0.0f);
        points_.clear();
        AppendSeries(static_cast<double>(lowerFrom) - lag, lower.data() + lowerFrom, lowerCount, y,
                     half);
        if (!points_.empty())
            canvas_.LineStrip(points_);
    }
}

void PlotRenderer::DrawTimeAxis() {
    // Below the rows: a line, ticks at round milliseconds, their labels, and the unit at the
    // right end.
    const float axisY = -plotHeight_ / 2.0f - Px(3);
    const float right = -plotLeft_;
    const double first = visible_.first * kMillisecondsPerSample;
    const double last = visible_.last * kMillisecondsPerSample;
    const AxisTicks ticks = AxisTicks::Choose(
        first, last, plotWidth_, [this](std::string_view t) { return canvas_.TextWidth(t); },
        Px(24));
    const auto timeX = [&](double ms) { return SampleX(ms / kMillisecondsPerSample); };
    canvas_.SetColor(0.0f, 0.0f, 0.0f);
    const WorldPoint line[] = {{plotLeft_, axisY}, {right, axisY}};
    canvas_.LineStrip(line);
    points_.clear();
    for (double t : ticks.Majors(first, last)) {
        points_.push_back({timeX(t), axisY});
        points_.push_back({timeX(t), axisY - Px(6)});
    }
    for (double t : ticks.Minors(first, last)) {
        points_.push_back({timeX(t), axisY});
        points_.push_back({timeX(t), axisY - Px(3)});
    }
    if (!points_.empty())
        canvas_.Lines(points_);
    const float labelY = axisY - Px(8) - canvas_.TextAscent();
    for (double t : ticks.Majors(first, last)) {
        const std::string text = ticks.Format(t);
        canvas_.Label(timeX(t) - canvas_.TextWidth(text) / 2.0f, labelY, text);
    }
    canvas_.Label(right + Px(10), labelY, "Time (ms)");
}

void PlotRenderer::DrawDepthTitle() {
    // Above the column of depth labels.
    const float labelDx = Mode() == OriginalWaves || Mode() == FilteredWaves ? -0.8f : -0.4f;
    canvas_.SetColor(0.0f, 0.0f, 0.0f);
    canvas_.Label(std::min(plotLeft_ + labelDx, plotLeft_ - Px(4) - canvas_.TextWidth("Depth (m)")),
                  plotHeight_ / 2.0f + Px(6) + canvas_.TextDescent(), "Depth (m)");
}

void PlotRenderer::DrawTitleLine(bool atTop) {
    if (!options_.titleLine)
        return;
    const std::string line = TitleLine(doc_, Mode(), options_.documentName);
    const float y = atTop ? geometry_.orthoTop - Px(6) - canvas_.TextAscent()
                          : geometry_.orthoBottom + Px(6) + canvas_.TextDescent();
    canvas_.SetColor(0.0f, 0.0f, 0.0f);
    canvas_.Label(geometry_.orthoLeft + Px(8), y, line);
}

} // namespace korvane
