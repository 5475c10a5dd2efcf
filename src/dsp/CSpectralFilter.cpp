#include "dsp/CSpectralFilter.h"

#include "dsp/Fft.h"
#include "dsp/KorvaneError.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace korvane {

namespace {

constexpr uint32_t kLowCutEnd = CSpectralFilter::kFirstPassedBin;          // bins 0..2 removed
constexpr uint32_t kAttenuateBegin = CSpectralFilter::kFirstAttenuatedBin; // 40..204 attenuated
constexpr uint32_t kHighCutBegin = CSpectralFilter::kLastPassedBin + 1;    // 205..N/2-1 removed

// Sums in four interleaved lanes, so that the additions do not wait for each other; the lanes
// are always combined in the same order, so a wave always gives the same sum.
template <class Term> double LaneSum(uint32_t n, Term&& term) {
    double lanes[4] = {0.0, 0.0, 0.0, 0.0};
    uint32_t i = 0;
    for (; i + 4 <= n; i += 4)
        for (uint32_t l = 0; l < 4; ++l)
            lanes[l] += term(i + l);
    for (; i < n; ++i)
        lanes[0] += term(i);
    return (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]);
}

// Energy of values around their mean, in double precision. A constant, however large, has none.
double EnergyAroundMean(const float* values, uint32_t n) {
    const double mean = LaneSum(n, [values](uint32_t i) { return double{values[i]}; }) / n;
    return LaneSum(n, [values, mean](uint32_t i) {
        const double deviation = values[i] - mean;
        return deviation * deviation;
    });
}

// Whether the filtered wave is more than the transforms' rounding. The mask removes the mean
// (bin 0) exactly, so what a wave can leave in the kept bands is measured against its energy
// around the mean, not against its raw magnitude: a small signal on a large offset is kept.
bool HoldsSignal(const float* waveIn, const float* imagIn, const float* waveOut, uint32_t N) {
    double inputEnergy = EnergyAroundMean(waveIn, N);
    if (imagIn != nullptr) {
        inputEnergy += EnergyAroundMean(imagIn, N);
    }
    const double outputEnergy =
        LaneSum(N, [waveOut](uint32_t i) { return static_cast<double>(waveOut[i]) * waveOut[i]; });
    const double floor = static_cast<double>(CSpectralFilter::kNoiseFloor);
    return inputEnergy > 0.0 && outputEnergy > floor * floor * inputEnergy;
}

} // namespace

CSpectralFilter::CSpectralFilter(const float* waveIn, const float* imagIn, float* waveOut,
                                 float* imagOut, uint32_t N, uint32_t keptBins) {
    if (N < kMinimumLength || !ValidTransformLength(N)) {
        throw KorvaneError("The record length must be a power of two of at least 512 samples.");
    }
    try {
        realBins.resize(N);
        imagBins.resize(N);
    } catch (const std::bad_alloc&) {
        throw KorvaneError("Memory allocation fails!");
    }
    float* re = realBins.data();
    float* im = imagBins.data();

    fft_float(N, 0, waveIn, imagIn, re, im);

    const auto zero = [&](uint32_t k) {
        re[k] = 0.0f;
        im[k] = 0.0f;
        re[N - k] = 0.0f;
        im[N - k] = 0.0f;
    };
    re[0] = 0.0f; // bin 0 is its own mirror
    im[0] = 0.0f;
    for (uint32_t k = 1; k < kLowCutEnd; ++k) {
        zero(k);
    }
    for (uint32_t k = kAttenuateBegin; k < kHighCutBegin; ++k) {
        re[k] = re[k] / kAttenuation;
        im[k] = im[k] / kAttenuation;
        re[N - k] = re[N - k] / kAttenuation;
        im[N - k] = im[N - k] / kAttenuation;
    }
    for (uint32_t k = kHighCutBegin; k < N / 2; ++k) {
        zero(k);
    }

    fft_float(N, 1, re, im, waveOut, imagOut);

    float peak = std::fabs(waveOut[0]);
    bool finite = std::isfinite(waveOut[0]);
    for (uint32_t i = 1; i < N; ++i) {
        const float magnitude = std::fabs(waveOut[i]);
        finite = finite && std::isfinite(magnitude);
        if (magnitude > peak) {
            peak = magnitude;
        }
    }
    // NaN or infinite input, or amplitudes that overflow the transform, would silently spread
    // over the whole wave.
    if (!finite) {
        throw KorvaneError(
            "The wave holds values that are not finite numbers or too large to filter.");
    }
    if (HoldsSignal(waveIn, imagIn, waveOut, N)) {
        // Four divisions at once (N is a multiple of four), each the scalar one.
        using Float4 = float __attribute__((vector_size(16)));
        const Float4 divisor = {peak, peak, peak, peak};
        for (uint32_t i = 0; i < N; i += 4) {
            Float4 values;
            std::memcpy(&values, waveOut + i, sizeof values);
            values = values / divisor;
            std::memcpy(waveOut + i, &values, sizeof values);
        }
    } else {
        std::fill(waveOut, waveOut + N, 0.0f);
        std::fill(imagOut, imagOut + N, 0.0f);
    }

    const uint32_t kept = keptBins == 0 ? N : std::min(keptBins, N);
    fft_float_leading(N, 0, waveOut, imagOut, re, im, kept);
    realBins.resize(kept);
    imagBins.resize(kept);
}

} // namespace korvane
