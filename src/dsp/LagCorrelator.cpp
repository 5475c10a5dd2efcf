#include "dsp/LagCorrelator.h"

#include "dsp/FftPlan.h"

#include <algorithm>
#include <cmath>

namespace korvane {

namespace {

// Centres one input on its mean and returns its sum of squares. Both sums run in ascending
// order so that every mode sees the same doubles.
double Centre(const float* in, int L, std::vector<double>& out) {
    out.resize(static_cast<std::size_t>(L));
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

} // namespace

LagCorrelator::LagCorrelator(const float* X, const float* Y, int L, bool fast)
    : length(L), useFft(fast), defined(false), denominator(0.0) {
    if (L <= 0) {
        return;
    }
    const double sxx = Centre(X, L, x);
    const double syy = Centre(Y, L, y);
    denominator = std::sqrt(sxx * syy);
    defined = std::isfinite(denominator) && denominator > 0.0;
    if (defined && useFft) {
        CorrelateWithFft();
    }
}

void LagCorrelator::CorrelateWithFft() {
    uint32_t M = 2;
    while (M < 2u * static_cast<uint32_t>(length)) {
        M <<= 1;
    }
    const FftPlan plan(M);
    // One complex transform of x + i*y yields both spectra (x and y are real).
    correlation.assign(M, 0.0);
    std::vector<double> zi(M, 0.0);
    std::copy(x.begin(), x.end(), correlation.begin());
    std::copy(y.begin(), y.end(), zi.begin());
    double* zr = correlation.data();
    plan.TransformInPlace(0, zr, zi.data());
    // P[k] = conj(X[k]) * Y[k] with X[k] = (Z[k] + conj Z[-k]) / 2 and
    // Y[k] = (Z[k] - conj Z[-k]) / 2i; P is Hermitian, P[-k] = conj P[k].
    for (uint32_t k = 0; k <= M / 2; ++k) {
        const uint32_t mk = (M - k) & (M - 1);
        const double a = zr[k], b = zi[k], c = zr[mk], d = zi[mk];
        const double re = 0.25 * ((a + c) * (b + d) + (b - d) * (c - a));
        const double im = 0.25 * ((a + c) * (c - a) - (b - d) * (b + d));
        zr[k] = re;
        zi[k] = im;
        zr[mk] = re;
        zi[mk] = -im;
    }
    plan.TransformInPlace(1, zr, zi.data());
    mask = M - 1;
}

double LagCorrelator::DirectNumerator(bool yLater, int shift) const {
    const double* first = yLater ? x.data() : y.data();
    const double* second = yLater ? y.data() : x.data();
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
