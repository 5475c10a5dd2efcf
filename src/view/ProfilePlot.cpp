#include "view/ProfilePlot.h"

#include "analysis/StaleResults.h"
#include "sounding/CKorvaneDoc.h"
#include "view/AxisTicks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace korvane {

namespace {

// Depth ticks stop here (metres) so that a corrupt depth cannot stall a frame.
constexpr double kDeepestTick = 100000.0;
// The full view's velocity axis: 0 to 400 m/s over half the plot width, so the right quarter
// shows up to 600 m/s at that scale.
constexpr double kStandardVelocity = 400.0;
constexpr double kLongestExtendedAxis = 600.0;
constexpr std::string_view kDepthTitle = "Depth (m)";

bool IsFinite(const WorldPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

} // namespace

std::vector<ProfilePlot::Series> ProfilePlot::SeriesOf(const CKorvaneDoc& doc, int mode) {
    Series series;
    if (mode == CrossCorrelationVelocity)
        series.values.assign(doc.ccVelocities.begin(), doc.ccVelocities.end());
    else if (mode == PhaseVelocity)
        series.values.assign(doc.phaseVelocities.begin(), doc.phaseVelocities.end());
    else
        for (double r : doc.correlationCoefficients)
            series.values.push_back(r * r);
    std::vector<Series> all{std::move(series)};
    const AnalysisResults& analysis = doc.analysisResults;
    if (mode == CrossCorrelationVelocity && analysis.DiffersFromTheRun()) {
        Series chosen;
        chosen.color = kAnalysisColor;
        for (const IntervalEstimate& interval : analysis.intervals) {
            chosen.values.push_back(interval.velocity);
            chosen.tops.push_back(interval.top);
            chosen.bottoms.push_back(interval.bottom);
            chosen.errors.push_back(interval.standardError);
            chosen.flagged.push_back(interval.flags != 0);
        }
        all.push_back(std::move(chosen));
    }
    return all;
}

ProfilePlot::ProfilePlot(const CKorvaneDoc& doc, PlotCanvas& canvas, ViewGeometry& geometry,
                         const PlotZoom& zoom, float plotWidth, float plotHeight, float longTick,
                         bool legend)
    : doc_(doc), canvas_(canvas), geometry_(geometry), zoom_(zoom), width_(plotWidth),
      height_(plotHeight), longTick_(longTick), shortTick_(longTick * 0.5f), legend_(legend) {}

float ProfilePlot::Px(float n) const {
    return geometry_.pixelsPerUnit > 0.0f ? n / geometry_.pixelsPerUnit : 0.0f;
}

float ProfilePlot::ValueX(double value) const {
    return static_cast<float>(value) * geometry_.xScale + geometry_.xOrigin;
}

float ProfilePlot::DepthY(double depth) const {
    return geometry_.yOrigin - static_cast<float>(depth) * geometry_.yScale;
}

void ProfilePlot::ChooseValueScale(bool determination, const std::vector<Series>& series) {
    double lowest = std::numeric_limits<double>::infinity();
    double highest = -lowest;
    // With the chosen method's series beside the run's, the axis is fitted to the chosen one:
    // where records share a depth the run's pairs between them hold meaningless values.
    const std::size_t fitted = series.size() > 1 ? 1 : 0;
    for (std::size_t k = fitted; k < series.size(); ++k)
        for (double v : series[k].values)
            if (std::isfinite(v)) {
                lowest = std::min(lowest, v);
                highest = std::max(highest, v);
            }
    double first = 0.0;
    if (determination) {
        axisLast_ = 1.0;
        geometry_.xScale = width_ * 0.5f;
        scale_ = ValueScale::Standard;
        if (lowest > 0.5 && lowest < 1.0) {
            // Every value high: the axis starts at a round value a little below the lowest and
            // still ends with 1 at a quarter of the width.
            const double span = 1.0 - lowest;
            const double step = AxisTicks::RoundUp(span / 4.0);
            first = std::floor((lowest - span * 0.1) / step) * step;
            geometry_.xScale = static_cast<float>(width_ * 0.5 / (1.0 - first));
            scale_ = ValueScale::Fitted;
        }
    } else {
        axisLast_ = kStandardVelocity;
        geometry_.xScale = width_ * 0.00125f;
        scale_ = ValueScale::Standard;
        if (highest > kStandardVelocity) {
            const double step = highest <= 1000.0 ? 100.0 : AxisTicks::RoundUp(highest / 5.0);
            // Held within the float range, whatever the data.
            axisLast_ = std::min(std::ceil(highest / step) * step,
                                 static_cast<double>(std::numeric_limits<float>::max()));
            scale_ = ValueScale::Extended;
            if (axisLast_ > kLongestExtendedAxis) {
                // Too fast for the plot at that scale: the axis ends at the plot's right edge.
                geometry_.xScale = static_cast<float>(width_ * 0.75 / axisLast_);
                scale_ = ValueScale::Fitted;
            }
        }
    }
    geometry_.xOrigin = -width_ / 4.0f;
    if (first != 0.0)
        geometry_.xOrigin -= static_cast<float>(first) * geometry_.xScale;
}

void ProfilePlot::Draw(int mode) {
    const bool determination = mode == DeterminationProfile;
    const float top = height_ / 2.0f;
    const float x0 = -width_ / 4.0f; // the depth axis, and value 0 of the standard axes
    const std::vector<Series> series = SeriesOf(doc_, mode);
    ChooseValueScale(determination, series);

    geometry_.profile = true;
    geometry_.dataLeft = x0;
    geometry_.dataRight = width_ / 2.0f;
    geometry_.dataBottom = -top;
    geometry_.dataTop = top;
    geometry_.fullX = geometry_.VisibleX();
    float axisEnd = scale_ == ValueScale::Standard ? -geometry_.xOrigin : ValueX(axisLast_);
    const bool zoomedX = zoom_.x && zoom_.x->Valid() && geometry_.fullX.Valid();
    if (zoomedX) {
        geometry_.xScale = static_cast<float>((geometry_.dataRight - x0) / zoom_.x->Span());
        geometry_.xOrigin = x0 - static_cast<float>(zoom_.x->first) * geometry_.xScale;
        axisEnd = geometry_.dataRight;
    }

    // Depth runs down from the top axis over the deepest record's depth D; without a
    // positive D there is no depth scale, and the frame keeps the value axis alone.
    const std::size_t records =
        std::min<std::size_t>(std::max(doc_.recordCount, 0), doc_.depths.size());
    const double deepest = records > 0 ? doc_.depths[records - 1] : 0.0;
    const bool scaled = records > 0 && std::isfinite(deepest) && deepest > 0.0;
    geometry_.yOrigin = top;
    geometry_.yScale = scaled ? height_ / static_cast<float>(deepest) : 0.0f;
    geometry_.fullY = scaled ? DataRange{0.0, deepest} : DataRange{};
    const bool zoomedY = scaled && zoom_.y && zoom_.y->Valid();
    if (zoomedY) {
        geometry_.yScale = static_cast<float>(height_ / zoom_.y->Span());
        geometry_.yOrigin = top + static_cast<float>(zoom_.y->first) * geometry_.yScale;
    }

    canvas_.SetColor(1.0f, 0.0f, 0.0f);
    const WorldPoint axes[] = {{x0, -top}, {x0, top}, {axisEnd, top}};
    canvas_.LineStrip(axes);
    if (zoomedX || scale_ == ValueScale::Fitted)
        DrawRoundValueAxis(determination, axisEnd);
    else
        DrawStandardValueAxis(determination);
    if (scaled)
        DrawDepthAxis(deepest);
    canvas_.Label(-width_ / 2.0f, 0.0f, kDepthTitle);
    if (mode != PhaseVelocity && StaleResults::OutOfDate(doc_))
        canvas_.Label(x0, -top - 0.4f, StaleResults::kNote);

    if (!scaled)
        return;
    // The axis fitted to the chosen method's series may leave the run's values outside it.
    const bool clipped = zoomedX || zoomedY || series.size() > 1;
    if (clipped)
        canvas_.SetClip({x0, -top, geometry_.dataRight, top});
    // Where primitives overlap the first drawn stays visible, so the last series comes first;
    // the legend follows it and hides the run's values, which may run off the fitted axis.
    for (auto s = series.rbegin(); s != series.rend(); ++s) {
        DrawFlagMarks(*s, records);
        DrawErrorBars(*s, records, clipped);
        DrawStairs(*s, records);
        if (s == series.rbegin() && series.size() > 1 && legend_) {
            if (clipped)
                canvas_.ResetClip();
            DrawLegend(series.back());
            if (clipped)
                canvas_.SetClip({x0, -top, geometry_.dataRight, top});
        }
    }
    if (clipped)
        canvas_.ResetClip();
}

std::size_t ProfilePlot::IntervalsOf(const Series& series, std::size_t records) const {
    if (series.tops.empty())
        return records > 0 ? std::min(records - 1, series.values.size()) : 0;
    return std::min({series.values.size(), series.tops.size(), series.bottoms.size()});
}

float ProfilePlot::TopOf(const Series& series, std::size_t i) const {
    return series.tops.empty() ? doc_.depths[i] : static_cast<float>(series.tops[i]);
}

float ProfilePlot::BottomOf(const Series& series, std::size_t i) const {
    return series.tops.empty() ? doc_.depths[i + 1] : static_cast<float>(series.bottoms[i]);
}

void ProfilePlot::DrawErrorBars(const Series& series, std::size_t records, bool zoomed) {
    const std::size_t count = std::min(IntervalsOf(series, records), series.errors.size());
    const float cap = Px(3);
    points_.clear();
    for (std::size_t i = 0; i < count; ++i) {
        const double v = series.values[i];
        const double e = series.errors[i];
        const float y = DepthY((TopOf(series, i) + BottomOf(series, i)) * 0.5);
        const float left = ValueX(v - e);
        const float right = ValueX(v + e);
        if (!(std::isfinite(left) && std::isfinite(right) && std::isfinite(y)) || !(e > 0.0))
            continue;
        const WorldPoint bar[] = {{left, y},       {right, y},       {left, y - cap},
                                  {left, y + cap}, {right, y - cap}, {right, y + cap}};
        points_.insert(points_.end(), std::begin(bar), std::end(bar));
    }
    if (points_.empty())
        return;
    // A wide bar ends at the plot's edges; a zoomed frame has its clip already.
    const float top = height_ / 2.0f;
    if (!zoomed)
        canvas_.SetClip({-width_ / 2.0f, -top, width_ / 2.0f, top});
    canvas_.SetColor(series.color[0], series.color[1], series.color[2]);
    canvas_.Lines(points_);
    if (!zoomed)
        canvas_.ResetClip();
}

void ProfilePlot::DrawFlagMarks(const Series& series, std::size_t records) {
    const std::size_t count = std::min(IntervalsOf(series, records), series.flagged.size());
    const float d = Px(4);
    canvas_.SetColor(kFlagColor[0], kFlagColor[1], kFlagColor[2]);
    for (std::size_t i = 0; i < count; ++i) {
        if (!series.flagged[i])
            continue;
        // An interval without a finite value is marked on the depth axis.
        float x = ValueX(series.values[i]);
        if (!std::isfinite(x))
            x = -width_ / 4.0f;
        const float y = DepthY((TopOf(series, i) + BottomOf(series, i)) * 0.5);
        if (!std::isfinite(y))
            continue;
        const WorldPoint diamond[] = {{x, y + d}, {x + d, y}, {x, y - d}, {x - d, y}};
        canvas_.Polygon(diamond);
    }
}

void ProfilePlot::DrawLegend(const Series& chosen) {
    const AnalysisSettings& settings = doc_.analysisResults.settings;
    std::string method = std::string(AnalysisSettings::Name(settings.lag)) + ", " +
                         AnalysisSettings::Name(settings.fit);
    if (settings.strikePairs)
        method += ", strike pairs";

    const bool anyFlagged =
        std::find(chosen.flagged.begin(), chosen.flagged.end(), true) != chosen.flagged.end();
    // Top right inside the plot, under the value ticks, where shallow (slow) soil leaves room.
    const float right = geometry_.dataRight - Px(6);
    const float line = canvas_.TextAscent() + canvas_.TextDescent() + Px(2);
    const float top = height_ / 2.0f - longTick_ - Px(2);
    float y = top - Px(2) - canvas_.TextAscent();
    float widest = 0.0f;
    const auto entry = [&](const std::array<float, 3>& color, const std::string& text) {
        canvas_.SetColor(color[0], color[1], color[2]);
        canvas_.Label(right - canvas_.TextWidth(text), y, text);
        widest = std::max(widest, canvas_.TextWidth(text));
        y -= line;
    };
    entry({1.0f, 0.0f, 0.0f}, "cross-correlation");
    entry(chosen.color, method);
    if (settings.fit != FitMethod::Pairs)
        entry(chosen.color, "bars \xb1 standard error"); // Latin-1 plus-minus sign
    if (anyFlagged) {
        const std::string flagged = "flagged";
        const float d = Px(4);
        const float x = right - canvas_.TextWidth(flagged) - Px(4) - d;
        const float mid = y + (canvas_.TextAscent() - canvas_.TextDescent()) / 2.0f;
        const WorldPoint diamond[] = {{x, mid + d}, {x + d, mid}, {x, mid - d}, {x - d, mid}};
        canvas_.SetColor(kFlagColor[0], kFlagColor[1], kFlagColor[2]);
        canvas_.Polygon(diamond);
        entry(kFlagColor, flagged);
        widest = std::max(widest, canvas_.TextWidth(flagged) + Px(4) + 2 * d);
    }
    // A white ground after the entries, so it hides only what is drawn after it.
    const float left = right - widest - Px(4);
    const float bottom = y + line - canvas_.TextDescent() - Px(2);
    const WorldPoint ground[] = {
        {left, top}, {geometry_.dataRight, top}, {geometry_.dataRight, bottom}, {left, bottom}};
    canvas_.SetColor(1.0f, 1.0f, 1.0f);
    canvas_.Polygon(ground);
}

void ProfilePlot::DrawStandardValueAxis(bool determination) {
    const float top = height_ / 2.0f;
    const float x0 = geometry_.xOrigin;
    const float scale = geometry_.xScale;
    const float labelY = top + 0.1f;
    canvas_.Label(x0 - 0.15f, labelY, "0");
    if (determination) {
        const char* const texts[] = {"0.2", "0.4", "0.6", "0.8", "1.0"};
        for (int i = 0; i < 5; ++i)
            canvas_.Label(0.2f * static_cast<float>(i + 1) * scale + x0 - 0.15f, labelY, texts[i]);
        canvas_.Label(0.4f * scale + x0, geometry_.orthoTop * 0.875f + 0.1f,
                      "Coef. of Determination");
    } else {
        // 100 to 400 m/s, and on to the end of an axis extended for faster data.
        for (int v = 100; v <= axisLast_; v += 100)
            canvas_.Label(100.0f * static_cast<float>(v / 100) * scale + x0 - 0.15f, labelY,
                          std::to_string(v));
        canvas_.Label(200.0f * scale + x0, geometry_.orthoTop * 0.875f + 0.1f, "Vs (m/s)");
    }
    points_.clear();
    const int ticks = determination ? 20 : static_cast<int>(axisLast_ / 20.0);
    for (int i = 1; i <= ticks; ++i) {
        const float x = determination ? static_cast<float>(i * 5) * scale * 0.01f + x0
                                      : static_cast<float>(i * 20) * scale + x0;
        const bool major = determination ? (i * 5) % 20 == 0 : (i * 20) % 100 == 0;
        points_.push_back({x, top});
        points_.push_back({x, top - (major ? longTick_ : shortTick_)});
    }
    canvas_.Lines(points_);
}

void ProfilePlot::DrawRoundValueAxis(bool determination, float axisEnd) {
    const float top = height_ / 2.0f;
    const float x0 = -width_ / 4.0f;
    const double first = (x0 - geometry_.xOrigin) / static_cast<double>(geometry_.xScale);
    const double last = (axisEnd - geometry_.xOrigin) / static_cast<double>(geometry_.xScale);
    const AxisTicks ticks = AxisTicks::Choose(
        first, last, axisEnd - x0, [this](std::string_view t) { return canvas_.TextWidth(t); },
        Px(16));
    for (double v : ticks.Majors(first, last)) {
        const std::string text = ticks.Format(v);
        canvas_.Label(ValueX(v) - canvas_.TextWidth(text) / 2.0f, top + 0.1f, text);
    }
    const char* title = determination ? "Coef. of Determination" : "Vs (m/s)";
    canvas_.Label((x0 + axisEnd) / 2.0f - canvas_.TextWidth(title) / 2.0f,
                  geometry_.orthoTop * 0.875f + 0.1f, title);
    points_.clear();
    for (double v : ticks.Majors(first, last)) {
        points_.push_back({ValueX(v), top});
        points_.push_back({ValueX(v), top - longTick_});
    }
    for (double v : ticks.Minors(first, last)) {
        points_.push_back({ValueX(v), top});
        points_.push_back({ValueX(v), top - shortTick_});
    }
    if (!points_.empty())
        canvas_.Lines(points_);
}

void ProfilePlot::DrawDepthAxis(double deepest) {
    const float x0 = -width_ / 4.0f;
    points_.clear();
    // A tick label that would run into the axis title at mid-height (a narrow plot with large
    // text, as in a report) is left out.
    const float titleRight = -width_ / 2.0f + canvas_.TextWidth(kDepthTitle);
    const float lineHeight = canvas_.TextAscent() + canvas_.TextDescent();
    const auto label = [&](float x, float y, std::string_view text) {
        const std::size_t lead = std::min(text.find_first_not_of(' '), text.size());
        if (std::abs(y) < lineHeight && x + canvas_.TextWidth(text.substr(0, lead)) < titleRight)
            return;
        canvas_.Label(x, y, text);
    };
    if (!(zoom_.y && zoom_.y->Valid())) {
        const float k = geometry_.yScale;
        const float top = geometry_.yOrigin;
        const double limit = std::min(deepest, kDeepestTick);
        if (deepest > 5.0) {
            for (int d = 5; d < limit; d += 5) {
                char text[16];
                std::snprintf(text, sizeof text, "%4d", d);
                label(x0 - 0.6f, top - static_cast<float>(d) * k - 0.05f,
                      std::string_view(text).substr(0, 4));
            }
        }
        for (int j = 1; j < limit; ++j) {
            const float y = top - static_cast<float>(j) * k;
            points_.push_back({x0, y});
            points_.push_back({x0 + (j % 5 == 0 ? longTick_ : shortTick_), y});
        }
    } else {
        const double first = zoom_.y->first;
        const double last = zoom_.y->last;
        const float lineHeight = canvas_.TextAscent() + canvas_.TextDescent();
        const AxisTicks ticks = AxisTicks::Choose(
            first, last, height_, [lineHeight](std::string_view) { return lineHeight; }, Px(12));
        for (double d : ticks.Majors(first, last)) {
            const std::string text = ticks.Format(d);
            label(x0 - Px(6) - canvas_.TextWidth(text), DepthY(d) - canvas_.TextAscent() / 2.0f,
                  text);
            points_.push_back({x0, DepthY(d)});
            points_.push_back({x0 + longTick_, DepthY(d)});
        }
        for (double d : ticks.Minors(first, last)) {
            points_.push_back({x0, DepthY(d)});
            points_.push_back({x0 + shortTick_, DepthY(d)});
        }
    }
    if (!points_.empty())
        canvas_.Lines(points_);
}

void ProfilePlot::DrawStairs(const Series& series, std::size_t records) {
    canvas_.SetColor(series.color[0], series.color[1], series.color[2]);
    const std::size_t intervals = IntervalsOf(series, records);
    // One staircase; an interval without a value (no correlation peak) leaves a gap.
    points_.clear();
    for (std::size_t i = 0; i < intervals; ++i) {
        const float x = ValueX(series.values[i]);
        const WorldPoint upper{x, geometry_.yOrigin - TopOf(series, i) * geometry_.yScale};
        const WorldPoint lower{x, geometry_.yOrigin - BottomOf(series, i) * geometry_.yScale};
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
