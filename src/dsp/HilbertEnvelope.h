#pragma once

#include <cstddef>
#include <vector>

namespace korvane {

// The envelope of a wave: the magnitude of its analytic signal (the wave plus i times its
// Hilbert transform), taken with one forward and one inverse transform over the next power of
// two (zeros after the wave). Owns nothing; safe on any thread.
class HilbertEnvelope {
public:
    // n values of the envelope of x[0..n-1] less its mean; empty for n = 0.
    static std::vector<double> Of(const float* x, std::size_t n);
};

} // namespace korvane
