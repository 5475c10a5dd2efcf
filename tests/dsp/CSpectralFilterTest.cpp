#include "dsp/CSpectralFilter.h"
#include "dsp/KorvaneError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace korvane {
namespace {

constexpr uint32_t kN = 8192;

struct Tone {
    int bin;
    double amplitude, phase, gain; // gain: what the filter should leave of it
};

// The sum of amplitude * cos(2*pi*bin*n/N + phase) over the tones, optionally times the gains.
std::vector<double> Tones(uint32_t n, const std::vector<Tone>& tones, bool withGains = false) {
    std::vector<double> v(n, 0.0);
    for (const Tone& t : tones)
        for (uint32_t i = 0; i < n; ++i)
            v[i] += (withGains ? t.gain : 1.0) * t.amplitude *
                    std::cos(2.0 * std::numbers::pi * t.bin * i / n + t.phase);
    return v;
}

struct Filtered {
    std::vector<float> wave, imag;
    std::vector<float> re, im; // the kept spectrum, bins 0..N-1
};

Filtered Filter(const std::vector<double>& in, uint32_t n) {
    Filtered f{std::vector<float>(n), std::vector<float>(n), {}, {}};
    const std::vector<float> wave(in.begin(), in.end()), zeros(n, 0.0f);
    const CSpectralFilter filter(wave.data(), zeros.data(), f.wave.data(), f.imag.data(), n);
    for (uint32_t k = 0; k < n; ++k) {
        f.re.push_back(filter.GetRealBin(static_cast<int>(k)));
        f.im.push_back(filter.GetImagBin(static_cast<int>(k)));
    }
    return f;
}

template <class T> double Peak(const std::vector<T>& v) {
    double p = 0;
    for (T x : v)
        p = std::max(p, static_cast<double>(std::fabs(x)));
    return p;
}

// Nothing in the kept bands, whatever the level: the rounding noise must not be blown up to 1.
TEST(CSpectralFilter, WavesWithoutSignalFilterToZeros) {
    std::vector<std::vector<double>> waves = {Tones(kN, {{300, 5.0, 0.2, 0.0}})};
    for (double level : {0.0, -250.5, 1e7})
        waves.emplace_back(kN, level);
    for (const std::vector<double>& wave : waves) {
        const Filtered f = Filter(wave, kN);
        EXPECT_EQ(Peak(f.wave), 0.0) << wave[0]; // no division by a zero peak, no NaN
        EXPECT_EQ(Peak(f.re), 0.0);
        EXPECT_EQ(Peak(f.imag), 0.0);
    }
}

// A 97.7 Hz sine of amplitude 5 on an offset of 1e7 (where a float step is 1) is a signal.
TEST(CSpectralFilter, ASmallSignalOnALargeOffsetIsKept) {
    const std::vector<double> sine = Tones(kN, {{20, 5.0, 0.3, 1.0}});
    std::vector<double> wave = sine;
    for (double& v : wave)
        v += 1e7;
    const Filtered f = Filter(wave, kN);
    double product = 0, energy = 0, sineEnergy = 0;
    for (uint32_t i = 0; i < kN; ++i) {
        product += f.wave[i] * sine[i];
        energy += f.wave[i] * f.wave[i];
        sineEnergy += sine[i] * sine[i];
    }
    EXPECT_FLOAT_EQ(static_cast<float>(Peak(f.wave)), 1.0f);
    EXPECT_GT(product / std::sqrt(energy * sineEnergy), 0.99999);
}

// Tones in, the expected shape out: the pass band (bin 20 is 97.66 Hz at 8192 samples and
// 40 000 samples/s) kept, the middle band (bin 100) cut by 11.4173, the stop band (bin 300)
// removed, then everything scaled to a peak of 1.
TEST(CSpectralFilter, TonesKeepTheShapeTheBandsGiveThem) {
    const struct {
        const char* name;
        uint32_t n;
        std::vector<Tone> tones;
    } cases[] = {
        {"pass band", kN, {{20, 3.5, 0.4, 1.0}}},
        {"pass and middle band", kN, {{20, 1.0, 0.0, 1.0}, {100, 1.0, 0.7, 1.0 / 11.4173}}},
        {"pass and stop band", kN, {{20, 1.0, 0.0, 1.0}, {300, 1.0, 0.2, 0.0}}},
        {"512 samples", 512, {{10, 2.0, 0.5, 1.0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Filtered f = Filter(Tones(c.n, c.tones), c.n);
        const std::vector<double> expected = Tones(c.n, c.tones, true);
        EXPECT_FLOAT_EQ(static_cast<float>(Peak(f.wave)), 1.0f);
        for (uint32_t i = 0; i < c.n; ++i)
            ASSERT_NEAR(f.wave[i], expected[i] / Peak(expected), 2e-5) << i;
        if (c.tones.size() == 2 && c.tones[1].bin == 100) {
            EXPECT_NEAR(std::hypot(f.re[100], f.im[100]) / std::hypot(f.re[20], f.im[20]),
                        1.0 / 11.4173, 1e-6);
        }
    }
}

TEST(CSpectralFilter, RefusesBadLengths) {
    std::vector<float> wave(kN, 0.5f), out(kN), imag(kN);
    for (uint32_t n : {0u, 256u, 1000u})
        EXPECT_THROW(CSpectralFilter(wave.data(), nullptr, out.data(), imag.data(), n),
                     KorvaneError)
            << n;
}

} // namespace
} // namespace korvane
