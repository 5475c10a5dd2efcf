#include "analysis/SiteClassification.h"

#include "sounding/FixedDecimal.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace korvane {

namespace {

// One stretch of the profile from the surface down: [from, to) at a velocity, standing for
// interval `interval` (counted from 0).
struct Stretch {
    double from;
    double to;
    double velocity;
    std::size_t interval;
};

bool Usable(double velocity) {
    return std::isfinite(velocity) && velocity > 0.0;
}

std::string Metres(double value) {
    return FixedDecimal::Rounded(value, 2) + " m";
}

std::string BadInterval(const std::vector<IntervalEstimate>& intervals, std::size_t i) {
    const IntervalEstimate& interval = intervals[i];
    return "interval " + std::to_string(i + 1) + " (" + Metres(interval.top) + " to " +
           Metres(interval.bottom) + ") has no valid velocity (" +
           FixedDecimal::Rounded(interval.velocity, 1) + " m/s)";
}

// Travel time from the surface to depth d in seconds, or NaN with the failing stretch in bad.
double TimeTo(const std::vector<Stretch>& stretches, double d, const Stretch*& bad) {
    double time = 0.0;
    for (const Stretch& s : stretches) {
        const double length = std::min(s.to, d) - std::max(s.from, 0.0);
        if (!(length > 0.0))
            continue;
        if (!Usable(s.velocity)) {
            bad = &s;
            return SiteClassification::kNaN;
        }
        time += length / s.velocity;
    }
    return time;
}

} // namespace

SiteClassification SiteClassification::Of(const std::vector<IntervalEstimate>& intervals) {
    SiteClassification result;
    std::vector<Stretch> stretches;
    for (std::size_t i = 0; i < intervals.size(); ++i) {
        const IntervalEstimate& interval = intervals[i];
        if (!(interval.bottom > interval.top))
            continue;
        if (stretches.empty()) {
            result.topThickness = std::max(interval.top, 0.0);
            result.topVelocity = interval.velocity;
            stretches.push_back({0.0, interval.top, interval.velocity, i});
        }
        stretches.push_back({interval.top, interval.bottom, interval.velocity, i});
    }
    if (stretches.empty()) {
        result.note = "no interval of positive length has a result";
        return result;
    }
    result.depth = stretches.back().to;
    if (!(result.depth > 0.0)) {
        result.note = "the deepest geophone is not below the surface";
        return result;
    }

    const Stretch* bad = nullptr;
    const double timeZ = TimeTo(stretches, result.depth, bad);
    result.vsZ = result.depth / timeZ;
    if (result.depth < kReferenceDepth) {
        result.note = "Vs30 and the site classes not determined: the deepest geophone is at " +
                      Metres(result.depth) + ", above 30 m (no extrapolation)";
        if (bad != nullptr)
            result.note =
                "VsZ not determined: " + BadInterval(intervals, bad->interval) + ". " + result.note;
        return result;
    }
    const Stretch* bad30 = nullptr;
    result.vs30 = kReferenceDepth / TimeTo(stretches, kReferenceDepth, bad30);
    result.ec8 = Ec8GroundType(result.vs30);
    result.asce = Asce722SiteClass(result.vs30);
    if (bad30 != nullptr)
        result.note = "VsZ, Vs30 and the site classes not determined: " +
                      BadInterval(intervals, bad30->interval);
    else if (bad != nullptr)
        result.note = "VsZ not determined: " + BadInterval(intervals, bad->interval);
    return result;
}

const char* SiteClassification::Ec8GroundType(double vs30) {
    if (std::isnan(vs30))
        return "-";
    if (vs30 > 800.0)
        return "A";
    if (vs30 > 360.0)
        return "B";
    if (vs30 >= 180.0)
        return "C";
    return "D";
}

const char* SiteClassification::Asce722SiteClass(double vs30) {
    static constexpr std::array<std::pair<double, const char*>, 7> kLowerBounds = {{
        {1524.0, "A"},
        {914.4, "B"},
        {640.08, "BC"},
        {441.96, "C"},
        {304.8, "CD"},
        {213.36, "D"},
        {152.4, "DE"},
    }};
    if (std::isnan(vs30))
        return "-";
    for (const auto& [bound, name] : kLowerBounds)
        if (vs30 > bound)
            return name;
    return "E";
}

std::string SiteClassification::Explanation() const {
    if (std::isnan(depth))
        return "VsZ, Vs30 and the site classes not determined: " + note + ".";
    std::string text = "VsZ from the surface to Z = " + Metres(depth) + "; the top " +
                       Metres(topThickness) + " taken at the first interval's velocity (" +
                       FixedDecimal::Rounded(topVelocity, 1) + " m/s).";
    if (!note.empty())
        text += " " + note + ".";
    return text;
}

std::string SiteClassification::SummaryLines() const {
    return "Z_m " + FixedDecimal::Rounded(depth, 2) + "\nVsZ_m_s " + FixedDecimal::Rounded(vsZ, 1) +
           "\nVs30_m_s " + FixedDecimal::Rounded(vs30, 1) + "\nEC8 " + ec8 + "\nASCE7_22 " + asce +
           "\n";
}

} // namespace korvane
