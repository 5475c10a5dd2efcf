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

// Two floats, and the same two widened to doubles: the butterflies below work on two at a time
// with exactly the scalar arithmetic per lane (IEEE double, no fused operations).
using Float2 = float __attribute__((vector_size(8)));
using Double2 = double __attribute__((vector_size(16)));

Double2 Load2(const float* p) {
    Float2 v;
    std::memcpy(&v, p, sizeof v);
    return __builtin_convertvector(v, Double2);
}

Double2 Load2(const double* p) {
    Double2 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void Store2(float* p, Double2 v) {
    const Float2 f = __builtin_convertvector(v, Float2);
    std::memcpy(p, &f, sizeof f);
}

// The butterflies of one block: (top[m], bottom[m]) with the m-th twiddle factor, in double
// precision, the results rounded to float as they are stored.
void Butterflies(float* topRe, float* topIm, float* bottomRe, float* bottomIm, const double* c,
                 const double* s, uint32_t half) {
    uint32_t m = 0;
    for (; m + 2 <= half; m += 2) {
        const Double2 re = Load2(bottomRe + m);
        const Double2 im = Load2(bottomIm + m);
        const Double2 cm = Load2(c + m);
        const Double2 sm = Load2(s + m);
        const Double2 tr = cm * re - sm * im;
        const Double2 ti = cm * im + sm * re;
        const Double2 upperRe = Load2(topRe + m);
        const Double2 upperIm = Load2(topIm + m);
        Store2(bottomRe + m, upperRe - tr);
        Store2(bottomIm + m, upperIm - ti);
        Store2(topRe + m, upperRe + tr);
        Store2(topIm + m, upperIm + ti);
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

    for (uint32_t half = 1, span = 2; span <= n; half = span, span <<= 1) {
        const double* c = twiddles.c.data() + (half - 1);
        const double* s = twiddles.s.data() + (half - 1);
        for (uint32_t j0 = 0; j0 < n; j0 += span)
            Butterflies(RealOut + j0, ImagOut + j0, RealOut + j0 + half, ImagOut + j0 + half, c, s,
                        half);
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
