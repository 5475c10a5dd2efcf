#include "dsp/FftPlan.h"
#include "dsp/Fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace korvane {
namespace {

std::vector<double> Random(uint32_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    std::vector<double> v(n);
    for (double& x : v)
        x = dist(gen);
    return v;
}

// Position of bin -k in bit-reversed storage, for bin k at position p.
uint32_t Partner(uint32_t p) {
    if (p < 2)
        return p;
    uint32_t block = 1;
    while (block * 2 <= p)
        block *= 2;
    return 3 * block - 1 - p;
}

TEST(FftPlan, BitReversedForwardHoldsTheBinsOfTheOrderedTransform) {
    for (uint32_t n = 2; n <= 8192; n *= 2) {
        const std::vector<double> re = Random(n, n), im = Random(n, n + 1);
        const FftPlan& plan = FftPlan::Shared(n);
        std::vector<double> wantRe(n), wantIm(n);
        plan.Transform(0, re.data(), im.data(), wantRe.data(), wantIm.data());
        std::vector<double> gotRe = re, gotIm = im;
        plan.ForwardToBitReversed(gotRe.data(), gotIm.data());
        const double tolerance = 1e-14 * std::sqrt(double(n)) * std::log2(double(n)) * 4;
        for (uint32_t k = 0; k < n; ++k) {
            const uint32_t p = BitReversedIndex(k, NumberOfBitsNeeded(n));
            ASSERT_NEAR(gotRe[p], wantRe[k], tolerance) << n << " " << k;
            ASSERT_NEAR(gotIm[p], wantIm[k], tolerance) << n << " " << k;
        }
        // Back to the input, in natural order.
        plan.InverseFromBitReversed(gotRe.data(), gotIm.data());
        for (uint32_t i = 0; i < n; ++i) {
            ASSERT_NEAR(gotRe[i], re[i], 1e-14 * std::log2(double(n)) * 4) << n << " " << i;
            ASSERT_NEAR(gotIm[i], im[i], 1e-14 * std::log2(double(n)) * 4) << n << " " << i;
        }
    }
}

TEST(FftPlan, BitReversedBinsOfARealInputPairWithTheirConjugates) {
    const uint32_t n = 4096;
    std::vector<double> re = Random(n, 9), im(n, 0.0);
    FftPlan::Shared(n).ForwardToBitReversed(re.data(), im.data());
    for (uint32_t p = 0; p < n; ++p) {
        const uint32_t q = Partner(p);
        ASSERT_NEAR(re[q], re[p], 1e-11) << p;
        ASSERT_NEAR(im[q], -im[p], 1e-11) << p;
    }
    EXPECT_NEAR(im[0], 0.0, 1e-11); // bins 0 and n/2 of a real input are real
    EXPECT_NEAR(im[1], 0.0, 1e-11);
}

} // namespace
} // namespace korvane
