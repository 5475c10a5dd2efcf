// Fast against slow, in one run: korvane_bench --benchmark_filter=Speedup
//
// Pairs to read as ratios: Sweep/Direct vs Sweep/Fast at each length, the two correlation runs
// Direct vs Fast (one thread both, so CPU time compares the work), and Process30 and Load30
// against ReadFiles30, which only reads the bytes of the same files (these three report the
// CPU time of the whole process, as the load uses every core).
#include "dsp/CCrossCorrelation.h"
#include "analysis/CorrelationRuns.h"
#include "dsp/ProgressReporter.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/LoadPipeline.h"
#include "sounding/VelocityTable.h"

#include "BenchSounding.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <numbers>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace korvane {
namespace {

using namespace bench;

void Sweep(benchmark::State& state, CorrelationMethod method) {
    const int L = static_cast<int>(state.range(0));
    const std::vector<float> x = Burst(L, L / 8, 3), y = Burst(L, L / 8 + 40, 4);
    std::vector<float> out(static_cast<std::size_t>(L));
    int lag = 0;
    CCrossCorrelation cc(nullptr, 0, nullptr, 0, &lag, out.data());
    for (auto _ : state) {
        benchmark::DoNotOptimize(method == CorrelationMethod::Direct
                                     ? cc.SweepLagsDirect(x.data(), y.data(), L, out.data())
                                     : cc.SweepLagsFast(x.data(), y.data(), L, out.data()));
    }
}

void CrossCorrelationRun(benchmark::State& state, CorrelationMethod method) {
    CKorvaneDoc doc = MakeSounding();
    NullProgress progress;
    for (auto _ : state) {
        if (!RunCrossCorrelation(doc, progress, 1, method).ok())
            state.SkipWithError("run failed");
    }
}

void RawAutocorrelationRun(benchmark::State& state, CorrelationMethod method) {
    CKorvaneDoc doc = MakeSounding();
    NullProgress progress;
    for (auto _ : state) {
        if (!RunRawAutocorrelation(doc, progress, 1, method).ok())
            state.SkipWithError("run failed");
    }
}

// The baseline of the load: every byte of the 30 files into one buffer, page cache warm.
void ReadFiles(benchmark::State& state) {
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        std::size_t total = 0;
        for (const std::string& path : Files().paths()) {
            std::FILE* file = std::fopen(path.c_str(), "rb");
            if (file == nullptr) {
                state.SkipWithError("cannot open");
                return;
            }
            std::size_t got = 0;
            while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0)
                total += got;
            std::fclose(file);
        }
        benchmark::DoNotOptimize(total);
    }
}

// File > Load: read, filter, sort, phase velocities and the three diagnostic files.
void Load(benchmark::State& state) {
    for (auto _ : state) {
        CKorvaneDoc doc;
        NullProgress progress;
        if (!LoadSounding(doc, Files().paths(), Files().diagnostics(), progress).ok())
            state.SkipWithError("load failed");
    }
}

// What `korvane-cli process --windows ...` does with 30 files: load, windows around the shear
// waves, cross-correlation, velocity table text.
void Process(benchmark::State& state) {
    for (auto _ : state) {
        CKorvaneDoc doc;
        NullProgress progress;
        if (!LoadSounding(doc, Files().paths(), Files().diagnostics(), progress).ok()) {
            state.SkipWithError("load failed");
            return;
        }
        for (int r = 0; r < kRecords; ++r)
            doc.windows[r] = {ArrivalSample(r) - 100, ArrivalSample(r) + 700};
        if (!RunCrossCorrelation(doc, progress, 1).ok())
            state.SkipWithError("run failed");
        std::ostringstream table;
        WriteVelocityTable(doc, table);
        benchmark::DoNotOptimize(table.str().size());
    }
}

void Register() {
    for (const auto& [name, method] : {std::pair{"Direct", CorrelationMethod::Direct},
                                       std::pair{"Fast", CorrelationMethod::Fast}}) {
        const std::string suffix = name;
        benchmark::RegisterBenchmark(("Speedup/Sweep/" + suffix).c_str(), Sweep, method)
            ->Arg(512)
            ->Arg(2048)
            ->Arg(8192)
            ->Unit(benchmark::kMicrosecond)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true);
        // The direct runs take seconds: a few single passes.
        benchmark::RegisterBenchmark(("Speedup/RawAutocorrelationRun30/" + suffix).c_str(),
                                     RawAutocorrelationRun, method)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(method == CorrelationMethod::Direct ? 1 : 10)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true);
        benchmark::RegisterBenchmark(("Speedup/CrossCorrelationRun30/" + suffix).c_str(),
                                     CrossCorrelationRun, method)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(method == CorrelationMethod::Direct ? 1 : 10)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true);
    }
    using Function = void (*)(benchmark::State&);
    for (const auto& [name, function] :
         {std::pair<const char*, Function>{"Speedup/ReadFiles30", ReadFiles},
          std::pair<const char*, Function>{"Speedup/Load30", Load},
          std::pair<const char*, Function>{"Speedup/Process30", Process}}) {
        // The load reads files on every core: CPU is that of the whole process, Time the wait.
        benchmark::RegisterBenchmark(name, function)
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime()
            ->UseRealTime()
            ->Repetitions(9)
            ->ReportAggregatesOnly(true);
    }
}

const bool registered = (Register(), true);

} // namespace
} // namespace korvane
