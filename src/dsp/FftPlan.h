#pragma once

#include <cstdint>
#include <vector>

namespace korvane {

// A reusable double-precision radix-2 transform of one fixed length, with the convention of
// fft_float (positive exponent forward, 1/N on the inverse). Owns one table of twiddle factors,
// computed directly from sin/cos so the accuracy does not degrade with the length.
// Immutable after construction: one plan may serve several threads at once.
class FftPlan {
public:
    // n must be a power of two of at least 2 (std::invalid_argument otherwise).
    explicit FftPlan(uint32_t n);

    uint32_t Size() const { return size; }

    // Out-of-place transform; imagIn may be null (zeros). Outputs must not overlap inputs.
    void Transform(int inverse, const double* realIn, const double* imagIn, double* realOut,
                   double* imagOut) const;

    // The same transform on (re, im) in place.
    void TransformInPlace(int inverse, double* re, double* im) const;

private:
    void Butterflies(int inverse, double* re, double* im) const;

    uint32_t size;
    // cos and sin of 2*pi*m/size for m < size/2.
    std::vector<double> cosTable;
    std::vector<double> sinTable;
};

} // namespace korvane
