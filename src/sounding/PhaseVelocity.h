#pragma once

#include <string>

namespace korvane {

class CKorvaneDoc;

// Interval velocities from the slope of the phase difference between the spectra of two
// successive records over a fixed low-frequency band (bins 5..12 of a 8192-sample record at
// 40 000 samples/s). A wave arriving dt later has a phase larger by 2*pi*f*dt.
class PhaseVelocity {
public:
    static constexpr int kPhaseBins = 97;                     // bins 0..96 get a phase
    static constexpr int kFirstBandBin = 5;                   // 24.4 Hz
    static constexpr int kLastBandBin = 12;                   // 58.6 Hz, inclusive
    static constexpr double kBinWidth = 4.8828125;            // Hz
    static constexpr double kPi = 3.14159;                    // quadrant correction
    static constexpr double kTwoPi = 6.2831852;               // unwrapping
    static constexpr double kInversePi = 0.31830989161357204; // slope to seconds

    // Phase angles in radians of bins 0..96 of one record's spectrum: atan(imag / real), moved
    // by 3.14159 towards the sign of imag when real is negative (so -3.14159 for imag 0);
    // +-pi/2 when real is 0, and NaN when both are 0. phase[97..99] are not written.
    static void ComputePhaseAngles(const float* real, const float* imag, float* phase);

    // Fills doc.phaseVelocities (m/s, one per interval) from the phase spectra of records in
    // depth order, and returns the text of "phase.txt": per interval the deeper depth, the eight
    // phase differences and the velocity. Empty for a single record.
    static std::string ComputeIntervalVelocities(CKorvaneDoc& doc);
};

} // namespace korvane
