#include "dsp/FftPlan.h"

#include "dsp/Fft.h"

#include <cmath>
#include <numbers>
#include <stdexcept>
#include <utility>

namespace korvane {

namespace {

// Steps r from the bit reversal of i to that of i+1 (n a power of two), in amortised O(1):
// a reversed increment carries from the top bit downwards.
uint32_t NextReversed(uint32_t r, uint32_t n) {
    uint32_t bit = n >> 1;
    while (r & bit) {
        r ^= bit;
        bit >>= 1;
    }
    return r | bit;
}

} // namespace

FftPlan::FftPlan(uint32_t n) : size(n) {
    if (!ValidTransformLength(n)) {
        throw std::invalid_argument("FftPlan: the length must be a power of two of at least 2");
    }
    // Direct sin/cos over the first octant only; the rest by symmetry, which also keeps the
    // table exactly symmetric.
    cosTable.resize(n / 2);
    sinTable.resize(n / 2);
    double* c = cosTable.data();
    double* s = sinTable.data();
    const uint32_t half = n / 2, quarter = n / 4, eighth = n / 8;
    for (uint32_t m = 0; m <= eighth && m < half; ++m) {
        const double phi = 2.0 * std::numbers::pi * m / n;
        c[m] = std::cos(phi);
        s[m] = std::sin(phi);
    }
    for (uint32_t m = eighth + 1; m <= quarter && m < half; ++m) {
        c[m] = s[quarter - m]; // cos(pi/2 - t) = sin t
        s[m] = c[quarter - m];
    }
    for (uint32_t m = quarter + 1; m < half; ++m) {
        c[m] = -s[m - quarter]; // cos(pi/2 + t) = -sin t
        s[m] = c[m - quarter];
    }
}

void FftPlan::Transform(int inverse, const double* realIn, const double* imagIn, double* realOut,
                        double* imagOut) const {
    for (uint32_t i = 0, r = 0; i < size; ++i, r = NextReversed(r, size)) {
        realOut[r] = realIn[i];
        imagOut[r] = imagIn != nullptr ? imagIn[i] : 0.0;
    }
    Butterflies(inverse, realOut, imagOut);
}

void FftPlan::TransformInPlace(int inverse, double* re, double* im) const {
    for (uint32_t i = 0, r = 0; i < size; ++i, r = NextReversed(r, size)) {
        if (i < r) {
            std::swap(re[i], re[r]);
            std::swap(im[i], im[r]);
        }
    }
    Butterflies(inverse, re, im);
}

void FftPlan::Butterflies(int inverse, double* re, double* im) const {
    const uint32_t n = size;
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
                const double tr = c * re[k] - s * im[k];
                const double ti = c * im[k] + s * re[k];
                re[k] = re[j] - tr;
                im[k] = im[j] - ti;
                re[j] += tr;
                im[j] += ti;
            }
        }
    }
    if (inverse) {
        const double scale = static_cast<double>(n);
        for (uint32_t i = 0; i < n; ++i) {
            re[i] /= scale;
            im[i] /= scale;
        }
    }
}

} // namespace korvane
