// The frame of every display mode, recorded without a GPU: geometry, colours, drawing order.
#include "view/PlotRenderer.h"

#include "RecordingCanvas.h"
#include "sounding/CKorvaneDoc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvane {
namespace {

using Kind = RecordingCanvas::Kind;
using Colour = std::array<float, 3>;
constexpr Colour kRed{1, 0, 0};
constexpr Colour kGreen{0, 1, 0};
constexpr Colour kMagenta{1, 0, 1};
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
    // Where the label is drawn; NaN when there is none.
    WorldPoint LabelAt(const std::string& text) const {
        const auto* label = canvas.LabelWithText(text);
        const float none = std::numeric_limits<float>::quiet_NaN();
        return label ? label->points[0] : WorldPoint{none, none};
    }
};

Frame Draw(const CKorvaneDoc& doc, int width = 400, int height = 300,
           PlotRenderer::Detail detail = PlotRenderer::Detail::Full) {
    Frame frame;
    frame.geometry = ViewGeometry::ForClient(width, height);
    PlotRenderer(doc, frame.canvas, frame.geometry, detail).DrawPlot();
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
    doc.displayMode = OriginalWaves;
    const Frame frame = Draw(doc); // H 6, W 8, rows 1.5 high

    EXPECT_FLOAT_EQ(frame.geometry.xOrigin, -4.0f);
    EXPECT_FLOAT_EQ(frame.geometry.xScale, 8.0f / 8192.0f);
    const auto strips = frame.Of(Kind::Strip);
    const auto labels = frame.Of(Kind::Label);
    ASSERT_EQ(strips.size(), 4u);
    ASSERT_EQ(labels.size(), 4u);
    const float baselines[] = {2.25f, 0.75f, -0.75f, -2.25f};
    const char* const texts[] = {"12.3", "105.", "-0.1", "2.35"};
    for (int r = 0; r < 4; ++r) {
        SCOPED_TRACE(r);
        ASSERT_EQ(strips[r]->points.size(), 8192u);
        EXPECT_FLOAT_EQ(strips[r]->points[0].x, -4.0f);
        EXPECT_TRUE(At(strips[r]->points[5], 5 * 8.0f / 8192.0f - 4.0f, baselines[r]));
        EXPECT_FLOAT_EQ(strips[r]->points.back().x, 8191.0f * 8.0f / 8192.0f - 4.0f);
        EXPECT_EQ(strips[r]->color, kMagenta);
        EXPECT_TRUE(At(labels[r]->points[0], -4.8f, baselines[r] - 0.04f));
        EXPECT_EQ(labels[r]->text, texts[r]);
    }
    EXPECT_FLOAT_EQ(strips[0]->points[0].y, 3.0f);
    EXPECT_FLOAT_EQ(strips[3]->points[1].y, -3.0f);
    // The frame starts cleared, and each row's label comes before its trace.
    const auto& p = frame.canvas.primitives;
    EXPECT_EQ(p[0].kind, Kind::Clear);
    EXPECT_EQ(p[1].kind, Kind::Label);
    EXPECT_EQ(p[2].kind, Kind::Strip);
}

TEST(PlotRendererTest, PixelEnvelopeKeepsEachColumnsExtremes) {
    CKorvaneDoc doc = MakeDoc(1);
    doc.displayMode = OriginalWaves;
    for (int s = 0; s < 8192; ++s)
        doc.rawWaves[0][s] = static_cast<float>(std::sin(s * 0.3) * (s % 7) / 7.0);
    doc.rawWaves[0][4000] = 1.0f;
    doc.rawWaves[0][4001] = -1.0f;
    // 600 pixel columns of 13.65 samples each.
    const Frame frame = Draw(doc, 800, 400, PlotRenderer::Detail::PixelEnvelope);
    const auto& points = frame.Of(Kind::Strip).at(0)->points;
    EXPECT_LE(points.size(), 2u * 602u);
    EXPECT_GE(points.size(), 600u);
    const Frame full = Draw(doc, 800, 400);
    const auto& every = full.Of(Kind::Strip).at(0)->points;
    EXPECT_TRUE(At(points.front(), every.front().x, every.front().y));
    EXPECT_TRUE(At(points.back(), every.back().x, every.back().y));
    // The kept points are in order, and the extremes are among them.
    const auto notAfter = [](WorldPoint a, WorldPoint b) { return a.x >= b.x; };
    EXPECT_EQ(std::adjacent_find(points.begin(), points.end(), notAfter), points.end());
    const auto [lowest, highest] = std::minmax_element(
        points.begin(), points.end(), [](WorldPoint a, WorldPoint b) { return a.y < b.y; });
    EXPECT_FLOAT_EQ(highest->y, 3.0f); // one row: baseline 0, half-height 3
    EXPECT_FLOAT_EQ(lowest->y, -3.0f);
}

