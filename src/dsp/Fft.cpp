#include "dsp/Fft.h"

#include "dsp/FftPlan.h"

#include <algorithm>
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

// The butterflies of four (top, bottom) pairs with their twiddle factors, exactly as the scalar
// loop below computes each.
inline void Butterflies4(Float4& topRe, Float4& topIm, Float4& bottomRe, Float4& bottomIm,
                         const Double4& cm, const Double4& sm) {
    const Double4 re = __builtin_convertvector(bottomRe, Double4);
    const Double4 im = __builtin_convertvector(bottomIm, Double4);
    const Double4 upperRe = __builtin_convertvector(topRe, Double4);
    const Double4 upperIm = __builtin_convertvector(topIm, Double4);
    const Double4 tr = cm * re - sm * im;
    const Double4 ti = cm * im + sm * re;
    bottomRe = __builtin_convertvector(upperRe - tr, Float4);
    bottomIm = __builtin_convertvector(upperIm - ti, Float4);
    topRe = __builtin_convertvector(upperRe + tr, Float4);
    topIm = __builtin_convertvector(upperIm + ti, Float4);
}

// The second stage, whose blocks are too short for four butterflies of one block: two blocks
// at a time, their tops and bottoms gathered into lanes and put back.
__attribute__((target_clones("avx2", "default"))) void
SecondStage(float* re, float* im, uint32_t n, const double* c, const double* s) {
    const Double4 cm = {c[0], c[1], c[0], c[1]};
    const Double4 sm = {s[0], s[1], s[0], s[1]};
    for (uint32_t j = 0; j < n; j += 8) {
        Float4 r[2], i[2];
        std::memcpy(r, re + j, sizeof r);
        std::memcpy(i, im + j, sizeof i);
        Float4 topRe = __builtin_shufflevector(r[0], r[1], 0, 1, 4, 5);
        Float4 bottomRe = __builtin_shufflevector(r[0], r[1], 2, 3, 6, 7);
        Float4 topIm = __builtin_shufflevector(i[0], i[1], 0, 1, 4, 5);
        Float4 bottomIm = __builtin_shufflevector(i[0], i[1], 2, 3, 6, 7);
        Butterflies4(topRe, topIm, bottomRe, bottomIm, cm, sm);
        r[0] = __builtin_shufflevector(topRe, bottomRe, 0, 1, 4, 5);
        r[1] = __builtin_shufflevector(topRe, bottomRe, 2, 3, 6, 7);
        i[0] = __builtin_shufflevector(topIm, bottomIm, 0, 1, 4, 5);
        i[1] = __builtin_shufflevector(topIm, bottomIm, 2, 3, 6, 7);
        std::memcpy(re + j, r, sizeof r);
        std::memcpy(im + j, i, sizeof i);
    }
}

// The bit-reversing copy and the first stage in one pass: each butterfly takes its two inputs
// straight from where the copy would have put them.
__attribute__((target_clones("avx2", "default"))) void
ReversedFirstStage(const float* realIn, const float* imagIn, float* re, float* im, uint32_t n,
                   const uint32_t* reversed, const double* c, const double* s) {
    const Double4 cm = {c[0], c[0], c[0], c[0]};
    const Double4 sm = {s[0], s[0], s[0], s[0]};
    for (uint32_t j = 0; j < n; j += 8) {
        const uint32_t* r = reversed + j;
        Float4 topRe = {realIn[r[0]], realIn[r[2]], realIn[r[4]], realIn[r[6]]};
        Float4 bottomRe = {realIn[r[1]], realIn[r[3]], realIn[r[5]], realIn[r[7]]};
        Float4 topIm = {}, bottomIm = {};
        if (imagIn != nullptr) {
            topIm = Float4{imagIn[r[0]], imagIn[r[2]], imagIn[r[4]], imagIn[r[6]]};
            bottomIm = Float4{imagIn[r[1]], imagIn[r[3]], imagIn[r[5]], imagIn[r[7]]};
        }
        Butterflies4(topRe, topIm, bottomRe, bottomIm, cm, sm);
        Float4 out[2];
        out[0] = __builtin_shufflevector(topRe, bottomRe, 0, 4, 1, 5);
        out[1] = __builtin_shufflevector(topRe, bottomRe, 2, 6, 3, 7);
        std::memcpy(re + j, out, sizeof out);
        out[0] = __builtin_shufflevector(topIm, bottomIm, 0, 4, 1, 5);
        out[1] = __builtin_shufflevector(topIm, bottomIm, 2, 6, 3, 7);
        std::memcpy(im + j, out, sizeof out);
    }
}

