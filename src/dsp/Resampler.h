#pragma once

#include <cstddef>
#include <vector>

namespace korvane {

// Puts a uniformly sampled signal on another uniform time grid with a band-limited
// interpolator: a Kaiser-windowed sinc of 16 zero crossings on each side, its cutoff at the
// lower of the two Nyquist frequencies (so a slower grid is not aliased). Where the output
// time falls on a source sample of a faster-or-equal grid, the kernel returns that sample
// unchanged. The weights of every output are normalised to sum to 1, so a constant stays
// exactly constant. When the ratio of the intervals is a fraction with a small denominator
// (0.125 ms or 0.2 ms to 25 µs) the weights repeat and are computed once per phase.
// Owns only its settings; Run may be called from several threads at once.
class Resampler {
public:
    // Intervals in seconds, both positive and finite.
    Resampler(double sourceInterval, double targetInterval);

    // out[k] becomes the signal at time k * targetInterval, where source sample j lies at time
    // start + j * sourceInterval (seconds). The signal is taken as `background` beyond the
    // source, so outputs outside the source's span are exactly background and those near its
    // ends fade into it.
    void Run(const float* source, std::size_t count, double start, double background, float* out,
             std::size_t outCount) const;

    // Outputs [first, last) whose time lies within the source's span.
    static void CoveredRange(std::size_t count, double start, double sourceInterval,
                             double targetInterval, std::size_t outCount, std::size_t& first,
                             std::size_t& last);

    static constexpr int kZeroCrossings = 16;

private:
    // Weights of the taps i - halfTaps_ + 1 .. i + halfTaps_ for a position i + fraction.
    void Weights(double fraction, double* weights) const;

    double sourceInterval_;
    double targetInterval_;
    double step_;   // source samples per output sample
    double cutoff_; // of the kernel, relative to the source's Nyquist frequency
    int halfTaps_;
    long period_ = 0;  // outputs after which the fractions repeat; 0: they do not (soon)
    long advance_ = 0; // source samples per period
};

} // namespace korvane
