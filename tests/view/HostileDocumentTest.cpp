// A document of odd numbers (non-finite samples and results, negative, equal and missing
// depths, one-sample windows, a cancelled run) draws in every mode and size without a crash.
#include "LiveViewFixture.h"
#include "RecordingCanvas.h"
#include "view/PlotRenderer.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvane {
namespace {

using HostileDocument = LiveViewFixture;

RecordingCanvas Record(const CKorvaneDoc& doc, int width, int height, PlotRenderer::Detail detail) {
    RecordingCanvas canvas;
    ViewGeometry geometry = ViewGeometry::ForClient(width, height);
    PlotRenderer(doc, canvas, geometry, detail).DrawPlot();
    return canvas;
}

TEST_F(HostileDocument, OddNumbersDrawInEveryModeAtEverySize) {
    constexpr float kInf = std::numeric_limits<float>::infinity();
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    doc.samplesPerRecord = 512;
    doc.recordCount = 5;
    doc.dataLoaded = doc.resultsValid = 1;
    doc.depths = {-2.0f, 1.0f, 1.0f, 3.0e38f, kNaN};
    doc.windows = {{0, 511}, {511, 511}, {0, 0}, {100, 400}, {0, 511}};
    std::vector<float> wave(512, 0.5f);
    const float odd[] = {kNaN,    kInf,     -kInf,
                         3.0e38f, -3.0e38f, std::numeric_limits<float>::denorm_min()};
    std::copy(std::begin(odd), std::end(odd), wave.begin() + 5);
    doc.rawWaves.assign(5, wave);
    doc.filteredWaves = doc.spareWaves = doc.rawAutocorrelations = doc.rawWaves;
    doc.spareTable.assign(5, std::vector<float>(wave.begin(), wave.begin() + 50));
    doc.filteredAutocorrelations = {wave, wave, wave, {}, {}}; // a cancelled run
    doc.correlationFunctions = {
        std::vector<float>(512, kNaN), {kInf}, {}, std::vector<float>(301, -kInf)};
    doc.lags = {511, -511, 0, 300};
    doc.correlationCoefficients = {std::numeric_limits<double>::quiet_NaN(), 1e300, -1.0, 0.0};
    doc.ccVelocities = {kInf, -kInf, kNaN, 3.0e38f};
    doc.phaseVelocities = {kNaN, -1.0e30f, 0.0f, kInf};
    ShowAt(400, 300);
    const std::pair<int, int> sizes[] = {{400, 300}, {0, 0}, {16384, 3}, {3, 16384}};
    for (int mode = -1; mode <= 12; ++mode) {
        SCOPED_TRACE(mode);
        doc.displayMode = mode;
        for (const auto& [width, height] : sizes)
            for (auto detail : {PlotRenderer::Detail::Full, PlotRenderer::Detail::PixelEnvelope}) {
                const RecordingCanvas canvas = Record(doc, width, height, detail);
                ASSERT_FALSE(canvas.primitives.empty());
                EXPECT_EQ(canvas.primitives.front().kind, RecordingCanvas::Kind::Clear);
            }
        EXPECT_EQ(view.grabFramebuffer().size(), QSize(400, 300));
    }
    // The profiles leave out what has no place on them rather than drawing it at
    // infinity.
    for (int mode : {CrossCorrelationVelocity, DeterminationProfile, PhaseVelocity}) {
        doc.displayMode = mode;
        const RecordingCanvas canvas = Record(doc, 400, 300, PlotRenderer::Detail::Full);
        for (const auto* strip : canvas.OfKind(RecordingCanvas::Kind::Strip))
            for (const WorldPoint& p : strip->points)
                EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y)) << "mode " << mode;
    }
}

} // namespace
} // namespace korvane
