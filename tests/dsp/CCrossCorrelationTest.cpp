#include "dsp/CCrossCorrelation.h"
#include "dsp/KorvaneError.h"
#include "dsp/LagCorrelator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace korvane {
namespace {

struct Result {
    int lag = -12345;
    double peak = -1;
    std::vector<float> curve;
};

Result Correlate(const std::vector<float>& a, const std::vector<float>& b,
                 CorrelationMethod method = CorrelationMethod::Fast) {
    Result r;
    r.curve.assign(std::max(a.size(), b.size()), -7.0f);
    const CCrossCorrelation cc(a.data(), static_cast<int>(a.size()), b.data(),
                               static_cast<int>(b.size()), &r.lag, r.curve.data(), method);
    r.peak = cc.GetPeakCoefficient();
    return r;
}

// A compact pulse (Ricker wavelet) centred on `centre`, or with `hz` > 0 a decaying shear-wave
// burst starting there at 40 000 samples/s; plus Gaussian noise.
std::vector<float> Wave(int length, double centre, double width, unsigned seed, double noise,
                        double hz = 0) {
    std::mt19937 gen(seed);
    std::normal_distribution<double> dist(0.0, noise > 0 ? noise : 1.0);
    std::vector<float> v(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i) {
        const double u = hz == 0 ? (i - centre) / width : 0.0, t = (i - centre) / 40000.0;
        const double s = hz == 0 ? (1 - 2 * u * u) * std::exp(-u * u)
                         : t < 0 ? 0.0
                                 : std::exp(-t * 60.0) * std::sin(2 * std::numbers::pi * hz * t);
        v[i] = static_cast<float>(s + (noise > 0 ? dist(gen) : 0.0));
    }
    return v;
}

// Uniform in [-1, 1], or small integers whose sums are exact (many equal coefficients).
std::vector<float> RandomWave(int length, unsigned seed, bool integers) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    std::uniform_int_distribution<int> small(-2, 2);
    std::vector<float> v(static_cast<std::size_t>(length));
    for (float& x : v)
        x = integers ? static_cast<float>(small(gen)) : dist(gen);
    return v;
}

// Equal within 1e-9, or apart by one float rounding step (the fast and direct doubles may
// straddle one).
bool SameFloat(float fast, float direct) {
    return std::fabs(fast - direct) <= 1e-9 || std::nextafter(direct, fast) == fast;
}

// The constructor with fast sweeps against the one with direct sums.
void ExpectFastMatchesDirect(const std::vector<float>& a, const std::vector<float>& b) {
    const Result fast = Correlate(a, b), direct = Correlate(a, b, CorrelationMethod::Direct);
    ASSERT_EQ(fast.lag, direct.lag);
    ASSERT_EQ(fast.peak, direct.peak);
    for (std::size_t j = 0; j < fast.curve.size(); ++j)
        ASSERT_TRUE(SameFloat(fast.curve[j], direct.curve[j]))
            << "j=" << j << " " << fast.curve[j] << " " << direct.curve[j];
}

TEST(CCrossCorrelation, DelaysGiveSignedLags) {
    for (int length : {50, 2048}) { // direct and fast paths
        for (int d : {0, 1, length / 5}) {
            SCOPED_TRACE(testing::Message() << length << " " << d);
            const double centre = length / 3.0, width = length / 25.0;
            const std::vector<float> early = Wave(length, centre, width, 0, 0.0);
            const std::vector<float> late = Wave(length, centre + d, width, 0, 0.0);
            const Result r = Correlate(early, late);
            EXPECT_EQ(r.lag, d);
            if (d == 0) { // identical inputs
                EXPECT_NEAR(r.peak, 1.0, 1e-12);
                EXPECT_NEAR(r.curve[0], 1.0f, 1e-6);
            }
            EXPECT_EQ(Correlate(late, early).lag, -d);
            EXPECT_EQ(Correlate(early, Wave(length, centre + d, width, 3, 0.02)).lag, d);
        }
    }
}

