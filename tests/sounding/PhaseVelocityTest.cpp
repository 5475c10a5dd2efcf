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

TEST(PhaseVelocity, PhaseAnglesFollowTheQuadrantRule) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        float re, im, phase;
    } cases[] = {
        {1, 1, static_cast<float>(std::atan(1.0))},
        {-1, 0, -3.14159f}, // the negative real axis belongs to the lower half
        {-1, 1, static_cast<float>(std::atan(-1.0) + 3.14159)},
        {-1, -1, static_cast<float>(std::atan(1.0) - 3.14159)},
        {0, 2, static_cast<float>(3.14159 / 2)},
        {-0.0f, -2, static_cast<float>(-3.14159 / 2)},
        {0, 0, nan}, // an empty bin has no phase
    };
    for (const auto& c : cases) {
        std::vector<float> re(100, c.re), im(100, c.im), phase(100, 7.0f);
        PhaseVelocity::ComputePhaseAngles(re.data(), im.data(), phase.data());
        const bool same = std::isnan(c.phase) ? std::isnan(phase[96]) : phase[96] == c.phase;
        EXPECT_TRUE(same) << c.re << " " << c.im << ": " << phase[96];
        EXPECT_EQ(phase[97], 7.0f);
    }
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

    // A record without signal has no phases, so its interval has no velocity either.
    const std::vector<float> zeros(100, 0.0f);
    PhaseVelocity::ComputePhaseAngles(zeros.data(), zeros.data(), doc.phaseSpectra[0].data());
    EXPECT_NE(PhaseVelocity::ComputeIntervalVelocities(doc).find("Velocity = nan\n"),
              std::string::npos);
    EXPECT_TRUE(std::isnan(doc.phaseVelocities[0]));
}

} // namespace
} // namespace korvane
