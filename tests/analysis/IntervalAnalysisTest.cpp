// The numbers behind the interval analysis, finer than a velocity table shows: delays between
// samples, least-squares velocities with their standard errors, strikes combined at their mean
// trigger time. Then what every output reports beside the velocities: which interval results,
// Gmax from the unit weight profile, the time-averaged velocity and the site classes, against
// values worked by hand.
#include "analysis/IntervalAnalysis.h"
#include "analysis/ArrivalFit.h"
#include "analysis/LagEstimator.h"
#include "analysis/SelectedIntervals.h"
#include "analysis/ShearModulus.h"
#include "analysis/SiteClassification.h"

#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/SoundingMetadata.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
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

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::vector<IntervalEstimate> Profile(std::vector<std::array<double, 3>> rows) {
    std::vector<IntervalEstimate> intervals;
    for (const auto& [top, bottom, vs] : rows)
        intervals.push_back({top, bottom, (top + bottom) / 2, 0.0, vs, kNaN, 1.0, 0});
    return intervals;
}

// Geophone from 1 m to 34 m; the top metre at the first interval's 150 m/s. To 30 m:
// 5/150 + 7/250 + 8/300 + 8/400 + 2/500 = 0.112 s, Vs30 = 267.857 m/s (EC8 C, ASCE 7-22 D);
// to 34 m another 4/500: VsZ = 34 / 0.12 = 283.333 m/s.
TEST(SiteClassification, LayeredModelByHand) {
    const std::vector<IntervalEstimate> model =
        Profile({{1, 5, 150}, {5, 12, 250}, {12, 20, 300}, {20, 28, 400}, {28, 34, 500}});
    const SiteClassification site = SiteClassification::Of(model);
    EXPECT_DOUBLE_EQ(site.vs30, 30.0 / 0.112);
    EXPECT_DOUBLE_EQ(site.vsZ, 34.0 / 0.12);
    EXPECT_EQ(site.SummaryLines(), "Z_m 34.00\nVsZ_m_s 283.3\nVs30_m_s 267.9\nEC8 C\nASCE7_22 D\n");
    EXPECT_EQ(site.Explanation(), "VsZ from the surface to Z = 34.00 m; the top 1.00 m taken at "
                                  "the first interval's velocity (150.0 m/s).");

    // Zero-length intervals (records of one depth) add nothing, even without a velocity.
    std::vector<IntervalEstimate> repeated = model;
    const std::vector<IntervalEstimate> same = Profile({{5, 5, kNaN}, {5, 5, -1}});
    repeated.insert(repeated.begin() + 1, same.begin(), same.end());
    EXPECT_EQ(SiteClassification::Of(repeated).SummaryLines(), site.SummaryLines());

    // Shallower than 30 m: VsZ with its Z only. 2/200 + 2/200 + 6/300 = 0.04 s to 10 m.
    const SiteClassification shallow = SiteClassification::Of(Profile({{2, 4, 200}, {4, 10, 300}}));
    EXPECT_EQ(shallow.SummaryLines(),
              "Z_m 10.00\nVsZ_m_s 250.0\nVs30_m_s nan\nEC8 -\nASCE7_22 -\n");
    EXPECT_NE(shallow.note.find("deepest geophone is at 10.00 m, above 30 m"), std::string::npos);

    // Exactly 30 m determines Vs30.
    EXPECT_DOUBLE_EQ(SiteClassification::Of(Profile({{0, 30, 240}})).vs30, 240.0);
}

// A missing, negative or infinite velocity makes every average through its interval
// undetermined and is named; one below 30 m leaves Vs30 standing.
TEST(SiteClassification, IntervalsWithoutAVelocityAreNamedNotAveraged) {
    const double inf = std::numeric_limits<double>::infinity();
    for (double bad : {kNaN, -120.0, 0.0, inf}) {
        SCOPED_TRACE(bad);
        const SiteClassification high =
            SiteClassification::Of(Profile({{1, 12, 200}, {12, 20, bad}, {20, 34, 400}}));
        EXPECT_TRUE(std::isnan(high.vsZ));
        EXPECT_TRUE(std::isnan(high.vs30));
        EXPECT_STREQ(high.ec8, "-");
        EXPECT_STREQ(high.asce, "-");
        EXPECT_NE(high.note.find("interval 2 (12.00 m to 20.00 m) has no valid velocity"),
                  std::string::npos)
            << high.note;

        const SiteClassification deep =
            SiteClassification::Of(Profile({{1, 30, 200}, {30, 34, bad}}));
        EXPECT_TRUE(std::isnan(deep.vsZ));
        EXPECT_DOUBLE_EQ(deep.vs30, 200.0);
        EXPECT_STREQ(deep.ec8, "C");
        EXPECT_NE(deep.note.find("VsZ not determined: interval 2"), std::string::npos);
    }
    EXPECT_EQ(SiteClassification::Of({}).SummaryLines(),
              "Z_m nan\nVsZ_m_s nan\nVs30_m_s nan\nEC8 -\nASCE7_22 -\n");
}

