#include "analysis/LagEstimator.h"

#include "dsp/CCrossCorrelation.h"
#include "dsp/FftPlan.h"
#include "dsp/LagCorrelator.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace korvane {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kTwoPi = 2.0 * std::numbers::pi;
// Bins with less than this share of a record's peak power carry no usable phase.
constexpr double kPhasePowerShare = 0.1;

// The coefficient of the correlation at a signed window-relative shift (positive: b later),
// on the zero-padded copies the correlation itself uses.
double CoefficientAt(const LagCorrelator& correlator, int shift) {
    return shift >= 0 ? correlator.Coefficient(true, shift) : correlator.Coefficient(false, -shift);
}

double SubsampleShift(const float* a, int lenA, const float* b, int lenB, int shift) {
    const int length = std::max(lenA, lenB);
    if (std::abs(shift) + 1 >= length)
        return shift;
    std::vector<float> x(a, a + lenA), y(b, b + lenB);
    x.resize(static_cast<std::size_t>(length), 0.0f);
    y.resize(static_cast<std::size_t>(length), 0.0f);
    const LagCorrelator correlator(x.data(), y.data(), length, false);
    return shift + LagEstimator::ParabolicOffset(CoefficientAt(correlator, shift - 1),
                                                 CoefficientAt(correlator, shift),
                                                 CoefficientAt(correlator, shift + 1));
}

} // namespace

double LagEstimator::ParabolicOffset(double before, double peak, double after) {
    const double bend = before - 2.0 * peak + after;
    if (!(bend < 0.0))
        return 0.0;
    return std::clamp(0.5 * (before - after) / bend, -0.5, 0.5);
}

double LagEstimator::PhaseDelay(const float* a, int lenA, const float* b, int lenB, double anchor) {
    const int length = std::max(lenA, lenB);
    if (length < 2)
        return kNaN;
    // Twice the length at least, so a delay within the windows turns the phase by less than pi
    // from bin to bin.
    const uint32_t size = std::bit_ceil(2u * static_cast<uint32_t>(length));
    const auto transform = [size](const float* x, int n, std::vector<double>& re,
                                  std::vector<double>& im) {
        double mean = 0.0;
        for (int i = 0; i < n; ++i)
            mean += x[i];
        mean /= n;
        re.assign(size, 0.0);
        im.assign(size, 0.0);
        for (int i = 0; i < n; ++i)
            re[static_cast<std::size_t>(i)] = x[i] - mean;
        FftPlan::Shared(size).TransformInPlace(0, re.data(), im.data());
    };
    std::vector<double> ar, ai, br, bi;
    transform(a, lenA, ar, ai);
    transform(b, lenB, br, bi);

    const std::size_t half = size / 2;
    std::vector<double> powerA(half), powerB(half), weight(half), phase(half);
    double peakA = 0.0, peakB = 0.0;
    std::size_t strongest = 1;
    for (std::size_t k = 1; k < half; ++k) {
        powerA[k] = ar[k] * ar[k] + ai[k] * ai[k];
        powerB[k] = br[k] * br[k] + bi[k] * bi[k];
        // b against a: the phase of B conj(A) grows by 2 pi d k / size for a delay of d; the
        // anchor's share is taken out, so what is left stays near 0 and needs no unwrapping
        // across bins without energy.
        const double re = br[k] * ar[k] + bi[k] * ai[k];
        const double im = bi[k] * ar[k] - br[k] * ai[k];
        weight[k] = std::hypot(re, im);
        phase[k] = std::remainder(std::atan2(im, re) - kTwoPi * anchor * static_cast<double>(k) /
                                                           static_cast<double>(size),
                                  kTwoPi);
        peakA = std::max(peakA, powerA[k]);
        peakB = std::max(peakB, powerB[k]);
        if (weight[k] > weight[strongest])
            strongest = k;
    }
    const auto carries = [&](std::size_t k) {
        return k >= 1 && k < half && powerA[k] >= kPhasePowerShare * peakA &&
               powerB[k] >= kPhasePowerShare * peakB && weight[k] > 0.0;
    };
    if (!carries(strongest))
        return kNaN;
    std::size_t low = strongest, high = strongest;
    while (carries(low - 1))
        --low;
    while (carries(high + 1))
        ++high;
    if (high - low < 2)
        return kNaN;

    // Unwrap outwards from the strongest bin; a pure delay's phase is 0 at 0 Hz, so the
    // weighted line goes through the origin.
    for (std::size_t k = strongest + 1; k <= high; ++k)
        phase[k] = phase[k - 1] + std::remainder(phase[k] - phase[k - 1], kTwoPi);
    for (std::size_t k = strongest; k-- > low;)
        phase[k] = phase[k + 1] + std::remainder(phase[k] - phase[k + 1], kTwoPi);
    double skk = 0.0, skp = 0.0;
    for (std::size_t k = low; k <= high; ++k) {
        const auto bin = static_cast<double>(k);
        skk += weight[k] * bin * bin;
        skp += weight[k] * bin * phase[k];
    }
    const double slope = skp / skk; // radians per bin
    return anchor + slope * static_cast<double>(size) / kTwoPi;
}

LagEstimate LagEstimator::Estimate(const float* a, SampleWindow wa, const float* b, SampleWindow wb,
                                   LagMethod method) {
    const float* x = a + wa.first;
    const float* y = b + wb.first;
    const int lenA = wa.last - wa.first + 1;
    const int lenB = wb.last - wb.first + 1;
    const int length = std::max(lenA, lenB);
    std::vector<float> curve(static_cast<std::size_t>(length));
    int shift = 0;
    const CCrossCorrelation correlation(x, lenA, y, lenB, &shift, curve.data());

    LagEstimate estimate;
    estimate.coefficient = correlation.GetPeakCoefficient();
    estimate.shiftFraction = length > 1 ? std::abs(shift) / static_cast<double>(length - 1) : 0.0;
    if (estimate.coefficient <= 0.0) {
        estimate.lagSamples = kNaN;
        return estimate;
    }
    double relative = shift;
    if (method == LagMethod::Subsample)
        relative = SubsampleShift(x, lenA, y, lenB, shift);
    else if (method == LagMethod::Phase)
        relative = PhaseDelay(x, lenA, y, lenB, shift);
    estimate.lagSamples = relative + (static_cast<double>(wb.first) - wa.first);
    return estimate;
}

} // namespace korvane
