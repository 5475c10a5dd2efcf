#include "view/PlotRenderer.h"

#include "RecordingCanvas.h"
#include "sounding/CKorvaneDoc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace korvane {
namespace {

using Kind = RecordingCanvas::Kind;
using Colour = std::array<float, 3>;
constexpr Colour kRed{1, 0, 0};
constexpr Colour kGreen{0, 1, 0};
constexpr Colour kBlue{0, 0, 1};
constexpr Colour kMagenta{1, 0, 1};

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
};

Frame Draw(const CKorvaneDoc& doc, int width = 400, int height = 300) {
    Frame frame;
    frame.geometry = ViewGeometry::ForClient(width, height);
    PlotRenderer(doc, frame.canvas, frame.geometry).DrawPlot();
    return frame;
}

TEST(PlotRendererTest, WaveRowGeometryOfFourRecordsIn400By300) {
    CKorvaneDoc doc = MakeDoc(4, {12.345f, 105.25f, -0.18f, 2.35f});
    doc.rawWaves[0][0] = 1.0f;  // reaches the row's upper edge
    doc.rawWaves[3][1] = -1.0f; // and the lower edge
    doc.displayMode = OriginalWaves;
    const Frame frame = Draw(doc);

    EXPECT_FLOAT_EQ(frame.geometry.xOrigin, -4.0f);
    EXPECT_FLOAT_EQ(frame.geometry.xScale, 8.0f / 8192.0f);
    const auto strips = frame.canvas.OfKind(Kind::Strip);
    const auto labels = frame.canvas.OfKind(Kind::Label);
    ASSERT_EQ(strips.size(), 4u);
    ASSERT_EQ(labels.size(), 4u);
    const float baselines[] = {2.25f, 0.75f, -0.75f, -2.25f};
    for (int r = 0; r < 4; ++r) {
        SCOPED_TRACE(r);
        ASSERT_EQ(strips[r]->points.size(), 8192u);
        EXPECT_FLOAT_EQ(strips[r]->points[5].y, baselines[r]);
        EXPECT_FLOAT_EQ(strips[r]->points[0].x, -4.0f);
        EXPECT_FLOAT_EQ(strips[r]->points.back().x, 8191.0f * 8.0f / 8192.0f - 4.0f);
        EXPECT_EQ(strips[r]->color, kMagenta);
        EXPECT_FLOAT_EQ(labels[r]->points[0].x, -4.8f);
        EXPECT_FLOAT_EQ(labels[r]->points[0].y, baselines[r] - 0.04f);
    }
    EXPECT_FLOAT_EQ(strips[0]->points[0].y, 3.0f);
    EXPECT_FLOAT_EQ(strips[3]->points[1].y, -3.0f);
    EXPECT_EQ(labels[0]->text, "12.3");
    EXPECT_EQ(labels[1]->text, "105.");
    EXPECT_EQ(labels[2]->text, "-0.1");
    EXPECT_EQ(labels[3]->text, "2.35");
    // Each row's label comes before its trace, and the frame starts cleared.
    EXPECT_EQ(frame.canvas.primitives.front().kind, Kind::Clear);
    EXPECT_EQ(frame.canvas.primitives[1].kind, Kind::Label);
    EXPECT_EQ(frame.canvas.primitives[2].kind, Kind::Strip);
}

