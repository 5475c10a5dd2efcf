// The numbers behind the interval analysis, finer than a velocity table shows: delays between
// samples, least-squares velocities with their standard errors, strikes combined at their mean
// trigger time.
#include "analysis/IntervalAnalysis.h"
#include "analysis/ArrivalFit.h"
#include "analysis/LagEstimator.h"

#include "sounding/CKorvaneDoc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace korvane {
namespace {

// An 80 Hz Ricker wavelet centred at `centre` samples, with a weaker 160 Hz one 300 samples
// earlier (a P wave that does not turn over with the strike), 8192 samples.
std::vector<float> Record(double centre, double polarity = 1.0) {
    std::vector<float> wave(kDefaultSamplesPerRecord);
    const auto ricker = [](double t, double f) {
        const double a = std::numbers::pi * f * t * kSampleInterval;
        return (1.0 - 2.0 * a * a) * std::exp(-a * a);
    };
    for (std::size_t j = 0; j < wave.size(); ++j) {
        const double t = static_cast<double>(j);
        wave[j] = static_cast<float>(polarity * ricker(t - centre, 80.0) +
                                     0.3 * ricker(t - centre + 300.0, 160.0));
    }
    return wave;
}

TEST(LagEstimator, DelaysBetweenSamplesWithinATwentiethOfASample) {
    const std::vector<float> a = Record(2000.0);
    for (double delay : {0.0, 37.3, -12.75, 150.5}) {
        const std::vector<float> b = Record(2000.0 + delay);
        // Windows of unequal length and start, as proposals give them.
        const SampleWindow wa{1500, 2700};
        const SampleWindow wb{1520 + static_cast<int32_t>(delay),
                              2650 + static_cast<int32_t>(delay)};
        const auto lag = [&](LagMethod m) {
            return LagEstimator::Estimate(a.data(), wa, b.data(), wb, m).lagSamples;
        };
        SCOPED_TRACE(delay);
        EXPECT_EQ(lag(LagMethod::Integer), std::round(delay));
        EXPECT_NEAR(lag(LagMethod::Subsample), delay, 0.05);
        EXPECT_NEAR(lag(LagMethod::Phase), delay, 0.05);
    }
}

TEST(ArrivalFit, LeastSquaresVelocityAndStandardErrorByHand) {
    // t = 0, 1, 3 s at 0, 1, 2 m: slope 1.5 s/m, residuals 1/6, -1/3, 1/6: velocity 2/3 m/s,
    // slope error sqrt((1/6) / 1 / 2), velocity error that / 1.5^2.
    const std::vector<IntervalVelocity> fit = ArrivalFit::Fit({0.0, 1.0, 2.0}, {1.0, 2.0}, 3);
    ASSERT_EQ(fit.size(), 2u);
    for (const IntervalVelocity& v : fit) {
        EXPECT_NEAR(v.velocity, 2.0 / 3.0, 1e-12);
        EXPECT_NEAR(v.standardError, std::sqrt(1.0 / 12.0) / 2.25, 1e-12);
    }
    // A missing delay breaks the chain: no velocity for its interval, and the fits on either
    // side use only their own side (here successive pairs, with no standard error).
    const std::vector<IntervalVelocity> gap =
        ArrivalFit::Fit({0.0, 1.0, 2.0, 3.0}, {0.5, NAN, 0.25}, 5);
    EXPECT_DOUBLE_EQ(gap[0].velocity, 2.0);
    EXPECT_TRUE(std::isnan(gap[1].velocity));
    EXPECT_DOUBLE_EQ(gap[2].velocity, 4.0);
    EXPECT_TRUE(std::isnan(gap[0].standardError));
}

// Three depths with a left and a right strike each, whose triggers are 3, 8 and 13 samples early
// and late: the pair counts at its mean arrival, so the delays are the true ones; the strike
// check passes. A dead record at one depth changes nothing.
TEST(IntervalAnalysis, StrikePairsCountAtTheirMeanTriggerTime) {
    CKorvaneDoc doc;
    doc.dataLoaded = 1;
    const double arrivals[] = {2000.0, 2160.5, 2301.25};
    for (int k = 0; k < 3; ++k) {
        if (k == 1) { // a dead channel first: it neither leads nor counts
            doc.filteredWaves.emplace_back(kDefaultSamplesPerRecord, 0.0f);
            doc.windows.push_back({0, 1200});
            doc.depths.push_back(3.0f);
        }
        for (double side : {1.0, -1.0}) {
            const double centre = arrivals[k] + side * (3.0 + 5.0 * k);
            doc.filteredWaves.push_back(Record(centre, side));
            doc.windows.push_back(
                {static_cast<int32_t>(centre) - 480, static_cast<int32_t>(centre) + 720});
            doc.depths.push_back(2.0f + static_cast<float>(k));
        }
    }
    doc.recordCount = 7;
    doc.analysisSettings.lag = LagMethod::Subsample;
    doc.analysisSettings.strikePairs = true;
    NullProgress progress;
    ASSERT_TRUE(IntervalAnalysis::Run(doc, progress).ok());
    const AnalysisResults& results = doc.analysisResults;
    ASSERT_EQ(results.depths.size(), 3u);
    ASSERT_EQ(results.intervals.size(), 2u);
    for (const AnalysedDepth& depth : results.depths) {
        EXPECT_TRUE(depth.opposite);
        EXPECT_FALSE(depth.polarityFailed);
        EXPECT_GT(depth.strikeCorrelation, 0.8); // the P wave does not turn over
    }
    EXPECT_NEAR(results.intervals[0].lagMs, 160.5 * 0.025, 0.002);
    EXPECT_NEAR(results.intervals[1].lagMs, 140.75 * 0.025, 0.002);
    EXPECT_EQ(results.intervals[0].flags | results.intervals[1].flags, 0u);
}

} // namespace
} // namespace korvane
