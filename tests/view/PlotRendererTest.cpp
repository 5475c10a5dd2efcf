// Frames of the wave and profile modes, recorded without a GPU: geometry, texts, colours, axes
// and zoom.
#include "view/PlotRenderer.h"

#include "RecordingCanvas.h"
#include "sounding/CKorvaneDoc.h"
#include "view/ProfilePlot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvane {
namespace {

using Kind = RecordingCanvas::Kind;
constexpr std::array<float, 3> kMagenta{1, 0, 1};
constexpr std::array<float, 3> kRed{1, 0, 0};
constexpr float kLongTick = 8 * 0.0125f;

// A loaded sounding of n records with flat waves and full windows.
CKorvaneDoc MakeDoc(int n, std::vector<float> depths = {}) {
    CKorvaneDoc doc;
    doc.recordCount = n;
    doc.dataLoaded = 1;
    for (int r = 0; r < n; ++r) {
        doc.depths.push_back(depths.empty() ? static_cast<float>(r + 1) : depths[r]);
        doc.rawWaves.emplace_back(doc.samplesPerRecord, 0.0f);
        doc.filteredWaves.emplace_back(doc.samplesPerRecord, 0.0f);
        doc.windows.push_back({0, static_cast<int32_t>(doc.samplesPerRecord) - 1});
    }
    return doc;
}

struct Frame {
    RecordingCanvas canvas;
    ViewGeometry geometry;

