#include "analysis/StrikeStack.h"

#include "analysis/LagEstimator.h"
#include "dsp/CCrossCorrelation.h"
#include "dsp/HilbertEnvelope.h"
#include "dsp/LagCorrelator.h"
#include "sounding/CKorvaneDoc.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvane {

namespace {

struct Alignment {
    // Best coefficients with the other record as it is and inverted, and their shifts between
    // samples: other at n + shift matches ref at n.
    double same = 0.0;
    double inverted = 0.0;
    double sameShift = 0.0;
    double invertedShift = 0.0;
};

// Pearson coefficients of ref over the window against other over the window moved by each
// shift up to kMaxAlignShift (shifts that leave the record are skipped), the best of each sign
// refined between samples.
Alignment Align(const std::vector<float>& ref, const std::vector<float>& other, SampleWindow w) {
    const int length = w.last - w.first + 1;
    const int samples = static_cast<int>(ref.size());
    double meanRef = 0.0;
    for (int n = w.first; n <= w.last; ++n)
        meanRef += ref[n];
    meanRef /= length;
    double sxx = 0.0;
    for (int n = w.first; n <= w.last; ++n)
        sxx += (ref[n] - meanRef) * (ref[n] - meanRef);

    constexpr int kMax = StrikeStack::kMaxAlignShift;
    std::vector<double> r(2 * kMax + 1, std::numeric_limits<double>::quiet_NaN());
    for (int s = -kMax; s <= kMax; ++s) {
        if (w.first + s < 0 || w.last + s >= samples)
            continue;
        double mean = 0.0;
        for (int n = w.first; n <= w.last; ++n)
            mean += other[n + s];
        mean /= length;
        double sxy = 0.0, syy = 0.0;
        for (int n = w.first; n <= w.last; ++n) {
            const double y = other[n + s] - mean;
            sxy += (ref[n] - meanRef) * y;
            syy += y * y;
        }
        const double denominator = std::sqrt(sxx * syy);
        r[static_cast<std::size_t>(s + kMax)] = denominator > 0.0 ? sxy / denominator : 0.0;
    }
    // The best value of sign * r and its refined shift; 0 when no shift fits.
    const auto best = [&](double sign, double& value, double& shift) {
        std::size_t at = r.size();
        for (std::size_t i = 0; i < r.size(); ++i)
            if (!std::isnan(r[i]) && (at == r.size() || sign * r[i] > sign * r[at]))
                at = i;
        if (at == r.size())
            return;
        value = sign * r[at];
        shift = static_cast<double>(at) - kMax;
        if (at > 0 && at + 1 < r.size() && !std::isnan(r[at - 1]) && !std::isnan(r[at + 1]))
            shift += LagEstimator::ParabolicOffset(sign * r[at - 1], value, sign * r[at + 1]);
    };
    Alignment alignment;
    best(1.0, alignment.same, alignment.sameShift);
    best(-1.0, alignment.inverted, alignment.invertedShift);
    return alignment;
}

// other at position t (samples), linear between samples, 0 outside the record.
double At(const std::vector<float>& other, double t) {
    const double floor = std::floor(t);
    const auto i = static_cast<long>(floor);
    const double f = t - floor;
    const auto value = [&](long k) {
        return k >= 0 && k < static_cast<long>(other.size()) ? other[static_cast<std::size_t>(k)]
                                                             : 0.0f;
    };
    return (1.0 - f) * value(i) + f * value(i + 1);
}

} // namespace

std::vector<std::vector<int>> StrikeStack::Groups(const std::vector<float>& depths) {
    std::vector<std::vector<int>> groups;
    for (std::size_t k = 0; k < depths.size(); ++k) {
        if (groups.empty() || depths[static_cast<std::size_t>(groups.back().front())] != depths[k])
            groups.emplace_back();
        groups.back().push_back(static_cast<int>(k));
    }
    return groups;
}