TEST(PlotRendererTest, PixelEnvelopeKeepsEachColumnsExtremes) {
    CKorvaneDoc doc = MakeDoc(1);
    doc.displayMode = OriginalWaves;
    for (int s = 0; s < 8192; ++s)
        doc.rawWaves[0][s] = static_cast<float>(std::sin(s * 0.3) * (s % 7) / 7.0);
    doc.rawWaves[0][4000] = 1.0f;
    doc.rawWaves[0][4001] = -1.0f;
    Frame frame;
    frame.geometry = ViewGeometry::ForClient(800, 400); // 600 pixel columns, 13.65 samples each
    PlotRenderer(doc, frame.canvas, frame.geometry, PlotRenderer::Detail::PixelEnvelope).DrawPlot();
    const auto strips = frame.canvas.OfKind(Kind::Strip);
    ASSERT_EQ(strips.size(), 1u);
    const auto& points = strips[0]->points;
    EXPECT_LE(points.size(), 2u * 602u);
    EXPECT_GE(points.size(), 600u);
    const Frame full = Draw(doc, 800, 400);
    const auto& every = full.canvas.OfKind(Kind::Strip)[0]->points;
    EXPECT_FLOAT_EQ(points.front().x, every.front().x);
    EXPECT_FLOAT_EQ(points.front().y, every.front().y);
    EXPECT_FLOAT_EQ(points.back().x, every.back().x);
    EXPECT_FLOAT_EQ(points.back().y, every.back().y);
    // Every kept point is a real sample, in order, and the extremes are kept.
    float highest = -10.0f;
    float lowest = 10.0f;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i > 0) {
            EXPECT_LT(points[i - 1].x, points[i].x);
        }
        highest = std::max(highest, points[i].y);
        lowest = std::min(lowest, points[i].y);
    }
    EXPECT_FLOAT_EQ(highest, 3.0f); // one row: baseline 0, half-height 3
    EXPECT_FLOAT_EQ(lowest, -3.0f);
}

TEST(PlotRendererTest, FilteredWavesDrawMarkersBeforeTracesWithTheirNames) {
    CKorvaneDoc doc = MakeDoc(2);
    doc.displayMode = FilteredWaves;
    doc.windows[1] = {1000, 2000};
    for (int s = 0; s < 8192; ++s)
        doc.filteredWaves[1][s] = 0.5f;
    const Frame frame = Draw(doc, 800, 400); // W 12, h 3
    const auto& p = frame.canvas.primitives;
    ASSERT_EQ(p.size(), 1u + 2u * 4u);
    const float xScale = 12.0f / 8192.0f;
    for (int r = 0; r < 2; ++r) {
        SCOPED_TRACE(r);
        const auto& start = p[1 + 4 * r];
        const auto& end = p[2 + 4 * r];
        const auto& label = p[3 + 4 * r];
        const auto& trace = p[4 + 4 * r];
        EXPECT_EQ(start.kind, Kind::Polygon);
        EXPECT_EQ(start.color, kRed);
        EXPECT_EQ(start.names, (std::vector<uint32_t>{static_cast<uint32_t>(r), 0}));
        EXPECT_EQ(end.kind, Kind::Polygon);
        EXPECT_EQ(end.color, kBlue);
        EXPECT_EQ(end.names, (std::vector<uint32_t>{static_cast<uint32_t>(r), 1}));
        EXPECT_EQ(label.kind, Kind::Label);
        EXPECT_EQ(label.color, kGreen);
        EXPECT_EQ(label.names, (std::vector<uint32_t>{static_cast<uint32_t>(r)}));
        EXPECT_EQ(trace.kind, Kind::Strip);
        EXPECT_EQ(trace.names, (std::vector<uint32_t>{static_cast<uint32_t>(r)}));
        // Marker half-height is a quarter of the row.
        const float y = 1.5f - 3.0f * static_cast<float>(r);
        EXPECT_FLOAT_EQ(start.points[0].y, y + 0.75f);
        EXPECT_FLOAT_EQ(start.points[1].y, y - 0.75f);
    }
    // Window (0, 8191): the start marker covers samples -50..0, the end marker 8191..8241.
    EXPECT_FLOAT_EQ(p[1].points[2].x, -50 * xScale - 6.0f);
    EXPECT_FLOAT_EQ(p[2].points[2].x, 8241 * xScale - 6.0f);
    // Record 1: baseline to 1000, 1001 samples, back to the baseline at 2000, on to 8191.
    const auto& trace = p[8].points;
    ASSERT_EQ(trace.size(), 2u + 1001u + 2u);
    EXPECT_FLOAT_EQ(trace[0].x, -6.0f);
    EXPECT_FLOAT_EQ(trace[1].x, 1000 * xScale - 6.0f);
    EXPECT_FLOAT_EQ(trace[2].y, -1.5f + 0.75f);
    EXPECT_FLOAT_EQ(trace[1003].y, -1.5f);
    EXPECT_FLOAT_EQ(trace[1004].x, 8191 * xScale - 6.0f);
}

