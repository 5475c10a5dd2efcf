#include "analysis/SelectedIntervals.h"

#include "sounding/CKorvaneDoc.h"

#include <cmath>
#include <limits>

namespace korvane {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The delay of interval i in milliseconds. A run of this session kept its lags; for results
// read from a file the whole-sample lag is recovered from the velocity it gave.
double LagMs(const CKorvaneDoc& doc, std::size_t i, double velocity) {
    const std::size_t intervals = static_cast<std::size_t>(doc.recordCount) - 1;
    if (doc.lags.size() == intervals)
        return doc.lags[i] * kSampleInterval * 1000.0;
    if (std::isnan(velocity))
        return kNaN;
    if (std::isinf(velocity))
        return 0.0;
    const double h = doc.hammerToRod;
    const double z0 = doc.depths[i];
    const double z1 = doc.depths[i + 1];
    const double path = std::sqrt(z1 * z1 + h * h) - std::sqrt(z0 * z0 + h * h);
    return std::round(path / velocity / kSampleInterval) * kSampleInterval * 1000.0;
}

std::vector<IntervalEstimate> CrossCorrelationIntervals(const CKorvaneDoc& doc) {
    std::vector<IntervalEstimate> intervals;
    if (doc.dataLoaded == 0 || doc.resultsValid == 0 || doc.recordCount < 2)
        return intervals;
    const auto n = static_cast<std::size_t>(doc.recordCount) - 1;
    if (doc.depths.size() < n + 1 || doc.ccVelocities.size() < n ||
        doc.correlationCoefficients.size() < n)
        return intervals;
    for (std::size_t i = 0; i < n; ++i) {
        IntervalEstimate interval;
        interval.top = doc.depths[i];
        interval.bottom = doc.depths[i + 1];
        // As the velocity table takes it: summed in single precision, halved in double.
        interval.mid = static_cast<double>(doc.depths[i] + doc.depths[i + 1]) * 0.5;
        interval.velocity = doc.ccVelocities[i];
        interval.lagMs = LagMs(doc, i, interval.velocity);
        interval.standardError = kNaN;
        const double r = doc.correlationCoefficients[i];
        interval.r2 = r * r;
        intervals.push_back(interval);
    }
    return intervals;
}

bool SameIntervals(const std::vector<IntervalEstimate>& a, const std::vector<IntervalEstimate>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].top != b[i].top || a[i].bottom != b[i].bottom)
            return false;
    return true;
}

} // namespace

SelectedIntervals SelectedIntervals::Of(const CKorvaneDoc& doc) {
    SelectedIntervals selected;
    const AnalysisResults& analysis = doc.analysisResults;
    const bool chosen = analysis.valid && !analysis.settings.IsDefault();
    std::vector<IntervalEstimate> run =
        chosen ? std::vector<IntervalEstimate>() : CrossCorrelationIntervals(doc);
    // A default analysis that combined records of one depth has fewer intervals than the run,
    // whose extra ones lie between the records of a depth: then the analysis stands.
    if (!run.empty() && (!analysis.valid || SameIntervals(analysis.intervals, run))) {
        selected.source = Source::CrossCorrelation;
        if (analysis.valid) {
            for (std::size_t i = 0; i < run.size(); ++i)
                run[i].flags = analysis.intervals[i].flags;
            selected.flagsAssessed = true;
        }
        selected.intervals = std::move(run);
    } else if (analysis.valid) {
        selected.source = Source::IntervalAnalysis;
        selected.settings = analysis.settings;
        selected.intervals = analysis.intervals;
        selected.flagsAssessed = true;
    }
    return selected;
}

std::string SelectedIntervals::MethodText() const {
    if (source == Source::CrossCorrelation)
        return "cross-correlation of successive depths, whole-sample delays";
    if (source == Source::None)
        return "none";
    std::string text = "interval analysis: ";
    switch (settings.lag) {
    case LagMethod::Integer:
        text += "whole-sample delays";
        break;
    case LagMethod::Subsample:
        text += "sub-sample delays";
        break;
    case LagMethod::Phase:
        text += "cross-spectrum phase delays";
        break;
    }
    if (settings.fit == FitMethod::Pairs)
        text += ", successive pairs";
    else
        text += ", least squares over " + std::to_string(settings.FitPoints()) + " depths";
    if (settings.strikePairs)
        text += ", strike pairs";
    return text;
}

} // namespace korvane
