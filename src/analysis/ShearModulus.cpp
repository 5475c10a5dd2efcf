#include "analysis/ShearModulus.h"

#include "sounding/SoundingMetadata.h"

#include <cmath>
#include <limits>

namespace korvane {

double ShearModulus::GmaxMpa(double velocity, double unitWeight) {
    if (!(std::isfinite(velocity) && velocity > 0.0))
        return std::numeric_limits<double>::quiet_NaN();
    return unitWeight / kStandardGravity * velocity * velocity / 1000.0;
}

std::vector<double> ShearModulus::OfIntervals(const std::vector<IntervalEstimate>& intervals,
                                              const SoundingMetadata& metadata) {
    std::vector<double> gmax;
    gmax.reserve(intervals.size());
    for (const IntervalEstimate& interval : intervals)
        gmax.push_back(GmaxMpa(interval.velocity, metadata.UnitWeightAt(interval.mid)));
    return gmax;
}

} // namespace korvane
