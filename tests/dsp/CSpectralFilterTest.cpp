#include "dsp/CSpectralFilter.h"
#include "dsp/Fft.h"
#include "dsp/KorvaneError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace korvane {
namespace {

constexpr uint32_t kN = 8192;

// amplitude * cos(2*pi*bin*n/N + phase) for n = 0..N-1.
std::vector<double> Tone(uint32_t n, int bin, double amplitude, double phase) {
    std::vector<double> v(n);
    for (uint32_t i = 0; i < n; ++i) {
        v[i] = amplitude * std::cos(2.0 * std::numbers::pi * bin * i / n + phase);
    }
    return v;
}

std::vector<double> Add(std::vector<double> a, const std::vector<double>& b) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        a[i] += b[i];
    }
    return a;
}

std::vector<float> ToFloat(const std::vector<double>& v) {
    return {v.begin(), v.end()};
}

struct Filtered {
    std::vector<float> wave, imag;
    std::vector<float> re, im; // the kept spectrum, bins 0..N-1
};

Filtered Filter(const std::vector<float>& in, uint32_t n) {
    Filtered f{std::vector<float>(n), std::vector<float>(n), {}, {}};
    const std::vector<float> zeros(n, 0.0f);
    const CSpectralFilter filter(in.data(), zeros.data(), f.wave.data(), f.imag.data(), n);
    for (uint32_t k = 0; k < n; ++k) {
        f.re.push_back(filter.GetRealBin(static_cast<int>(k)));
        f.im.push_back(filter.GetImagBin(static_cast<int>(k)));
    }
    return f;
}

float Peak(const std::vector<float>& v) {
    float p = 0;
    for (float x : v) {
        p = std::max(p, std::fabs(x));
    }
    return p;
}

// The output must follow `expected` scaled to a peak magnitude of 1.
void ExpectShape(const std::vector<float>& out, std::vector<double> expected, double tol) {
    double peak = 0;
    for (double x : expected) {
        peak = std::max(peak, std::fabs(x));
    }
    EXPECT_FLOAT_EQ(Peak(out), 1.0f);
    for (std::size_t i = 0; i < out.size(); ++i) {
        ASSERT_NEAR(out[i], expected[i] / peak, tol) << i;
    }
}

TEST(CSpectralFilter, ConstantWaveFiltersToZeros) {
    for (float level : {0.0f, 1.0f, -250.5f}) {
        const Filtered f = Filter(std::vector<float>(kN, level), kN);
        EXPECT_EQ(Peak(f.wave), 0.0f) << level; // no division by a zero peak, no NaN
        EXPECT_EQ(Peak(f.re), 0.0f);
        EXPECT_EQ(Peak(f.imag), 0.0f);
    }
}

TEST(CSpectralFilter, PassBandToneKeepsItsShape) {
    // Bin 20 is 97.66 Hz at 8192 samples and 40 000 samples/s.
    const std::vector<double> tone = Tone(kN, 20, 3.5, 0.4);
    ExpectShape(Filter(ToFloat(tone), kN).wave, tone, 2e-5);
}

TEST(CSpectralFilter, AttenuatedToneAloneIsRestoredByTheNormalisation) {
    const std::vector<double> tone = Tone(kN, 100, 0.02, 1.1);
    ExpectShape(Filter(ToFloat(tone), kN).wave, tone, 2e-5);
}

TEST(CSpectralFilter, MiddleBandIsAttenuatedRelativeToThePassBand) {
    const std::vector<double> low = Tone(kN, 20, 1.0, 0.0), high = Tone(kN, 100, 1.0, 0.7);
    const Filtered f = Filter(ToFloat(Add(low, high)), kN);
    std::vector<double> expected = high;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        expected[i] = low[i] + high[i] / 11.4173;
    }
    ExpectShape(f.wave, expected, 2e-5);
    const double m20 = std::hypot(f.re[20], f.im[20]), m100 = std::hypot(f.re[100], f.im[100]);
    EXPECT_NEAR(m100 / m20, 1.0 / 11.4173, 1e-6);
}

TEST(CSpectralFilter, StopBandToneIsRemoved) {
    // Bin 300 (1464.8 Hz) alone leaves only rounding noise, which must not be blown up to 1.
    const Filtered alone = Filter(ToFloat(Tone(kN, 300, 5.0, 0.2)), kN);
    EXPECT_EQ(Peak(alone.wave), 0.0f);
    // Beside a pass-band tone it leaves no trace.
    const std::vector<double> low = Tone(kN, 20, 1.0, 0.0);
    ExpectShape(Filter(ToFloat(Add(low, Tone(kN, 300, 1.0, 0.2))), kN).wave, low, 2e-5);
}

