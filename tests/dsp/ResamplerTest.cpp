#include "dsp/Resampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace korvane {
namespace {

constexpr double kGrid = 25e-6;

std::vector<float> Sine(double frequency, double interval, double start, std::size_t count) {
    std::vector<float> values(count);
    for (std::size_t j = 0; j < count; ++j)
        values[j] = static_cast<float>(std::sin(2 * std::numbers::pi * frequency *
                                                (start + static_cast<double>(j) * interval)));
    return values;
}

TEST(Resampler, SinesComeBackWithinOneThousandthAwayFromTheEnds) {
    const struct {
        double frequency, interval, start;
    } cases[] = {
        {100, 0.0002, 0.0},        // 5 kHz recorder
        {100, 0.0002, -0.0100625}, // pre-trigger samples, the trigger between two of them
        {300, 0.000125, -0.008},   // 8 kHz
        {700, 0.00005, 0.0},       // 20 kHz
        {200, 0.000137, 0.0},      // an interval whose phases never repeat
        {500, 0.00001, -0.0001},   // 100 kHz: a faster recorder is low-passed, not aliased
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.interval) + " s from " + std::to_string(c.start) + " s");
        const auto count = static_cast<std::size_t>((0.2048 - c.start) / c.interval) + 1;
        const std::vector<float> source = Sine(c.frequency, c.interval, c.start, count);
        std::vector<float> out(8192);
        Resampler(c.interval, kGrid)
            .Run(source.data(), source.size(), c.start, 0.0, out.data(), out.size());
        double squares = 0.0;
        int used = 0;
        for (std::size_t k = 200; k < 8192 - 200; ++k) { // 5 ms from each end
            const double truth = std::sin(2 * std::numbers::pi * c.frequency * k * kGrid);
            squares += (out[k] - truth) * (out[k] - truth);
            ++used;
        }
        EXPECT_LT(std::sqrt(squares / used), 1e-3);
    }
}

TEST(Resampler, KeepsSamplesOnTheGridConstantsAndTheBackgroundExactly) {
    // Outputs that fall on source samples are those samples.
    const std::vector<float> source = {0.5f, -1.25f, 3.0f, 7.5f, -2.0f, 0.125f};
    std::vector<float> out(40, 99.0f);
    Resampler(5 * kGrid, kGrid).Run(source.data(), source.size(), 0.0, 0.0, out.data(), out.size());
    for (std::size_t j = 0; j < source.size(); ++j)
        EXPECT_FLOAT_EQ(out[5 * j], source[j]) << j;
    // Past the last source sample the signal is the background.
    for (std::size_t k = 26; k < out.size(); ++k)
        EXPECT_EQ(out[k], 0.0f) << k;

    const std::vector<float> constant(300, 2.5f);
    std::vector<float> level(2000);
    Resampler(0.000137, kGrid)
        .Run(constant.data(), constant.size(), 0.003, 2.5, level.data(), level.size());
    for (float v : level)
        EXPECT_NEAR(v, 2.5f, 1e-6f);
}

} // namespace
} // namespace korvane
