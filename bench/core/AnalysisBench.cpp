// The interval analysis against the load it follows: 100 wave files 0.2 m apart, loaded,
// windows proposed, analysed with sub-sample delays and least squares over five depths; and
// the analysis with the defaults against the cross-correlation run it follows.
#include "analysis/CorrelationRuns.h"
#include "analysis/IntervalAnalysis.h"
#include "analysis/WindowProposer.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/LoadPipeline.h"

#include "BenchSounding.h"

#include <benchmark/benchmark.h>

namespace korvane {
namespace {

const bench::SoundingFiles& HundredFiles() {
    static const bench::SoundingFiles files(100, 0.2);
    return files;
}

CKorvaneDoc LoadHundred() {
    CKorvaneDoc doc;
    NullProgress progress;
    LoadSounding(doc, HundredFiles().paths(), HundredFiles().diagnostics(), progress);
    return doc;
}

void BM_AnalysisLoad100(benchmark::State& state) {
    for (auto _ : state) {
        CKorvaneDoc doc;
        NullProgress progress;
        if (!LoadSounding(doc, HundredFiles().paths(), HundredFiles().diagnostics(), progress).ok())
            state.SkipWithError("load failed");
    }
}

void BM_AnalysisProposeWindows100(benchmark::State& state) {
    const CKorvaneDoc doc = LoadHundred();
    for (auto _ : state)
        benchmark::DoNotOptimize(WindowProposer::Propose(doc, doc.analysisSettings));
}

void BM_AnalysisRun100(benchmark::State& state) {
    CKorvaneDoc doc = LoadHundred();
    doc.windows = WindowProposer::Propose(doc, doc.analysisSettings);
    AnalysisSettings settings;
    settings.lag = LagMethod::Subsample;
    settings.fit = FitMethod::Lsq5;
    NullProgress progress;
    for (auto _ : state)
        benchmark::DoNotOptimize(IntervalAnalysis::Analyse(doc, settings, progress));
}

// The desktop program follows every cross-correlation run with the analysis of the document's
// settings; with the defaults, against the run itself (one thread each).
void BM_AnalysisAfterTheRun100(benchmark::State& state) {
    CKorvaneDoc doc = LoadHundred();
    doc.windows = WindowProposer::Propose(doc, doc.analysisSettings);
    NullProgress progress;
    for (auto _ : state) {
        if (state.range(0) == 0)
            benchmark::DoNotOptimize(RunCrossCorrelation(doc, progress, 1));
        else
            benchmark::DoNotOptimize(IntervalAnalysis::Analyse(doc, AnalysisSettings{}, progress));
    }
    state.SetLabel(state.range(0) == 0 ? "cross-correlation run" : "analysis, default settings");
}

BENCHMARK(BM_AnalysisLoad100)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_AnalysisProposeWindows100)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_AnalysisRun100)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_AnalysisAfterTheRun100)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace
} // namespace korvane
