#include "dsp/CCrossCorrelation.h"
#include "dsp/KorvaneError.h"
#include "dsp/LagCorrelator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

namespace korvane {
namespace {

struct Result {
    int lag = -12345;
    double peak = -1;
    std::vector<float> curve;
};

Result Correlate(const std::vector<float>& a, const std::vector<float>& b) {
    Result r;
    r.curve.assign(std::max(a.size(), b.size()), -7.0f);
    const CCrossCorrelation cc(a.data(), static_cast<int>(a.size()), b.data(),
                               static_cast<int>(b.size()), &r.lag, r.curve.data());
    r.peak = cc.GetPeakCoefficient();
    return r;
}

// The two-direction search written out with the direct sweep only, as the reference.
Result CorrelateDirect(std::vector<float> a, std::vector<float> b) {
    const std::size_t L = std::max(a.size(), b.size());
    a.resize(L, 0.0f);
    b.resize(L, 0.0f);
    const int n = static_cast<int>(L);
    Result r;
    r.curve.resize(L);
    int unusedLag = 0;
    float unusedCurve = 0;
    CCrossCorrelation sweeper(nullptr, 0, nullptr, 0, &unusedLag, &unusedCurve);
    const int k1 = sweeper.SweepLagsDirect(b.data(), a.data(), n, r.curve.data());
    const float peak1 = k1 < n ? r.curve[k1] : -1.0f;
    const int k2 = sweeper.SweepLagsDirect(a.data(), b.data(), n, r.curve.data());
    const float peak2 = k2 < n ? r.curve[k2] : -1.0f;
    if (k2 < n && peak2 >= peak1) {
        r.lag = k2;
    } else if (k1 < n) {
        sweeper.SweepLagsDirect(b.data(), a.data(), n, r.curve.data());
        r.lag = -k1;
    } else {
        r.lag = 0;
    }
    r.peak = sweeper.GetPeakCoefficient();
    return r;
}

// A decaying shear-wave-like burst starting at `onset`, sampled at 40 000 samples/s.
std::vector<float> Burst(int length, int onset, double hz, unsigned noiseSeed, double noise) {
    std::mt19937 gen(noiseSeed);
    std::normal_distribution<double> dist(0.0, noise);
    std::vector<float> v(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i) {
        const double t = (i - onset) / 40000.0;
        const double s =
            t < 0 ? 0.0 : std::exp(-t * 60.0) * std::sin(2 * std::numbers::pi * hz * t);
        v[i] = static_cast<float>(s + (noise > 0 ? dist(gen) : 0.0));
    }
    return v;
}

// A compact pulse (Ricker wavelet) centred on `centre`, `width` samples wide, plus noise.
std::vector<float> Pulse(int length, double centre, double width, unsigned noiseSeed,
                         double noise) {
    std::mt19937 gen(noiseSeed);
    std::normal_distribution<double> dist(0.0, noise);
    std::vector<float> v(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i) {
        const double u = (i - centre) / width;
        v[i] =
            static_cast<float>((1 - 2 * u * u) * std::exp(-u * u) + (noise > 0 ? dist(gen) : 0.0));
    }
    return v;
}

std::vector<float> RandomWave(int length, unsigned seed, bool integers) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    std::uniform_int_distribution<int> small(-2, 2);
    std::vector<float> v(static_cast<std::size_t>(length));
    for (float& x : v) {
        x = integers ? static_cast<float>(small(gen)) : dist(gen);
    }
    return v;
}

// Equal within 1e-9, or apart by one float rounding step (the fast and direct doubles may
// straddle one).
bool SameFloat(float fast, float direct) {
    return std::fabs(fast - direct) <= 1e-9 || std::nextafter(direct, fast) == fast;
}

void ExpectSameResult(const Result& fast, const Result& direct, const char* what) {
    ASSERT_EQ(fast.lag, direct.lag) << what;
    ASSERT_EQ(fast.peak, direct.peak) << what;
    ASSERT_EQ(fast.curve.size(), direct.curve.size());
    const std::size_t best = static_cast<std::size_t>(std::abs(fast.lag));
    if (best < fast.curve.size()) {
        ASSERT_EQ(fast.curve[best], direct.curve[best]) << what;
    }
    for (std::size_t j = 0; j < fast.curve.size(); ++j) {
        ASSERT_TRUE(SameFloat(fast.curve[j], direct.curve[j]))
            << what << " j=" << j << " " << fast.curve[j] << " " << direct.curve[j];
    }
}

TEST(CCrossCorrelation, IdenticalInputsGiveLagZeroAndPeakOne) {
    for (int length : {40, 600}) { // direct and fast paths
        const std::vector<float> a = Burst(length, 10, 150, 1, 0.01);
        Result r;
        r.curve.resize(a.size());
        const CCrossCorrelation same(a.data(), length, a.data(), length, &r.lag, r.curve.data());
        EXPECT_EQ(r.lag, 0);
        EXPECT_NEAR(same.GetPeakCoefficient(), 1.0, 1e-12);
        EXPECT_NEAR(r.curve[0], 1.0f, 1e-6);
        const std::vector<float> copy = a;
        EXPECT_EQ(Correlate(a, copy).lag, 0);
    }
}

TEST(CCrossCorrelation, DelaysGiveSignedLags) {
    for (int length : {50, 300, 2048}) { // direct and fast paths
        for (int d : {1, 7, length / 5}) {
            const double centre = length / 3.0, width = length / 25.0;
            const std::vector<float> early = Pulse(length, centre, width, 0, 0.0);
            const std::vector<float> late = Pulse(length, centre + d, width, 0, 0.0);
            EXPECT_EQ(Correlate(early, late).lag, d) << length;
            EXPECT_EQ(Correlate(late, early).lag, -d) << length;
            const std::vector<float> noisy = Pulse(length, centre + d, width, 3, 0.02);
            EXPECT_EQ(Correlate(early, noisy).lag, d) << length;
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
    const std::vector<float> a = Pulse(100, 30, 4, 5, 0.02);
    const std::vector<float> b = Pulse(150, 60, 4, 6, 0.02);
    const Result r = Correlate(a, b);
    ASSERT_EQ(r.curve.size(), 150u);
    std::vector<float> padded = a;
    padded.resize(150, 0.0f);
    const Result p = Correlate(padded, b);
    EXPECT_EQ(r.lag, p.lag);
    EXPECT_EQ(r.peak, p.peak);
    EXPECT_EQ(r.curve, p.curve);
    ASSERT_EQ(r.lag, 30);

    // The means run over all 150 samples and the last entry is one product over the full
    // denominator.
    double ma = 0, mb = 0;
    for (int i = 0; i < 150; ++i) {
        ma += padded[i];
        mb += b[i];
    }
    ma /= 150;
    mb /= 150;
    double saa = 0, sbb = 0, num = 0;
    for (int i = 0; i < 150; ++i) {
        saa += (padded[i] - ma) * (padded[i] - ma);
        sbb += (b[i] - mb) * (b[i] - mb);
    }
    for (int m = 0; m + 30 < 150; ++m) {
        num += (padded[m] - ma) * (b[m + 30] - mb);
    }
    EXPECT_NEAR(r.peak, num / std::sqrt(saa * sbb), 1e-12);
    EXPECT_FLOAT_EQ(r.curve[149],
                    static_cast<float>((padded[0] - ma) * (b[149] - mb) / std::sqrt(saa * sbb)));
}

TEST(CCrossCorrelation, NoPositiveCoefficientMeansLagZeroAndPeakZero) {
    const std::vector<float> wave = Burst(200, 10, 300, 1, 0.1);
    for (int length : {10, 200}) {
        const std::vector<float> constant(static_cast<std::size_t>(length), 3.25f);
        const Result r =
            Correlate(constant, std::vector<float>(wave.begin(), wave.begin() + length));
        EXPECT_EQ(r.lag, 0);
        EXPECT_EQ(r.peak, 0.0);
        for (float v : r.curve) {
            ASSERT_EQ(v, 0.0f); // never NaN
        }
    }
    // One sample, or an empty input against a wave: nothing to correlate.
    EXPECT_EQ(Correlate({1.0f}, {2.0f}).peak, 0.0);
    const Result empty = Correlate({}, wave);
    EXPECT_EQ(empty.lag, 0);
    EXPECT_EQ(empty.peak, 0.0);
    // The sweep itself keeps reporting one past the end.
    std::vector<float> out(200);
    int lag = 0;
    CCrossCorrelation sweeper(nullptr, 0, nullptr, 0, &lag, out.data());
    const std::vector<float> constant(200, 1.0f);
    EXPECT_EQ(sweeper.SweepLags(constant.data(), wave.data(), 200, out.data()), 200);
    EXPECT_EQ(sweeper.GetPeakCoefficient(), 0.0);
}

TEST(CCrossCorrelation, InvalidArgumentsAreRefused) {
    const float x[4] = {1, 2, 3, 4};
    float curve[4];
    int lag = 0;
    EXPECT_THROW(CCrossCorrelation(x, -1, x, 4, &lag, curve), KorvaneError);
    EXPECT_THROW(CCrossCorrelation(nullptr, 4, x, 4, &lag, curve), KorvaneError);
    EXPECT_THROW(CCrossCorrelation(x, 4, x, 4, nullptr, curve), KorvaneError);
}

TEST(CCrossCorrelation, FastSweepAgreesWithTheDirectSweep) {
    std::mt19937 gen(2024);
    std::uniform_int_distribution<int> lengths(1, 700);
    int lag = 0;
    float unused = 0;
    CCrossCorrelation fast(nullptr, 0, nullptr, 0, &lag, &unused);
    CCrossCorrelation direct(nullptr, 0, nullptr, 0, &lag, &unused);
    for (int round = 0; round < 150; ++round) {
        const int L = round < 6 ? std::vector<int>{1, 2, 3, 64, 1000, 4097}[round] : lengths(gen);
        const bool integers = round % 3 == 0; // exact sums: many equal coefficients
        const std::vector<float> X = RandomWave(L, gen(), integers);
        const std::vector<float> Y = round % 5 == 0 ? X : RandomWave(L, gen(), integers);
        std::vector<float> outFast(L), outDirect(L);
        const int kFast = fast.SweepLagsFast(X.data(), Y.data(), L, outFast.data());
        const int kDirect = direct.SweepLagsDirect(X.data(), Y.data(), L, outDirect.data());
        ASSERT_EQ(kFast, kDirect) << "L=" << L;
        ASSERT_EQ(fast.GetPeakCoefficient(), direct.GetPeakCoefficient()) << "L=" << L;
        for (int j = 0; j < L; ++j) {
            ASSERT_TRUE(SameFloat(outFast[j], outDirect[j])) << "L=" << L << " j=" << j;
        }
        // The unrefined fast coefficients themselves, both directions.
        const LagCorrelator fc(X.data(), Y.data(), L, true), dc(X.data(), Y.data(), L, false);
        for (int j = 0; j < L; ++j) {
            ASSERT_NEAR(fc.Coefficient(true, j), dc.Coefficient(true, j), 1e-9) << L << " " << j;
            ASSERT_NEAR(fc.Coefficient(false, j), dc.Coefficient(false, j), 1e-9) << L << " " << j;
        }
    }
}

TEST(CCrossCorrelation, ConstructorMatchesTheDirectSearch) {
    std::mt19937 gen(77);
    std::uniform_int_distribution<int> lengths(64, 900);
    for (int round = 0; round < 40; ++round) {
        const int lenA = lengths(gen), lenB = round % 2 ? lenA : lengths(gen);
        const std::vector<float> a = RandomWave(lenA, gen(), round % 4 == 1);
        const std::vector<float> b = RandomWave(lenB, gen(), round % 4 == 1);
        ExpectSameResult(Correlate(a, b), CorrelateDirect(a, b), "random");
        ExpectSameResult(Correlate(a, a), CorrelateDirect(a, a), "auto");
    }
    // Realistic waves: windows of bursts at successive depths, and whole-record autocorrelations.
    for (int d : {0, 3, 37, 180}) {
        const std::vector<float> a = Burst(1200, 200, 180, 11, 0.02);
        const std::vector<float> b = Burst(1000, 200 + d, 170, 12, 0.03);
        ExpectSameResult(Correlate(a, b), CorrelateDirect(a, b), "burst");
        ExpectSameResult(Correlate(b, a), CorrelateDirect(b, a), "burst reversed");
    }
    const std::vector<float> record = Burst(8192, 900, 120, 4, 0.01);
    ExpectSameResult(Correlate(record, record), CorrelateDirect(record, record), "record");
    std::vector<float> tone(2000);
    for (int i = 0; i < 2000; ++i) {
        tone[i] = static_cast<float>(std::sin(2 * std::numbers::pi * i / 50.0));
    }
    ExpectSameResult(Correlate(tone, tone), CorrelateDirect(tone, tone), "periodic");
}

TEST(CCrossCorrelation, ConcurrentObjectsGiveTheSerialResults) {
    std::vector<std::vector<float>> waves;
    for (unsigned i = 0; i < 8; ++i) {
        waves.push_back(Pulse(3000, 300.0 + 25 * i, 20, i, 0.01));
    }
    std::vector<Result> serial, parallel(7);
    for (std::size_t i = 0; i + 1 < waves.size(); ++i) {
        serial.push_back(Correlate(waves[i], waves[i + 1]));
    }
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i + 1 < waves.size(); ++i) {
        threads.emplace_back([&, i] { parallel[i] = Correlate(waves[i], waves[i + 1]); });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    for (std::size_t i = 0; i < serial.size(); ++i) {
        EXPECT_EQ(parallel[i].lag, serial[i].lag);
        EXPECT_EQ(parallel[i].lag, 25);
        EXPECT_EQ(parallel[i].peak, serial[i].peak);
        EXPECT_EQ(parallel[i].curve, serial[i].curve);
    }
}

} // namespace
} // namespace korvane
