#include "analysis/ArrivalFit.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvane {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Least squares of t against x over [first, last]; velocity 1 / slope.
IntervalVelocity Line(const std::vector<double>& x, const std::vector<double>& t, std::size_t first,
                      std::size_t last) {
    const double n = static_cast<double>(last - first + 1);
    double mx = 0.0, mt = 0.0;
    for (std::size_t k = first; k <= last; ++k) {
        mx += x[k];
        mt += t[k];
    }
    mx /= n;
    mt /= n;
    double sxx = 0.0, sxt = 0.0;
    for (std::size_t k = first; k <= last; ++k) {
        sxx += (x[k] - mx) * (x[k] - mx);
        sxt += (x[k] - mx) * (t[k] - mt);
    }
    const double slope = sxt / sxx; // seconds per metre
    IntervalVelocity result{1.0 / slope, kNaN};
    if (last - first >= 2 && slope != 0.0) {
        double residuals = 0.0;
        for (std::size_t k = first; k <= last; ++k) {
            const double e = t[k] - mt - slope * (x[k] - mx);
            residuals += e * e;
        }
        const double slopeError = std::sqrt(residuals / (n - 2.0) / sxx);
        result.standardError = slopeError / (slope * slope);
    }
    return result;
}

} // namespace

std::vector<IntervalVelocity> ArrivalFit::Fit(const std::vector<double>& slant,
                                              const std::vector<double>& delays, int points) {
    const std::size_t intervals = delays.size();
    std::vector<IntervalVelocity> result(intervals, IntervalVelocity{kNaN, kNaN});
    // Arrival times within each chain of known delays, and where each chain starts.
    std::vector<double> arrival(slant.size(), 0.0);
    std::vector<std::size_t> chainStart(slant.size(), 0);
    for (std::size_t i = 0; i < intervals; ++i) {
        if (std::isnan(delays[i])) {
            chainStart[i + 1] = i + 1;
        } else {
            arrival[i + 1] = arrival[i] + delays[i];
            chainStart[i + 1] = chainStart[i];
        }
    }
    const auto span = static_cast<std::size_t>(std::max(points, 2));
    for (std::size_t i = 0; i < intervals; ++i) {
        if (std::isnan(delays[i]))
            continue;
        if (span == 2) {
            result[i] = {(slant[i + 1] - slant[i]) / delays[i], kNaN};
            continue;
        }
        const std::size_t first = chainStart[i];
        std::size_t last = i + 1;
        while (last + 1 < slant.size() && chainStart[last + 1] == first)
            ++last;
        const std::size_t half = (span - 1) / 2;
        std::size_t from = i >= first + half ? i - half : first;
        std::size_t to = std::min(from + span - 1, last);
        from = to + 1 >= first + span ? to + 1 - span : first;
        result[i] = Line(slant, arrival, from, to);
    }
    return result;
}

} // namespace korvane
