// Fast against slow, in one run: korvane_bench --benchmark_filter=Speedup
//
// Pairs to read as ratios: Sweep/Direct vs Sweep/Fast at each length, the two correlation runs
// Direct vs Fast (one thread both, so CPU time compares the work), and Process30 and Load30
// against ReadFiles30, which only reads the bytes of the same files (these three report the
// CPU time of the whole process, as the load uses every core).
#include "dsp/CCrossCorrelation.h"
#include "dsp/CorrelationRuns.h"
#include "dsp/ProgressReporter.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/LoadPipeline.h"
#include "sounding/VelocityTable.h"

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

constexpr int kRecords = 30;
constexpr uint32_t kSamples = 8192;
constexpr double kHammerToRod = 1.22;

// A noisy decaying shear-wave burst starting at `onset`, 40 000 samples/s.
std::vector<float> Burst(int length, int onset, unsigned seed) {
    std::mt19937 gen(seed);
    std::normal_distribution<double> noise(0.0, 0.02);
    std::vector<float> v(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i) {
        const double t = (i - onset) / 40000.0;
        const double s =
            t < 0 ? 0.0 : std::exp(-t * 40.0) * std::sin(2 * std::numbers::pi * 120.0 * t);
        v[i] = static_cast<float>(s + noise(gen));
    }
    return v;
}

// Arrival of the shear wave at record r, in samples: 180 m/s over the slant path.
int ArrivalSample(int r) {
    const double depth = 1.0 + 0.5 * r;
    return static_cast<int>((0.01 + std::hypot(depth, kHammerToRod) / 180.0) / 0.000025);
}

// 30 loaded records with whole-record windows, as a Load leaves them.
CKorvaneDoc MakeSounding() {
    CKorvaneDoc doc;
    doc.recordCount = kRecords;
    doc.samplesPerRecord = kSamples;
    doc.dataLoaded = 1;
    for (int r = 0; r < kRecords; ++r) {
        std::vector<float> wave = Burst(kSamples, ArrivalSample(r), 100 + r);
        doc.rawWaves.push_back(wave);
        doc.filteredWaves.push_back(std::move(wave));
        doc.depths.push_back(1.0f + 0.5f * static_cast<float>(r));
        doc.windows.push_back({0, static_cast<int32_t>(kSamples) - 1});
    }
    doc.ccVelocities.assign(kRecords - 1, 0.0f);
    return doc;
}

// Thirty wave files of 8192 samples as a recorder writes them (time in ms, amplitude with seven
// significant digits) in a temporary folder, removed at exit.
class SoundingFiles {
public:
    SoundingFiles() {
        dir_ = std::filesystem::temp_directory_path() /
               ("korvane-speedup-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_ / "diagnostics");
        for (int r = 0; r < kRecords; ++r) {
            const std::vector<float> wave = Burst(kSamples, ArrivalSample(r), 200 + r);
            std::string text = "SCPT test 14\nDepth: " + std::to_string(1.18 + 0.5 * r) +
                               " m\nSource: hammer\nGain: 20 dB\nStacks: 1\n"
                               "Sample interval: 0.025 ms\nTime(ms)\tAmplitude(V)\n";
            char line[64];
            for (uint32_t t = 0; t < kSamples; ++t) {
                std::snprintf(line, sizeof line, "%.3f\t%.7g\r\n", t * 0.025, wave[t]);
                text += line;
            }
            const auto path = dir_ / ("wave" + std::to_string(r) + ".txt");
            std::FILE* file = std::fopen(path.c_str(), "wb");
            std::fwrite(text.data(), 1, text.size(), file);
            std::fclose(file);
            paths_.push_back(path.string());
        }
    }
    ~SoundingFiles() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    const std::vector<std::string>& paths() const { return paths_; }
    std::filesystem::path diagnostics() const { return dir_ / "diagnostics"; }

private:
    std::filesystem::path dir_;
    std::vector<std::string> paths_;
};

const SoundingFiles& Files() {
    static const SoundingFiles files;
    return files;
}

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