TEST(PlotRendererTest, FilteredWavesNeverReadOutsideTheWave) {
    CKorvaneDoc doc = MakeDoc(2);
    doc.displayMode = FilteredWaves;
    doc.windows[0] = {300, 200};     // reversed: baseline only
    doc.windows[1] = {-100, 100000}; // beyond both ends of a stored record
    doc.filteredWaves[1].resize(10);
    const Frame frame = Draw(doc);
    const auto strips = frame.canvas.OfKind(Kind::Strip);
    ASSERT_EQ(strips.size(), 2u);
    EXPECT_EQ(strips[0]->points.size(), 4u);
    EXPECT_EQ(strips[1]->points.size(), 4u + 10u);
}

TEST(PlotRendererTest, VelocityProfileOfFourDepths) {
    CKorvaneDoc doc = MakeDoc(4, {1, 2, 3, 4});
    doc.ccVelocities = {150, 200, 180};
    doc.correlationCoefficients = {0.9, 0.9, 0.9};
    doc.resultsValid = 1;
    doc.displayMode = CrossCorrelationVelocity;
    const Frame frame = Draw(doc); // W 8: xOrigin -2, 0.01 world units per m/s, k 1.5
    EXPECT_FLOAT_EQ(frame.geometry.xOrigin, -2.0f);
    EXPECT_FLOAT_EQ(frame.geometry.xScale, 0.01f);
    for (const auto& p : frame.canvas.primitives) {
        if (p.kind != Kind::Clear) {
            EXPECT_EQ(p.color, kRed);
        }
    }

    const auto strips = frame.canvas.OfKind(Kind::Strip);
    ASSERT_EQ(strips.size(), 2u);
    const auto& axes = strips[0]->points;
    ASSERT_EQ(axes.size(), 3u);
    EXPECT_FLOAT_EQ(axes[0].y, -3.0f);
    EXPECT_FLOAT_EQ(axes[1].x, -2.0f);
    EXPECT_FLOAT_EQ(axes[2].x, 2.0f);
    EXPECT_FLOAT_EQ(axes[2].y, 3.0f);
    const auto& stairs = strips[1]->points;
    ASSERT_EQ(stairs.size(), 6u);
    EXPECT_FLOAT_EQ(stairs.front().x, -0.5f); // 150 m/s
    EXPECT_FLOAT_EQ(stairs.front().y, 1.5f);  // 1 m
    EXPECT_FLOAT_EQ(stairs.back().x, -0.2f);  // 180 m/s
    EXPECT_FLOAT_EQ(stairs.back().y, -3.0f);  // 4 m

    const auto* zero = frame.canvas.LabelWithText("0");
    ASSERT_NE(zero, nullptr);
    EXPECT_FLOAT_EQ(zero->points[0].x, -2.15f);
    EXPECT_FLOAT_EQ(zero->points[0].y, 3.1f);
    const auto* v400 = frame.canvas.LabelWithText("400");
    ASSERT_NE(v400, nullptr);
    EXPECT_FLOAT_EQ(v400->points[0].x, 2.0f - 0.15f);
    const auto* title = frame.canvas.LabelWithText("Vs (m/s)");
    ASSERT_NE(title, nullptr);
    EXPECT_FLOAT_EQ(title->points[0].x, 0.0f);
    EXPECT_FLOAT_EQ(title->points[0].y, 3.6f);
    const auto* depthTitle = frame.canvas.LabelWithText("Depth (m)");
    ASSERT_NE(depthTitle, nullptr);
    EXPECT_FLOAT_EQ(depthTitle->points[0].x, -4.0f);
    EXPECT_EQ(frame.canvas.OfKind(Kind::Label).size(), 1u + 4u + 1u + 1u); // no depth labels

    const auto lines = frame.canvas.OfKind(Kind::Lines);
    ASSERT_EQ(lines.size(), 2u);
    const auto& valueTicks = lines[0]->points;
    ASSERT_EQ(valueTicks.size(), 40u);
    const float longTick = 8 * 0.0125f;
    EXPECT_FLOAT_EQ(valueTicks[0].x, -2.0f + 0.2f); // 20 m/s, short
    EXPECT_FLOAT_EQ(valueTicks[1].y, 3.0f - longTick / 2);
    EXPECT_FLOAT_EQ(valueTicks[9].y, 3.0f - longTick); // 100 m/s, long
    const auto& depthTicks = lines[1]->points;
    ASSERT_EQ(depthTicks.size(), 6u); // 1, 2 and 3 m, all short
    for (int j = 0; j < 3; ++j) {
        EXPECT_FLOAT_EQ(depthTicks[2 * j].y, 3.0f - 1.5f * static_cast<float>(j + 1));
        EXPECT_FLOAT_EQ(depthTicks[2 * j + 1].x, -2.0f + longTick / 2);
    }
}

