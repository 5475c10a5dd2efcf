#include "dsp/HilbertEnvelope.h"

#include "dsp/FftPlan.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace korvane {

std::vector<double> HilbertEnvelope::Of(const float* x, std::size_t n) {
    if (n == 0)
        return {};
    const auto size = std::bit_ceil(std::max<std::size_t>(n, 2));
    double mean = 0.0;
    for (std::size_t i = 0; i < n; ++i)
        mean += x[i];
    mean /= static_cast<double>(n);
    std::vector<double> re(size, 0.0), im(size, 0.0);
    for (std::size_t i = 0; i < n; ++i)
        re[i] = x[i] - mean;
    const FftPlan& plan = FftPlan::Shared(static_cast<uint32_t>(size));
    plan.TransformInPlace(0, re.data(), im.data());
    // One side of the spectrum, doubled; the other side removed. Which side is a matter of
    // the transform's sign convention and does not change the magnitude.
    const std::size_t half = size / 2;
    for (std::size_t k = 1; k < half; ++k) {
        re[k] *= 2.0;
        im[k] *= 2.0;
    }
    for (std::size_t k = half + 1; k < size; ++k) {
        re[k] = 0.0;
        im[k] = 0.0;
    }
    plan.TransformInPlace(1, re.data(), im.data());
    std::vector<double> envelope(n);
    for (std::size_t i = 0; i < n; ++i)
        envelope[i] = std::hypot(re[i], im[i]);
    return envelope;
}

} // namespace korvane
