#pragma once
// Synthetic soundings shared by the benchmarks: 30 records of 8192 samples whose shear-wave
// burst arrives later with depth, in memory or as wave files.

#include "sounding/CKorvaneDoc.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <random>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace korvane::bench {

inline constexpr int kRecords = 30;
inline constexpr uint32_t kSamples = 8192;
inline constexpr double kHammerToRod = 1.22;

// A noisy decaying shear-wave burst starting at `onset`, 40 000 samples/s.
inline std::vector<float> Burst(int length, int onset, unsigned seed) {
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

// Arrival of the shear wave at record r, in samples: 180 m/s over the slant path, records
// `step` metres apart from 1 m.
inline int ArrivalSample(int r, double step = 0.5) {
    const double depth = 1.0 + step * r;
    return static_cast<int>((0.01 + std::hypot(depth, kHammerToRod) / 180.0) / 0.000025);
}

// 30 loaded records with whole-record windows, as a Load leaves them.
inline CKorvaneDoc MakeSounding() {
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

// Wave files of 8192 samples as a recorder writes them (time in ms, amplitude with seven
// significant digits) in a temporary folder, removed at exit: thirty 0.5 m apart, or as many as
// asked `step` metres apart.
class SoundingFiles {
public:
    explicit SoundingFiles(int count = kRecords, double step = 0.5) {
        dir_ = std::filesystem::temp_directory_path() /
               ("korvane-bench-" + std::to_string(::getpid()) + "-" + std::to_string(count));
        std::filesystem::create_directories(dir_ / "diagnostics");
        for (int r = 0; r < count; ++r) {
            const std::vector<float> wave = Burst(kSamples, ArrivalSample(r, step), 200 + r);
            std::string text = "SCPT test 14\nDepth: " + std::to_string(1.18 + step * r) +
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

inline const SoundingFiles& Files() {
    static const SoundingFiles files;
    return files;
}

} // namespace korvane::bench
