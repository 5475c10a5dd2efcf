// What every output reports beside the velocities: which interval results, Gmax, the
// time-averaged velocity and the site classes, against values worked by hand.
#include "analysis/SelectedIntervals.h"
#include "analysis/ShearModulus.h"
#include "analysis/SiteClassification.h"

#include "sounding/CKorvaneDoc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace korvane {
namespace {

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

} // namespace
} // namespace korvane