TEST(PlotRendererTest, FilteredWavesDrawMarkersBeforeTracesWithTheirNames) {
    CKorvaneDoc doc = MakeDoc(2);
    doc.displayMode = FilteredWaves;
    doc.windows[1] = {1000, 2000};
    doc.filteredWaves[1].assign(8192, 0.5f);
    const Frame frame = Draw(doc, 800, 400); // W 12, rows 3 high
    const auto& p = frame.canvas.primitives;
    ASSERT_EQ(p.size(), 1u + 2u * 4u); // per row: start and end marker, label, trace
    const float xScale = 12.0f / 8192.0f;
    // Names for the pick: record and boundary on the markers, the record on the rest.
    using Names = std::vector<uint32_t>;
    EXPECT_EQ(p[5].names, (Names{1, 0}));
    EXPECT_EQ(p[6].names, (Names{1, 1}));
    EXPECT_EQ(p[8].names, (Names{1}));
    EXPECT_FLOAT_EQ(p[5].points[0].y, -1.5f + 0.75f); // a quarter of the row up and down
    EXPECT_FLOAT_EQ(p[5].points[1].y, -1.5f - 0.75f);
    // Window (0, 8191): the start marker covers samples -50..0, the end marker 8191..8241.
    EXPECT_FLOAT_EQ(p[1].points[2].x, -50 * xScale - 6.0f);
    EXPECT_FLOAT_EQ(p[2].points[2].x, 8241 * xScale - 6.0f);
    // Record 1: baseline to 1000, 1001 samples, back to the baseline at 2000, on to 8191.
    const auto& trace = p[8].points;
    ASSERT_EQ(trace.size(), 2u + 1001u + 2u);
    EXPECT_TRUE(At(trace[0], -6.0f, -1.5f));
    EXPECT_FLOAT_EQ(trace[1].x, 1000 * xScale - 6.0f);
    EXPECT_FLOAT_EQ(trace[2].y, -1.5f + 0.75f);
    EXPECT_FLOAT_EQ(trace[1003].y, -1.5f);
    EXPECT_FLOAT_EQ(trace[1004].x, 8191 * xScale - 6.0f);

    // Windows reversed (baseline only) or beyond a short stored record are never read past.
    doc.windows = {{300, 200}, {-100, 100000}};
    doc.filteredWaves[1].resize(10);
    const Frame clipped = Draw(doc);
    const auto strips = clipped.Of(Kind::Strip);
    ASSERT_EQ(strips.size(), 2u);
    EXPECT_EQ(strips[0]->points.size(), 4u);
    EXPECT_EQ(strips[1]->points.size(), 4u + 10u);
}

