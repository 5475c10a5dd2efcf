#include "analysis/QualityFlags.h"

#include <cmath>

namespace korvane {

void QualityFlags::Apply(std::vector<IntervalEstimate>& intervals,
                         const std::vector<AnalysedDepth>& depths,
                         const std::vector<LagEstimate>& estimates,
                         const AnalysisSettings& settings) {
    const std::size_t n = intervals.size();
    for (std::size_t i = 0; i < n; ++i) {
        IntervalEstimate& interval = intervals[i];
        const double v = interval.velocity;
        uint32_t flags = 0;
        if (interval.r2 < settings.minR2)
            flags |= kLowR2;
        if (v < settings.slowVelocity)
            flags |= kSlow;
        if (v > settings.fastVelocity)
            flags |= kFast;
        if (interval.lagMs < 0.0)
            flags |= kNegativeLag;
        if (estimates[i].coefficient > 0.0 && estimates[i].shiftFraction > settings.edgeFraction)
            flags |= kWindowEdge;
        if (depths[i].polarityFailed || depths[i + 1].polarityFailed)
            flags |= kPolarity;

        // Against every neighbour with a finite velocity; at least one is needed.
        int neighbours = 0;
        bool differs = std::isfinite(v);
        for (const std::size_t j : {i - 1, i + 1}) {
            if (j >= n || !std::isfinite(intervals[j].velocity))
                continue;
            const double other = intervals[j].velocity;
            ++neighbours;
            differs = differs && std::fabs(v - other) > settings.jumpFraction * std::fabs(other);
        }
        if (neighbours > 0 && differs)
            flags |= kJump;
        interval.flags = flags;
    }
}

} // namespace korvane
