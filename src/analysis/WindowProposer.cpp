#include "analysis/WindowProposer.h"

#include "dsp/HilbertEnvelope.h"
#include "dsp/KorvaneError.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace korvane {

namespace {

// The window edits keep at least this many samples between a window's ends.
constexpr int32_t kMinimumSpan = 50;
// The band filter leaves nothing above 1 kHz, so every 8th sample (5 kHz) carries the whole
// envelope at an eighth of the cost; a peak 0.2 ms off is as good for a window of 30 ms.
constexpr std::size_t kEnvelopeStride = 8;

int32_t Samples(double milliseconds) {
    return static_cast<int32_t>(std::lround(milliseconds / 1000.0 / kSampleInterval));
}

} // namespace

int32_t WindowProposer::PeakSample(const std::vector<double>& envelope, int32_t earliest) {
    const auto size = static_cast<int32_t>(envelope.size());
    if (size == 0)
        return 0;
    const int32_t from = std::clamp(earliest, 0, size - 1);
    return static_cast<int32_t>(std::max_element(envelope.begin() + from, envelope.end()) -
                                envelope.begin());
}

std::vector<SampleWindow> WindowProposer::Propose(const CKorvaneDoc& doc,
                                                  const AnalysisSettings& settings) {
    settings.Check();
    const auto n = static_cast<std::size_t>(std::max(doc.recordCount, 0));
    const auto samples = static_cast<int32_t>(doc.samplesPerRecord);
    if (doc.dataLoaded == 0 || n == 0 || doc.filteredWaves.size() < n || doc.depths.size() < n ||
        samples <= kMinimumSpan)
        throw KorvaneError("No sounding is loaded.");
    const int32_t before = Samples(settings.windowBeforeMs);
    const int32_t after = Samples(settings.windowAfterMs);
    const int32_t tolerance = Samples(settings.arrivalToleranceMs);
    const double h = doc.hammerToRod;

    std::vector<SampleWindow> windows(n);
    int32_t previousPeak = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const std::vector<float>& wave = doc.filteredWaves[k];
        if (wave.size() != doc.samplesPerRecord)
            throw KorvaneError("The sounding is incomplete: record " + std::to_string(k + 1) +
                               " has no wave.");
        const double z = doc.depths[k];
        const double fastest = std::sqrt(z * z + h * h) / settings.fastVelocity;
        if (!std::isfinite(fastest))
            throw KorvaneError("The window of record " + std::to_string(k + 1) +
                               " cannot be proposed: its depth or the hammer-to-rod distance is "
                               "not a finite number.");
        int32_t earliest = static_cast<int32_t>(
            std::min(std::ceil(fastest / kSampleInterval), static_cast<double>(samples - 1)));
        if (k > 0)
            earliest = std::max(earliest, previousPeak - tolerance);
        std::vector<float> coarse;
        coarse.reserve(wave.size() / kEnvelopeStride + 1);
        for (std::size_t j = 0; j < wave.size(); j += kEnvelopeStride)
            coarse.push_back(wave[j]);
        const auto stride = static_cast<int32_t>(kEnvelopeStride);
        const int32_t peak = stride * PeakSample(HilbertEnvelope::Of(coarse.data(), coarse.size()),
                                                 (earliest + stride - 1) / stride);
        previousPeak = peak;

        SampleWindow& w = windows[k];
        w.first = std::max(peak - before, 0);
        w.last = std::min(peak + after, samples - 1);
        if (w.last - w.first < kMinimumSpan) {
            if (w.first == 0)
                w.last = kMinimumSpan;
            else
                w.first = w.last - kMinimumSpan;
        }
    }
    return windows;
}

} // namespace korvane
