// Plot frames of 40 records x 8192 samples drawn with OpenGL into an offscreen framebuffer:
// the full view, a zoomed view, and the frames of a marker drag. Needs a display (xvfb-run,
// LIBGL_ALWAYS_SOFTWARE=1 for Mesa llvmpipe).
#include "sounding/CKorvaneDoc.h"
#include "view/GlCanvas.h"
#include "view/PlotRenderer.h"
#include "view/ViewGeometry.h"
#include "view/WindowMarkerDrag.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <functional>
#include <memory>

namespace korvane {
namespace {

CKorvaneDoc MakeSounding(int records) {
    CKorvaneDoc doc;
    doc.recordCount = records;
    doc.dataLoaded = 1;
    for (int r = 0; r < records; ++r) {
        std::vector<float> wave(doc.samplesPerRecord);
        for (std::size_t s = 0; s < wave.size(); ++s)
            wave[s] = static_cast<float>(std::sin(s * 0.02 * (1 + r % 5)) *
                                         std::exp(-static_cast<double>(s) / 3000.0));
        doc.rawWaves.push_back(wave);
        doc.filteredWaves.push_back(wave);
        doc.depths.push_back(static_cast<float>(r + 1));
        doc.windows.push_back({0, static_cast<int32_t>(doc.samplesPerRecord) - 1});
    }
    return doc;
}

struct OffscreenGl {
    QOffscreenSurface surface;
    QOpenGLContext context;
    std::unique_ptr<QOpenGLFramebufferObject> target;

    bool Start(int width, int height) {
        QSurfaceFormat format;
        format.setProfile(QSurfaceFormat::CompatibilityProfile);
        format.setVersion(2, 1);
        format.setDepthBufferSize(24);
        surface.setFormat(format);
        surface.create();
        context.setFormat(format);
        if (!context.create() || !context.makeCurrent(&surface))
            return false;
        target = std::make_unique<QOpenGLFramebufferObject>(width, height,
                                                            QOpenGLFramebufferObject::Depth);
        return target->bind();
    }
};

constexpr int kRecords = 40;

// Frames of a sounding in a 1200 x 800 client; `change` runs before each frame.
void DrawFrames(benchmark::State& state, CKorvaneDoc& doc, PlotRenderer::Detail detail,
                const PlotOptions& options, const std::function<void()>& change) {
    const int width = 1200;
    const int height = 800;
    OffscreenGl gl;
    if (!gl.Start(width, height)) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    ViewGeometry geometry = ViewGeometry::ForClient(width, height);
    GlCanvas::PrepareContext();
    GlCanvas::ApplyProjection(geometry);
    GlCanvas canvas(GlCanvas::Pass::Draw, geometry.pixelsPerUnit, 1.0);
    PlotRenderer(doc, canvas, geometry).DrawPlot(); // builds the font lists
    glFinish();
    for (auto _ : state) {
        if (change)
            change();
        PlotRenderer(doc, canvas, geometry, detail, options).DrawPlot();
        glFinish();
    }
    state.SetLabel(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
}

void BM_DrawFrame(benchmark::State& state, int mode, PlotRenderer::Detail detail) {
    CKorvaneDoc doc = MakeSounding(kRecords);
    doc.displayMode = mode;
    DrawFrames(state, doc, detail, {}, nullptr);
}

// An eighth of the record length across the plot, as after three wheel notches and a pan.
void BM_ZoomedFrame(benchmark::State& state, int mode) {
    CKorvaneDoc doc = MakeSounding(kRecords);
    doc.displayMode = mode;
    PlotOptions options;
    options.zoom.x = DataRange{3000.0, 4024.0};
    DrawFrames(state, doc, PlotRenderer::Detail::PixelEnvelope, options, nullptr);
}

// What a drag redraws on every mouse move: a marker moved, the frame with it selected; in
// the full view or zoomed.
void BM_DragFrame(benchmark::State& state, bool zoomed) {
    CKorvaneDoc doc = MakeSounding(kRecords);
    doc.displayMode = FilteredWaves;
    PlotOptions options;
    options.selectedMarker = MarkerRef{kRecords / 2, 0};
    if (zoomed)
        options.zoom.x = DataRange{0.0, 2048.0};
    int32_t sample = 100;
    DrawFrames(state, doc, PlotRenderer::Detail::PixelEnvelope, options, [&] {
        sample = sample < 1500 ? sample + 7 : 100;
        WindowMarkerDrag::MoveBoundary(doc, kRecords / 2, 0, sample);
    });
}

// Every sample as a vertex, and the per-pixel envelope the screen draws.
constexpr auto kFull = PlotRenderer::Detail::Full;
constexpr auto kEnvelope = PlotRenderer::Detail::PixelEnvelope;
// The floor: a cleared frame with the two credit lines.
BENCHMARK_CAPTURE(BM_DrawFrame, Credits, int{Credits}, kFull)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_DrawFrame, OriginalWavesEverySample, int{OriginalWaves}, kFull)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_DrawFrame, OriginalWavesEnvelope, int{OriginalWaves}, kEnvelope)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_DrawFrame, FilteredWavesEverySample, int{FilteredWaves}, kFull)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_DrawFrame, FilteredWavesEnvelope, int{FilteredWaves}, kEnvelope)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ZoomedFrame, FilteredWaves, int{FilteredWaves})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ZoomedFrame, OriginalWaves, int{OriginalWaves})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_DragFrame, FullView, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_DragFrame, Zoomed, true)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace korvane

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
