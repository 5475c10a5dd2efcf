#include "view/PlotRenderer.h"

#include "analysis/StaleResults.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/FixedDecimal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

namespace korvane {

namespace {

constexpr int kMarkerWidth = 50; // samples
constexpr int kSparePoints = 50; // values drawn per row of the spare modes
constexpr uint32_t kNoName = 0xFFFFFFFFu;
// Depth ticks stop here (metres) so that a corrupt depth cannot stall a frame.
constexpr double kDeepestTick = 100000.0;

bool IsFinite(const WorldPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// The part of series index range [first, last] that values actually holds: start index and
// count (0 when nothing of it exists).
std::pair<std::size_t, std::size_t> HeldRange(int64_t first, int64_t last, std::size_t size) {
    const int64_t from = std::max<int64_t>(first, 0);
    const int64_t to = std::min<int64_t>(last, static_cast<int64_t>(size) - 1);
    if (to < from)
        return {0, 0};
    return {static_cast<std::size_t>(from), static_cast<std::size_t>(to - from + 1)};
}

} // namespace

const char* const PlotRenderer::kAuthorsCredit = "M. Arvidsen and T. Holloway-Li";
const char* const PlotRenderer::kInstitutionCredit = "Geotech Lab.";

PlotRenderer::PlotRenderer(const CKorvaneDoc& doc, PlotCanvas& canvas, ViewGeometry& geometry,
                           Detail detail)
    : doc_(doc), canvas_(canvas), geometry_(geometry), detail_(detail) {}

std::string PlotRenderer::DepthLabel(float depth) {
    return FixedDecimal::Text(depth, 2).substr(0, 4);
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
    rowHeight_ = rows_ > 0 ? plotHeight_ / static_cast<float>(rows_) : 0.0f;
    geometry_.xOrigin = -plotWidth_ / 2.0f;

    const int mode = doc_.displayMode;
    if (mode < OriginalWaves || mode > PhaseVelocity) {
        DrawCredits();
        return;
    }
    // Before the first resize to a real size there is no plot area to draw into.
    if (!sized)
        return;
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
        DrawProfile(mode);
        break;
    }
}

void PlotRenderer::DrawCredits() {
    canvas_.SetColor(1.0f, 0.0f, 0.0f);
    canvas_.Label(-1.0f, -0.2f, kAuthorsCredit);
    canvas_.Label(-0.5f, -0.4f, kInstitutionCredit);
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
    canvas_.Label(geometry_.xOrigin + dx, Baseline(row) + dy, DepthLabel(doc_.depths[row]));
}

void PlotRenderer::AppendSeries(double firstSample, const float* values, std::size_t count, float y,
                                float half) {
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

void PlotRenderer::FullLengthTrace(int row, const std::vector<std::vector<float>>& table) {
    if (static_cast<std::size_t>(row) >= table.size())
        return;
    const std::vector<float>& values = table[row];
    const std::size_t count = std::min<std::size_t>(values.size(), doc_.samplesPerRecord);
    const float y = Baseline(row);
    const float half = 0.5f * rowHeight_;
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
        FullLengthTrace(r, doc_.rawWaves);
    }
}

void PlotRenderer::DrawFilteredWaves() {
    canvas_.InitNames();
    canvas_.PushName(kNoName);
    const float m = rowHeight_ * 0.25f;
    for (int r = 0; r < rows_; ++r) {
        if (static_cast<std::size_t>(r) >= doc_.windows.size())
            break;
        const SampleWindow w = doc_.windows[r];
        const float y = Baseline(r);
        canvas_.LoadName(static_cast<uint32_t>(r));

        canvas_.PushName(0);
        canvas_.SetColor(1.0f, 0.0f, 0.0f);
        const float firstX = SampleX(w.first);
        const float beforeX = SampleX(static_cast<double>(w.first) - kMarkerWidth);
        const WorldPoint start[] = {
            {firstX, y + m}, {firstX, y - m}, {beforeX, y - m}, {beforeX, y + m}};
        canvas_.Polygon(start);
        canvas_.PopName();

        canvas_.PushName(1);
        canvas_.SetColor(0.0f, 0.0f, 1.0f);
        const float lastX = SampleX(w.last);
        const float afterX = SampleX(static_cast<double>(w.last) + kMarkerWidth);
        const WorldPoint end[] = {{lastX, y + m}, {lastX, y - m}, {afterX, y - m}, {afterX, y + m}};
        canvas_.Polygon(end);
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
        FullLengthTrace(r, doc_.rawAutocorrelations);
    }
}

void PlotRenderer::DrawSpareRows(bool table) {
    const std::vector<std::vector<float>>& source = table ? doc_.spareTable : doc_.spareWaves;
    canvas_.SetColor(0.0f, 1.0f, 0.0f);
    const float step = plotWidth_ * 0.02f;
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
        for (std::size_t j = 0; j < count; ++j)
            points_.push_back(
                {static_cast<float>(j) * step + geometry_.xOrigin, y + half * values[j]});
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

void PlotRenderer::DrawProfile(int mode) {
    const bool determination = mode == DeterminationProfile;
    const float h = plotHeight_;
    const float top = h / 2.0f;
    geometry_.xOrigin = -plotWidth_ / 4.0f;
    geometry_.xScale = determination ? plotWidth_ * 0.5f : plotWidth_ * 0.00125f;
    const float x0 = geometry_.xOrigin;
    const float scale = geometry_.xScale;

    canvas_.SetColor(1.0f, 0.0f, 0.0f);
    const WorldPoint axes[] = {{x0, -top}, {x0, top}, {-x0, top}};
    canvas_.LineStrip(axes);

    const float labelY = top + 0.1f;
    canvas_.Label(x0 - 0.15f, labelY, "0");
    if (determination) {
        const char* const texts[] = {"0.2", "0.4", "0.6", "0.8", "1.0"};
        for (int i = 0; i < 5; ++i)
            canvas_.Label(0.2f * static_cast<float>(i + 1) * scale + x0 - 0.15f, labelY, texts[i]);
        canvas_.Label(0.4f * scale + x0, geometry_.orthoTop * 0.875f + 0.1f,
                      "Coef. of Determination");
    } else {
        const char* const texts[] = {"100", "200", "300", "400"};
        for (int i = 0; i < 4; ++i)
            canvas_.Label(100.0f * static_cast<float>(i + 1) * scale + x0 - 0.15f, labelY,
                          texts[i]);
        canvas_.Label(200.0f * scale + x0, geometry_.orthoTop * 0.875f + 0.1f, "Vs (m/s)");
    }
    if (mode != PhaseVelocity && StaleResults::OutOfDate(doc_))
        canvas_.Label(x0, -top - 0.4f, StaleResults::kNote);

    points_.clear();
    for (int i = 1; i <= 20; ++i) {
        const float x = determination ? static_cast<float>(i * 5) * scale * 0.01f + x0
                                      : static_cast<float>(i * 20) * scale + x0;
        const bool major = determination ? (i * 5) % 20 == 0 : (i * 20) % 100 == 0;
        points_.push_back({x, top});
        points_.push_back({x, top - (major ? longTick_ : shortTick_)});
    }
    canvas_.Lines(points_);

    // Depth runs down from the top axis over the deepest record's depth D; without a
    // positive D there is no depth scale, and the frame keeps the value axis alone.
    const std::size_t records = std::min<std::size_t>(rows_, doc_.depths.size());
    const double deepest = records > 0 ? doc_.depths[records - 1] : 0.0;
    const bool scaled = records > 0 && std::isfinite(deepest) && deepest > 0.0;
    const float k = scaled ? h / static_cast<float>(deepest) : 0.0f;
    if (scaled && deepest > 5.0) {
        const double limit = std::min(deepest, kDeepestTick);
        for (int d = 5; d < limit; d += 5) {
            char text[16];
            std::snprintf(text, sizeof text, "%4d", d);
            canvas_.Label(x0 - 0.6f, top - static_cast<float>(d) * k - 0.05f,
                          std::string_view(text).substr(0, 4));
        }
    }
    if (scaled) {
        points_.clear();
        const double limit = std::min(deepest, kDeepestTick);
        for (int j = 1; j < limit; ++j) {
            const float y = top - static_cast<float>(j) * k;
            points_.push_back({x0, y});
            points_.push_back({x0 + (j % 5 == 0 ? longTick_ : shortTick_), y});
        }
        if (!points_.empty())
            canvas_.Lines(points_);
    }
    canvas_.Label(-plotWidth_ / 2.0f, 0.0f, "Depth (m)");

    if (!scaled)
        return;
    canvas_.SetColor(1.0f, 0.0f, 0.0f);
    std::size_t intervals = records - 1;
    if (mode == CrossCorrelationVelocity)
        intervals = std::min(intervals, doc_.ccVelocities.size());
    else if (mode == PhaseVelocity)
        intervals = std::min(intervals, doc_.phaseVelocities.size());
    else
        intervals = std::min(intervals, doc_.correlationCoefficients.size());
    // One staircase; an interval without a value (no correlation peak) leaves a gap.
    points_.clear();
    for (std::size_t i = 0; i < intervals; ++i) {
        double value = 0.0;
        if (mode == CrossCorrelationVelocity)
            value = doc_.ccVelocities[i];
        else if (mode == PhaseVelocity)
            value = doc_.phaseVelocities[i];
        else
            value = doc_.correlationCoefficients[i] * doc_.correlationCoefficients[i];
        const float x = static_cast<float>(value) * scale + x0;
        const WorldPoint upper{x, top - doc_.depths[i] * k};
        const WorldPoint lower{x, top - doc_.depths[i + 1] * k};
        if (IsFinite(upper) && IsFinite(lower)) {
            points_.push_back(upper);
            points_.push_back(lower);
            continue;
        }
        if (!points_.empty())
            canvas_.LineStrip(points_);
        points_.clear();
    }
    if (!points_.empty())
        canvas_.LineStrip(points_);
}

} // namespace korvane
