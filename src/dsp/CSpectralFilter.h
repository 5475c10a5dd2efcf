#pragma once

#include <cstdint>
#include <vector>

namespace korvane {

// Band-filters one wave in the frequency domain and normalises it to a peak magnitude of 1; all
// work happens in the constructor.
//
// The mask works on fixed bin numbers (bin k together with its mirror N-k): bins 0..2 removed,
// 3..39 passed, 40..204 divided by 11.4173, 205..N/2-1 removed, the Nyquist bin N/2 passed. At
// 8192 samples and 40 000 samples/s a bin is 4.8828125 Hz, so the pass band is 14.6..190.4 Hz
// and the attenuated band 195.3..996.1 Hz.
//
// The caller owns the four arrays of the constructor (N floats each, all distinct). The object
// owns only its copy of the spectrum of the normalised filtered wave.
class CSpectralFilter {
public:
    // Writes the normalised filtered wave into waveOut and the imaginary part of the inverse
    // transform (unscaled) into imagOut. imagIn may be null (zeros). A filtered wave whose RMS is
    // no more than kNoiseFloor times the input's RMS around its mean (nothing in the kept bands
    // but rounding noise: a constant or silent input, or content only in the removed bands) is
    // returned as zeros, with imagOut and the kept spectrum zero too.
    // Throws KorvaneError when N is not a power of two of at least 512, when the wave holds values
    // that are not finite or too large to transform, or "Memory allocation fails!".
    // keptBins: how many bins of the kept spectrum the caller reads, from 1 to N (0: all N).
    CSpectralFilter(const float* waveIn, const float* imagIn, float* waveOut, float* imagOut,
                    uint32_t N, uint32_t keptBins = 0);

    // Bin i (below keptBins) of the kept spectrum (forward transform of waveOut); no range test.
    float GetRealBin(int i) const { return realBins[static_cast<std::size_t>(i)]; }
    float GetImagBin(int i) const { return imagBins[static_cast<std::size_t>(i)]; }

    // Divisor of the middle band (about -21.15 dB).
    static constexpr float kAttenuation = 11.4173f;
    // Shortest record for which the fixed bins below lie in the lower half of the spectrum.
    static constexpr uint32_t kMinimumLength = 512;
    // Bins that pass at all, unchanged or attenuated: the whole band the filter lets through.
    static constexpr uint32_t kFirstPassedBin = 3;
    static constexpr uint32_t kFirstAttenuatedBin = 40;
    static constexpr uint32_t kLastPassedBin = 204;
    // Filtered RMS up to this fraction of the input's RMS around its mean is rounding noise: the
    // transforms round 13 stages to floats, at most about 13 * 2^-24 = 7.7e-7 (measured: 4e-9).
    static constexpr float kNoiseFloor = 1e-6f;

    std::vector<float> imagBins;
    std::vector<float> realBins;
};

} // namespace korvane