    std::vector<const RecordingCanvas::Primitive*> Of(Kind kind) const {
        return canvas.OfKind(kind);
    }
};

Frame Draw(const CKorvaneDoc& doc, const PlotOptions& options = {}, int width = 400,
           int height = 300) {
    Frame frame;
    frame.geometry = ViewGeometry::ForClient(width, height);
    PlotRenderer(doc, frame.canvas, frame.geometry, PlotRenderer::Detail::Full, options).DrawPlot();
    return frame;
}

// The point is (x, y), to float precision.
::testing::AssertionResult At(const WorldPoint& p, float x, float y) {
    const auto same = [](float a, float b) {
        return std::abs(a - b) <= 1e-5f * std::max(1.0f, std::abs(b));
    };
    if (same(p.x, x) && same(p.y, y))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "(" << p.x << ", " << p.y << ") instead of (" << x << ", " << y << ")";
}

TEST(PlotRendererTest, WaveRowsOfFourRecordsIn400By300) {
    CKorvaneDoc doc = MakeDoc(4, {12.345f, 105.25f, -0.18f, 2.35f});
    doc.rawWaves[0][0] = 1.0f;  // reaches the row's upper edge
    doc.rawWaves[3][1] = -1.0f; // and the lower edge
    doc.rawWaves[1][2] = 4.0f;  // four times the row's half height, as recorded
    doc.displayMode = OriginalWaves;
    PlotOptions asRecorded;
    asRecorded.scaleEachRow = false;
    const Frame frame = Draw(doc, asRecorded); // H 6, W 8, rows 1.5 high

    EXPECT_FLOAT_EQ(frame.geometry.xOrigin, -4.0f);
    EXPECT_FLOAT_EQ(frame.geometry.xScale, 8.0f / 8192.0f);
    const auto strips = frame.canvas.InColor(Kind::Strip, kMagenta);
    const auto labels = frame.canvas.InColor(Kind::Label, kMagenta);
    ASSERT_EQ(strips.size(), 4u);
    ASSERT_EQ(labels.size(), 4u);
    const float baselines[] = {2.25f, 0.75f, -0.75f, -2.25f};
    const char* const texts[] = {"12.35", "105.25", "-0.18", "2.35"};
    for (int r = 0; r < 4; ++r) {
        SCOPED_TRACE(r);
        ASSERT_EQ(strips[r]->points.size(), 8192u);
        EXPECT_FLOAT_EQ(strips[r]->points[0].x, -4.0f);
        EXPECT_TRUE(At(strips[r]->points[5], 5 * 8.0f / 8192.0f - 4.0f, baselines[r]));
        EXPECT_TRUE(At(labels[r]->points[0], -4.8f, baselines[r] - 0.04f));
        EXPECT_EQ(labels[r]->text, texts[r]);
    }
    EXPECT_FLOAT_EQ(strips[0]->points[0].y, 3.0f);
    EXPECT_FLOAT_EQ(strips[3]->points[1].y, -3.0f);
    EXPECT_FLOAT_EQ(strips[1]->points[2].y, 0.75f + 3.0f);
    EXPECT_EQ(frame.canvas.primitives[0].kind, Kind::Clear);
    // Scaled row by row, the largest value of a row reaches its edge.
    EXPECT_FLOAT_EQ(Draw(doc).canvas.InColor(Kind::Strip, kMagenta)[1]->points[2].y, 1.5f);

    // The time axis below the rows: labels every 50 ms, centred under their ticks.
    for (const char* ms : {"0", "50", "100", "150", "200"})
        EXPECT_NE(frame.canvas.LabelWithText(ms), nullptr) << ms;
    EXPECT_EQ(frame.canvas.LabelWithText("25"), nullptr);
    EXPECT_NEAR(frame.canvas.LabelWithText("100")->points[0].x, 4000 * 8.0f / 8192.0f - 4.15f,
                1e-5);
    EXPECT_NE(frame.canvas.LabelWithText("Time (ms)"), nullptr);
    EXPECT_NE(frame.canvas.LabelWithText(PlotRenderer::TitleLine(doc, OriginalWaves, "")), nullptr);
    EXPECT_EQ(PlotRenderer::TitleLine(doc, FilteredWaves, "site 7.kvn"),
              "Filtered waves  -  site 7.kvn  -  hammer to rod 1.22 m, geophone to tip 0.18 m");
}

TEST(PlotRendererTest, VelocityAndDeterminationProfiles) {
    CKorvaneDoc doc = MakeDoc(4, {1, 2, 3, 4});
    doc.ccVelocities = {150, 200, 180};
    doc.correlationCoefficients = {0.9, 0.9, 0.9};
    doc.resultsValid = 1;
    doc.displayMode = CrossCorrelationVelocity;
    const Frame frame = Draw(doc); // W 8: xOrigin -2, 0.01 world units per m/s, 1.5 per metre
    EXPECT_FLOAT_EQ(frame.geometry.xOrigin, -2.0f);
    EXPECT_FLOAT_EQ(frame.geometry.xScale, 0.01f);
    const auto strips = frame.Of(Kind::Strip);
    ASSERT_EQ(strips.size(), 2u);
    const auto& axes = strips[0]->points;
    ASSERT_EQ(axes.size(), 3u);
    EXPECT_TRUE(At(axes[0], -2.0f, -3.0f));
    EXPECT_TRUE(At(axes[1], -2.0f, 3.0f));
    EXPECT_TRUE(At(axes[2], 2.0f, 3.0f));
    const auto& stairs = strips[1]->points;
    ASSERT_EQ(stairs.size(), 6u);
    EXPECT_TRUE(At(stairs.front(), -0.5f, 1.5f)); // 150 m/s at 1 m
    EXPECT_TRUE(At(stairs.back(), -0.2f, -3.0f)); // 180 m/s at 4 m

    const auto lines = frame.Of(Kind::Lines);
    ASSERT_EQ(lines.size(), 2u);
    const auto& depthTicks = lines[1]->points;
    ASSERT_EQ(depthTicks.size(), 6u); // 1, 2 and 3 m, all short
    for (int j = 0; j < 3; ++j)
        EXPECT_TRUE(At(depthTicks[2 * j + 1], -2.0f + kLongTick / 2, 3.0f - 1.5f * (j + 1)));

    // An interval without a velocity leaves a gap in the stairs.
    doc.ccVelocities[1] = std::numeric_limits<float>::quiet_NaN();
    const Frame gap = Draw(doc);
    const auto pieces = gap.Of(Kind::Strip);
    ASSERT_EQ(pieces.size(), 3u);
    ASSERT_EQ(pieces[1]->points.size(), 2u);
    EXPECT_FLOAT_EQ(pieces[1]->points[1].y, 0.0f); // 2 m
    ASSERT_EQ(pieces[2]->points.size(), 2u);
    EXPECT_FLOAT_EQ(pieces[2]->points[0].y, -1.5f); // 3 m

    // Faster soil extends the axis in steps of 100 m/s: at the same scale up to 600 m/s,
    // beyond that over the whole width to its right.
    doc.ccVelocities = {150, 550, 180};
    const Frame extended = Draw(doc);
    EXPECT_FLOAT_EQ(extended.geometry.xScale, 0.01f);
    EXPECT_TRUE(At(extended.Of(Kind::Strip)[0]->points[2], 4.0f, 3.0f));
    EXPECT_NE(extended.canvas.LabelWithText("600"), nullptr);
    EXPECT_EQ(extended.canvas.LabelWithText("700"), nullptr);
    doc.ccVelocities = {150, 900, 180};
    const Frame fitted = Draw(doc);
    EXPECT_FLOAT_EQ(fitted.geometry.xScale, 6.0f / 900.0f);
    EXPECT_TRUE(At(fitted.Of(Kind::Strip)[0]->points[2], 4.0f, 3.0f));
    EXPECT_NE(fitted.canvas.LabelWithText("800"), nullptr);

    // The coefficient of determination is the square of the correlation coefficient.
    doc.correlationCoefficients = {-0.8, 0.8, 0.5};
    doc.displayMode = DeterminationProfile;
    const Frame r2 = Draw(doc);
    EXPECT_FLOAT_EQ(r2.geometry.xScale, 4.0f);
    const auto& stairsR2 = r2.Of(Kind::Strip).at(1)->points;
    EXPECT_NEAR(stairsR2[0].x, 0.64f * 4.0f - 2.0f, 1e-5);
    EXPECT_NEAR(stairsR2[2].x, 0.64f * 4.0f - 2.0f, 1e-5);
    // Every value high: the axis is fitted to them (from 0.95), and 1 stays at its place.
    doc.correlationCoefficients = {0.99, 0.98, 0.985};
    const Frame high = Draw(doc);
    EXPECT_FLOAT_EQ(high.geometry.xScale, 4.0f / 0.05f);
    EXPECT_NEAR(1.0f * high.geometry.xScale + high.geometry.xOrigin, 2.0f, 1e-4);
    EXPECT_NE(high.canvas.LabelWithText("0.96"), nullptr);
    EXPECT_NE(high.canvas.LabelWithText("1.00"), nullptr);

    // Depth labels every 5 m and ticks every metre, above the deepest record (D = 10).
    doc = MakeDoc(2, {2.5f, 10.0f});
    doc.ccVelocities = {250};
    doc.displayMode = CrossCorrelationVelocity;
    const Frame deep = Draw(doc);
    const auto* five = deep.canvas.LabelWithText("   5");
    ASSERT_NE(five, nullptr);
    EXPECT_TRUE(At(five->points[0], -2.6f, 3.0f - 5 * 0.6f - 0.05f));
    EXPECT_EQ(deep.canvas.LabelWithText("  10"), nullptr);
    const auto& deepTicks = deep.Of(Kind::Lines).at(1)->points;
    ASSERT_EQ(deepTicks.size(), 18u);                   // 1..9 m
    EXPECT_FLOAT_EQ(deepTicks[9].x, -2.0f + kLongTick); // 5 m
    EXPECT_FLOAT_EQ(deepTicks[7].x, -2.0f + kLongTick / 2);
}

TEST(PlotRendererTest, AnAnalysisOfItsOwnDrawsOverTheRunWithErrorBarsAndFlags) {
    CKorvaneDoc doc = MakeDoc(4, {1, 2, 3, 4});
    doc.ccVelocities = {150, 200, 180};
    doc.correlationCoefficients = {0.9, 0.9, 0.9};
    doc.resultsValid = 1;
    doc.displayMode = CrossCorrelationVelocity;
    const Frame run = Draw(doc);
    const auto sameFrame = [](const Frame& a, const Frame& b) {
        const auto& p = a.canvas.primitives;
        const auto& q = b.canvas.primitives;
        return p.size() == q.size() &&
               std::equal(p.begin(), p.end(), q.begin(), [](const auto& x, const auto& y) {
                   return x.kind == y.kind && x.color == y.color && x.text == y.text &&
                          std::equal(
                              x.points.begin(), x.points.end(), y.points.begin(), y.points.end(),
                              [](WorldPoint u, WorldPoint v) { return u.x == v.x && u.y == v.y; });
               });
    };
    // 160, 190 (flagged) and 185 m/s; standard errors 5, none and 10 m/s.
    AnalysisResults& analysis = doc.analysisResults;
    analysis.valid = true;
    const double velocities[] = {160.0, 190.0, 185.0};
    const double errors[] = {5.0, std::numeric_limits<double>::quiet_NaN(), 10.0};
    for (int i = 0; i < 3; ++i)
        analysis.intervals.push_back(
            {1.0 + i, 2.0 + i, 1.5 + i, 2.0, velocities[i], errors[i], 0.8, i == 1 ? kJump : 0u});
    // The defaults repeat the run: nothing is added.
    EXPECT_TRUE(sameFrame(Draw(doc), run));

    analysis.settings.lag = LagMethod::Subsample;
    analysis.settings.fit = FitMethod::Lsq3;
    const Frame frame = Draw(doc);
    constexpr auto kBlue = ProfilePlot::kAnalysisColor;
    const auto stairs = frame.canvas.InColor(Kind::Strip, kBlue);
    ASSERT_EQ(stairs.size(), 1u);
    ASSERT_EQ(stairs[0]->points.size(), 6u);
    EXPECT_TRUE(At(stairs[0]->points.front(), -0.4f, 1.5f));  // 160 m/s at 1 m
    EXPECT_TRUE(At(stairs[0]->points[3], -0.1f, -1.5f));      // 190 m/s at 3 m
    EXPECT_TRUE(At(stairs[0]->points.back(), -0.15f, -3.0f)); // 185 m/s at 4 m
    // The red staircase is the run's, drawn after (so under) the analysis.
    const auto red = frame.canvas.InColor(Kind::Strip, kRed);
    ASSERT_EQ(red.size(), 2u);
    EXPECT_EQ(red[1]->points.size(), 6u);
    EXPECT_TRUE(At(red[1]->points[2], 0.0f, 0.0f)); // 200 m/s from 2 m
    EXPECT_LT(stairs[0], red[1]);
    // Bars of 155-165 m/s at 1.5 m and 175-195 m/s at 3.5 m, inside the plot's clip.
    const auto bars = frame.canvas.InColor(Kind::Lines, kBlue);
    ASSERT_EQ(bars.size(), 1u);
    ASSERT_EQ(bars[0]->points.size(), 12u);
    EXPECT_TRUE(At(bars[0]->points[0], -0.45f, 0.75f));
    EXPECT_TRUE(At(bars[0]->points[1], -0.35f, 0.75f));
    EXPECT_TRUE(At(bars[0]->points[6], -0.25f, -2.25f));
    EXPECT_NEAR(bars[0]->points[2].y - bars[0]->points[3].y, -6.0f / 37.5f, 1e-5);
    // Both series are drawn inside the plot's clip: the axis fits the analysis, not the run.
    EXPECT_TRUE(std::any_of(frame.canvas.primitives.data(), bars[0],
                            [](const auto& p) { return p.kind == Kind::Clip; }));
    // The flagged interval is marked at its value and mid-depth, and the legend says so.
    const auto marks = frame.canvas.InColor(Kind::Polygon, ProfilePlot::kFlagColor);
    ASSERT_EQ(marks.size(), 2u); // the interval's and the legend's
    WorldPoint centre;
    for (const WorldPoint& p : marks[0]->points)
        centre = {centre.x + p.x / 4, centre.y + p.y / 4};
    EXPECT_TRUE(At(centre, -0.1f, -0.75f));
    EXPECT_NE(frame.canvas.LabelWithText("subsample, lsq3"), nullptr);
    EXPECT_NE(frame.canvas.LabelWithText("bars \xb1 standard error"), nullptr);
    EXPECT_NE(frame.canvas.LabelWithText("flagged"), nullptr);
    // A flagged interval without a finite velocity leaves a gap and is marked on the axis.
    analysis.intervals[1].velocity = std::numeric_limits<double>::infinity();
    const Frame fast = Draw(doc);
    EXPECT_FLOAT_EQ(fast.canvas.InColor(Kind::Polygon, ProfilePlot::kFlagColor)[0]->points[0].x,
                    -2.0f);
    for (const auto& p : fast.canvas.primitives)
        for (const WorldPoint& point : p.points)
            EXPECT_TRUE(std::isfinite(point.x) && std::isfinite(point.y));

    // The r^2 profile keeps the run's values alone.
    doc.displayMode = DeterminationProfile;
    EXPECT_TRUE(Draw(doc).canvas.InColor(Kind::Strip, kBlue).empty());
}

TEST(PlotRendererTest, ZoomedFramesShowTheirPartWithRoundTicksInsideTheClip) {
    CKorvaneDoc doc = MakeDoc(4, {1, 2, 3, 4});
    for (SampleWindow& w : doc.windows)
        w = {1000, 7000};
    doc.displayMode = FilteredWaves;
    PlotOptions options;
    options.zoom.x = DataRange{4000.0, 4400.0}; // 100 to 110 ms
    const Frame waves = Draw(doc, options);
    EXPECT_FLOAT_EQ(waves.geometry.xScale, 0.02f);
    EXPECT_FLOAT_EQ(waves.geometry.xOrigin, -84.0f);
    const auto clips = waves.Of(Kind::Clip);
    ASSERT_FALSE(clips.empty());
    EXPECT_TRUE(At(clips[0]->points[0], -4.0f, -4.0f));
    EXPECT_TRUE(At(clips[0]->points[1], 4.0f, 4.0f));
    // The baseline's ends, the window's ends, and the samples shown with one more each side.
    const auto trace = waves.canvas.InColor(Kind::Strip, {0, 1, 0}).at(0);
    ASSERT_EQ(trace->points.size(), 4u + 403u);
    EXPECT_TRUE(At(trace->points[2], 3999 * 0.02f - 84.0f, 2.25f));
    EXPECT_NE(waves.canvas.LabelWithText("110"), nullptr);
    EXPECT_EQ(waves.canvas.LabelWithText("101"), nullptr);
    EXPECT_NEAR(waves.canvas.LabelWithText("104")->points[0].x, 4160 * 0.02f - 84.15f, 1e-4);

    doc.ccVelocities = {150, 200, 180};
    doc.displayMode = CrossCorrelationVelocity;
    options.zoom = {DataRange{100.0, 250.0}, DataRange{2.0, 3.0}};
    const Frame profile = Draw(doc, options);
    EXPECT_FLOAT_EQ(profile.geometry.xScale, 0.04f);
    EXPECT_FLOAT_EQ(profile.geometry.yScale, 6.0f);
    const auto& stairs = profile.canvas.InColor(Kind::Strip, kRed).at(1)->points;
    EXPECT_TRUE(At(stairs[2], 200 * 0.04f - 6.0f, 3.0f)); // 200 m/s from 2 m
    const auto* label = profile.canvas.LabelWithText("2.5");
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(At(label->points[0], -2.0f - 6.0f / 37.5f - 0.3f, -0.1f));
    EXPECT_EQ(profile.canvas.LabelWithText("   5"), nullptr);
}

TEST(PlotRendererTest, OneRecordDrawsTheProfileAxesAlone) {
    CKorvaneDoc one = MakeDoc(1, {5});
    one.displayMode = CrossCorrelationVelocity;
    const Frame frame = Draw(one);
    EXPECT_EQ(frame.Of(Kind::Strip).size(), 1u);
    for (const auto& p : frame.canvas.primitives)
        for (const auto& point : p.points)
            EXPECT_TRUE(std::isfinite(point.x) && std::isfinite(point.y));
}

} // namespace
} // namespace korvane
