// One plot frame of 30 records x 8192 samples drawn with OpenGL into an offscreen
// framebuffer. Needs a display (xvfb-run, LIBGL_ALWAYS_SOFTWARE=1 for Mesa llvmpipe).
#include "sounding/CKorvaneDoc.h"
#include "view/GlCanvas.h"
#include "view/PlotRenderer.h"
#include "view/ViewGeometry.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cmath>
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

void BM_DrawFrame(benchmark::State& state, int mode, PlotRenderer::Detail detail) {
    const int width = 1200;
    const int height = 800;
    OffscreenGl gl;
    if (!gl.Start(width, height)) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    CKorvaneDoc doc = MakeSounding(30);
    doc.displayMode = mode;
    ViewGeometry geometry = ViewGeometry::ForClient(width, height);
    GlCanvas::PrepareContext();
    GlCanvas::ApplyProjection(geometry);
    GlCanvas canvas;
    PlotRenderer(doc, canvas, geometry).DrawPlot(); // builds the font lists
    glFinish();
    for (auto _ : state) {
        PlotRenderer(doc, canvas, geometry, detail).DrawPlot();
        glFinish();
    }
    state.SetLabel(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
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

} // namespace
} // namespace korvane

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
