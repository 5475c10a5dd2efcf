#include "dsp/FftPlan.h"

#include "dsp/Fft.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace korvane {

FftPlan::FftPlan(uint32_t n) : size(n) {
    if (!ValidTransformLength(n)) {
        throw std::invalid_argument("FftPlan: the length must be a power of two of at least 2");
    }
    const uint32_t bits = NumberOfBitsNeeded(n);
    bitReversed.resize(n);
    for (uint32_t i = 0; i < n; ++i) {
        bitReversed[i] = BitReversedIndex(i, bits);
    }
    cosTable.resize(n / 2);
    sinTable.resize(n / 2);
    for (uint32_t m = 0; m < n / 2; ++m) {
        const double phi = 2.0 * std::numbers::pi * m / n;
        cosTable[m] = std::cos(phi);
        sinTable[m] = std::sin(phi);
    }
}

void FftPlan::Transform(int inverse, const double* realIn, const double* imagIn, double* realOut,
                        double* imagOut) const {
    const uint32_t n = size;
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t j = bitReversed[i];
        realOut[j] = realIn[i];
        imagOut[j] = imagIn != nullptr ? imagIn[i] : 0.0;
    }
    // The inverse uses the conjugate twiddles.
    const double sign = inverse ? -1.0 : 1.0;
    for (uint32_t half = 1, span = 2; span <= n; half = span, span <<= 1) {
        const uint32_t stride = n / span;
        for (uint32_t j0 = 0; j0 < n; j0 += span) {
            for (uint32_t m = 0; m < half; ++m) {
                const double c = cosTable[m * stride];
                const double s = sign * sinTable[m * stride];
                const uint32_t j = j0 + m;
                const uint32_t k = j + half;
                const double tr = c * realOut[k] - s * imagOut[k];
                const double ti = c * imagOut[k] + s * realOut[k];
                realOut[k] = realOut[j] - tr;
                imagOut[k] = imagOut[j] - ti;
                realOut[j] += tr;
                imagOut[j] += ti;
            }
        }
    }
    if (inverse) {
        const double scale = static_cast<double>(n);
        for (uint32_t i = 0; i < n; ++i) {
            realOut[i] /= scale;
            imagOut[i] /= scale;
        }
    }
}

} // namespace korvane
