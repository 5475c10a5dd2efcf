#include "analysis/CorrelationRuns.h"

#include "../sounding/ScriptedProgress.h"
#include "../sounding/SoundingFixture.h"
#include "analysis/StaleResults.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/VelocityTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <sstream>
#include <vector>

namespace korvane {
namespace {

using testing::SameBits;
using testing::ScriptedProgress;

// A shear-wave-like burst centred on sample centre.
float Burst(int sample, double centre) {
    const double t = (sample - centre) / 12.0;
    return static_cast<float>(std::exp(-t * t) * std::sin(0.45 * (sample - centre)));
}

// n records of s samples; record k carries a burst at onsets[k] plus a little deterministic
// noise, depths from 2 m down in steps of 1 m, full windows.
CKorvaneDoc MakeSounding(const std::vector<double>& onsets, uint32_t s, unsigned seed = 5) {
    CKorvaneDoc doc;
    std::mt19937 random(seed);
    std::normal_distribution<float> noise(0.0f, 0.01f);
    doc.recordCount = static_cast<int32_t>(onsets.size());
    doc.samplesPerRecord = s;
    doc.dataLoaded = 1;
    doc.displayMode = FilteredWaves;
    for (std::size_t k = 0; k < onsets.size(); ++k) {
        std::vector<float> wave(s);
        for (uint32_t j = 0; j < s; ++j)
            wave[j] = Burst(static_cast<int>(j), onsets[k]) + noise(random);
        std::vector<float> raw(wave);
        for (float& v : raw)
            v = 1000.0f * v + 20.0f;
        doc.filteredWaves.push_back(std::move(wave));
        doc.rawWaves.push_back(std::move(raw));
        doc.depths.push_back(2.0f + static_cast<float>(k));
        doc.windows.push_back({0, static_cast<int32_t>(s) - 1});
    }
    doc.ccVelocities.assign(onsets.size() - 1, 0.0f); // as Load leaves it
    return doc;
}

TEST(CrossCorrelationRun, WorkedExampleGives179MetresPerSecond) {
    CKorvaneDoc doc = MakeSounding({150.0, 350.0}, 1024);
    int notices = 0;
    doc.onChanged = [&] { ++notices; };
    ScriptedProgress progress;
    ASSERT_TRUE(RunCrossCorrelation(doc, progress).ok());
    EXPECT_EQ(progress.upper, 3);
    EXPECT_EQ(progress.checkpoints, 3);
    EXPECT_EQ(progress.status, "Doing cross correlation ...\n");
    EXPECT_EQ(doc.lags, std::vector<int32_t>{200});
    EXPECT_NEAR(doc.ccVelocities[0], 179.17, 0.005);
    const double slantPaths = std::sqrt(9.0 + 1.22f * 1.22f) - std::sqrt(4.0 + 1.22f * 1.22f);
    EXPECT_EQ(doc.ccVelocities[0], static_cast<float>(slantPaths / (200 * 0.000025)));
    EXPECT_GT(doc.correlationCoefficients[0], 0.9);
    EXPECT_EQ(doc.correlationFunctions.at(0).size(), 1024u);
    EXPECT_EQ(doc.displayMode, CrossCorrelationVelocity);
    EXPECT_EQ(doc.resultsValid, 1);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(notices, 1);

    // One record has no interval, but the run completes all the same.
    CKorvaneDoc one = MakeSounding({150.0}, 512);
    ScriptedProgress single;
    ASSERT_TRUE(RunCrossCorrelation(one, single).ok());
    EXPECT_EQ(single.upper, 2);
    EXPECT_EQ(single.checkpoints, 2);
    EXPECT_TRUE(one.lags.empty() && one.ccVelocities.empty());
    EXPECT_TRUE(one.displayMode == CrossCorrelationVelocity && one.resultsValid == 1);
    EXPECT_TRUE(one.IsModified());
}

TEST(CrossCorrelationRun, ZeroLagsGiveInfiniteOrNoVelocities) {
    // Identical waves, equal windows starting at 100 and 110: window lag -10, record lag 0.
    CKorvaneDoc doc = MakeSounding({300.0, 300.0}, 1024);
    doc.filteredWaves[1] = doc.filteredWaves[0];
    doc.windows = {{100, 611}, {110, 621}};
    NullProgress progress;
    ASSERT_TRUE(RunCrossCorrelation(doc, progress).ok());
    EXPECT_EQ(doc.lags[0], 0);
    EXPECT_GT(doc.correlationCoefficients[0], 0.5);
    EXPECT_EQ(doc.ccVelocities[0], std::numeric_limits<float>::infinity());
    // Equal depths as well: equal slant paths, not a number.
    doc.depths[1] = doc.depths[0];
    ASSERT_TRUE(RunCrossCorrelation(doc, progress).ok());
    EXPECT_TRUE(std::isnan(doc.ccVelocities[0]));
}

TEST(CrossCorrelationRun, CancelKeepsOnlyTheIntervalsBeforeIt) {
    const std::vector<double> onsets{100, 140, 190, 230, 260, 300};
    for (unsigned threads : {1u, 4u}) {
        SCOPED_TRACE(threads);
        // Cancel at the checkpoint after interval 2: intervals 0..2 are new.
        CKorvaneDoc doc = MakeSounding(onsets, 512);
        ScriptedProgress progress(4);
        const CommandResult result = RunCrossCorrelation(doc, progress, threads);
        EXPECT_EQ(result.outcome, CommandOutcome::Cancelled);
        EXPECT_EQ(result.message, "Progress Cancelled");
        EXPECT_EQ(progress.checkpoints, 4);
        ASSERT_EQ(doc.lags.size(), 5u);
        for (int m = 0; m < 5; ++m) {
            EXPECT_EQ(doc.correlationFunctions[m].empty(), m >= 3) << m;
            if (m < 3)
                EXPECT_EQ(doc.lags[m], static_cast<int>(onsets[m + 1] - onsets[m]));
            else
                EXPECT_TRUE(doc.correlationCoefficients[m] == 0.0 &&
                            std::isnan(doc.ccVelocities[m]));
        }
        EXPECT_EQ(doc.resultsValid, 0);
        EXPECT_EQ(doc.displayMode, FilteredWaves);
        EXPECT_FALSE(doc.IsModified());
    }
    // Cancelled at the final step, after the last interval: the results stand, unmodified.
    CKorvaneDoc doc = MakeSounding({100, 140, 190}, 512);
    ScriptedProgress progress(4);
    EXPECT_EQ(RunCrossCorrelation(doc, progress, 2).outcome, CommandOutcome::Cancelled);
    EXPECT_EQ(doc.resultsValid, 1);
    EXPECT_EQ(doc.displayMode, CrossCorrelationVelocity);
    EXPECT_EQ(doc.lags[1], 50);
    EXPECT_FALSE(doc.IsModified());
}

TEST(CrossCorrelationRun, ResultsAreOutOfDateWhileTheirInputsDiffer) {
    CKorvaneDoc doc = MakeSounding({100, 140, 190, 230}, 512);
    ScriptedProgress progress;
    ASSERT_TRUE(RunCrossCorrelation(doc, progress).ok());
    EXPECT_FALSE(StaleResults::OutOfDate(doc));
    const CKorvaneDoc run = doc;
    doc.windows[1].last -= 10;
    EXPECT_TRUE(StaleResults::OutOfDate(doc));
    doc.windows = run.windows;
    doc.hammerToRod = 2.0f;
    EXPECT_TRUE(StaleResults::OutOfDate(doc));
    doc.hammerToRod = run.hammerToRod;
    EXPECT_FALSE(StaleResults::OutOfDate(doc));

    // A rerun cancelled after interval 0 renews that interval only.
    doc.windows[0].first = 20; // interval 0
    doc.windows[3].last = 400; // interval 2
    ScriptedProgress cancelled(2);
    RunCrossCorrelation(doc, cancelled, 1);
    EXPECT_TRUE(StaleResults::OutOfDate(doc));
    doc.windows[3] = run.windows[3];
    EXPECT_FALSE(StaleResults::OutOfDate(doc));

    // Results read from a file are taken as they are.
    std::istringstream in(testing::Bytes(run));
    DocumentFile::Read(doc, in, testing::Bytes(run).size());
    doc.windows[3].last = 400;
    EXPECT_FALSE(StaleResults::OutOfDate(doc));
}

TEST(CorrelationRuns, RefuseWithoutASounding) {
    using Run = CommandResult (*)(CKorvaneDoc&, ProgressReporter&, unsigned, CorrelationMethod);
    for (Run run :
         {Run{RunCrossCorrelation}, Run{RunRawAutocorrelation}, Run{RunFilteredAutocorrelation}}) {
        // A document file read with its data flag 0 keeps its record count.
        CKorvaneDoc empty;
        empty.recordCount = 3;
        ScriptedProgress progress;
        const CommandResult result = run(empty, progress, 0, CorrelationMethod::Fast);
        EXPECT_EQ(result.outcome, CommandOutcome::Failed);
        EXPECT_EQ(result.message, "No sounding is loaded.");
        EXPECT_EQ(progress.checkpoints, 0);
        EXPECT_EQ(empty.displayMode, Credits);
    }
}

TEST(CorrelationRuns, ResultsDoNotDependOnTheThreadCount) {
    CKorvaneDoc base = MakeSounding({80, 120, 175, 170, 260, 300, 333}, 2048, 11);
    for (int k = 0; k < base.recordCount; ++k)
        base.windows[k] = {10 * k, 1500 + 37 * k};
    std::vector<CKorvaneDoc> docs;
    for (unsigned threads : {1u, 3u, 0u}) {
        CKorvaneDoc doc = base;
        NullProgress progress;
        ASSERT_TRUE(RunCrossCorrelation(doc, progress, threads).ok());
        ASSERT_TRUE(RunRawAutocorrelation(doc, progress, threads).ok());
        ASSERT_TRUE(RunFilteredAutocorrelation(doc, progress, threads).ok());
        docs.push_back(std::move(doc));
    }
    for (std::size_t d = 1; d < docs.size(); ++d) {
        SCOPED_TRACE(d);
        EXPECT_TRUE(SameBits(docs[0].lags, docs[d].lags));
        EXPECT_TRUE(SameBits(docs[0].correlationCoefficients, docs[d].correlationCoefficients));
        EXPECT_TRUE(SameBits(docs[0].ccVelocities, docs[d].ccVelocities));
        EXPECT_TRUE(SameBits(docs[0].correlationFunctions, docs[d].correlationFunctions));
        EXPECT_TRUE(SameBits(docs[0].rawAutocorrelations, docs[d].rawAutocorrelations));
        EXPECT_TRUE(SameBits(docs[0].filteredAutocorrelations, docs[d].filteredAutocorrelations));
        EXPECT_TRUE(SameBits(docs[0].spareTable, docs[d].spareTable));
    }
}

// The table's rows and file are checked through the command line's golden tables and the
// velocity table dialog; here only results whose arrays fall short of the record count.
TEST(VelocityTable, IncompleteResultsGiveNoRowsAndReadNothingPastTheArrays) {
    CKorvaneDoc doc;
    doc.recordCount = 2;
    doc.dataLoaded = doc.resultsValid = 1;
    doc.depths = {1.0f, 2.0f};
    doc.ccVelocities = {100.0f};
    std::ostringstream out;
    WriteVelocityTable(doc, out);
    EXPECT_EQ(out.str(), "Depth(m)      Velocity(m/s)   r2  \n");
    EXPECT_TRUE(VelocityTableRows(doc).empty());
}

} // namespace
} // namespace korvane
