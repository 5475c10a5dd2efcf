#pragma once

#include "analysis/AnalysisSettings.h"
#include "sounding/CKorvaneDoc.h"

#include <cstdint>

namespace korvane {

// The delay between two records, from their windowed waves.
struct LagEstimate {
    // Delay of the second record behind the first over the whole records, samples; NaN when
    // no shift correlates positively.
    double lagSamples = 0.0;
    // Peak normalised correlation coefficient of the windows (0 when there is none).
    double coefficient = 0.0;
    // Window-relative shift of that peak as a share of the shift range (0 to 1).
    double shiftFraction = 0.0;
};

// Measures the delay between two windowed waves with the cross-correlation of the
// cross-correlation run, refined between samples or replaced by a cross-spectrum phase slope
// when asked. Owns nothing; safe on any thread.
class LagEstimator {
public:
    // a and b are whole records; wa and wb must lie inside them.
    static LagEstimate Estimate(const float* a, SampleWindow wa, const float* b, SampleWindow wb,
                                LagMethod method);

    // The delay of b behind a in samples from the slope of their unwrapped cross-spectrum
    // phase (a line through the origin, each bin weighted by the cross-spectrum's magnitude),
    // over the contiguous band around the strongest bin where both carry at least a tenth of
    // their peak power; NaN when fewer than three bins qualify. anchor (samples) is a first
    // guess of the delay, such as the correlation peak: the phase it explains is removed before
    // unwrapping, so only the remainder is measured across the band.
    static double PhaseDelay(const float* a, int lenA, const float* b, int lenB, double anchor);

    // Offset of the true peak from the middle sample of three, by a parabola through them;
    // within -0.5 to 0.5, 0 when they do not bend downwards.
    static double ParabolicOffset(double before, double peak, double after);
};

} // namespace korvane
