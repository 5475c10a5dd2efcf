// Numbers at the edge of the definitions: non-finite amplitudes are refused, while equal or
// negative depths and a hammer distance of zero or below are computed as the formulas say,
// and the table and its export show the results (0, NaN, infinities) as printf prints them.
#include "SoundingFixture.h"
#include "WaveFileFixture.h"
#include "dsp/CorrelationRuns.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/DiagnosticFiles.h"
#include "sounding/LoadPipeline.h"
#include "sounding/VelocityTable.h"
#include "sounding/WaveFileReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace korvane {
namespace {

using testing::Header;
using testing::TempDir;

constexpr uint32_t kSamples = 512;

// A 1 kHz burst centred on sample centre, inside the filter's pass band at 512 samples.
std::vector<float> Burst(int centre) {
    std::vector<float> wave(kSamples);
    for (int t = 0; t < static_cast<int>(kSamples); ++t) {
        const double s = (t - centre) / 20.0;
        wave[static_cast<std::size_t>(t)] =
            static_cast<float>(std::exp(-s * s) * std::sin(2 * 3.141592653589793 * t / 40.0));
    }
    return wave;
}

std::string Printed(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

TEST(OddNumbers, NonFiniteAndOutOfRangeAmplitudesAreRefusedWithTheRecordMessage) {
    const TempDir dir;
    const std::string good = dir.Write("good.txt", testing::WaveText(2.0, Burst(200)));
    for (const char* spelling : {"nan", "NaN", "-nan", "nan(0x1)", "inf", "-inf", "INF", "infinity",
                                 "1e39", "-3.5e38", "1e400", "0x1p3"}) {
        SCOPED_TRACE(spelling);
        std::string text = Header() + "0 0.5\n0 0.25\n0 -0.5\n0 1\n0 " + spelling + "\n0 0\n";
        const std::string bad = dir.Write("odd.txt", text);
        CKorvaneDoc doc;
        doc.samplesPerRecord = kSamples;
        NullProgress progress;
        const CommandResult result = LoadSounding(doc, {good, bad}, dir.path(), progress);
        EXPECT_EQ(result.outcome, CommandOutcome::Failed);
        EXPECT_EQ(result.message, "The file is wrong in 5 data record!");
        EXPECT_EQ(result.failedPath, bad);
        EXPECT_TRUE(testing::IsEmptySounding(doc, kSamples));
    }
    // The largest float and the smallest subnormal are numbers like any other.
    const std::string edge = dir.Write(
        "edge.txt", Header() + "0 3.4028234e38\n0 -3.4028234e38\n0 1e-45\n0 1e-50\n0 0\n");
    std::vector<float> raw(kSamples);
    float depth = 0.0f;
    ASSERT_EQ(WaveFileReader::ReadSamples(edge, raw.data(), kSamples, depth, 0.18f), 5u);
    EXPECT_EQ(raw[0], 3.4028234e38f);
    EXPECT_EQ(raw[2], 1e-45f);
    EXPECT_EQ(raw[3], 0.0f);
    // Their mean overflows to no number: the filter refuses what it cannot transform.
    std::vector<float> filtered(kSamples), re(100), im(100);
    EXPECT_THROW(WaveFileReader(edge, raw.data(), filtered.data(), kSamples, depth, 0.18f,
                                re.data(), im.data()),
                 KorvaneError);
}

// Geophone depths 1, 1, 3 and 5 m and one 2 m above the surface: the same burst at the equal
// depths and at 3 m (no delay), a later one at 5 m, an earlier one above the surface.
struct OddSounding {
    CKorvaneDoc doc;
    CommandResult load;
    CommandResult run;
    std::string phaseText;
};

OddSounding LoadOddSounding(float hammerToRod) {
    const TempDir dir;
    const std::vector<std::string> paths = {
        dir.Write("a.txt", testing::WaveText(1.18, Burst(200))),
        dir.Write("b.txt", testing::WaveText(1.18, Burst(200))),
        dir.Write("c.txt", testing::WaveText(3.18, Burst(200))),
        dir.Write("d.txt", testing::WaveText(5.18, Burst(260))),
        dir.Write("e.txt", testing::WaveText(-1.82, Burst(170))),
    };
    OddSounding odd;
    odd.doc.samplesPerRecord = kSamples;
    odd.doc.hammerToRod = hammerToRod;
    NullProgress progress;
    odd.load = LoadSounding(odd.doc, paths, dir.path(), progress);
    if (odd.load.ok())
        odd.run = RunCrossCorrelation(odd.doc, progress, 1);
    odd.phaseText = testing::ReadAll(dir.path() / DiagnosticFiles::kPhaseFile);
    return odd;
}

TEST(OddNumbers, EqualAndNegativeDepthsAndAnyHammerDistanceFollowTheDefinitions) {
    for (const float h : {1.22f, 0.0f, -1.5f}) {
        SCOPED_TRACE(h);
        const OddSounding odd = LoadOddSounding(h);
        ASSERT_TRUE(odd.load.ok()) << odd.load.message;
        ASSERT_TRUE(odd.run.ok()) << odd.run.message;
        const CKorvaneDoc& doc = odd.doc;
        ASSERT_EQ(doc.lags.size(), 4u);
        EXPECT_FLOAT_EQ(doc.depths[0], -2.0f);
        EXPECT_EQ(doc.depths[1], doc.depths[2]);

        // Interval by interval: slant path difference over the delay.
        for (std::size_t i = 0; i < 4; ++i) {
            const double z0 = doc.depths[i], z1 = doc.depths[i + 1], hd = doc.hammerToRod;
            const double path = std::sqrt(z1 * z1 + hd * hd) - std::sqrt(z0 * z0 + hd * hd);
            const double expected = path / (doc.lags[i] * 0.000025);
            SCOPED_TRACE(i);
            if (std::isnan(expected))
                EXPECT_TRUE(std::isnan(doc.ccVelocities[i]));
            else
                EXPECT_FLOAT_EQ(doc.ccVelocities[i], static_cast<float>(expected));
        }
        // Equal depths, same wave: no path, no delay.
        EXPECT_EQ(doc.lags[1], 0);
        EXPECT_TRUE(std::isnan(doc.ccVelocities[1]));
        // 1 m to 3 m, same wave: a path but no delay.
        EXPECT_EQ(doc.lags[2], 0);
        EXPECT_EQ(doc.ccVelocities[2], INFINITY);
        // From above the surface down: a shorter path at a later time, a negative velocity
        // unless the hammer sits on the rod (then |z| decides: 2 m up to 1 m down).
        EXPECT_LT(doc.ccVelocities[0], 0.0f);
        EXPECT_GT(doc.ccVelocities[3], 0.0f);
        EXPECT_TRUE(std::isfinite(doc.ccVelocities[3]));

        // The phase fit of two identical records has no slope: 0/0.
        ASSERT_EQ(doc.phaseVelocities.size(), 4u);
        EXPECT_TRUE(std::isnan(doc.phaseVelocities[1]));
        // x86 makes 0/0 a NaN with the sign bit set; printf shows the sign.
        EXPECT_TRUE(odd.phaseText.find("Velocity = nan\n") != std::string::npos ||
                    odd.phaseText.find("Velocity = -nan\n") != std::string::npos);
        EXPECT_NE(odd.phaseText.find("Velocity = inf\n"), std::string::npos);

        // The dialog's rows and the export print every value, whatever it is.
        const std::vector<VelocityTableRow> rows = VelocityTableRows(doc);
        ASSERT_EQ(rows.size(), 4u);
        std::ostringstream exported;
        WriteVelocityTable(doc, exported);
        std::istringstream lines(exported.str());
        std::string line;
        std::getline(lines, line); // header
        for (std::size_t i = 0; i < 4; ++i) {
            const double mid = static_cast<double>(doc.depths[i + 1] + doc.depths[i]) * 0.5;
            const double v = doc.ccVelocities[i];
            const double r2 = doc.correlationCoefficients[i] * doc.correlationCoefficients[i];
            EXPECT_EQ(rows[i].midDepth, Printed("%.2f", mid));
            EXPECT_EQ(rows[i].velocity, Printed("%.2f", v));
            EXPECT_EQ(rows[i].r2, Printed("%.2f", r2));
            ASSERT_TRUE(std::getline(lines, line));
            EXPECT_EQ(line, Printed("%f", mid) + "      " + Printed("%f", v) + "     " +
                                Printed("%f", r2));
        }
        EXPECT_EQ(rows[1].velocity, "nan");
        EXPECT_EQ(rows[2].velocity, "inf");
        EXPECT_EQ(rows[0].midDepth, "-0.50");
    }
}

} // namespace
} // namespace korvane
