#pragma once

#include "analysis/AnalysisResults.h"
#include "analysis/AnalysisSettings.h"
#include "analysis/LagEstimator.h"

#include <vector>

namespace korvane {

// Sets the QualityFlag bits of every interval from its values, its neighbours, the pair
// correlation that gave its delay and the strike checks of its two depths, with the
// thresholds of the settings. Owns nothing.
class QualityFlags {
public:
    // intervals[i] lies between depths[i] and depths[i + 1]; estimates[i] is its delay.
    static void Apply(std::vector<IntervalEstimate>& intervals,
                      const std::vector<AnalysedDepth>& depths,
                      const std::vector<LagEstimate>& estimates, const AnalysisSettings& settings);
};

} // namespace korvane
