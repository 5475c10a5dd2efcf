// Import speed, in one run: korvane_bench --benchmark_filter=Import
//
// One sounding of 40 records as a field seismograph writes it (SEG-2, two traces of 4096 int32
// samples at 0.125 ms per file, 8 ms before the trigger, the tip depth in the file name) against
// the same sounding as Korvane's wave files (8192 samples at 25 µs). Read the pairs as ratios:
// Import/Load/Seg2 against Import/Load/Wave (the whole load: import, filter, sort, phase
// velocities, diagnostic files; CPU time of the whole process, as the load uses every core) and
// Import/Read/Seg2 against Import/Read/Wave (the import layer alone, one thread).
#include "dsp/ProgressReporter.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/LoadPipeline.h"
#include "sounding/RecordImporter.h"
#include "sounding/Seg2Writer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace korvane {
namespace {

constexpr int kFiles = 40;
constexpr double kFieldInterval = 0.000125;
constexpr int kFieldSamples = 4096;
constexpr double kPretrigger = 0.008;

double TipDepth(int r) {
    return 1.0 + 0.5 * r;
}

// A decaying 120 Hz shear-wave burst arriving at 180 m/s over the slant path, in volts, at time
// t after the trigger.
double Burst(int r, double t, double polarity) {
    const double depth = TipDepth(r) - 0.18;
    const double onset = 0.005 + std::hypot(depth, 1.22) / 180.0;
    const double s = t - onset;
    return s < 0 ? 0.0
                 : polarity * std::exp(-s * 40.0) * std::sin(2 * std::numbers::pi * 120.0 * s);
}

class FieldSounding {
public:
    FieldSounding() {
        dir_ = std::filesystem::temp_directory_path() /
               ("korvane-import-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_ / "diagnostics");
        std::mt19937 random(7);
        std::normal_distribution<double> noise(0.0, 0.02);
        for (int r = 0; r < kFiles; ++r) {
            std::vector<Seg2Writer::Trace> traces(2);
            for (int strike = 0; strike < 2; ++strike) {
                Seg2Writer::Trace& trace = traces[static_cast<std::size_t>(strike)];
                trace.interval = kFieldInterval;
                trace.delay = -kPretrigger;
                for (int j = 0; j < kFieldSamples; ++j)
                    trace.samples.push_back(static_cast<float>(
                        Burst(r, j * kFieldInterval - kPretrigger, strike == 0 ? 1.0 : -1.0) +
                        noise(random)));
            }
            char name[48];
            std::snprintf(name, sizeof name, "rec_%02d_%.2fm.sg2", r, TipDepth(r));
            Write(name, Seg2Writer::Write({{"INSTRUMENT", "BENCH"}}, traces, 2), seg2_);

            std::string text = "SCPT test 14\nDepth: " + std::to_string(TipDepth(r)) +
                               " m\nSource: hammer\nGain: 20 dB\nStacks: 1\n"
                               "Sample interval: 0.025 ms\nTime(ms)\tAmplitude(V)\n";
            char line[64];
            for (uint32_t t = 0; t < kDefaultSamplesPerRecord; ++t) {
                std::snprintf(line, sizeof line, "%.3f\t%.7g\r\n", t * 0.025,
                              Burst(r, t * kSampleInterval, 1.0) + noise(random));
                text += line;
            }
            Write("wave" + std::to_string(r) + ".txt", text, wave_);
        }
    }
    ~FieldSounding() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    const std::vector<std::string>& seg2() const { return seg2_; }
    const std::vector<std::string>& wave() const { return wave_; }
    std::filesystem::path diagnostics() const { return dir_ / "diagnostics"; }

private:
    void Write(const std::string& name, const std::string& bytes, std::vector<std::string>& to) {
        const auto path = dir_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        to.push_back(path.string());
    }

    std::filesystem::path dir_;
    std::vector<std::string> seg2_, wave_;
};

const FieldSounding& Sounding() {
    static const FieldSounding sounding;
    return sounding;
}

void Load(benchmark::State& state, bool seg2) {
    const std::vector<std::string>& paths = seg2 ? Sounding().seg2() : Sounding().wave();
    for (auto _ : state) {
        CKorvaneDoc doc;
        NullProgress progress;
        if (!LoadSounding(doc, paths, Sounding().diagnostics(), progress).ok())
            state.SkipWithError("load failed");
    }
}

void Read(benchmark::State& state, bool seg2) {
    const std::vector<std::string>& paths = seg2 ? Sounding().seg2() : Sounding().wave();
    const ImportOptions options;
    for (auto _ : state) {
        for (const std::string& path : paths)
            benchmark::DoNotOptimize(
                RecordImporter::Import(path, options, kDefaultSamplesPerRecord, 0.18f));
    }
}

void Register() {
    for (const bool seg2 : {false, true}) {
        const std::string suffix = seg2 ? "Seg2" : "Wave";
        benchmark::RegisterBenchmark(("Import/Load/" + suffix).c_str(), Load, seg2)
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime()
            ->Repetitions(7)
            ->ReportAggregatesOnly(true);
        benchmark::RegisterBenchmark(("Import/Read/" + suffix).c_str(), Read, seg2)
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(7)
            ->ReportAggregatesOnly(true);
    }
}

const bool kRegistered = (Register(), true);

} // namespace
} // namespace korvane
