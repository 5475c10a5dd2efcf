#include "dsp/CCrossCorrelation.h"

#include "dsp/KorvaneError.h"
#include "dsp/LagCorrelator.h"

#include <algorithm>
#include <vector>

namespace korvane {

CCrossCorrelation::CCrossCorrelation(const float* a, int lenA, const float* b, int lenB, int* lag,
                                     float* curve, CorrelationMethod method) {
    if (lenA < 0 || lenB < 0 || (lenA > 0 && a == nullptr) || (lenB > 0 && b == nullptr) ||
        lag == nullptr) {
        throw KorvaneError("The cross-correlation was given an invalid wave window.");
    }
    const int L = std::max(lenA, lenB);
    *lag = 0;
    if (L == 0) {
        return;
    }
    if (curve == nullptr) {
        throw KorvaneError("The cross-correlation was given an invalid wave window.");
    }
    // The zeros of the padded copy take part in the means and sums of squares.
    std::vector<float> padded;
    const float* A = a;
    const float* B = b;
    if (lenA < L) {
        padded.assign(static_cast<std::size_t>(L), 0.0f);
        std::copy(a, a + lenA, padded.begin());
        A = padded.data();
    } else if (lenB < L) {
        padded.assign(static_cast<std::size_t>(L), 0.0f);
        std::copy(b, b + lenB, padded.begin());
        B = padded.data();
    }

    // Both directions come from one correlator: for (A, B), "Y later" is b later than a.
    const LagCorrelator correlator(A, B, L,
                                   method == CorrelationMethod::Fast && L >= kFastSweepMinLength);
    const int k1 = correlator.Sweep(false, curve, peakCoefficient); // a later than b
    const bool found1 = k1 < L;
    const float peak1 = found1 ? curve[k1] : 0.0f;
    const int k2 = correlator.Sweep(true, curve, peakCoefficient); // b later than a
    const bool found2 = k2 < L;
    const float peak2 = found2 ? curve[k2] : 0.0f;

    if (found2 && (!found1 || peak2 >= peak1)) {
        *lag = k2;
    } else if (found1) {
        correlator.Sweep(false, curve, peakCoefficient);
        *lag = -k1;
    } else {
        // Neither direction has a positive coefficient: the curve of the b-later sweep stays.
        *lag = 0;
        peakCoefficient = 0.0;
    }
}

int CCrossCorrelation::SweepLags(const float* X, const float* Y, int L, float* out) {
    return L >= kFastSweepMinLength ? SweepLagsFast(X, Y, L, out) : SweepLagsDirect(X, Y, L, out);
}

int CCrossCorrelation::SweepLagsDirect(const float* X, const float* Y, int L, float* out) {
    return LagCorrelator(X, Y, L, false).Sweep(true, out, peakCoefficient);
}

int CCrossCorrelation::SweepLagsFast(const float* X, const float* Y, int L, float* out) {
    return LagCorrelator(X, Y, L, true).Sweep(true, out, peakCoefficient);
}

} // namespace korvane
