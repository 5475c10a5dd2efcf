#include "dsp/Fft.h"

#include "dsp/FftPlan.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

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

namespace {

// The twiddle factors of every stage of fft_float for one length and direction, exactly as its
// recurrence produces them. The recurrence restarts in every block of a stage, so all blocks
// share one run of it: the stage whose butterflies are `half` apart uses entries half-1 ..
// 2*half-2. Immutable once made.
struct RecurrenceTwiddles {
    std::vector<double> c;
    std::vector<double> s;
    std::vector<uint32_t> reversed; // bit reversal of every index
};

RecurrenceTwiddles MakeTwiddles(uint32_t n, double angle) {
    RecurrenceTwiddles t;
    t.c.resize(n - 1);
    t.s.resize(n - 1);
    t.reversed.resize(n);
    const uint32_t bits = NumberOfBitsNeeded(n);
    for (uint32_t i = 0; i < n; ++i)
        t.reversed[i] = BitReversedIndex(i, bits);
    for (uint32_t half = 1, span = 2; span <= n; half = span, span <<= 1) {
        const double delta = angle / span;
        const double s2 = std::sin(-2.0 * delta);
        const double s1 = std::sin(-delta);
        const double c2 = std::cos(-2.0 * delta);
        const double c1 = std::cos(-delta);
        const double w = 2.0 * c1;
        double cPrev2 = c2, cPrev1 = c1, sPrev2 = s2, sPrev1 = s1;
        for (uint32_t m = 0; m < half; ++m) {
            const double c = w * cPrev1 - cPrev2;
            cPrev2 = cPrev1;
            cPrev1 = c;
            const double s = w * sPrev1 - sPrev2;
            sPrev2 = sPrev1;
            sPrev1 = s;
            t.c[half - 1 + m] = c;
            t.s[half - 1 + m] = s;
        }
    }
    return t;
}

// The tables of a length and direction, made on first use and kept until the program ends.
const RecurrenceTwiddles& TwiddlesFor(uint32_t n, int inverse) {
    static std::mutex mutex;
    static std::map<std::pair<uint32_t, bool>, std::unique_ptr<const RecurrenceTwiddles>> tables;
    const std::lock_guard lock(mutex);
    std::unique_ptr<const RecurrenceTwiddles>& entry = tables[{n, inverse != 0}];
    if (!entry)
        entry =
            std::make_unique<const RecurrenceTwiddles>(MakeTwiddles(n, inverse ? -kTwoPi : kTwoPi));
    return *entry;
}

// Four floats, and the same four widened to doubles: the butterflies work on four at a time
// with exactly the scalar arithmetic per lane (IEEE double, no fused operations), in AVX2
// registers where the processor has them.
using Float4 = float __attribute__((vector_size(16)));
using Double4 = double __attribute__((vector_size(32)));

// One stage of butterflies over n points: in every block of 2 * half, (top[m], bottom[m] =
// top[m + half]) with the m-th twiddle factor, in double precision, the results rounded to
// float as they are stored.
__attribute__((target_clones("avx2", "default"))) void
Stage(float* re, float* im, uint32_t n, uint32_t half, const double* c, const double* s) {
    for (uint32_t j0 = 0; j0 < n; j0 += 2 * half) {
        float* topRe = re + j0;
        float* topIm = im + j0;
        float* bottomRe = re + j0 + half;
        float* bottomIm = im + j0 + half;
        uint32_t m = 0;
        for (; m + 4 <= half; m += 4) {
            Float4 f[4];
            std::memcpy(&f[0], bottomRe + m, sizeof f[0]);
            std::memcpy(&f[1], bottomIm + m, sizeof f[1]);
            std::memcpy(&f[2], topRe + m, sizeof f[2]);
            std::memcpy(&f[3], topIm + m, sizeof f[3]);
            Double4 cm, sm;
            std::memcpy(&cm, c + m, sizeof cm);
            std::memcpy(&sm, s + m, sizeof sm);
            const Double4 re = __builtin_convertvector(f[0], Double4);
            const Double4 im = __builtin_convertvector(f[1], Double4);
            const Double4 upperRe = __builtin_convertvector(f[2], Double4);
            const Double4 upperIm = __builtin_convertvector(f[3], Double4);
            const Double4 tr = cm * re - sm * im;
            const Double4 ti = cm * im + sm * re;
            f[0] = __builtin_convertvector(upperRe - tr, Float4);
            f[1] = __builtin_convertvector(upperIm - ti, Float4);
            f[2] = __builtin_convertvector(upperRe + tr, Float4);
            f[3] = __builtin_convertvector(upperIm + ti, Float4);
            std::memcpy(bottomRe + m, &f[0], sizeof f[0]);
            std::memcpy(bottomIm + m, &f[1], sizeof f[1]);
            std::memcpy(topRe + m, &f[2], sizeof f[2]);
            std::memcpy(topIm + m, &f[3], sizeof f[3]);
        }
        for (; m < half; ++m) {
            const double re = bottomRe[m];
            const double im = bottomIm[m];
            const double tr = c[m] * re - s[m] * im;
            const double ti = c[m] * im + s[m] * re;
            const double upperRe = topRe[m];
            const double upperIm = topIm[m];
            bottomRe[m] = static_cast<float>(upperRe - tr);
            bottomIm[m] = static_cast<float>(upperIm - ti);
            topRe[m] = static_cast<float>(upperRe + tr);
            topIm[m] = static_cast<float>(upperIm + ti);
        }
    }
}

} // namespace

void fft_float(uint32_t NumSamples, int inverse, const float* RealIn, const float* ImagIn,
               float* RealOut, float* ImagOut) {
    RequireValidLength(NumSamples);
    RequireArray(RealIn, "RealIn");
    RequireArray(RealOut, "RealOut");
    RequireArray(ImagOut, "ImagOut");

    const uint32_t n = NumSamples;
    const RecurrenceTwiddles& twiddles = TwiddlesFor(n, inverse);
    const uint32_t* reversed = twiddles.reversed.data();
    for (uint32_t i = 0; i < n; ++i)
        RealOut[reversed[i]] = RealIn[i];
    for (uint32_t i = 0; i < n; ++i)
        ImagOut[reversed[i]] = ImagIn != nullptr ? ImagIn[i] : 0.0f;

    for (uint32_t half = 1; half < n; half <<= 1)
        Stage(RealOut, ImagOut, n, half, twiddles.c.data() + (half - 1),
              twiddles.s.data() + (half - 1));

    if (inverse) {
        // n is a power of two, so multiplying by its exact reciprocal is the division by n.
        const double scale = 1.0 / static_cast<double>(n);
        for (uint32_t i = 0; i < n; ++i) {
            RealOut[i] = static_cast<float>(RealOut[i] * scale);
            ImagOut[i] = static_cast<float>(ImagOut[i] * scale);
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