// One stage of butterflies over n points: in every block of 2 * half, (top[m], bottom[m] =
// top[m + half]) with the m-th twiddle factor, in double precision, the results rounded to
// float as they are stored. Only the butterflies m < used of each block are done.
__attribute__((target_clones("avx2", "default"))) void Stage(float* re, float* im, uint32_t n,
                                                             uint32_t half, uint32_t used,
                                                             const double* c, const double* s) {
    for (uint32_t j0 = 0; j0 < n; j0 += 2 * half) {
        float* topRe = re + j0;
        float* topIm = im + j0;
        float* bottomRe = re + j0 + half;
        float* bottomIm = im + j0 + half;
        uint32_t m = 0;
        for (; m + 4 <= used; m += 4) {
            Float4 f[4];
            std::memcpy(&f[0], bottomRe + m, sizeof f[0]);
            std::memcpy(&f[1], bottomIm + m, sizeof f[1]);
            std::memcpy(&f[2], topRe + m, sizeof f[2]);
            std::memcpy(&f[3], topIm + m, sizeof f[3]);
            Double4 cm, sm;
            std::memcpy(&cm, c + m, sizeof cm);
            std::memcpy(&sm, s + m, sizeof sm);
            Butterflies4(f[2], f[3], f[0], f[1], cm, sm);
            std::memcpy(bottomRe + m, &f[0], sizeof f[0]);
            std::memcpy(bottomIm + m, &f[1], sizeof f[1]);
            std::memcpy(topRe + m, &f[2], sizeof f[2]);
            std::memcpy(topIm + m, &f[3], sizeof f[3]);
        }
        for (; m < used; ++m) {
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

// The inverse transform's division by n: n is a power of two, so multiplying by its exact
// reciprocal in double precision is that division, four values at a time where n allows.
__attribute__((target_clones("avx2", "default"))) void Scale(float* re, float* im, uint32_t n) {
    const double scale = 1.0 / static_cast<double>(n);
    const Double4 scale4 = {scale, scale, scale, scale};
    uint32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        for (float* part : {re, im}) {
            Float4 values;
            std::memcpy(&values, part + i, sizeof values);
            values =
                __builtin_convertvector(__builtin_convertvector(values, Double4) * scale4, Float4);
            std::memcpy(part + i, &values, sizeof values);
        }
    }
    for (; i < n; ++i) {
        re[i] = static_cast<float>(re[i] * scale);
        im[i] = static_cast<float>(im[i] * scale);
    }
}

} // namespace

void fft_float(uint32_t NumSamples, int inverse, const float* RealIn, const float* ImagIn,
               float* RealOut, float* ImagOut) {
    fft_float_leading(NumSamples, inverse, RealIn, ImagIn, RealOut, ImagOut, NumSamples);
}

void fft_float_leading(uint32_t NumSamples, int inverse, const float* RealIn, const float* ImagIn,
                       float* RealOut, float* ImagOut, uint32_t bins) {
    RequireValidLength(NumSamples);
    RequireArray(RealIn, "RealIn");
    RequireArray(RealOut, "RealOut");
    RequireArray(ImagOut, "ImagOut");

    const uint32_t n = NumSamples;
    const RecurrenceTwiddles& twiddles = TwiddlesFor(n, inverse);
    const uint32_t* reversed = twiddles.reversed.data();
    uint32_t half = 1;
    if (n >= 8) {
        ReversedFirstStage(RealIn, ImagIn, RealOut, ImagOut, n, reversed, twiddles.c.data(),
                           twiddles.s.data());
        SecondStage(RealOut, ImagOut, n, twiddles.c.data() + 1, twiddles.s.data() + 1);
        half = 4;
    } else {
        for (uint32_t i = 0; i < n; ++i)
            RealOut[reversed[i]] = RealIn[i];
        for (uint32_t i = 0; i < n; ++i)
            ImagOut[reversed[i]] = ImagIn != nullptr ? ImagIn[i] : 0.0f;
    }
    // Outputs 0 .. bins-1 of a stage's blocks are all the next stage reads of them (its own
    // outputs below bins come from the butterflies m < bins), so each stage does no more.
    for (; half < n; half <<= 1)
        Stage(RealOut, ImagOut, n, half, std::min(half, bins), twiddles.c.data() + (half - 1),
              twiddles.s.data() + (half - 1));

    if (inverse)
        Scale(RealOut, ImagOut, n);
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