TEST(PlotRendererTest, VelocityAndDeterminationProfilesOfFourDepths) {
    CKorvaneDoc doc = MakeDoc(4, {1, 2, 3, 4});
    doc.ccVelocities = {150, 200, 180};
    doc.correlationCoefficients = {0.9, 0.9, 0.9};
    doc.resultsValid = 1;
    doc.displayMode = CrossCorrelationVelocity;
    const Frame frame = Draw(doc); // W 8: xOrigin -2, 0.01 world units per m/s, 1.5 per metre
    EXPECT_FLOAT_EQ(frame.geometry.xOrigin, -2.0f);
    EXPECT_FLOAT_EQ(frame.geometry.xScale, 0.01f);
    for (const auto& p : frame.canvas.primitives) {
        if (p.kind != Kind::Clear) {
            EXPECT_EQ(p.color, kRed);
        }
    }
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

    EXPECT_TRUE(At(frame.LabelAt("0"), -2.15f, 3.1f));
    EXPECT_FLOAT_EQ(frame.LabelAt("400").x, 2.0f - 0.15f);
    EXPECT_TRUE(At(frame.LabelAt("Vs (m/s)"), 0.0f, 3.6f));
    EXPECT_FLOAT_EQ(frame.LabelAt("Depth (m)").x, -4.0f);
    EXPECT_EQ(frame.Of(Kind::Label).size(), 1u + 4u + 1u + 1u); // no depth labels

    const auto lines = frame.Of(Kind::Lines);
    ASSERT_EQ(lines.size(), 2u);
    const auto& valueTicks = lines[0]->points;
    ASSERT_EQ(valueTicks.size(), 40u);
    EXPECT_TRUE(At(valueTicks[1], -2.0f + 0.2f, 3.0f - kLongTick / 2)); // 20 m/s, short
    EXPECT_FLOAT_EQ(valueTicks[9].y, 3.0f - kLongTick);                 // 100 m/s, long
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

    // The coefficient of determination is the square of the correlation coefficient.
    doc.correlationCoefficients = {-0.8, 0.8, 0.8};
    doc.ccVelocities = {100, 100, 100};
    doc.displayMode = DeterminationProfile;
    const Frame r2 = Draw(doc);
    EXPECT_FLOAT_EQ(r2.geometry.xScale, 4.0f);
    const auto& stairsR2 = r2.Of(Kind::Strip).at(1)->points;
    EXPECT_NEAR(stairsR2[0].x, 0.64f * 4.0f - 2.0f, 1e-5);
    EXPECT_FLOAT_EQ(stairsR2[0].x, stairsR2[2].x);
    EXPECT_FLOAT_EQ(r2.LabelAt("0.8").x, 0.8f * 4.0f - 2.0f - 0.15f);
    EXPECT_NE(r2.canvas.LabelWithText("Coef. of Determination"), nullptr);
    EXPECT_EQ(r2.canvas.LabelWithText("Vs (m/s)"), nullptr);
    const auto& ticksR2 = r2.Of(Kind::Lines).at(0)->points;
    EXPECT_FLOAT_EQ(ticksR2[0].x, 0.05f * 4.0f - 2.0f);
    EXPECT_FLOAT_EQ(ticksR2[7].y, 3.0f - 0.1f); // p = 20, long
}

TEST(PlotRendererTest, DepthLabelsAndTicksAboveTheDeepestRecord) {
    CKorvaneDoc doc = MakeDoc(2, {2.5f, 10.0f});
    doc.ccVelocities = {250};
    doc.displayMode = CrossCorrelationVelocity;
    const Frame frame = Draw(doc);
    EXPECT_TRUE(At(frame.LabelAt("   5"), -2.6f, 3.0f - 5 * 0.6f - 0.05f));
    EXPECT_EQ(frame.canvas.LabelWithText("  10"), nullptr);
    const auto& depthTicks = frame.Of(Kind::Lines).at(1)->points;
    ASSERT_EQ(depthTicks.size(), 18u);                   // 1..9 m
    EXPECT_FLOAT_EQ(depthTicks[9].x, -2.0f + kLongTick); // 5 m
    EXPECT_FLOAT_EQ(depthTicks[7].x, -2.0f + kLongTick / 2);
}