TEST(PlotRendererTest, DepthLabelsAndTicksAboveTheDeepestRecord) {
    CKorvaneDoc doc = MakeDoc(2, {2.5f, 10.0f});
    doc.ccVelocities = {250};
    doc.displayMode = CrossCorrelationVelocity;
    const Frame frame = Draw(doc);
    const auto* five = frame.canvas.LabelWithText("   5");
    ASSERT_NE(five, nullptr);
    EXPECT_FLOAT_EQ(five->points[0].x, -2.6f);
    EXPECT_FLOAT_EQ(five->points[0].y, 3.0f - 5 * 0.6f - 0.05f);
    EXPECT_EQ(frame.canvas.LabelWithText("  10"), nullptr);
    const auto& depthTicks = frame.canvas.OfKind(Kind::Lines)[1]->points;
    ASSERT_EQ(depthTicks.size(), 18u); // 1..9 m
    const float longTick = 8 * 0.0125f;
    EXPECT_FLOAT_EQ(depthTicks[9].x, -2.0f + longTick); // 5 m
    EXPECT_FLOAT_EQ(depthTicks[7].x, -2.0f + longTick / 2);
}

TEST(PlotRendererTest, DeterminationPlotsTheSquareOfTheCoefficient) {
    CKorvaneDoc doc = MakeDoc(3, {1, 2, 3});
    doc.correlationCoefficients = {-0.8, 0.8};
    doc.ccVelocities = {100, 100};
    doc.displayMode = DeterminationProfile;
    const Frame frame = Draw(doc);
    EXPECT_FLOAT_EQ(frame.geometry.xScale, 4.0f);
    const auto& stairs = frame.canvas.OfKind(Kind::Strip)[1]->points;
    ASSERT_EQ(stairs.size(), 4u);
    EXPECT_NEAR(stairs[0].x, 0.64f * 4.0f - 2.0f, 1e-5);
    EXPECT_FLOAT_EQ(stairs[0].x, stairs[2].x);
    const auto* point8 = frame.canvas.LabelWithText("0.8");
    ASSERT_NE(point8, nullptr);
    EXPECT_FLOAT_EQ(point8->points[0].x, 0.8f * 4.0f - 2.0f - 0.15f);
    ASSERT_NE(frame.canvas.LabelWithText("Coef. of Determination"), nullptr);
    EXPECT_EQ(frame.canvas.LabelWithText("Vs (m/s)"), nullptr);
    const auto& valueTicks = frame.canvas.OfKind(Kind::Lines)[0]->points;
    EXPECT_FLOAT_EQ(valueTicks[0].x, 0.05f * 4.0f - 2.0f);
    EXPECT_FLOAT_EQ(valueTicks[7].y, 3.0f - 0.1f); // p = 20, long
}