// Each bound on both sides: EC8 puts 800 in B and 180 and 360 in C; ASCE 7-22 puts each ft/s
// bound (times 0.3048) in the class below it.
TEST(SiteClassification, EveryClassBoundary) {
    const auto above = [](double v) { return std::nextafter(v, 1e9); };
    const auto below = [](double v) { return std::nextafter(v, 0.0); };
    const struct {
        double vs30;
        const char* ec8;
        const char* asce;
    } cases[] = {
        {above(1524.0), "A", "A"},  {1524.0, "A", "B"},        {above(914.4), "A", "B"},
        {914.4, "A", "BC"},         {above(800.0), "A", "BC"}, {800.0, "B", "BC"},
        {above(640.08), "B", "BC"}, {640.08, "B", "C"},        {above(441.96), "B", "C"},
        {441.96, "B", "CD"},        {above(360.0), "B", "CD"}, {360.0, "C", "CD"},
        {above(304.8), "C", "CD"},  {304.8, "C", "D"},         {above(213.36), "C", "D"},
        {213.36, "C", "DE"},        {180.0, "C", "DE"},        {below(180.0), "D", "DE"},
        {above(152.4), "D", "DE"},  {152.4, "D", "E"},         {40.0, "D", "E"},
        {kNaN, "-", "-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.vs30);
        EXPECT_STREQ(SiteClassification::Ec8GroundType(c.vs30), c.ec8);
        EXPECT_STREQ(SiteClassification::Asce722SiteClass(c.vs30), c.asce);
    }
}

// 18 kN/m3 is 18 / 9.80665 = 1.835489 t/m3; at 200 m/s, 1835.489 kg/m3 x 40000 m2/s2 =
// 73.42 MPa. The unit weight is that of the layer holding the interval's mid-depth.
TEST(ShearModulus, MegapascalsFromTheUnitWeightAtMidDepth) {
    EXPECT_NEAR(ShearModulus::GmaxMpa(200.0, 18.0), 73.4195, 1e-4);
    for (double bad : {kNaN, 0.0, -200.0, std::numeric_limits<double>::infinity()})
        EXPECT_TRUE(std::isnan(ShearModulus::GmaxMpa(bad, 18.0)));
    SoundingMetadata metadata;
    metadata.unitWeights = {{0.0, 16.0}, {3.0, 20.0}};
    const std::vector<double> gmax =
        ShearModulus::OfIntervals(Profile({{2, 3, 100}, {2.5, 3.5, 100}, {3, 4, 100}}), metadata);
    EXPECT_NEAR(gmax[0], 16.0 / 9.80665 * 10.0, 1e-12);
    EXPECT_NEAR(gmax[1], 20.0 / 9.80665 * 10.0, 1e-12); // mid-depth 3.0 m: the lower layer
    EXPECT_NEAR(gmax[2], 20.0 / 9.80665 * 10.0, 1e-12);
}

// The cross-correlation run by default, with the flags of a default analysis of the same
// intervals; a chosen method's results once it ran, and the default analysis's when it
// combined records of one depth; the lag of a run read from a file recovered from its velocity.
TEST(SelectedIntervals, TheChosenMethodOrTheCrossCorrelationRun) {
    CKorvaneDoc doc;
    doc.recordCount = 3;
    doc.dataLoaded = 1;
    EXPECT_EQ(SelectedIntervals::Of(doc).source, SelectedIntervals::Source::None);
    doc.resultsValid = 1;
    doc.depths = {2.0f, 3.0f, 4.0f};
    doc.correlationCoefficients = {0.9, 0.5};
    doc.ccVelocities = {179.169296f, 235.833313f}; // 5 and 4 ms at 1.22 m, as the golden cases
    SelectedIntervals selected = SelectedIntervals::Of(doc);
    ASSERT_EQ(selected.source, SelectedIntervals::Source::CrossCorrelation);
    ASSERT_EQ(selected.intervals.size(), 2u);
    EXPECT_FALSE(selected.flagsAssessed);
    EXPECT_DOUBLE_EQ(selected.intervals[0].lagMs, 5.0);
    EXPECT_DOUBLE_EQ(selected.intervals[1].lagMs, 4.0);
    EXPECT_DOUBLE_EQ(selected.intervals[1].r2, 0.25);

    doc.analysisResults.valid = true;
    doc.analysisResults.intervals = selected.intervals;
    doc.analysisResults.intervals[1].flags = kLowR2;
    doc.analysisResults.intervals[1].velocity = 1.0;
    selected = SelectedIntervals::Of(doc);
    EXPECT_TRUE(selected.flagsAssessed);
    EXPECT_EQ(selected.intervals[1].flags, kLowR2);
    EXPECT_FLOAT_EQ(static_cast<float>(selected.intervals[1].velocity), 235.833313f);

    doc.analysisResults.settings.fit = FitMethod::Lsq3;
    selected = SelectedIntervals::Of(doc);
    EXPECT_EQ(selected.source, SelectedIntervals::Source::IntervalAnalysis);
    EXPECT_EQ(selected.intervals[1].velocity, 1.0);
    EXPECT_EQ(selected.MethodText(),
              "interval analysis: whole-sample delays, least squares over 3 depths");

    // A default analysis that combined the records of one depth has fewer intervals.
    doc.analysisResults.settings = {};
    doc.analysisResults.intervals.pop_back();
    selected = SelectedIntervals::Of(doc);
    EXPECT_EQ(selected.source, SelectedIntervals::Source::IntervalAnalysis);
    EXPECT_EQ(selected.intervals.size(), 1u);
}

TEST(SoundingMetadata, UnitWeightFilesAndDates) {
    const std::vector<UnitWeightLayer> layers =
        SoundingMetadata::ParseUnitWeights("# top gamma\r\n0 17.5\n\n  4.0\t19\n12.5 20.5");
    EXPECT_EQ(layers, (std::vector<UnitWeightLayer>{{0.0, 17.5}, {4.0, 19.0}, {12.5, 20.5}}));
    SoundingMetadata metadata;
    metadata.unitWeights = layers;
    EXPECT_EQ(metadata.UnitWeightAt(3.99), 17.5);
    EXPECT_EQ(metadata.UnitWeightAt(4.0), 19.0);
    EXPECT_EQ(metadata.UnitWeightAt(100.0), 20.5);

    const struct {
        const char* text;
        const char* message;
    } faults[] = {
        {"0 18\n2 x", "line 2: \"2 x\" is not two numbers"},
        {"0 18\n3 19\n3 20", "line 3: the layer tops do not ascend"},
        {"1 18", "line 1: the first layer starts at 1 m, not at 0 m"},
        {"0 18\n# soft\n2 0", "line 3: the unit weight 0 kN/m3 is not above 0 and up to 100"},
        {"0 101", "line 1: the unit weight 101 kN/m3"},
        {"0 18 2", "line 1: expected \"TOP_M GAMMA_KN_M3\""},
        {"0 nan", "line 1: \"0 nan\" is not two numbers"},
        {"# nothing\n", "no layer is given"},
    };
    for (const auto& f : faults) {
        try {
            SoundingMetadata::ParseUnitWeights(f.text);
            ADD_FAILURE() << f.text;
        } catch (const KorvaneError& e) {
            EXPECT_NE(std::string(e.what()).find(f.message), std::string::npos) << e.what();
        }
    }
    for (const char* date : {"2024-02-29", "1999-12-31"})
        EXPECT_TRUE(SoundingMetadata::IsDate(date)) << date;
    for (const char* date : {"2023-02-29", "2024-13-01", "2024-1-01", "2024-01-01T00", "24-01-01"})
        EXPECT_FALSE(SoundingMetadata::IsDate(date)) << date;
}

} // namespace
} // namespace korvane
