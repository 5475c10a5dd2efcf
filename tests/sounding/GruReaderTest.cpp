#include "sounding/GruReader.h"

#include "WaveFileFixture.h"
#include "dsp/KorvaneError.h"
#include "sounding/RecordImporter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>

namespace korvane {
namespace {

using testing::TempDir;

constexpr double kInterval = 0.0002; // seconds between the logger's samples
constexpr int kSamples = 1100;       // 220 ms, more than a record's 204.8 ms

double Ricker(double t) {
    const double a = std::numbers::pi * 80.0 * t;
    return (1.0 - 2.0 * a * a) * std::exp(-a * a);
}

// A seismic test: the left strike (channel 17) with its S wave centred `centre` seconds after
// the trigger, the right strike (18) opposite, the first sample 0.2 ms after the trigger.
std::string Test(const std::string& header, double centre) {
    std::string text = header + "\n";
    char line[96];
    for (int j = 1; j <= kSamples; ++j) {
        const double value = Ricker(j * kInterval - centre);
        std::snprintf(line, sizeof line, "*E:%.1f#17:%.6f#18:%.6f!\n", j * kInterval * 1e3, value,
                      -value);
        text += line;
    }
    return text + "[SEISMIC TEST END]\n";
}

// Tests 1 (2 m) and 2 (2.5 m, its S wave 1.6 ms later), 3 (2.5 m, empty), a dissipation test,
// 5 (2.5 m again) and 6 (no depth of its own), between the cone readings.
std::string Container() {
    return "[TEST]\n<GORILLA! header>\njob number=7\n\"job description=Quay, north\"\n"
           "probe depth=4.5\n<user header>\nSTART DEPTH=0.0\n\n[SCALING FACTORS]\n<TIP>=2.0\n"
           "<Shear left>=1.0\n\n[DATA]\n*D:1.99#1:2.5#2:0.01!\n" +
           Test("[SEISMIC TEST=1  DEPTH=2.0]", 0.02) + "*D:2.00#1:2.6#2:0.01!\n" +
           Test("[SEISMIC TEST=2  DEPTH=2.5]", 0.0216) +
           "[SEISMIC TEST=3  DEPTH=2.5]\n[SEISMIC TEST END]\n"
           "[DISSIPATION TEST=4  DEPTH=2.5]\n*A:1.00#1:2.55#4:319.04!\n[DISSIPATION TEST END]\n" +
           Test("[SEISMIC TEST=5  DEPTH=2.5]", 0.0216) + Test("[SEISMIC TEST=6]", 0.0232) +
           "[ZERO OFFSETS AFTER TESTING]\n<TIP>=0.9\n\n[END]\n";
}

std::string ImportError(const std::string& path, std::vector<int> channels = {1, 2}) {
    try {
        RecordImporter::Import(path, {}, 8192, 0.18f, channels);
    } catch (const KorvaneError& error) {
        return error.what();
    }
    return "";
}

// Every seismic test with samples is a record of both strikes at the logger's sampling (a file
// with CR LF line ends here, the others have LF); on the grid they are the S waves at their
// delays.
TEST(GruReader, SeismicTestsBecomeRecordsOfBothStrikesOnTheGrid) {
    const TempDir dir;
    std::string crlf;
    for (char c : Container())
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const std::string path = dir.Write("s.GRU", crlf);

    ImportOptions options;
    options.depthKeyword = "probe depth";
    options.depths["s.GRU:test 5"] = 3.0f;
    const FileInspection inspection = RecordImporter::Inspect(path, options);
    EXPECT_EQ(inspection.format, RecordFormat::Gru);
    EXPECT_EQ(inspection.notes,
              std::vector<std::string>{path + ": seismic test 3 holds no samples; left out"});
    const struct {
        const char* section;
        float tipDepth;
        DepthSource source;
    } expected[] = {{"test 1", 2.0f, DepthSource::RecordHeader},
                    {"test 2", 2.5f, DepthSource::RecordHeader},
                    {"test 5", 3.0f, DepthSource::DepthsFile},
                    {"test 6", 4.5f, DepthSource::Keyword}};
    ASSERT_EQ(inspection.records.size(), 4u);
    for (std::size_t r = 0; r < 4; ++r) {
        const RecordSummary& record = inspection.records[r];
        EXPECT_EQ(record.section, expected[r].section);
        EXPECT_EQ(record.tipDepth, expected[r].tipDepth) << r;
        EXPECT_EQ(record.depthSource, expected[r].source) << r;
        ASSERT_EQ(record.traces.size(), 2u);
        for (const TraceSummary& trace : record.traces) {
            EXPECT_EQ(trace.samples, static_cast<uint32_t>(kSamples));
            EXPECT_EQ(trace.interval, 0.0002);
            EXPECT_EQ(trace.delay, 0.0002);
        }
    }

    const FileImport imported = RecordImporter::Import(path, options, 8192, 0.18f, {1, 2});
    ASSERT_EQ(imported.records.size(), 4u);
    const double centres[] = {0.02, 0.0216, 0.0216, 0.0232};
    for (std::size_t r = 0; r < 4; ++r) {
        const std::vector<float>& left = imported.records[r].traces.at(0);
        const std::vector<float>& right = imported.records[r].traces.at(1);
        double worst = 0.0;
        for (std::size_t k = 200; k < 8192; ++k) // from 5 ms on, away from the first sample
            worst = std::max(worst, std::abs(left[k] - Ricker(k * 25e-6 - centres[r])));
        EXPECT_LT(worst, 1e-3) << r;
        for (std::size_t k = 0; k < 8192; k += 97)
            EXPECT_EQ(right[k], -left[k]) << r << " " << k;
    }
    EXPECT_EQ(imported.records[0].depth, 2.0f - 0.18f);
}

TEST(GruReader, DamagedFilesNameTheLineAndTheTest) {
    const TempDir dir;
    const std::string head = "[TEST]\n<GORILLA! header>\n[DATA]\n";
    const std::string one = "[SEISMIC TEST=1  DEPTH=2.0]\n*E:0.2#17:1#18:2!\n";
    const std::string rows = one + "*E:0.4#17:1#18:2!\n*E:0.6#17:1#18:2!\n";
    const std::string end = "[SEISMIC TEST END]\n[END]\n";
    const std::pair<std::string, std::string> cases[] = {
        {one + "*E:0.4#17:1!\n*E:0.6#17:1#18:2!\n" + end,
         "line 6 of seismic test 1 holds no sample of channel 18"},
        {one + "*E:0.4#17:1#18:2#19:3!\n" + end,
         "line 6 of seismic test 1 holds channel 19, which the first sample line of the test "
         "does not"},
        {rows, "seismic test 1 (line 4) has no [SEISMIC TEST END]: the file is cut short after "
               "line 7"},
        {one + "*E:0.4#17:1#1", "line 6 of seismic test 1 is not a sample line "
                                "\"*E:time#channel:value...!\""},
        {one + "*E:0.4#17:1#18:2!\n*E:0.8#17:1#18:2!\n*E:1.0#17:1#18:2!\n" + end,
         "line 7 of seismic test 1: the time 0.8 ms follows 0.4 ms, out of step with the time "
         "column (a sample line is missing, repeated or out of order)"},
        {"*E:0.2#17:1!\n", "line 4: a seismic sample line outside a seismic test"},
        {"[SEISMIC TEST=1  DEPTH=x]\n",
         "line 4: expected [SEISMIC TEST=number  DEPTH=metres], got [SEISMIC TEST=1  DEPTH=x]"},
        {rows + "[SEISMIC TEST END]\n[SEISMIC TEST=1  DEPTH=3]\n",
         "line 9: seismic test 1 appears a second time (first at line 4)"},
        {rows + "[SEISMIC TEST END]\n[SEISMIC TEST=2  DEPTH=3]\n*E:0.2#17:1!\n*E:0.4#17:1!\n" + end,
         "seismic test 2 (line 9) holds no samples of channel 18, the file's trace 2"},
        {"[SEISMIC TEST=1  DEPTH=2]\n[SEISMIC TEST END]\n",
         "the file holds no seismic test with samples"},
    };
    for (const auto& [body, message] : cases)
        EXPECT_EQ(ImportError(dir.Write("d.GRU", head + body)), message) << body;

    // Scaling of the strikes by role only, and a missing [END], are said; nothing else changes.
    const std::string path =
        dir.Write("n.GRU", "[TEST]\n<GORILLA! header>\n[SCALING OFFSETS]\n<Shear right>=0.5\n" +
                               rows + "[SEISMIC TEST END]\n");
    EXPECT_EQ(RecordImporter::Inspect(path, {}).notes,
              (std::vector<std::string>{
                  path + ": the file scales its seismic channels (<Shear right>=0.5) without "
                         "naming their channel numbers; the samples are taken as written",
                  path + ": the file ends without [END] after line 9; it may be cut short"}));
}

} // namespace
} // namespace korvane
