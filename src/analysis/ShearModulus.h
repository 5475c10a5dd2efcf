#pragma once

#include "analysis/AnalysisResults.h"

#include <vector>

namespace korvane {

struct SoundingMetadata;

// The small-strain shear modulus Gmax = ρ·Vs², with the density ρ = γ / g from the unit weight
// profile of the sounding. Owns nothing.
class ShearModulus {
public:
    static constexpr double kStandardGravity = 9.80665; // m/s²

    // Gmax in MPa for a velocity in m/s and a unit weight in kN/m³: γ / g is the density in
    // t/m³, times Vs² in m²/s² gives kPa, so Gmax[MPa] = γ / g · Vs² / 1000. NaN when the
    // velocity is not a positive finite number (a missing delay, a negative lag).
    static double GmaxMpa(double velocity, double unitWeight);

    // Gmax of every interval in MPa, with the unit weight at its mid-depth.
    static std::vector<double> OfIntervals(const std::vector<IntervalEstimate>& intervals,
                                           const SoundingMetadata& metadata);
};

} // namespace korvane
