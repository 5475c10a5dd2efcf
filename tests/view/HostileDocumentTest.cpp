// What a refused file leaves draws nothing of the sounding before it, and a document of odd
// numbers (non-finite samples and results, negative, equal and missing depths, one-sample
// windows, cancelled runs) draws in every mode, on every canvas, without a crash.
#include "LiveViewFixture.h"
#include "RecordingCanvas.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/DocumentFile.h"
#include "view/PlotRenderer.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

namespace korvane {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr int kModes = 12;

RecordingCanvas Record(const CKorvaneDoc& doc, int width, int height, PlotRenderer::Detail detail) {
    RecordingCanvas canvas;
    ViewGeometry geometry = ViewGeometry::ForClient(width, height);
    PlotRenderer(doc, canvas, geometry, detail).DrawPlot();
    return canvas;
}

// Same primitives in the same order, NaN coordinates counting as equal.
bool SameFrame(const RecordingCanvas& a, const RecordingCanvas& b) {
    if (a.primitives.size() != b.primitives.size())
        return false;
    const auto same = [](float x, float y) { return x == y || (std::isnan(x) && std::isnan(y)); };
    for (std::size_t i = 0; i < a.primitives.size(); ++i) {
        const auto& p = a.primitives[i];
        const auto& q = b.primitives[i];
        if (p.kind != q.kind || p.color != q.color || p.text != q.text || p.names != q.names ||
            p.points.size() != q.points.size())
            return false;
        for (std::size_t j = 0; j < p.points.size(); ++j)
            if (!same(p.points[j].x, q.points[j].x) || !same(p.points[j].y, q.points[j].y))
                return false;
    }
    return true;
}

// Three records of 512 samples with a sine in each wave; results of the two intervals.
CKorvaneDoc Loaded() {
    CKorvaneDoc doc;
    doc.samplesPerRecord = 512;
    doc.recordCount = 3;
    doc.dataLoaded = 1;
    doc.resultsValid = 1;
    doc.displayMode = FilteredWaves;
    for (int k = 0; k < 3; ++k) {
        std::vector<float> wave(512);
        for (std::size_t j = 0; j < wave.size(); ++j)
            wave[j] = static_cast<float>(std::sin(0.05 * static_cast<double>(j) + k));
        doc.rawWaves.push_back(wave);
        doc.filteredWaves.push_back(wave);
        doc.depths.push_back(1.0f + static_cast<float>(k));
        doc.windows.push_back({10, 500});
    }
    doc.correlationCoefficients = {0.9, 0.8};
    doc.ccVelocities = {150.0f, 250.0f};
    return doc;
}

TEST(HostileDocument, AFileRefusedAtAnyLengthLeavesNothingToDraw) {
    CKorvaneDoc original = Loaded();
    std::ostringstream bytes(std::ios::binary);
    DocumentFile::Write(original, bytes);
    const std::string whole = bytes.str();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath("cut.kvn").toStdString();

    const CKorvaneDoc fresh;
    for (std::size_t cut = 0; cut < whole.size(); cut += 211) {
        SCOPED_TRACE(cut);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << whole.substr(0, cut);
        CKorvaneDoc doc = Loaded();
        doc.lags = {3, -4};
        doc.correlationFunctions.assign(2, std::vector<float>(100, 0.5f));
        doc.spareTable.assign(3, std::vector<float>(50, 0.25f));
        ASSERT_THROW(DocumentFile::Load(doc, path), KorvaneError);
        // Whatever mode the view is asked to show next, it draws what it draws for a document
        // that never held a sounding.
        for (int mode = 0; mode < kModes; ++mode) {
            CKorvaneDoc empty = fresh;
            empty.displayMode = mode;
            doc.displayMode = mode;
            for (auto detail : {PlotRenderer::Detail::Full, PlotRenderer::Detail::PixelEnvelope})
                ASSERT_TRUE(
                    SameFrame(Record(doc, 400, 300, detail), Record(empty, 400, 300, detail)))
                    << "mode " << mode;
        }
    }
}

// Every array filled, every value at an edge.
CKorvaneDoc OddNumbers() {
    CKorvaneDoc doc;
    doc.samplesPerRecord = 512;
    doc.recordCount = 5;
    doc.dataLoaded = 1;
    doc.resultsValid = 1;
    doc.hammerToRod = 0.0f;
    doc.depths = {-2.0f, 1.0f, 1.0f, 3.0e38f, kNaN};
    doc.windows = {{0, 511}, {511, 511}, {0, 0}, {100, 400}, {0, 511}};
    for (int k = 0; k < 5; ++k) {
        std::vector<float> wave(512);
        for (std::size_t j = 0; j < wave.size(); ++j)
            wave[j] = static_cast<float>(std::sin(0.1 * static_cast<double>(j)));
        wave[5] = kNaN;
        wave[6] = kInf;
        wave[7] = -kInf;
        wave[8] = 3.0e38f;
        wave[9] = -3.0e38f;
        wave[10] = std::numeric_limits<float>::denorm_min();
        doc.rawWaves.push_back(wave);
        doc.filteredWaves.push_back(wave);
        doc.spareWaves.push_back(wave);
        doc.rawAutocorrelations.push_back(wave);
        doc.spareTable.emplace_back(wave.begin(), wave.begin() + 50);
        // A cancelled run leaves later records without a curve.
        if (k < 3)
            doc.filteredAutocorrelations.emplace_back(wave.begin(), wave.begin() + 300);
        else
            doc.filteredAutocorrelations.emplace_back();
    }
    doc.correlationFunctions = {std::vector<float>(512, kNaN),
                                std::vector<float>(1, kInf),
                                {},
                                std::vector<float>(301, -kInf)};
    doc.lags = {511, -511, 0, 300};
    doc.correlationCoefficients = {std::numeric_limits<double>::quiet_NaN(), 1e300, -1.0, 0.0};
    doc.ccVelocities = {kInf, -kInf, kNaN, 3.0e38f};
    doc.phaseVelocities = {kNaN, -1.0e30f, 0.0f, kInf};
    return doc;
}

TEST(HostileDocument, OddNumbersDrawInEveryModeAtEverySize) {
    CKorvaneDoc doc = OddNumbers();
    const std::pair<int, int> sizes[] = {{400, 300}, {1, 1}, {0, 0}, {16384, 3}, {3, 16384}};
    for (int mode = -1; mode <= kModes; ++mode) {
        doc.displayMode = mode;
        for (const auto& [width, height] : sizes)
            for (auto detail : {PlotRenderer::Detail::Full, PlotRenderer::Detail::PixelEnvelope}) {
                SCOPED_TRACE(::testing::Message()
                             << "mode " << mode << ", " << width << "x" << height);
                const RecordingCanvas canvas = Record(doc, width, height, detail);
                ASSERT_FALSE(canvas.primitives.empty());
                EXPECT_EQ(canvas.primitives.front().kind, RecordingCanvas::Kind::Clear);
            }
    }
    // The profiles leave out what has no place on them rather than drawing it at infinity.
    for (int mode : {CrossCorrelationVelocity, DeterminationProfile, PhaseVelocity}) {
        doc.displayMode = mode;
        const RecordingCanvas canvas = Record(doc, 400, 300, PlotRenderer::Detail::Full);
        for (const auto* strip : canvas.OfKind(RecordingCanvas::Kind::Strip))
            for (const WorldPoint& p : strip->points)
                EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y)) << "mode " << mode;
    }
}

using HostileDocumentOnScreen = LiveViewFixture;

TEST_F(HostileDocumentOnScreen, OddNumbersDrawThroughOpenGl) {
    doc = OddNumbers();
    ShowAt(400, 300);
    for (int mode = 0; mode < kModes; ++mode) {
        SCOPED_TRACE(mode);
        doc.displayMode = mode;
        const QImage image = view.grabFramebuffer();
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(400, 300));
    }
}

} // namespace
} // namespace korvane
