#include "dsp/Fft.h"

#include "dsp/FftPlan.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace korvane {

namespace {

constexpr double kTwoPi = 6.283185307179586;

// The length test comes before the array tests so that a bad length is always the reported fault.
void RequireValidLength(uint32_t NumSamples) {
    if (!ValidTransformLength(NumSamples)) {
        std::fprintf(stderr, "Error in fft():  NumSamples=%u is not power of two\n", NumSamples);
        std::exit(1);
    }
}

} // namespace

int ValidTransformLength(uint32_t n) {
    if (n < 2) {
        return 0;
    }
    return (n & (n - 1)) == 0 ? 1 : 0;
}

uint32_t NumberOfBitsNeeded(uint32_t n) {
    if (n < 2) {
        std::fprintf(stderr,
                     ">>> Error in fftmisc: argument %d to NumberOfBitsNeeded is too small.\n",
                     static_cast<int>(n));
        std::exit(1);
    }
    uint32_t bits = 0;
    while ((n & (1u << bits)) == 0) {
        ++bits;
    }
    return bits;
}

uint32_t BitReversedIndex(uint32_t index, uint32_t bits) {
    uint32_t r = 0;
    for (uint32_t i = 0; i < bits; ++i) {
        r = (r << 1) | (index & 1u);
        index >>= 1;
    }
    return r;
}

void RequireArray(const void* p, const char* name) {
    if (p == nullptr) {
        std::fprintf(stderr, "Error in fft_float():  %s == NULL\n", name);
        std::exit(1);
    }
}

void fft_float(uint32_t NumSamples, int inverse, const float* RealIn, const float* ImagIn,
               float* RealOut, float* ImagOut) {
    RequireValidLength(NumSamples);
    const double angle = inverse ? -kTwoPi : kTwoPi;
    RequireArray(RealIn, "RealIn");
    RequireArray(RealOut, "RealOut");
    RequireArray(ImagOut, "ImagOut");

    const uint32_t n = NumSamples;
    const uint32_t bits = NumberOfBitsNeeded(n);
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t j = BitReversedIndex(i, bits);
        RealOut[j] = RealIn[i];
        ImagOut[j] = ImagIn != nullptr ? ImagIn[i] : 0.0f;
    }

    for (uint32_t half = 1, span = 2; span <= n; half = span, span <<= 1) {
        const double delta = angle / span;
        const double s2 = std::sin(-2.0 * delta);
        const double s1 = std::sin(-delta);
        const double c2 = std::cos(-2.0 * delta);
        const double c1 = std::cos(-delta);
        const double w = 2.0 * c1;
        for (uint32_t j0 = 0; j0 < n; j0 += span) {
            // Restarting the recurrence per block keeps its rounding drift to one block's length.
            double cPrev2 = c2, cPrev1 = c1, sPrev2 = s2, sPrev1 = s1;
            for (uint32_t j = j0; j < j0 + half; ++j) {
                const double c = w * cPrev1 - cPrev2;
                cPrev2 = cPrev1;
                cPrev1 = c;
                const double s = w * sPrev1 - sPrev2;
                sPrev2 = sPrev1;
                sPrev1 = s;
                const uint32_t k = j + half;
                const double tr = c * RealOut[k] - s * ImagOut[k];
                const double ti = c * ImagOut[k] + s * RealOut[k];
                RealOut[k] = static_cast<float>(RealOut[j] - tr);
                ImagOut[k] = static_cast<float>(ImagOut[j] - ti);
                RealOut[j] = static_cast<float>(RealOut[j] + tr);
                ImagOut[j] = static_cast<float>(ImagOut[j] + ti);
            }
        }
    }

    if (inverse) {
        const double scale = static_cast<double>(n);
        for (uint32_t i = 0; i < n; ++i) {
            RealOut[i] = static_cast<float>(RealOut[i] / scale);
            ImagOut[i] = static_cast<float>(ImagOut[i] / scale);
        }
    }
}

void fft_double(uint32_t NumSamples, int inverse, const double* RealIn, const double* ImagIn,
                double* RealOut, double* ImagOut) {
    RequireValidLength(NumSamples);
    RequireArray(RealIn, "RealIn");
    RequireArray(RealOut, "RealOut");
    RequireArray(ImagOut, "ImagOut");
    FftPlan(NumSamples).Transform(inverse, RealIn, ImagIn, RealOut, ImagOut);
}

} // namespace korvane
