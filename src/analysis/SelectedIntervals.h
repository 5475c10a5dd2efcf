#pragma once

#include "analysis/AnalysisResults.h"
#include "analysis/AnalysisSettings.h"

#include <string>
#include <vector>

namespace korvane {

class CKorvaneDoc;

// The interval results of a sounding that every output reports (CSV, AGS, time-averaged
// velocity, summaries, reports): the one place that decides between the cross-correlation run
// and the interval analysis, so no output derives its own. Owns a copy of the intervals.
//
// The rule: the interval analysis when it ran with settings other than the defaults (a method
// the user chose); otherwise the cross-correlation run, which the default analysis reproduces,
// with the default analysis's quality flags when it covered the same intervals; the default
// analysis when there is no cross-correlation run or when it combined records of one depth
// (the run then has intervals between the records of a depth); nothing otherwise. Outputs run
// the analysis first (IntervalAnalysis::Run) so that flags and combined depths exist.
struct SelectedIntervals {
    enum class Source { None, CrossCorrelation, IntervalAnalysis };

    Source source = Source::None;
    AnalysisSettings settings; // the method; the defaults for the cross-correlation run
    std::vector<IntervalEstimate> intervals; // depth order, contiguous
    bool flagsAssessed = false;              // false: no quality flags were computed

    static SelectedIntervals Of(const CKorvaneDoc& doc);

    // How the velocities were found, for titles and remarks: "cross-correlation of successive
    // depths, whole-sample delays" or "interval analysis: sub-sample delays, least squares over
    // 5 depths, strike pairs".
    std::string MethodText() const;
};

} // namespace korvane