TEST(CCrossCorrelation, EqualPeaksInBothDirectionsFavourThePositiveLag) {
    // Mirror-symmetric inputs correlate alike in both directions; all sums are exact (L = 8).
    const std::vector<float> a = {0, 0, 0, 1, 1, 0, 0, 0};
    const std::vector<float> b = {0, 1, 0, 0, 0, 0, 1, 0};
    std::vector<float> curve(8);
    int lag = 0;
    CCrossCorrelation sweeper(nullptr, 0, nullptr, 0, &lag, curve.data());
    const int k1 = sweeper.SweepLags(b.data(), a.data(), 8, curve.data());
    const float peak1 = curve[k1];
    const int k2 = sweeper.SweepLags(a.data(), b.data(), 8, curve.data());
    ASSERT_GT(k2, 0);
    ASSERT_EQ(k1, k2);
    ASSERT_EQ(peak1, curve[k2]); // a true tie
    EXPECT_EQ(Correlate(a, b).lag, k2);
    EXPECT_EQ(Correlate(b, a).lag, k2);
}

TEST(CCrossCorrelation, ShorterInputIsZeroPadded) {
    std::vector<float> a = Wave(100, 30, 4, 5, 0.02);
    const std::vector<float> b = Wave(150, 60, 4, 6, 0.02);
    const Result r = Correlate(a, b);
    ASSERT_EQ(r.curve.size(), 150u);
    ASSERT_EQ(r.lag, 30);
    a.resize(150, 0.0f);
    const Result p = Correlate(a, b);
    EXPECT_EQ(r.peak, p.peak);
    EXPECT_EQ(r.curve, p.curve);
}

TEST(CCrossCorrelation, NoPositiveCoefficientMeansLagZeroAndPeakZero) {
    const std::vector<float> wave = Wave(200, 10, 0, 1, 0.1, 300);
    for (int length : {10, 200}) {
        const Result r = Correlate(std::vector<float>(static_cast<std::size_t>(length), 3.25f),
                                   std::vector<float>(wave.begin(), wave.begin() + length));
        EXPECT_EQ(r.lag, 0);
        EXPECT_EQ(r.peak, 0.0);
        EXPECT_EQ(r.curve, std::vector<float>(static_cast<std::size_t>(length), 0.0f)); // no NaN
    }
    std::vector<float> out(4);
    int lag = 0;
    const float x[4] = {1, 2, 3, 4};
    EXPECT_THROW(CCrossCorrelation(x, -1, x, 4, &lag, out.data()), KorvaneError);
    EXPECT_THROW(CCrossCorrelation(nullptr, 4, x, 4, &lag, out.data()), KorvaneError);
    EXPECT_THROW(CCrossCorrelation(x, 4, x, 4, nullptr, out.data()), KorvaneError);
}

// The sweeps, the unrefined coefficients and the constructor, fast against direct, on random
// lengths (across the switch to the fast sweep) and values.
TEST(CCrossCorrelation, FastAndDirectSweepsAgree) {
    std::mt19937 gen(2024);
    std::uniform_int_distribution<int> lengths(1, 900);
    int lag = 0;
    float unused = 0;
    CCrossCorrelation fast(nullptr, 0, nullptr, 0, &lag, &unused);
    CCrossCorrelation direct(nullptr, 0, nullptr, 0, &lag, &unused);
    for (int round = 0; round < 60; ++round) {
        const int L = round < 6 ? std::vector<int>{1, 2, 3, 64, 1000, 4097}[round] : lengths(gen);
        SCOPED_TRACE(L);
        const bool integers = round % 3 == 0;
        const std::vector<float> X = RandomWave(L, gen(), integers);
        const std::vector<float> Y = round % 5 == 0 ? X : RandomWave(L, gen(), integers);
        std::vector<float> outFast(L), outDirect(L);
        ASSERT_EQ(fast.SweepLagsFast(X.data(), Y.data(), L, outFast.data()),
                  direct.SweepLagsDirect(X.data(), Y.data(), L, outDirect.data()));
        ASSERT_EQ(fast.GetPeakCoefficient(), direct.GetPeakCoefficient());
        const LagCorrelator fc(X.data(), Y.data(), L, true), dc(X.data(), Y.data(), L, false);
        for (int j = 0; j < L; ++j) {
            ASSERT_TRUE(SameFloat(outFast[j], outDirect[j])) << j;
            ASSERT_NEAR(fc.Coefficient(true, j), dc.Coefficient(true, j), 1e-9) << j;
            ASSERT_NEAR(fc.Coefficient(false, j), dc.Coefficient(false, j), 1e-9) << j;
        }
        if (round % 4 == 0) // inputs of different lengths
            ExpectFastMatchesDirect(X, RandomWave(lengths(gen), gen(), integers));
    }
    const std::vector<float> record = Wave(8192, 900, 0, 4, 0.01, 120);
    ExpectFastMatchesDirect(record, record);
}

} // namespace
} // namespace korvane
