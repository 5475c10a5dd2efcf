#include "view/SitePlot.h"

#include "view/AxisTicks.h"

#include <algorithm>
#include <cmath>

namespace korvane {

namespace {

// Depths and velocities beyond these are drawn no further, so one wild value cannot squeeze
// every other profile into a corner.
constexpr double kDeepestAxis = 1000.0;  // metres
constexpr double kFastestAxis = 10000.0; // m/s

} // namespace

SitePlot::SitePlot(const std::vector<SiteTables::Profile>& profiles, PlotCanvas& canvas,
                   ViewGeometry& geometry, std::string title)
    : profiles_(profiles), canvas_(canvas), geometry_(geometry), title_(std::move(title)) {}

std::array<float, 3> SitePlot::Colour(std::size_t k) {
    // Ten well-separated colours first, then hues spread by the golden angle in two shades.
    static constexpr std::array<std::array<float, 3>, 10> kFirst = {{{0.12f, 0.47f, 0.71f},
                                                                     {1.00f, 0.50f, 0.05f},
                                                                     {0.17f, 0.63f, 0.17f},
                                                                     {0.84f, 0.15f, 0.16f},
                                                                     {0.58f, 0.40f, 0.74f},
                                                                     {0.55f, 0.34f, 0.29f},
                                                                     {0.89f, 0.47f, 0.76f},
                                                                     {0.40f, 0.40f, 0.40f},
                                                                     {0.62f, 0.62f, 0.05f},
                                                                     {0.09f, 0.65f, 0.72f}}};
    if (k < kFirst.size())
        return kFirst[k];
    const double hue = std::fmod(static_cast<double>(k) * 0.618033988749895, 1.0) * 6.0;
    const double value = k % 2 == 0 ? 0.8 : 0.55;
    const double chroma = value * 0.85;
    const double x = chroma * (1.0 - std::fabs(std::fmod(hue, 2.0) - 1.0));
    const double m = value - chroma;
    double r = 0.0, g = 0.0, b = 0.0;
    switch (static_cast<int>(hue)) {
    case 0:
        r = chroma, g = x;
        break;
    case 1:
        r = x, g = chroma;
        break;
    case 2:
        g = chroma, b = x;
        break;
    case 3:
        g = x, b = chroma;
        break;
    case 4:
        r = x, b = chroma;
        break;
    default:
        r = chroma, b = x;
        break;
    }
    return {static_cast<float>(r + m), static_cast<float>(g + m), static_cast<float>(b + m)};
}

float SitePlot::Px(float n) const {
    return geometry_.pixelsPerUnit > 0.0f ? n / geometry_.pixelsPerUnit : 0.0f;
}

float SitePlot::VelocityX(double velocity) const {
    return static_cast<float>(velocity) * geometry_.xScale + geometry_.xOrigin;
}

float SitePlot::DepthY(double depth) const {
    return geometry_.yOrigin - static_cast<float>(depth) * geometry_.yScale;
}

void SitePlot::Draw() {
    canvas_.Clear();
    double deepest = 0.0, fastest = 0.0;
    for (const SiteTables::Profile& profile : profiles_)
        for (const SiteTables::Profile::Step& step : profile.steps) {
            deepest = std::max({deepest, step.top, step.bottom});
            if (std::isfinite(step.velocity))
                fastest = std::max(fastest, step.velocity);
        }
    deepest = std::min(deepest, kDeepestAxis);
    fastest = std::min(fastest, kFastestAxis);

    // The chart takes the left three quarters below the title and the value axis; the legend
    // the rest.
    const float lineHeight = std::max(canvas_.TextAscent() + canvas_.TextDescent(), Px(12));
    left_ = geometry_.orthoLeft + Px(16) + canvas_.TextWidth("0000") + lineHeight;
    right_ = geometry_.orthoLeft + (geometry_.orthoRight - geometry_.orthoLeft) * 0.75f;
    top_ = geometry_.orthoTop - Px(16) - 3.0f * lineHeight;
    bottom_ = geometry_.orthoBottom + Px(16);

    canvas_.SetColor(0.0f, 0.0f, 0.0f);
    canvas_.Label(geometry_.orthoLeft + Px(8), geometry_.orthoTop - Px(6) - canvas_.TextAscent(),
                  title_);
    DrawAxes(deepest, fastest);
    if (deepest > 0.0) {
        canvas_.SetClip({left_, bottom_, right_, top_});
        for (std::size_t k = 0; k < profiles_.size(); ++k) {
            const std::array<float, 3> colour = Colour(k);
            canvas_.SetColor(colour[0], colour[1], colour[2]);
            DrawProfile(profiles_[k]);
        }
        canvas_.ResetClip();
    }
    DrawLegend();
}

void SitePlot::DrawAxes(double deepest, double fastest) {
    // Vs from 0 to a round value past the fastest interval (400 m/s at least, as the profile
    // display's standard axis); depth from 0 down to the deepest interval.
    const auto width = [this](std::string_view text) { return canvas_.TextWidth(text); };
    const AxisTicks vsTicks =
        AxisTicks::Choose(0.0, std::max(fastest, 400.0), right_ - left_, width, Px(16));
    const double vsEnd = vsTicks.major > 0.0
                             ? std::ceil(std::max(fastest, 400.0) / vsTicks.major) * vsTicks.major
                             : 400.0;
    geometry_.xScale = static_cast<float>((right_ - left_) / vsEnd);
    geometry_.xOrigin = left_;
    const double depthEnd = deepest > 0.0 ? deepest : 1.0;
    geometry_.yScale = static_cast<float>((top_ - bottom_) / depthEnd);
    geometry_.yOrigin = top_;
    geometry_.profile = true;
    geometry_.dataLeft = left_;
    geometry_.dataRight = right_;
    geometry_.dataTop = top_;
    geometry_.dataBottom = bottom_;
    geometry_.fullX = {0.0, vsEnd};
    geometry_.fullY = {0.0, depthEnd};

    canvas_.SetColor(0.0f, 0.0f, 0.0f);
    const WorldPoint frame[] = {{right_, top_}, {left_, top_}, {left_, bottom_}};
    canvas_.LineStrip(frame);
    const float longTick = Px(8), shortTick = Px(4);
    const float ascent = canvas_.TextAscent();
    points_.clear();
    for (double v : vsTicks.Majors(0.0, vsEnd)) {
        const std::string text = vsTicks.Format(v);
        canvas_.Label(VelocityX(v) - canvas_.TextWidth(text) / 2.0f, top_ + Px(4), text);
        points_.push_back({VelocityX(v), top_});
        points_.push_back({VelocityX(v), top_ - longTick});
    }
    for (double v : vsTicks.Minors(0.0, vsEnd)) {
        points_.push_back({VelocityX(v), top_});
        points_.push_back({VelocityX(v), top_ - shortTick});
    }
    const char* vsTitle = "Vs (m/s)";
    canvas_.Label((left_ + right_) / 2.0f - canvas_.TextWidth(vsTitle) / 2.0f,
                  top_ + Px(8) + ascent + canvas_.TextDescent(), vsTitle);

    const float lineHeight = ascent + canvas_.TextDescent();
    const AxisTicks depthTicks = AxisTicks::Choose(
        0.0, depthEnd, top_ - bottom_, [lineHeight](std::string_view) { return lineHeight; },
        Px(12));
    for (double d : depthTicks.Majors(0.0, depthEnd)) {
        const std::string text = depthTicks.Format(d);
        canvas_.Label(left_ - Px(6) - canvas_.TextWidth(text), DepthY(d) - ascent / 2.0f, text);
        points_.push_back({left_, DepthY(d)});
        points_.push_back({left_ + longTick, DepthY(d)});
    }
    for (double d : depthTicks.Minors(0.0, depthEnd)) {
        points_.push_back({left_, DepthY(d)});
        points_.push_back({left_ + shortTick, DepthY(d)});
    }
    if (!points_.empty())
        canvas_.Lines(points_);
    canvas_.Label(geometry_.orthoLeft + Px(8), top_ + Px(8) + ascent + canvas_.TextDescent(),
                  "Depth (m)");
}

void SitePlot::DrawProfile(const SiteTables::Profile& profile) {
    // One staircase; an interval without a velocity leaves a gap.
    points_.clear();
    for (const SiteTables::Profile::Step& step : profile.steps) {
        const float x = VelocityX(std::min(step.velocity, kFastestAxis));
        if (std::isfinite(step.velocity) && step.velocity >= 0.0) {
            points_.push_back({x, DepthY(std::min(step.top, kDeepestAxis))});
            points_.push_back({x, DepthY(std::min(step.bottom, kDeepestAxis))});
            continue;
        }
        if (!points_.empty())
            canvas_.LineStrip(points_);
        points_.clear();
    }
    if (!points_.empty())
        canvas_.LineStrip(points_);
}

void SitePlot::DrawLegend() {
    const float lineHeight = canvas_.TextAscent() + canvas_.TextDescent() + Px(4);
    const float x = right_ + Px(24);
    const float swatch = Px(24);
    float y = top_ - canvas_.TextAscent();
    const auto room = static_cast<std::size_t>(
        std::max(1.0f, std::floor((y - bottom_) / std::max(lineHeight, Px(1))) + 1.0f));
    const std::size_t shown =
        profiles_.size() <= room ? profiles_.size() : std::max<std::size_t>(room, 2) - 1;
    for (std::size_t k = 0; k < shown; ++k, y -= lineHeight) {
        const std::array<float, 3> colour = Colour(k);
        canvas_.SetColor(colour[0], colour[1], colour[2]);
        const float mid = y + canvas_.TextAscent() / 3.0f;
        const WorldPoint line[] = {{x, mid}, {x + swatch, mid}};
        canvas_.LineStrip(line);
        canvas_.SetColor(0.0f, 0.0f, 0.0f);
        canvas_.Label(x + swatch + Px(6), y, profiles_[k].sounding);
    }
    if (shown < profiles_.size())
        canvas_.Label(x, y, "and " + std::to_string(profiles_.size() - shown) + " more soundings");
}

} // namespace korvane