TEST(PlotRendererTest, ProfilesWithoutIntervalsDrawTheAxesAlone) {
    // One record: no interval.
    CKorvaneDoc one = MakeDoc(1, {5});
    one.displayMode = CrossCorrelationVelocity;
    EXPECT_EQ(Draw(one).canvas.OfKind(Kind::Strip).size(), 1u);
    // The phase velocities are not stored in a document file.
    CKorvaneDoc opened = MakeDoc(3, {1, 2, 3});
    opened.displayMode = PhaseVelocity;
    EXPECT_EQ(Draw(opened).canvas.OfKind(Kind::Strip).size(), 1u);
    // No records at all, and a deepest depth of 0: no depth scale.
    CKorvaneDoc empty;
    empty.displayMode = PhaseVelocity;
    const Frame none = Draw(empty);
    EXPECT_EQ(none.canvas.OfKind(Kind::Strip).size(), 1u);
    EXPECT_EQ(none.canvas.OfKind(Kind::Lines).size(), 1u);
    CKorvaneDoc flat = MakeDoc(2, {0, 0});
    flat.phaseVelocities = {100};
    flat.displayMode = PhaseVelocity;
    const Frame zero = Draw(flat);
    EXPECT_EQ(zero.canvas.OfKind(Kind::Strip).size(), 1u);
    for (const auto& p : zero.canvas.primitives)
        for (const auto& point : p.points)
            EXPECT_TRUE(std::isfinite(point.x) && std::isfinite(point.y));
}

TEST(PlotRendererTest, AnIntervalWithoutVelocityLeavesAGap) {
    CKorvaneDoc doc = MakeDoc(4, {1, 2, 3, 4});
    doc.ccVelocities = {150, std::numeric_limits<float>::quiet_NaN(), 180};
    doc.displayMode = CrossCorrelationVelocity;
    const Frame frame = Draw(doc);
    const auto strips = frame.canvas.OfKind(Kind::Strip);
    ASSERT_EQ(strips.size(), 3u);
    EXPECT_EQ(strips[1]->points.size(), 2u);
    EXPECT_FLOAT_EQ(strips[1]->points[1].y, 0.0f); // 2 m
    EXPECT_EQ(strips[2]->points.size(), 2u);
    EXPECT_FLOAT_EQ(strips[2]->points[0].y, -1.5f); // 3 m
}

