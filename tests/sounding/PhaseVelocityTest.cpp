#include "sounding/PhaseVelocity.h"

#include "sounding/CKorvaneDoc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace korvane {
namespace {

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
    EXPECT_NE(text.find("Velocity = inf\n"), std::string::npos) << text;
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

} // namespace
} // namespace korvane
