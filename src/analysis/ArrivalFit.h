#pragma once

#include <vector>

namespace korvane {

// Velocity of one interval and its standard error, m/s.
struct IntervalVelocity {
    double velocity = 0.0;
    double standardError = 0.0; // NaN when the fit has no degree of freedom left
};

// Interval velocities from the delays between successive depths. Arrival times are chained
// from the delays, starting anew after a delay that is missing (NaN), and each interval's
// velocity is the inverse slope of a least-squares line of arrival time against slant distance
// over the `points` depths centred on the interval (the upper depth of the interval and
// (points - 1) / 2 on each side of it), moved inward at the ends of a chain; 2 points are the
// interval's own two depths. Owns nothing.
class ArrivalFit {
public:
    // slant: distance from the hammer to each depth, metres; delays: seconds between depth i
    // and i + 1 (slant.size() - 1 of them). An interval whose own delay is missing gets NaN.
    static std::vector<IntervalVelocity> Fit(const std::vector<double>& slant,
                                             const std::vector<double>& delays, int points);
};

} // namespace korvane