TEST(PlotRendererTest, SeriesDrawNoMoreValuesThanTheyHold) {
    CKorvaneDoc doc = MakeDoc(3);
    doc.windows = {{0, 99}, {0, 199}, {10, 59}};
    // Computed with earlier, shorter windows; the middle interval never was (cancelled run).
    doc.correlationFunctions = {std::vector<float>(150, 0.25f), {}};
    doc.filteredAutocorrelations = {std::vector<float>(40, 0.5f), {}, std::vector<float>(50)};
    doc.spareWaves = {std::vector<float>(10), std::vector<float>(80)};

    doc.displayMode = CorrelationFunctions;
    const Frame functions = Draw(doc);
    auto strips = functions.canvas.OfKind(Kind::Strip);
    ASSERT_EQ(strips.size(), 1u);
    // L = 200 from the current windows, but 150 values were stored; S = 0 (l0 < l1).
    EXPECT_EQ(strips[0]->points.size(), 2u + 150u + 2u);
    EXPECT_EQ(functions.canvas.OfKind(Kind::Label).size(), 2u);
    EXPECT_FLOAT_EQ(functions.canvas.OfKind(Kind::Label)[0]->points[0].x,
                    functions.geometry.xOrigin - 0.4f);

    doc.displayMode = FilteredAutocorrelations;
    const Frame autocorrelations = Draw(doc);
    strips = autocorrelations.canvas.OfKind(Kind::Strip);
    ASSERT_EQ(strips.size(), 2u);
    EXPECT_EQ(strips[0]->points.size(), 2u + 40u + 2u);
    EXPECT_EQ(strips[1]->points.size(), 2u + 50u + 2u);

    doc.displayMode = SpareWaves;
    const Frame spare = Draw(doc);
    strips = spare.canvas.OfKind(Kind::Strip);
    ASSERT_EQ(strips.size(), 2u);
    EXPECT_EQ(strips[0]->points.size(), 10u);
    EXPECT_EQ(strips[1]->points.size(), 50u);
    EXPECT_FLOAT_EQ(strips[1]->points[49].x, 49 * 8 * 0.02f - 4.0f);

    // Absent series: the rows keep their labels and draw no trace.
    for (int mode : {SpareTable, RawAutocorrelations}) {
        doc.displayMode = mode;
        const Frame frame = Draw(doc);
        EXPECT_TRUE(frame.canvas.OfKind(Kind::Strip).empty());
        EXPECT_EQ(frame.canvas.OfKind(Kind::Label).size(), 3u);
    }
    // Without lags only the upper waves of the intervals are drawn.
    doc.displayMode = AlignedWindows;
    const Frame alignedFrame = Draw(doc);
    const auto aligned = alignedFrame.canvas.OfKind(Kind::Strip);
    ASSERT_EQ(aligned.size(), 2u);
    EXPECT_EQ(aligned[0]->color, kGreen);
}

TEST(PlotRendererTest, AlignedWindowsShiftTheLowerWaveByTheLag) {
    CKorvaneDoc doc = MakeDoc(2);
    doc.windows = {{100, 199}, {300, 349}};
    doc.lags = {250};
    doc.displayMode = AlignedWindows;
    const Frame frame = Draw(doc);
    const auto strips = frame.canvas.OfKind(Kind::Strip);
    ASSERT_EQ(strips.size(), 2u);
    EXPECT_EQ(strips[0]->color, kGreen);
    EXPECT_EQ(strips[1]->color, kRed);
    ASSERT_EQ(strips[1]->points.size(), 50u);
    EXPECT_FLOAT_EQ(strips[1]->points[0].x, 50 * frame.geometry.xScale - 4.0f);
    EXPECT_FLOAT_EQ(strips[1]->points[0].y, 1.5f); // row 0 of two

    CKorvaneDoc single = MakeDoc(1);
    single.lags = {};
    for (int mode : {CorrelationFunctions, AlignedWindows}) {
        single.displayMode = mode;
        EXPECT_EQ(Draw(single).canvas.primitives.size(), 1u); // the cleared background
    }
}

TEST(PlotRendererTest, CreditScreenForEveryOtherMode) {
    CKorvaneDoc doc = MakeDoc(3);
    for (int mode : {0, 12, -1}) {
        doc.displayMode = mode;
        const Frame frame = Draw(doc);
        ASSERT_EQ(frame.canvas.primitives.size(), 3u);
        const auto labels = frame.canvas.OfKind(Kind::Label);
        ASSERT_EQ(labels.size(), 2u);
        EXPECT_EQ(labels[0]->text.size(), 30u);
        EXPECT_EQ(labels[1]->text.size(), 12u);
        EXPECT_EQ(labels[0]->color, kRed);
        EXPECT_FLOAT_EQ(labels[0]->points[0].x, -1.0f);
        EXPECT_FLOAT_EQ(labels[1]->points[0].y, -0.4f);
    }
}

} // namespace
} // namespace korvane