TEST(PlotRendererTest, ProfilesWithoutIntervalsDrawTheAxesAlone) {
    CKorvaneDoc one = MakeDoc(1, {5});
    one.displayMode = CrossCorrelationVelocity;
    CKorvaneDoc opened = MakeDoc(3, {1, 2, 3}); // phase velocities are not stored in a file
    opened.displayMode = PhaseVelocity;
    CKorvaneDoc empty;
    empty.displayMode = PhaseVelocity;
    CKorvaneDoc flat = MakeDoc(2, {0, 0}); // deepest depth 0: no depth scale
    flat.phaseVelocities = {100};
    flat.displayMode = PhaseVelocity;
    const std::pair<const char*, const CKorvaneDoc*> cases[] = {
        {"one record", &one}, {"opened", &opened}, {"empty", &empty}, {"flat", &flat}};
    for (auto [name, doc] : cases) {
        SCOPED_TRACE(name);
        const Frame frame = Draw(*doc);
        EXPECT_EQ(frame.Of(Kind::Strip).size(), 1u);
        EXPECT_LE(frame.Of(Kind::Lines).size(), 2u);
        for (const auto& p : frame.canvas.primitives)
            for (const auto& point : p.points)
                EXPECT_TRUE(std::isfinite(point.x) && std::isfinite(point.y));
    }
    EXPECT_EQ(Draw(empty).Of(Kind::Lines).size(), 1u);
}

TEST(PlotRendererTest, SeriesDrawNoMoreValuesThanTheyHold) {
    CKorvaneDoc doc = MakeDoc(3);
    doc.windows = {{0, 99}, {0, 199}, {10, 59}};
    // Computed with earlier, shorter windows; the middle interval never was (cancelled run).
    doc.correlationFunctions = {std::vector<float>(150, 0.25f), {}};
    doc.filteredAutocorrelations = {std::vector<float>(40, 0.5f), {}, std::vector<float>(50)};
    doc.spareWaves = {std::vector<float>(10), std::vector<float>(80)};
    struct Case {
        int mode;
        std::vector<std::size_t> points; // of each trace drawn
        std::size_t labels;
    };
    const Case cases[] = {
        // L = 200 from the current windows, but 150 values were stored; S = 0 (l0 < l1).
        {CorrelationFunctions, {2 + 150 + 2}, 2},
        {FilteredAutocorrelations, {2 + 40 + 2, 2 + 50 + 2}, 3},
        {SpareWaves, {10, 50}, 3},
        // Absent series: the rows keep their labels and draw no trace.
        {SpareTable, {}, 3},
        {RawAutocorrelations, {}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        doc.displayMode = c.mode;
        const Frame frame = Draw(doc);
        const auto strips = frame.Of(Kind::Strip);
        ASSERT_EQ(strips.size(), c.points.size());
        for (std::size_t i = 0; i < strips.size(); ++i)
            EXPECT_EQ(strips[i]->points.size(), c.points[i]) << i;
        const auto labels = frame.Of(Kind::Label);
        ASSERT_EQ(labels.size(), c.labels);
        EXPECT_FLOAT_EQ(labels[0]->points[0].x, frame.geometry.xOrigin - 0.4f);
        if (c.mode == SpareWaves) {
            EXPECT_FLOAT_EQ(strips[1]->points[49].x, 49 * 8 * 0.02f - 4.0f);
        }
    }
}

TEST(PlotRendererTest, AlignedWindowsShiftTheLowerWaveByTheLag) {
    CKorvaneDoc doc = MakeDoc(2);
    doc.windows = {{100, 199}, {300, 349}};
    doc.lags = {250};
    doc.displayMode = AlignedWindows;
    const Frame frame = Draw(doc);
    const auto strips = frame.Of(Kind::Strip);
    ASSERT_EQ(strips.size(), 2u);
    EXPECT_EQ(strips[0]->color, kGreen);
    EXPECT_EQ(strips[1]->color, kRed);
    ASSERT_EQ(strips[1]->points.size(), 50u);
    EXPECT_TRUE(At(strips[1]->points[0], 50 * frame.geometry.xScale - 4.0f, 1.5f)); // row 0
    // Without lags only the upper wave of the interval is drawn; one record has no interval.
    doc.lags.clear();
    const Frame unaligned = Draw(doc);
    ASSERT_EQ(unaligned.Of(Kind::Strip).size(), 1u);
    EXPECT_EQ(unaligned.Of(Kind::Strip)[0]->color, kGreen);
    CKorvaneDoc single = MakeDoc(1);
    for (int mode : {CorrelationFunctions, AlignedWindows}) {
        single.displayMode = mode;
        EXPECT_EQ(Draw(single).canvas.primitives.size(), 1u); // the cleared background
    }
}

} // namespace
} // namespace korvane
