#include "dsp/CorrelationRuns.h"
#include "dsp/ProgressReporter.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/LoadPipeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// The correlation runs with the fast sweep against the same runs with the direct sums, on the
// bundled example sounding: the results the user sees must not depend on how they were swept.

namespace korvane {
namespace {

namespace fs = std::filesystem;

const fs::path kExample = fs::path(KORVANE_SOURCE_DIR) / "examples" / "sounding";

// The example loaded as File > Load would, diagnostics in a private folder; windows as the
// loader leaves them (whole records).
CKorvaneDoc LoadExample() {
    std::vector<std::string> paths;
    for (const auto& entry : fs::directory_iterator(kExample / "waves"))
        paths.push_back(entry.path().string());
    std::sort(paths.begin(), paths.end());
    const fs::path diagnostics =
        fs::temp_directory_path() /
        ("korvane-parity-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(diagnostics);
    CKorvaneDoc doc;
    NullProgress progress;
    const CommandResult result = LoadSounding(doc, paths, diagnostics, progress);
    fs::remove_all(diagnostics);
    EXPECT_TRUE(result.ok()) << result.message;
    EXPECT_EQ(doc.recordCount, 24);
    return doc;
}

// windows.txt: one "first last" line per record in depth order.
void SetExampleWindows(CKorvaneDoc& doc) {
    std::ifstream in(kExample / "windows.txt");
    std::vector<SampleWindow> windows;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        SampleWindow w{};
        ASSERT_TRUE(fields >> w.first >> w.last) << line;
        windows.push_back(w);
    }
    ASSERT_EQ(windows.size(), static_cast<std::size_t>(doc.recordCount));
    doc.windows = windows;
}

// Keeps the shallowest records only, so that the direct sums over whole records stay quick.
void KeepRecords(CKorvaneDoc& doc, int records) {
    const auto n = static_cast<std::size_t>(records);
    doc.recordCount = records;
    doc.rawWaves.resize(n);
    doc.filteredWaves.resize(n);
    doc.windows.resize(n);
    doc.depths.resize(n);
    doc.ccVelocities.resize(n - 1);
}

// A stored curve value of the fast sweep may straddle a float rounding step of the direct one.
bool SameCurveValue(float fast, float direct) {
    return std::fabs(fast - direct) <= 1e-9 || std::nextafter(direct, fast) == fast;
}

void ExpectSameCurves(const std::vector<std::vector<float>>& fast,
                      const std::vector<std::vector<float>>& direct) {
    ASSERT_EQ(fast.size(), direct.size());
    for (std::size_t i = 0; i < fast.size(); ++i) {
        ASSERT_EQ(fast[i].size(), direct[i].size()) << "entry " << i;
        for (std::size_t j = 0; j < fast[i].size(); ++j)
            ASSERT_TRUE(SameCurveValue(fast[i][j], direct[i][j]))
                << "entry " << i << " shift " << j << ": " << fast[i][j] << " vs " << direct[i][j];
    }
}

void ExpectSameCrossCorrelation(const CKorvaneDoc& fast, const CKorvaneDoc& direct) {
    ASSERT_EQ(fast.lags.size(), static_cast<std::size_t>(direct.recordCount - 1));
    EXPECT_EQ(fast.lags, direct.lags);
    ASSERT_EQ(fast.correlationCoefficients.size(), direct.correlationCoefficients.size());
    for (std::size_t i = 0; i < fast.correlationCoefficients.size(); ++i) {
        EXPECT_NEAR(fast.correlationCoefficients[i], direct.correlationCoefficients[i], 1e-9)
            << "interval " << i;
        EXPECT_GT(direct.correlationCoefficients[i], 0.0) << "interval " << i;
        EXPECT_EQ(fast.ccVelocities[i], direct.ccVelocities[i]) << "interval " << i;
    }
    ExpectSameCurves(fast.correlationFunctions, direct.correlationFunctions);
}

TEST(FastCorrelationParity, CrossCorrelationOfTheExampleWithItsWindows) {
    CKorvaneDoc fast = LoadExample();
    SetExampleWindows(fast);
    CKorvaneDoc direct = fast;
    NullProgress progress;
    ASSERT_TRUE(RunCrossCorrelation(fast, progress, 0, CorrelationMethod::Fast).ok());
    ASSERT_TRUE(RunCrossCorrelation(direct, progress, 0, CorrelationMethod::Direct).ok());
    ExpectSameCrossCorrelation(fast, direct);
    // The example's shear waves arrive later with depth: every lag is a real delay.
    for (const int32_t lag : direct.lags)
        EXPECT_GT(lag, 0);
}

TEST(FastCorrelationParity, CrossCorrelationOfWholeRecords) {
    CKorvaneDoc fast = LoadExample();
    KeepRecords(fast, 5);
    CKorvaneDoc direct = fast;
    NullProgress progress;
    ASSERT_TRUE(RunCrossCorrelation(fast, progress, 0, CorrelationMethod::Fast).ok());
    ASSERT_TRUE(RunCrossCorrelation(direct, progress, 0, CorrelationMethod::Direct).ok());
    ExpectSameCrossCorrelation(fast, direct);
    for (const auto& curve : direct.correlationFunctions)
        EXPECT_EQ(curve.size(), 8192u);
}

TEST(FastCorrelationParity, AutocorrelationsOfRawRecordsAndWindowedWaves) {
    CKorvaneDoc fast = LoadExample();
    SetExampleWindows(fast);
    KeepRecords(fast, 4);
    CKorvaneDoc direct = fast;
    NullProgress progress;
    for (CKorvaneDoc* doc : {&fast, &direct}) {
        const CorrelationMethod method =
            doc == &fast ? CorrelationMethod::Fast : CorrelationMethod::Direct;
        ASSERT_TRUE(RunRawAutocorrelation(*doc, progress, 0, method).ok());
        ASSERT_TRUE(RunFilteredAutocorrelation(*doc, progress, 0, method).ok());
    }
    ExpectSameCurves(fast.rawAutocorrelations, direct.rawAutocorrelations);
    ExpectSameCurves(fast.filteredAutocorrelations, direct.filteredAutocorrelations);
    ExpectSameCurves(fast.spareTable, direct.spareTable);
    for (const auto& curve : fast.rawAutocorrelations) {
        ASSERT_EQ(curve.size(), 8192u);
        EXPECT_NEAR(curve[0], 1.0f, 1e-6f);
    }
}

} // namespace
} // namespace korvane
