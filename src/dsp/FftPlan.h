#pragma once

#include <cstdint>
#include <vector>

namespace korvane {

// A reusable double-precision radix-2 transform of one fixed length, with the convention of
// fft_float (positive exponent forward, 1/N on the inverse). Owns its twiddle factors, computed
// directly from sin/cos so the accuracy does not degrade with the length and stored stage by
// stage in the order the butterflies use them, and the bit-reversal permutation.
// Immutable after construction: one plan may serve several threads at once.
class FftPlan {
public:
    // n must be a power of two of at least 2 (std::invalid_argument otherwise).
    explicit FftPlan(uint32_t n);

    // The plan of length n, made on first use and kept until the program ends; safe to call
    // from several threads.
    static const FftPlan& Shared(uint32_t n);

    uint32_t Size() const { return size; }

    // Out-of-place transform; imagIn may be null (zeros). Outputs must not overlap inputs.
    void Transform(int inverse, const double* realIn, const double* imagIn, double* realOut,
                   double* imagOut) const;

    // The same transform on (re, im) in place.
    void TransformInPlace(int inverse, double* re, double* im) const;

    // The forward transform in place, leaving bin k at the bit reversal of k. Saves the
    // permutation when the bins are only multiplied before InverseFromBitReversed; then the bins
    // k and size-k sit at positions p and 3B-1-p of the block [B, 2B) that holds p (0 and 1 are
    // their own partners).
    void ForwardToBitReversed(double* re, double* im) const;
    // The inverse transform in place, from bins stored as ForwardToBitReversed leaves them.
    void InverseFromBitReversed(double* re, double* im) const;

private:
    void Butterflies(int inverse, double* re, double* im) const;

    uint32_t size;
    // The stage whose butterflies are `half` apart uses cos and sin of pi*m/half, m < half, at
    // entries half-1 .. 2*half-2.
    std::vector<double> cosTable;
    std::vector<double> sinTable;
    std::vector<uint32_t> reversed; // bit reversal of every index
};

} // namespace korvane