CombinedRecord StrikeStack::Combine(const CKorvaneDoc& doc, const std::vector<int>& group,
                                    const AnalysisSettings& settings) {
    // The record with the most energy in its window leads, so that a dead record never decides
    // the window.
    std::vector<int> members = group;
    const auto energy = [&](int k) {
        const SampleWindow w = doc.windows[static_cast<std::size_t>(k)];
        const std::vector<float>& wave = doc.filteredWaves[static_cast<std::size_t>(k)];
        double sum = 0.0, squares = 0.0;
        for (int n = w.first; n <= w.last; ++n) {
            sum += wave[static_cast<std::size_t>(n)];
            squares += static_cast<double>(wave[static_cast<std::size_t>(n)]) *
                       wave[static_cast<std::size_t>(n)];
        }
        return squares - sum * sum / (w.last - w.first + 1);
    };
    std::vector<double> energies;
    for (int k : members)
        energies.push_back(energy(k));
    const auto strongest = std::max_element(energies.begin(), energies.end()) - energies.begin();
    std::rotate(members.begin(), members.begin() + strongest, members.begin() + strongest + 1);
    const auto reference = static_cast<std::size_t>(members.front());
    const std::vector<float>& ref = doc.filteredWaves[reference];
    const SampleWindow window = doc.windows[reference];
    CombinedRecord record;
    record.depth.depth = doc.depths[reference];
    record.depth.records = members;
    record.depth.windowFirst = window.first;
    record.depth.windowLast = window.last;
    if (members.size() == 1) {
        record.wave = ref;
        record.depth.strikeCorrelation = std::numeric_limits<double>::quiet_NaN();
        return record;
    }

    // Every record that matches is moved to the mean of their arrival times, so that no
    // record's trigger timing counts more than another's; one that does not (a dead channel,
    // noise) would only blur the wave and its timing, and is left out.
    std::vector<double> shifts(members.size(), 0.0), signs(members.size(), 0.0);
    signs[0] = 1.0;
    double strike = -1.0;
    for (std::size_t m = 1; m < members.size(); ++m) {
        const std::vector<float>& other = doc.filteredWaves[static_cast<std::size_t>(members[m])];
        const Alignment a = Align(ref, other, window);
        strike = std::max(strike, a.inverted);
        if (std::max(a.same, a.inverted) < kMinMatch)
            continue;
        const bool opposite = a.inverted > a.same;
        shifts[m] = opposite ? a.invertedShift : a.sameShift;
        signs[m] = opposite ? -1.0 : 1.0;
        record.depth.opposite = record.depth.opposite || opposite;
    }
    double meanShift = 0.0, count = 0.0;
    for (std::size_t m = 0; m < members.size(); ++m) {
        meanShift += std::fabs(signs[m]) * shifts[m];
        count += std::fabs(signs[m]);
    }
    meanShift /= count;
    std::vector<double> sum(ref.size(), 0.0);
    for (std::size_t m = 0; m < members.size(); ++m) {
        if (signs[m] == 0.0)
            continue;
        const std::vector<float>& wave = doc.filteredWaves[static_cast<std::size_t>(members[m])];
        const double offset = shifts[m] - meanShift;
        for (std::size_t n = 0; n < sum.size(); ++n)
            sum[n] += signs[m] * At(wave, static_cast<double>(n) + offset);
    }
    record.wave.resize(sum.size());
    for (std::size_t n = 0; n < sum.size(); ++n)
        record.wave[n] = static_cast<float>(sum[n] / count);
    record.depth.strikeCorrelation = strike;
    record.depth.polarityFailed = settings.strikePairs && strike < settings.minStrikeCorrelation;
    record.arbitrarySign = record.depth.opposite;
    return record;
}

int StrikeStack::RelativePolarity(const CombinedRecord& a, const CombinedRecord& b) {
    const auto window = [](const CombinedRecord& r) {
        return std::vector<float>(r.wave.begin() + r.depth.windowFirst,
                                  r.wave.begin() + r.depth.windowLast + 1);
    };
    std::vector<float> x = window(a), y = window(b);
    // Envelopes do not care for polarity: their correlation finds the delay, and the sign of
    // the waves' coefficient at that delay is the answer.
    const std::vector<double> ex = HilbertEnvelope::Of(x.data(), x.size());
    const std::vector<double> ey = HilbertEnvelope::Of(y.data(), y.size());
    const std::vector<float> fx(ex.begin(), ex.end()), fy(ey.begin(), ey.end());
    const int length = static_cast<int>(std::max(x.size(), y.size()));
    std::vector<float> curve(static_cast<std::size_t>(length));
    int shift = 0;
    const CCrossCorrelation envelopes(fx.data(), static_cast<int>(fx.size()), fy.data(),
                                      static_cast<int>(fy.size()), &shift, curve.data());
    x.resize(static_cast<std::size_t>(length), 0.0f);
    y.resize(static_cast<std::size_t>(length), 0.0f);
    const LagCorrelator waves(x.data(), y.data(), length, false);
    const double r = shift >= 0 ? waves.Coefficient(true, shift) : waves.Coefficient(false, -shift);
    return r < 0.0 ? -1 : 1;
}

void StrikeStack::Orient(std::vector<CombinedRecord>& records) {
    const auto flip = [](CombinedRecord& r) {
        for (float& v : r.wave)
            v = -v;
    };
    // Each wave of arbitrary sign follows the one above it...
    for (std::size_t k = 1; k < records.size(); ++k)
        if (records[k].arbitrarySign && RelativePolarity(records[k - 1], records[k]) < 0)
            flip(records[k]);
    // ...and those above the first wave of fixed sign follow that one as a whole.
    const auto fixed = std::find_if(records.begin(), records.end(),
                                    [](const CombinedRecord& r) { return !r.arbitrarySign; });
    if (fixed != records.begin() && fixed != records.end() &&
        RelativePolarity(*fixed, *(fixed - 1)) < 0)
        std::for_each(records.begin(), fixed, flip);
}

} // namespace korvane
