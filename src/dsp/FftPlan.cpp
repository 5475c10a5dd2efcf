#include "dsp/FftPlan.h"

#include "dsp/Fft.h"

#include <cmath>
#include <map>
#include <memory>
#include <mutex>
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
    // Direct sin/cos of 2*pi*m/n over the first octant only; the rest by symmetry, which also
    // keeps the table exactly symmetric.
    std::vector<double> c(n / 2), s(n / 2);
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
    // Each stage's factors side by side: the inner loop then reads them in order.
    cosTable.resize(n - 1);
    sinTable.resize(n - 1);
    for (uint32_t h = 1; h < n; h <<= 1) {
        const uint32_t stride = n / (2 * h);
        for (uint32_t m = 0; m < h; ++m) {
            cosTable[h - 1 + m] = c[m * stride];
            sinTable[h - 1 + m] = s[m * stride];
        }
    }
    reversed.resize(n);
    for (uint32_t i = 0, r = 0; i < n; ++i, r = NextReversed(r, n)) {
        reversed[i] = r;
    }
}

const FftPlan& FftPlan::Shared(uint32_t n) {
    static std::mutex mutex;
    static std::map<uint32_t, std::unique_ptr<const FftPlan>> plans;
    const std::lock_guard<std::mutex> lock(mutex);
    std::unique_ptr<const FftPlan>& plan = plans[n];
    if (!plan) {
        plan = std::make_unique<const FftPlan>(n);
    }
    return *plan;
}

void FftPlan::Transform(int inverse, const double* realIn, const double* imagIn, double* realOut,
                        double* imagOut) const {
    for (uint32_t i = 0; i < size; ++i) {
        realOut[reversed[i]] = realIn[i];
        imagOut[reversed[i]] = imagIn != nullptr ? imagIn[i] : 0.0;
    }
    Butterflies(inverse, realOut, imagOut);
}

void FftPlan::TransformInPlace(int inverse, double* re, double* im) const {
    for (uint32_t i = 0; i < size; ++i) {
        const uint32_t r = reversed[i];
        if (i < r) {
            std::swap(re[i], re[r]);
            std::swap(im[i], im[r]);
        }
    }
    Butterflies(inverse, re, im);
}

void FftPlan::ForwardToBitReversed(double* re, double* im) const {
    const uint32_t n = size;
    // Decimation in frequency: the stages of Butterflies in reverse, each block's difference
    // multiplied by the twiddle after the sum is taken.
    for (uint32_t half = n / 2, span = n; half >= 2; span = half, half >>= 1) {
        const double* cs = cosTable.data() + (half - 1);
        const double* sn = sinTable.data() + (half - 1);
        for (uint32_t j0 = 0; j0 < n; j0 += span) {
            double* reLow = re + j0;
            double* imLow = im + j0;
            double* reHigh = reLow + half;
            double* imHigh = imLow + half;
            for (uint32_t m = 0; m < half; ++m) {
                const double dr = reLow[m] - reHigh[m];
                const double di = imLow[m] - imHigh[m];
                reLow[m] += reHigh[m];
                imLow[m] += imHigh[m];
                reHigh[m] = cs[m] * dr - sn[m] * di;
                imHigh[m] = cs[m] * di + sn[m] * dr;
            }
        }
    }
    for (uint32_t j = 0; j + 1 < n; j += 2) {
        const double tr = re[j + 1], ti = im[j + 1];
        re[j + 1] = re[j] - tr;
        im[j + 1] = im[j] - ti;
        re[j] += tr;
        im[j] += ti;
    }
}

void FftPlan::InverseFromBitReversed(double* re, double* im) const {
    Butterflies(1, re, im);
}

void FftPlan::Butterflies(int inverse, double* re, double* im) const {
    const uint32_t n = size;
    // The first stage multiplies by 1 only.
    for (uint32_t j = 0; j + 1 < n; j += 2) {
        const double tr = re[j + 1], ti = im[j + 1];
        re[j + 1] = re[j] - tr;
        im[j + 1] = im[j] - ti;
        re[j] += tr;
        im[j] += ti;
    }
    // The inverse uses the conjugate twiddles.
    const double sign = inverse ? -1.0 : 1.0;
    for (uint32_t half = 2, span = 4; span <= n; half = span, span <<= 1) {
        const double* cs = cosTable.data() + (half - 1);
        const double* sn = sinTable.data() + (half - 1);
        for (uint32_t j0 = 0; j0 < n; j0 += span) {
            double* reLow = re + j0;
            double* imLow = im + j0;
            double* reHigh = reLow + half;
            double* imHigh = imLow + half;
            for (uint32_t m = 0; m < half; ++m) {
                const double c = cs[m];
                const double s = sign * sn[m];
                const double tr = c * reHigh[m] - s * imHigh[m];
                const double ti = c * imHigh[m] + s * reHigh[m];
                reHigh[m] = reLow[m] - tr;
                imHigh[m] = imLow[m] - ti;
                reLow[m] += tr;
                imLow[m] += ti;
            }
        }
    }
    if (inverse) {
        const double scale = 1.0 / static_cast<double>(n);
        for (uint32_t i = 0; i < n; ++i) {
            re[i] *= scale;
            im[i] *= scale;
        }
    }
}

} // namespace korvane
