#include "sounding/DiagnosticFiles.h"

#include "WaveFileFixture.h"
#include "sounding/FixedDecimal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

namespace korvane {
namespace {

std::string Printf(double value) {
    char text[400];
    std::snprintf(text, sizeof text, "%f", value);
    return text;
}

TEST(FixedDecimal, PrintsExactlyWhatPrintfPrints) {
    using Limits = std::numeric_limits<float>;
    std::vector<float> specials = {0.0f,       -0.0f, -1e-9f,  0.0000005f,      0.0000015f,
                                   0.0000025f, 1.0f,  -12.17f, 999999.9999995f, 1e12f,
                                   -3e15f};
    for (float v : {Limits::max(), Limits::denorm_min(), Limits::infinity(), Limits::quiet_NaN()})
        specials.insert(specials.end(), {v, -v});
    for (const float value : specials) {
        std::string text;
        FixedDecimal::AppendFloat(text, value);
        EXPECT_EQ(text, Printf(value)) << value;
        text.clear();
        FixedDecimal::AppendDouble(text, value);
        EXPECT_EQ(text, Printf(value)) << value;
    }
    std::mt19937 random(7);
    for (int round = 0; round < 200000; ++round) {
        uint32_t bits = static_cast<uint32_t>(random());
        if (round % 2 == 0) // mostly the magnitudes waves and depths have
            bits = (bits & 0x807fffffu) | ((100u + bits % 40u) << 23);
        float value = 0;
        std::memcpy(&value, &bits, sizeof value);
        std::string text;
        FixedDecimal::AppendFloat(text, value);
        ASSERT_EQ(text, Printf(value)) << bits;
    }
    for (int t = 0; t < 8192; ++t) {
        std::string text;
        FixedDecimal::AppendDouble(text, t * 0.025);
        ASSERT_EQ(text, Printf(t * 0.025));
    }
    std::string text;
    FixedDecimal::AppendInt(text, -2147483647LL - 1);
    EXPECT_EQ(text, "-2147483648");
}

TEST(DiagnosticFiles, WaveTableHasADepthLineAndOneLinePerSample) {
    const std::vector<float> depths{0.82f, 1.82f};
    const std::vector<std::vector<float>> waves{{0.5f, -0.25f, 1e-7f}, {1.0f, 2.0f, -3.5f}};
    const std::string twoSamples = "depth 0.820000  1.820000  \n"
                                   "0.000000  0.500000  1.000000  \n"
                                   "0.025000  -0.250000  2.000000  \n";
    EXPECT_EQ(DiagnosticFiles::WaveTable(depths, waves, 2), twoSamples);
    EXPECT_EQ(DiagnosticFiles::WaveTable(depths, waves, 3),
              twoSamples + "0.050000  0.000000  -3.500000  \n");
}

TEST(DiagnosticFiles, WriteTextReplacesTheFileOrSaysItCannot) {
    const testing::TempDir dir;
    const auto file = dir.path() / "phase.txt";
    ASSERT_TRUE(DiagnosticFiles::WriteText(file, "a much longer old text\n"));
    ASSERT_TRUE(DiagnosticFiles::WriteText(file, "new\n"));
    EXPECT_EQ(testing::ReadAll(file), "new\n");
    EXPECT_FALSE(DiagnosticFiles::WriteText(dir.path() / "missing" / "phase.txt", "x"));
    EXPECT_FALSE(DiagnosticFiles::WriteText(dir.path(), "x")); // a folder
}

} // namespace
} // namespace korvane
