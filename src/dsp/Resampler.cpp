#include "dsp/Resampler.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace korvane {

namespace {

constexpr int kTableSteps = 512; // kernel values per unit of its argument
constexpr double kKaiserBeta = 8.0;
constexpr long kLongestPeriod = 1024;

// Modified Bessel function of the first kind, order 0, by its power series.
double BesselI0(double x) {
    double sum = 1.0;
    double term = 1.0;
    const double quarter = x * x / 4.0;
    for (int k = 1; k < 200 && term > 1e-17 * sum; ++k) {
        term *= quarter / (static_cast<double>(k) * static_cast<double>(k));
        sum += term;
    }
    return sum;
}

// sinc(u) times the Kaiser window, tabulated for u from 0 to the last zero crossing.
const std::vector<double>& KernelTable() {
    static const std::vector<double> table = [] {
        const int width = Resampler::kZeroCrossings;
        std::vector<double> values(static_cast<std::size_t>(width * kTableSteps + 2), 0.0);
        const double norm = BesselI0(kKaiserBeta);
        for (int k = 0; k <= width * kTableSteps; ++k) {
            const double u = static_cast<double>(k) / kTableSteps;
            const double r = u / width;
            const double window = BesselI0(kKaiserBeta * std::sqrt(std::max(0.0, 1.0 - r * r)));
            const double sinc =
                k == 0 ? 1.0 : std::sin(std::numbers::pi * u) / (std::numbers::pi * u);
            values[static_cast<std::size_t>(k)] = sinc * window / norm;
        }
        return values;
    }();
    return table;
}

double Kernel(const std::vector<double>& table, double u) {
    const double at = std::abs(u) * kTableSteps;
    if (at >= static_cast<double>(Resampler::kZeroCrossings * kTableSteps))
        return 0.0;
    const auto index = static_cast<std::size_t>(at);
    const double part = at - static_cast<double>(index);
    return table[index] + part * (table[index + 1] - table[index]);
}

} // namespace

Resampler::Resampler(double sourceInterval, double targetInterval)
    : sourceInterval_(sourceInterval), targetInterval_(targetInterval),
      step_(targetInterval / sourceInterval),
      cutoff_(std::min(1.0, sourceInterval / targetInterval)),
      halfTaps_(static_cast<int>(std::ceil(kZeroCrossings / cutoff_))) {
    for (long period = 1; period <= kLongestPeriod; ++period) {
        const double advance = step_ * static_cast<double>(period);
        if (std::abs(advance - std::round(advance)) < 1e-9 * std::max(1.0, advance)) {
            period_ = period;
            advance_ = std::lround(advance);
            break;
        }
    }
}

void Resampler::Weights(double fraction, double* weights) const {
    const std::vector<double>& table = KernelTable();
    double sum = 0.0;
    for (int t = -halfTaps_ + 1; t <= halfTaps_; ++t) {
        const double w = Kernel(table, cutoff_ * (fraction - t));
        weights[t + halfTaps_ - 1] = w;
        sum += w;
    }
    for (int t = 0; t < 2 * halfTaps_; ++t)
        weights[t] /= sum;
}

void Resampler::CoveredRange(std::size_t count, double start, double sourceInterval,
                             double targetInterval, std::size_t outCount, std::size_t& first,
                             std::size_t& last) {
    first = last = 0;
    if (count == 0 || outCount == 0)
        return;
    // A hair of tolerance keeps an output that lands on the last sample up to rounding.
    const double tolerance = 1e-9 * sourceInterval;
    const double begin = start - tolerance;
    const double end = start + static_cast<double>(count - 1) * sourceInterval + tolerance;
    const double firstIndex = std::ceil(begin / targetInterval);
    const double lastIndex = std::floor(end / targetInterval);
    if (lastIndex < 0.0 || firstIndex > static_cast<double>(outCount - 1) || firstIndex > lastIndex)
        return;
    first = static_cast<std::size_t>(std::max(0.0, firstIndex));
    last = static_cast<std::size_t>(std::min(static_cast<double>(outCount - 1), lastIndex)) + 1;
}

void Resampler::Run(const float* source, std::size_t count, double start, double background,
                    float* out, std::size_t outCount) const {
    std::size_t first = 0;
    std::size_t last = 0;
    CoveredRange(count, start, sourceInterval_, targetInterval_, outCount, first, last);
    const auto fill = static_cast<float>(background);
    std::fill(out, out + outCount, fill);
    if (first >= last)
        return;

    const int taps = 2 * halfTaps_;
    const auto sourceCount = static_cast<long>(count);
    // Position of output k in source samples: origin + k * step_.
    const double origin = -start / sourceInterval_;
    const auto sample = [&](long j) {
        return j >= 0 && j < sourceCount ? static_cast<double>(source[j]) - background : 0.0;
    };
    const auto apply = [&](long base, const double* weights) {
        // base: the source index of the first tap.
        double sum = 0.0;
        if (base >= 0 && base + taps <= sourceCount) {
            const float* s = source + base;
            for (int t = 0; t < taps; ++t)
                sum += weights[t] * (static_cast<double>(s[t]) - background);
        } else {
            for (int t = 0; t < taps; ++t)
                sum += weights[t] * sample(base + t);
        }
        return static_cast<float>(background + sum);
    };

    std::vector<double> weights;
    if (period_ > 0 && static_cast<std::size_t>(period_) <= last - first) {
        // The fractions repeat every period_ outputs: one row of weights per phase.
        const auto period = static_cast<std::size_t>(period_);
        weights.resize(period * static_cast<std::size_t>(taps));
        std::vector<long> bases(period);
        for (std::size_t r = 0; r < period; ++r) {
            const double position = origin + static_cast<double>(first + r) * step_;
            const double whole = std::floor(position);
            Weights(position - whole, weights.data() + r * static_cast<std::size_t>(taps));
            bases[r] = static_cast<long>(whole) - halfTaps_ + 1;
        }
        for (std::size_t k = first; k < last; ++k) {
            const std::size_t r = (k - first) % period;
            const auto cycles = static_cast<long>((k - first) / period);
            out[k] = apply(bases[r] + cycles * advance_,
                           weights.data() + r * static_cast<std::size_t>(taps));
        }
        return;
    }
    weights.resize(static_cast<std::size_t>(taps));
    for (std::size_t k = first; k < last; ++k) {
        const double position = origin + static_cast<double>(k) * step_;
        const double whole = std::floor(position);
        Weights(position - whole, weights.data());
        out[k] = apply(static_cast<long>(whole) - halfTaps_ + 1, weights.data());
    }
}

} // namespace korvane
