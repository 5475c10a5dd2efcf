#include "analysis/IntervalAnalysis.h"

#include "analysis/ArrivalFit.h"
#include "analysis/LagEstimator.h"
#include "analysis/QualityFlags.h"
#include "analysis/StrikeStack.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"

#include <cmath>
#include <limits>
#include <new>
#include <string>

namespace korvane {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

void CheckSounding(const CKorvaneDoc& doc) {
    if (doc.dataLoaded == 0 || doc.recordCount < 1)
        throw KorvaneError("No sounding is loaded.");
    const auto n = static_cast<std::size_t>(doc.recordCount);
    if (doc.filteredWaves.size() < n || doc.windows.size() < n || doc.depths.size() < n)
        throw KorvaneError("The sounding is incomplete.");
    for (std::size_t k = 0; k < n; ++k) {
        const SampleWindow& w = doc.windows[k];
        if (doc.filteredWaves[k].size() != doc.samplesPerRecord)
            throw KorvaneError("The sounding is incomplete: record " + std::to_string(k + 1) +
                               " has no wave.");
        if (w.first < 0 || w.last < w.first ||
            static_cast<uint32_t>(w.last) >= doc.samplesPerRecord)
            throw KorvaneError("The analysis window of record " + std::to_string(k + 1) +
                               " is out of range (" + std::to_string(w.first) + " to " +
                               std::to_string(w.last) + ").");
        if (k > 0 && !(doc.depths[k - 1] <= doc.depths[k]))
            throw KorvaneError("The records are not in ascending depth order.");
    }
}

SampleWindow WindowOf(const AnalysedDepth& depth) {
    return {depth.windowFirst, depth.windowLast};
}

} // namespace

std::optional<AnalysisResults> IntervalAnalysis::Analyse(const CKorvaneDoc& doc,
                                                         const AnalysisSettings& settings,
                                                         ProgressReporter& progress) {
    settings.Check();
    CheckSounding(doc);
    const std::vector<float> depths(doc.depths.begin(), doc.depths.begin() + doc.recordCount);
    const std::vector<std::vector<int>> groups = StrikeStack::Groups(depths);
    const std::size_t count = groups.size();
    progress.SetRange(0, static_cast<int>(2 * count));
    progress.SetStatusText("Analysing the intervals ...\n");
    if (progress.Checkpoint())
        return std::nullopt;

    std::vector<CombinedRecord> records;
    records.reserve(count);
    for (const std::vector<int>& group : groups) {
        records.push_back(StrikeStack::Combine(doc, group, settings));
        if (progress.Checkpoint())
            return std::nullopt;
    }
    StrikeStack::Orient(records);

    const double h = doc.hammerToRod;
    std::vector<double> slant(count);
    for (std::size_t k = 0; k < count; ++k) {
        const double z = records[k].depth.depth;
        slant[k] = std::sqrt(z * z + h * h);
    }
    std::vector<LagEstimate> estimates(count - 1);
    std::vector<double> delays(count - 1);
    for (std::size_t i = 0; i + 1 < count; ++i) {
        const CombinedRecord& a = records[i];
        const CombinedRecord& b = records[i + 1];
        estimates[i] = LagEstimator::Estimate(a.wave.data(), WindowOf(a.depth), b.wave.data(),
                                              WindowOf(b.depth), settings.lag);
        delays[i] = estimates[i].lagSamples * kSampleInterval;
        if (progress.Checkpoint())
            return std::nullopt;
    }
    const std::vector<IntervalVelocity> fit = ArrivalFit::Fit(slant, delays, settings.FitPoints());

    AnalysisResults results;
    results.valid = true;
    results.settings = settings;
    double arrival = 0.0;
    for (std::size_t k = 0; k < count; ++k) {
        if (k > 0)
            arrival += delays[k - 1] * 1000.0; // NaN from a gap on stays NaN
        records[k].depth.arrivalMs = arrival;
        results.depths.push_back(std::move(records[k].depth));
    }
    for (std::size_t i = 0; i + 1 < count; ++i) {
        IntervalEstimate interval;
        interval.top = results.depths[i].depth;
        interval.bottom = results.depths[i + 1].depth;
        interval.mid = (interval.top + interval.bottom) * 0.5;
        interval.lagMs = delays[i] * 1000.0;
        interval.velocity = fit[i].velocity;
        interval.standardError = settings.fit == FitMethod::Pairs ? kNaN : fit[i].standardError;
        interval.r2 = estimates[i].coefficient * estimates[i].coefficient;
        results.intervals.push_back(interval);
    }
    QualityFlags::Apply(results.intervals, results.depths, estimates, settings);
    return results;
}

CommandResult IntervalAnalysis::Run(CKorvaneDoc& doc, ProgressReporter& progress) {
    CommandResult result;
    try {
        std::optional<AnalysisResults> results = Analyse(doc, doc.analysisSettings, progress);
        if (!results) {
            result.outcome = CommandOutcome::Cancelled;
            result.message = kProgressCancelled;
            return result;
        }
        doc.analysisResults = std::move(*results);
    } catch (const KorvaneError& e) {
        result.outcome = CommandOutcome::Failed;
        result.message = e.what();
        return result;
    } catch (const std::bad_alloc&) {
        result.outcome = CommandOutcome::Failed;
        result.message = "Out of memory.";
        return result;
    }
    doc.NotifyChanged();
    return result;
}

} // namespace korvane
