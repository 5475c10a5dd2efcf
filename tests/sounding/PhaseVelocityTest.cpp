#include "sounding/PhaseVelocity.h"

#include "sounding/CKorvaneDoc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace korvane {
namespace {

float PhaseOf(float re, float im) {
    std::vector<float> real(100, re), imag(100, im), phase(100, 42.0f);
    PhaseVelocity::ComputePhaseAngles(real.data(), imag.data(), phase.data());
    EXPECT_EQ(phase[97], 42.0f); // bins 97..99 are never written
    EXPECT_EQ(phase[99], 42.0f);
    return phase[96];
}

TEST(PhaseVelocity, PhaseAngleIsTheFourQuadrantAngleWithItsOwnPi) {
    EXPECT_EQ(PhaseOf(-1.0f, 0.0f), static_cast<float>(-3.14159));
    EXPECT_EQ(PhaseOf(-1.0f, 1.0f), static_cast<float>(std::atan(-1.0) + 3.14159));
    EXPECT_EQ(PhaseOf(-1.0f, -1.0f), static_cast<float>(std::atan(1.0) - 3.14159));
    EXPECT_EQ(PhaseOf(2.0f, -1.0f), static_cast<float>(std::atan(-0.5)));
    // On the imaginary axis the angle is +-pi/2, and zero for a zero bin.
    EXPECT_EQ(PhaseOf(0.0f, 3.0f), static_cast<float>(3.14159 / 2));
    EXPECT_EQ(PhaseOf(-0.0f, -3.0f), static_cast<float>(-3.14159 / 2));
    EXPECT_EQ(PhaseOf(0.0f, 0.0f), 0.0f);
    EXPECT_TRUE(std::isnan(PhaseOf(std::numeric_limits<float>::quiet_NaN(), 1.0f)));
}

// Two records whose band phases differ by the given amounts.
CKorvaneDoc TwoRecords(float depth0, float depth1, const std::vector<double>& differences) {
    CKorvaneDoc doc;
    doc.recordCount = 2;
    doc.depths = {depth0, depth1};
    doc.phaseSpectra.assign(2, std::vector<float>(100, 0.25f));
    for (int k = 5; k <= 12; ++k)
        doc.phaseSpectra[1][static_cast<std::size_t>(k)] =
            static_cast<float>(0.25 + differences[static_cast<std::size_t>(k - 5)]);
    return doc;
}

TEST(PhaseVelocity, IdenticalRecordsGiveAnInfiniteVelocity) {
    CKorvaneDoc doc = TwoRecords(1.0f, 2.0f, std::vector<double>(8, 0.0));
    const std::string text = PhaseVelocity::ComputeIntervalVelocities(doc);
    ASSERT_EQ(doc.phaseVelocities.size(), 1u);
    EXPECT_TRUE(std::isinf(doc.phaseVelocities[0]));
    EXPECT_EQ(text, "depth 2.000000  i=  0   FileCount=2\n"
                    "5   0.000000\n6   0.000000\n7   0.000000\n8   0.000000\n"
                    "9   0.000000\n10   0.000000\n11   0.000000\n12   0.000000\n"
                    "Velocity = inf\n\n");
}

TEST(PhaseVelocity, AFourMillisecondDelayGivesTheSlantPathVelocity) {
    std::vector<double> differences;
    for (int k = 5; k <= 12; ++k)
        differences.push_back(6.2831852 * k * 4.8828125 * 0.004);
    CKorvaneDoc doc = TwoRecords(4.0f, 5.0f, differences);
    doc.hammerToRod = 1.22f;
    PhaseVelocity::ComputeIntervalVelocities(doc);
    const double expected = (std::sqrt(25.0 + 1.22 * 1.22) - std::sqrt(16.0 + 1.22 * 1.22)) / 0.004;
    EXPECT_NEAR(doc.phaseVelocities[0], expected, 0.01);
    EXPECT_NEAR(doc.phaseVelocities[0], 241.19, 0.01);

    // Two records at the same depth: no path difference, no velocity.
    CKorvaneDoc same = TwoRecords(4.0f, 4.0f, differences);
    PhaseVelocity::ComputeIntervalVelocities(same);
    EXPECT_EQ(same.phaseVelocities[0], 0.0f);
}

TEST(PhaseVelocity, DifferencesWrapIntoZeroToTwoPi) {
    // The deeper record's phase lies below the upper one's: 2*pi is added first.
    CKorvaneDoc doc = TwoRecords(1.0f, 2.0f, std::vector<double>(8, 0.0));
    doc.phaseSpectra[0][5] = 3.0f;
    doc.phaseSpectra[1][5] = -3.0f;
    const std::string text = PhaseVelocity::ComputeIntervalVelocities(doc);
    const float wrapped = static_cast<float>((-3.0f + 6.2831852) - 3.0f);
    char line[64];
    std::snprintf(line, sizeof line, "\n5   %f\n6   ", static_cast<double>(wrapped));
    EXPECT_NE(text.find(line), std::string::npos) << text;
    // Only the lowest bin differs: the slope, and with it the velocity, is negative.
    EXPECT_LT(doc.phaseVelocities[0], 0.0f);
}

TEST(PhaseVelocity, WritesOneBlockPerIntervalAndNothingForOneRecord) {
    CKorvaneDoc doc;
    doc.recordCount = 3;
    doc.depths = {1.5f, 2.5f, 3.5f};
    doc.phaseSpectra.assign(3, std::vector<float>(100, 0.0f));
    for (int k = 5; k <= 12; ++k) {
        doc.phaseSpectra[1][static_cast<std::size_t>(k)] = 0.01f * k;
        doc.phaseSpectra[2][static_cast<std::size_t>(k)] = 0.03f * k;
    }
    const std::string text = PhaseVelocity::ComputeIntervalVelocities(doc);
    EXPECT_EQ(text.rfind("depth 2.500000  i=  0   FileCount=3\n", 0), 0u) << text;
    EXPECT_NE(text.find("\n\ndepth 3.500000  i=  1   FileCount=3\n"), std::string::npos);
    ASSERT_EQ(doc.phaseVelocities.size(), 2u);
    EXPECT_GT(doc.phaseVelocities[0], 0.0f);
    char velocity[64];
    std::snprintf(velocity, sizeof velocity, "Velocity = %f\n\n",
                  static_cast<double>(doc.phaseVelocities[1]));
    EXPECT_EQ(text.size() - text.rfind(velocity), std::string(velocity).size());

    CKorvaneDoc single;
    single.recordCount = 1;
    single.depths = {1.0f};
    single.phaseSpectra.assign(1, std::vector<float>(100, 0.0f));
    EXPECT_EQ(PhaseVelocity::ComputeIntervalVelocities(single), "");
    EXPECT_TRUE(single.phaseVelocities.empty());
}

} // namespace
} // namespace korvane
