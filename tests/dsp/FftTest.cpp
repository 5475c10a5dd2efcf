#include "dsp/Fft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

namespace korvane {
namespace {

using Spectrum = std::vector<std::complex<long double>>;

// Direct DFT with the program's convention: positive exponent forward, 1/N on the inverse.
Spectrum SlowDft(const std::vector<float>& re, const std::vector<float>& im, bool inverse) {
    const std::size_t n = re.size();
    const long double sign = inverse ? -1.0L : 1.0L;
    Spectrum out(n);
    for (std::size_t k = 0; k < n; ++k) {
        std::complex<long double> sum = 0;
        for (std::size_t t = 0; t < n; ++t) {
            const long double phi = sign * 2.0L * std::numbers::pi_v<long double> *
                                    static_cast<long double>(t * k % n) / n;
            sum += std::complex<long double>(re[t], im[t]) *
                   std::complex<long double>(std::cos(phi), std::sin(phi));
        }
        out[k] = inverse ? sum / static_cast<long double>(n) : sum;
    }
    return out;
}

std::vector<float> RandomWave(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    std::vector<float> v(n);
    for (float& x : v) {
        x = dist(gen);
    }
    return v;
}

// The transform as defined, one butterfly at a time: bit-reversed copy, then per stage a
// recurrence for the twiddle factors restarted in every block, butterflies in double precision
// stored as floats, and the inverse divided by N.
void ScalarTransform(uint32_t n, bool inverse, const float* realIn, const float* imagIn, float* re,
                     float* im) {
    const uint32_t bits = NumberOfBitsNeeded(n);
    for (uint32_t i = 0; i < n; ++i) {
        re[BitReversedIndex(i, bits)] = realIn[i];
        im[BitReversedIndex(i, bits)] = imagIn != nullptr ? imagIn[i] : 0.0f;
    }
    const double angle = inverse ? -6.283185307179586 : 6.283185307179586;
    for (uint32_t half = 1, span = 2; span <= n; half = span, span *= 2) {
        const double delta = angle / span;
        const double s2 = std::sin(-2 * delta), s1 = std::sin(-delta);
        const double c2 = std::cos(-2 * delta), c1 = std::cos(-delta), w = 2 * c1;
        for (uint32_t j0 = 0; j0 < n; j0 += span) {
            double cp2 = c2, cp1 = c1, sp2 = s2, sp1 = s1;
            for (uint32_t j = j0; j < j0 + half; ++j) {
                const double c = w * cp1 - cp2;
                cp2 = cp1;
                cp1 = c;
                const double s = w * sp1 - sp2;
                sp2 = sp1;
                sp1 = s;
                const uint32_t k = j + half;
                const double tr = c * re[k] - s * im[k], ti = c * im[k] + s * re[k];
                re[k] = static_cast<float>(re[j] - tr);
                im[k] = static_cast<float>(im[j] - ti);
                re[j] = static_cast<float>(re[j] + tr);
                im[j] = static_cast<float>(im[j] + ti);
            }
        }
    }
    if (inverse)
        for (uint32_t i = 0; i < n; ++i) {
            re[i] = static_cast<float>(re[i] / static_cast<double>(n));
            im[i] = static_cast<float>(im[i] / static_cast<double>(n));
        }
}

TEST(FftDeathTest, BadLengthsEndTheProcessWithTheLengthMessage) {
    float in[8] = {}, re[8], im[8];
    for (uint32_t n : {0u, 1u, 6u}) {
        const std::string expected =
            "Error in fft\\(\\):  NumSamples=" + std::to_string(n) + " is not power of two";
        EXPECT_EXIT(fft_float(n, 0, in, nullptr, re, im), testing::ExitedWithCode(1), expected);
    }
}

// A shifted impulse at N = 8 shows the positive exponent.
TEST(Fft, KnownSmallTransforms) {
    const float impulse[8] = {0, 1, 0, 0, 0, 0, 0, 0};
    float re[8], im[8];
    fft_float(8, 0, impulse, nullptr, re, im);
    const float h = static_cast<float>(std::sqrt(0.5));
    const float expected[][3] = {{1, h, h}, {2, 0, 1}, {6, 0, -1}}; // bin, re, im
    for (const auto& e : expected) {
        EXPECT_NEAR(re[int(e[0])], e[1], 1e-7) << e[0];
        EXPECT_NEAR(im[int(e[0])], e[2], 1e-7) << e[0];
    }
}

TEST(Fft, MatchesTheDirectTransformAtManySizes) {
    for (uint32_t n : {2u, 16u, 1024u}) {
        const std::vector<float> re = RandomWave(n, n), im = RandomWave(n, n + 1);
        for (int inverse : {0, 1}) {
            const Spectrum expected = SlowDft(re, im, inverse != 0);
            std::vector<float> fr(n), fi(n);
            fft_float(n, inverse, re.data(), im.data(), fr.data(), fi.data());
            std::vector<double> dr(n), di(n), dre(re.begin(), re.end()), dim(im.begin(), im.end());
            fft_double(n, inverse, dre.data(), dim.data(), dr.data(), di.data());
            // Magnitudes grow like sqrt(n) forward; the rounding error with log2(n) stages.
            const double scale = inverse ? 1.0 / std::sqrt(double(n)) : std::sqrt(double(n));
            const double tolFloat = 1e-6 * scale * std::log2(double(n)) * 4;
            const double tolDouble = 1e-14 * scale * std::log2(double(n)) * 4;
            for (uint32_t k = 0; k < n; ++k) {
                ASSERT_NEAR(fr[k], double(expected[k].real()), tolFloat) << n << " " << k;
                ASSERT_NEAR(fi[k], double(expected[k].imag()), tolFloat) << n << " " << k;
                ASSERT_NEAR(dr[k], double(expected[k].real()), tolDouble) << n << " " << k;
                ASSERT_NEAR(di[k], double(expected[k].imag()), tolDouble) << n << " " << k;
            }
        }
    }
}

// The vector stages, the merged bit reversal and the scaling keep every bit of the defined
// arithmetic, at every length the program can meet, for small and huge values.
TEST(Fft, GivesTheBitsOfTheScalarDefinition) {
    for (uint32_t n = 2; n <= 16384; n *= 2) {
        std::vector<float> re = RandomWave(n, n + 7), im = RandomWave(n, n + 8);
        for (float& x : re)
            x *= n == 4096 ? 1e35f : 1.0f;
        for (int inverse : {0, 1}) {
            for (const float* imagIn :
                 {static_cast<const float*>(nullptr), std::as_const(im).data()}) {
                std::vector<float> fr(n), fi(n), sr(n), si(n);
                fft_float(n, inverse, re.data(), imagIn, fr.data(), fi.data());
                ScalarTransform(n, inverse != 0, re.data(), imagIn, sr.data(), si.data());
                for (uint32_t k = 0; k < n; ++k) {
                    ASSERT_EQ(std::bit_cast<uint32_t>(fr[k]), std::bit_cast<uint32_t>(sr[k]))
                        << n << " " << inverse << " " << k;
                    ASSERT_EQ(std::bit_cast<uint32_t>(fi[k]), std::bit_cast<uint32_t>(si[k]))
                        << n << " " << inverse << " " << k;
                }
                // The leading outputs alone, for any count of them, are the same bits.
                for (uint32_t bins : {1u, 3u, 100u, 128u, 129u, 1000u}) {
                    if (bins > n)
                        continue;
                    std::fill(fr.begin(), fr.end(), 0.0f);
                    std::fill(fi.begin(), fi.end(), 0.0f);
                    fft_float_leading(n, inverse, re.data(), imagIn, fr.data(), fi.data(), bins);
                    for (uint32_t k = 0; k < bins; ++k)
                        ASSERT_TRUE(
                            std::bit_cast<uint32_t>(fr[k]) == std::bit_cast<uint32_t>(sr[k]) &&
                            std::bit_cast<uint32_t>(fi[k]) == std::bit_cast<uint32_t>(si[k]))
                            << n << " " << inverse << " " << bins << " " << k;
                }
            }
        }
    }
}

} // namespace
} // namespace korvane