TEST(CSpectralFilter, BandEdgesAndMirrorBins) {
    // Bins 2, 3, 39, 40, 204, 205 and N/2 with their mirrors: unit amplitudes in, the kept
    // spectrum shows the mask (times the common normalisation).
    std::vector<double> wave(kN, 0.0);
    for (int bin : {2, 3, 39, 40, 204, 205, 300}) {
        wave = Add(wave, Tone(kN, bin, 1.0, 0.0));
    }
    wave = Add(wave, Tone(kN, kN / 2, 1.0, 0.0));
    const Filtered f = Filter(ToFloat(wave), kN);
    const double unit = f.re[3]; // a pass-band bin after normalisation
    ASSERT_GT(unit, 0.0);
    const auto expectBin = [&](uint32_t k, double gain) {
        EXPECT_NEAR(f.re[k], gain * unit, 1e-4 * unit) << k;
        EXPECT_NEAR(f.re[kN - k], gain * unit, 1e-4 * unit) << kN - k;
    };
    expectBin(2, 0.0);
    expectBin(39, 1.0);
    expectBin(40, 1.0 / 11.4173);
    expectBin(204, 1.0 / 11.4173);
    expectBin(205, 0.0);
    expectBin(300, 0.0);
    // The Nyquist bin is passed: one bin holding what the pair of a normal bin holds.
    EXPECT_NEAR(f.re[kN / 2], 2.0 * unit, 1e-4 * unit);
}

TEST(CSpectralFilter, KeptSpectrumIsTheTransformOfTheOutput) {
    std::vector<float> wave(kN);
    for (uint32_t i = 0; i < kN; ++i) {
        // A decaying burst with a DC offset, like a recorded shear wave.
        const double t = i / 40000.0;
        wave[i] = static_cast<float>(0.3 + std::exp(-40.0 * t) * std::sin(2 * 3.14159 * 120 * t) +
                                     0.2 * std::sin(2 * 3.14159 * 2500 * t));
    }
    const std::vector<float> copy = wave;
    const Filtered f = Filter(wave, kN);
    EXPECT_EQ(wave, copy); // the input is left alone
    EXPECT_FLOAT_EQ(Peak(f.wave), 1.0f);
    std::vector<float> re(kN), im(kN);
    fft_float(kN, 0, f.wave.data(), f.imag.data(), re.data(), im.data());
    EXPECT_EQ(re, f.re);
    EXPECT_EQ(im, f.im);
    for (uint32_t k = 0; k < 3; ++k) {
        EXPECT_NEAR(f.re[k], 0.0f, 1e-3) << k;
        EXPECT_NEAR(f.im[k], 0.0f, 1e-3) << k;
    }
}

TEST(CSpectralFilter, NullImaginaryInputMeansZeros) {
    const std::vector<float> tone = ToFloat(Tone(kN, 30, 1.0, 0.3));
    std::vector<float> out(kN), imag(kN);
    const CSpectralFilter filter(tone.data(), nullptr, out.data(), imag.data(), kN);
    EXPECT_EQ(out, Filter(tone, kN).wave);
}

TEST(CSpectralFilter, RecordLengths) {
    const std::vector<float> tone = ToFloat(Tone(256, 5, 1.0, 0.0));
    std::vector<float> out(256), imag(256);
    EXPECT_THROW(CSpectralFilter(tone.data(), nullptr, out.data(), imag.data(), 256), KorvaneError);
    EXPECT_THROW(CSpectralFilter(tone.data(), nullptr, out.data(), imag.data(), 0), KorvaneError);
    const std::vector<float> big(1000, 1.0f);
    std::vector<float> bigOut(1000), bigImag(1000);
    EXPECT_THROW(CSpectralFilter(big.data(), nullptr, bigOut.data(), bigImag.data(), 1000),
                 KorvaneError);
    for (uint32_t n : {512u, 16384u}) {
        // Bin 10 lies in the pass band at every length.
        const std::vector<double> t = Tone(n, 10, 2.0, 0.5);
        ExpectShape(Filter(ToFloat(t), n).wave, t, 2e-5);
    }
}

TEST(CSpectralFilter, NonFiniteSamplesAreRefused) {
    std::vector<float> wave = ToFloat(Tone(kN, 20, 1.0, 0.0));
    wave[100] = std::numeric_limits<float>::quiet_NaN();
    std::vector<float> out(kN), imag(kN);
    EXPECT_THROW(CSpectralFilter(wave.data(), nullptr, out.data(), imag.data(), kN), KorvaneError);
    wave[100] = std::numeric_limits<float>::infinity();
    EXPECT_THROW(CSpectralFilter(wave.data(), nullptr, out.data(), imag.data(), kN), KorvaneError);
}

} // namespace
} // namespace korvane
