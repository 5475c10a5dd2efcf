#include "dsp/LagCorrelator.h"

#include "dsp/FftPlan.h"

#include <algorithm>
#include <cmath>

namespace korvane {

namespace {

// Centres one input on its mean into out and returns its sum of squares. Both sums run in
// ascending order so that every mode sees the same doubles.
double Centre(const float* in, int L, double* out) {
    double sum = 0.0;
    for (int m = 0; m < L; ++m) {
        sum += in[m];
    }
    const double mean = sum / L;
    double squares = 0.0;
    for (int m = 0; m < L; ++m) {
        out[m] = in[m] - mean;
        squares += out[m] * out[m];
    }
    return squares;
}

// The transform length of the linear correlation: a power of two of at least 2L.
uint32_t TransformSize(int L) {
    uint32_t M = 2;
    while (M < 2u * static_cast<uint32_t>(L)) {
        M <<= 1;
    }
    return M;
}

} // namespace

LagCorrelator::LagCorrelator(const float* X, const float* Y, int L, bool fast)
    : length(std::max(L, 0)), useFft(fast), defined(false), denominator(0.0),
      transformSize(fast && L > 0 ? TransformSize(L) : 0),
      memory(2 * static_cast<std::size_t>(length) + 2 * static_cast<std::size_t>(transformSize)),
      x(memory.data()), y(memory.data() + length) {
    if (L <= 0) {
        return;
    }
    double* const xs = memory.data();
    double* const ys = xs + length;
    const double sxx = Centre(X, L, xs);
    const double syy = Centre(Y, L, ys);
    denominator = std::sqrt(sxx * syy);
    defined = std::isfinite(denominator) && denominator > 0.0;
    if (defined && useFft) {
        CorrelateWithFft();
    }
}

void LagCorrelator::CorrelateWithFft() {
    const uint32_t M = transformSize;
    const FftPlan& plan = FftPlan::Shared(M);
    // One complex transform of x + i*y yields both spectra (x and y are real).
    double* const zr = memory.data() + 2 * static_cast<std::size_t>(length);
    double* const zi = zr + M;
    std::copy(x, x + length, zr);
    std::fill(zr + length, zr + M, 0.0);
    std::copy(y, y + length, zi);
    std::fill(zi + length, zi + M, 0.0);
    plan.ForwardToBitReversed(zr, zi);
    // P[k] = conj(X[k]) * Y[k] with X[k] = (Z[k] + conj Z[-k]) / 2 and
    // Y[k] = (Z[k] - conj Z[-k]) / 2i; P is Hermitian, P[-k] = conj P[k]. The bins are in
    // bit-reversed order, where bin -k sits at 3B-1-p for bin k at p in the block [B, 2B).
    const auto product = [zr, zi](uint32_t p, uint32_t q) {
        const double a = zr[p], b = zi[p], c = zr[q], d = zi[q];
        const double re = 0.25 * ((a + c) * (b + d) + (b - d) * (c - a));
        const double im = 0.25 * ((a + c) * (c - a) - (b - d) * (b + d));
        zr[p] = re;
        zi[p] = im;
        zr[q] = re;
        zi[q] = -im;
    };
    product(0, 0);
    product(1, 1);
    for (uint32_t B = 2; B < M; B <<= 1) {
        for (uint32_t p = B; p < B + B / 2; ++p) {
            product(p, 3 * B - 1 - p);
        }
    }
    plan.InverseFromBitReversed(zr, zi);
    correlation = zr;
    mask = M - 1;
}

double LagCorrelator::DirectNumerator(bool yLater, int shift) const {
    const double* first = yLater ? x : y;
    const double* second = yLater ? y : x;
    double sum = 0.0;
    for (int m = 0; m < length - shift; ++m) {
        sum += first[m] * second[m + shift];
    }
    return sum;
}

double LagCorrelator::Coefficient(bool yLater, int shift) const {
    if (!defined) {
        return 0.0;
    }
    if (!useFft) {
        return DirectNumerator(yLater, shift) / denominator;
    }
    const uint32_t index = static_cast<uint32_t>(yLater ? shift : -shift) & mask;
    return correlation[index] / denominator;
}

int LagCorrelator::Sweep(bool yLater, float* out, double& peak) const {
    peak = 0.0;
    int best = length;
    if (!defined) {
        for (int j = 0; j < length; ++j) {
            out[j] = 0.0f;
        }
        return best;
    }
    if (!useFft) {
        for (int j = 0; j < length; ++j) {
            const double r = DirectNumerator(yLater, j) / denominator;
            out[j] = static_cast<float>(r);
            if (r > peak) {
                peak = r;
                best = j;
            }
        }
        return best;
    }

    double fastMax = -HUGE_VAL;
    for (int j = 0; j < length; ++j) {
        const double r = Coefficient(yLater, j);
        out[j] = static_cast<float>(r);
        if (r > fastMax) {
            fastMax = r;
        }
    }
    // Only shifts that might beat the direct maximum, and might exceed 0, are decided on their
    // exact direct values; see the class comment.
    const double threshold = fastMax - kCandidateMargin;
    for (int j = 0; j < length; ++j) {
        const double rFast = Coefficient(yLater, j);
        if (rFast < threshold || rFast <= -kCandidateMargin) {
            continue;
        }
        const double r = DirectNumerator(yLater, j) / denominator;
        out[j] = static_cast<float>(r);
        if (r > peak) {
            peak = r;
            best = j;
        }
    }
    return best;
}

} // namespace korvane
