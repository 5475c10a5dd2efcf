#include "dsp/ProgressReporter.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/DiagnosticFiles.h"
#include "sounding/LoadPipeline.h"
#include "sounding/WaveFileReader.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace korvane;

constexpr int kRecords = 30;
constexpr uint32_t kSamples = 8192;

// Thirty wave files of 8192 samples as a recorder writes them (time in ms, amplitude with seven
// significant digits), in a temporary folder that lives as long as the program.
class SoundingFiles {
public:
    SoundingFiles() {
        dir_ = std::filesystem::temp_directory_path() /
               ("korvane-loadbench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_ / "diagnostics");
        std::mt19937 gen(11);
        std::normal_distribution<double> noise(0.0, 0.01);
        for (int r = 0; r < kRecords; ++r) {
            const double depth = 1.0 + 0.5 * r;
            const double arrival = 0.01 + std::sqrt(depth * depth + 1.5) / 180.0;
            std::string text = "SCPT test 14, Rotterdam\nDepth: " + std::to_string(depth) +
                               " m\nSource: hammer, left\nGain: 20 dB\nStacks: 1\n"
                               "Sample interval: 0.025 ms\nTime(ms)\tAmplitude(V)\n";
            char line[64];
            for (uint32_t t = 0; t < kSamples; ++t) {
                const double s = t * 0.000025 - arrival;
                const double wave =
                    s < 0 ? 0.0 : std::exp(-s * 30.0) * std::sin(2 * std::numbers::pi * 45.0 * s);
                std::snprintf(line, sizeof line, "%.3f\t%.7g\r\n", t * 0.025, wave + noise(gen));
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

// Reading and parsing 30 files, without the filter.
void BM_LoadParseOnly(benchmark::State& state) {
    const auto& files = Files();
    std::vector<float> raw(kSamples);
    float depth = 0;
    for (auto _ : state) {
        for (const auto& path : files.paths())
            benchmark::DoNotOptimize(
                WaveFileReader::ReadSamples(path, raw.data(), kSamples, depth, 0.18f));
    }
}
BENCHMARK(BM_LoadParseOnly)->Unit(benchmark::kMillisecond)->Repetitions(7);

// The 30 readers with their filters.
void BM_LoadReadAndFilter(benchmark::State& state) {
    const auto& files = Files();
    std::vector<float> raw(kSamples), filtered(kSamples), real(100), imag(100);
    float depth = 0;
    for (auto _ : state) {
        for (const auto& path : files.paths()) {
            const WaveFileReader reader(path, raw.data(), filtered.data(), kSamples, depth, 0.18f,
                                        real.data(), imag.data());
            benchmark::DoNotOptimize(real.data());
        }
    }
}
BENCHMARK(BM_LoadReadAndFilter)->Unit(benchmark::kMillisecond)->Repetitions(7);

// Formatting the two wave tables of 30 records (no disk).
void BM_LoadWaveTables(benchmark::State& state) {
    CKorvaneDoc doc;
    NullProgress progress;
    LoadSounding(doc, Files().paths(), Files().diagnostics(), progress);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            DiagnosticFiles::WaveTable(doc.depths, doc.rawWaves, doc.samplesPerRecord).size());
        benchmark::DoNotOptimize(
            DiagnosticFiles::WaveTable(doc.depths, doc.filteredWaves, doc.samplesPerRecord).size());
    }
}
BENCHMARK(BM_LoadWaveTables)->Unit(benchmark::kMillisecond)->Repetitions(7);

// The whole load: parse, filter, sort, phase velocities and the three diagnostic files.
void BM_LoadFull(benchmark::State& state) {
    const auto& files = Files();
    for (auto _ : state) {
        CKorvaneDoc doc;
        NullProgress progress;
        const CommandResult result =
            LoadSounding(doc, files.paths(), files.diagnostics(), progress);
        if (!result.ok() || !result.warning.empty())
            state.SkipWithError("load failed");
    }
}
BENCHMARK(BM_LoadFull)->Unit(benchmark::kMillisecond)->Repetitions(7);

} // namespace
