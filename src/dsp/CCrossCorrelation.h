#pragma once

#include "dsp/CorrelationMethod.h"

namespace korvane {

// Finds the delay, in samples, at which wave b best matches wave a by the normalised
// cross-correlation coefficient, searching every non-negative shift in both directions; all work
// happens in the constructor.
//
// For X and Y of length L with means over all L samples:
//   r(j) = sum_{m=0}^{L-1-j} (X[m]-xMean)(Y[m+j]-yMean) / sqrt(Sxx * Syy),  j = 0..L-1,
// the denominator always over the full length, so r tends to 0 as the overlap shrinks.
//
// The caller owns the inputs, the lag variable and the curve. The object owns nothing but the
// peak coefficient; a zero-padded copy of the shorter input lives only during the constructor.
// No static state: separate objects may run on separate threads at once.
//
// No result: when no shift of either direction has a coefficient above 0 (a constant input makes
// the denominator 0; inputs anti-correlated at every shift), the lag is 0 and
// GetPeakCoefficient() is exactly 0; callers detect the missing result by that 0. A curve
// value whose denominator is 0 is written as 0, never as not-a-number.
class CCrossCorrelation {
public:
    // a (lenA floats) and b (lenB floats); curve receives max(lenA, lenB) floats. *lag becomes
    // the delay of b behind a (positive: b later); ties between the directions go to the
    // positive one. curve holds the one-sided function of the winning direction, indexed by the
    // magnitude of the shift. Lengths of 0 give the no-result answer; a negative length or a
    // null array with a positive length throws KorvaneError. method chooses how the sweeps run;
    // it does not change the lag or the peak.
    CCrossCorrelation(const float* a, int lenA, const float* b, int lenB, int* lag, float* curve,
                      CorrelationMethod method = CorrelationMethod::Fast);

    double GetPeakCoefficient() const { return peakCoefficient; }

    // Writes r(j) for j = 0..L-1 into out (Y later than X), sets peakCoefficient to the largest
    // coefficient above 0 and returns its shift, the smallest on ties. Returns L (one past the
    // last entry of out) with peakCoefficient 0 when no coefficient exceeds 0. Chooses the fast
    // sweep from kFastSweepMinLength on; both give the same shift and peak.
    int SweepLags(const float* X, const float* Y, int L, float* out);
    // The reference: each numerator as its own sum, O(L*L).
    int SweepLagsDirect(const float* X, const float* Y, int L, float* out);
    // Numerators from one FFT-based correlation, O(L log L); see LagCorrelator.
    int SweepLagsFast(const float* X, const float* Y, int L, float* out);

    // Below this length the direct sweep is as fast as the FFT and needs no extra memory.
    static constexpr int kFastSweepMinLength = 64;

    double peakCoefficient = 0.0;
};

} // namespace korvane
