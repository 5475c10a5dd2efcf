#pragma once

#include "dsp/RecycledBuffer.h"

#include <cstdint>

namespace korvane {

// The normalised cross-correlation coefficients of two equal-length float sequences X and Y at
// every shift of both directions, for CCrossCorrelation:
//
//   r(j) = sum_{m=0}^{L-1-j} x[m] * y[m+j] / sqrt(Sxx * Syy)   for the direction "Y later",
//   r(j) = sum_{m=0}^{L-1-j} y[m] * x[m+j] / sqrt(Sxx * Syy)   for the direction "X later",
//
// with x, y the inputs less their means over all L samples and Sxx, Syy their full sums of
// squares (the numerator shrinks with the overlap, the denominator does not).
//
// Direct mode evaluates each numerator as that sum, O(L*L). Fast mode takes the numerators of
// every shift of both directions from one FFT-based linear correlation in double precision,
// O(L log L), then makes the search agree bit for bit with the direct one: every shift whose
// fast coefficient lies within kCandidateMargin of the fast maximum is re-evaluated with the
// direct sum (same terms, same order), and only those exact values take part in the comparison
// and are stored for them. The FFT error of a coefficient is of order 1e-14 whatever the data,
// far below the margin, so the direct maximum is always among the candidates and the chosen
// shift, its stored value and the peak are those of the direct sweep; the other stored values
// differ from the direct ones by at most one float rounding step.
//
// Owns centred double copies of the inputs and, in fast mode, the linear correlation, all in one
// RecycledBuffer of its thread. Immutable after construction; no shared state, so separate
// objects run on separate threads.
class LagCorrelator {
public:
    static constexpr double kCandidateMargin = 1e-9;

    // X and Y hold L floats each (L >= 0). Nothing is kept of them after construction.
    LagCorrelator(const float* X, const float* Y, int L, bool fast);

    // Fills out[0..L-1] with r(j) of one direction as 32-bit floats (0 everywhere when the
    // denominator is 0 or not finite: a constant input has no defined coefficient), sets peak to
    // the largest coefficient strictly above 0 and returns its shift, the smallest such shift on
    // ties; returns L with peak 0 when no coefficient exceeds 0.
    int Sweep(bool yLater, float* out, double& peak) const;

    // The coefficient used by Sweep before the candidate refinement (fast value in fast mode);
    // 0 when the denominator is 0 or not finite.
    double Coefficient(bool yLater, int shift) const;

    double Denominator() const { return denominator; }

private:
    double DirectNumerator(bool yLater, int shift) const;
    void CorrelateWithFft();

    int length;
    bool useFft;
    bool defined;
    double denominator;
    uint32_t transformSize;
    // x[L], y[L], then in fast mode the transform's real and imaginary parts.
    RecycledBuffer memory;
    const double* x;
    const double* y;
    // Fast mode: correlation[j & mask] = sum_m x[m]*y[m+j] for j in -(L-1)..L-1.
    const double* correlation = nullptr;
    uint32_t mask = 0;
};

} // namespace korvane
