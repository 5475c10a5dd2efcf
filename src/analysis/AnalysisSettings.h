#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvane {

class DocumentExtension;

// How the delay between two successive records is measured.
enum class LagMethod {
    Integer,   // the correlation peak, whole samples (as the cross-correlation run)
    Subsample, // the peak refined by a parabola through it and its two neighbours
    Phase,     // slope of the unwrapped cross-spectrum phase, weighted by the shared energy
};

// How interval velocities are taken from the arrival times.
enum class FitMethod {
    Pairs, // successive depths
    Lsq3,  // least-squares line of arrival time against slant distance over 3 records
    Lsq5,
    Lsq7,
};

// Every choice and threshold of the interval analysis, with the defaults that make it give the
// cross-correlation run's velocities (integer lags, successive pairs). Kept with the document
// and stored in its extension block when any value differs from the defaults.
struct AnalysisSettings {
    // Proposed windows, milliseconds before and after the envelope peak of the S wave.
    double windowBeforeMs = 12.0;
    double windowAfterMs = 18.0;
    // A proposed arrival may come this much earlier than the shallower record's, milliseconds.
    double arrivalToleranceMs = 2.0;

    LagMethod lag = LagMethod::Integer;
    FitMethod fit = FitMethod::Pairs;

    // Records of equal depth are left and right strikes of opposite polarity: each pair is
    // checked. Otherwise they count as repeats (or as pairs when they turn out opposite).
    bool strikePairs = false;

    // Quality flag thresholds.
    double minStrikeCorrelation = 0.5; // POLARITY below
    double minR2 = 0.8;                // LOW_R2 below
    double slowVelocity = 50.0;        // SLOW below, m/s
    double fastVelocity = 1500.0;      // FAST above, m/s; no arrival is proposed earlier
    double edgeFraction = 0.5;         // WINDOW_EDGE beyond this share of the shift range
    double jumpFraction = 0.4;         // JUMP when differing from both neighbours by more

    bool operator==(const AnalysisSettings&) const = default;
    bool IsDefault() const { return *this == AnalysisSettings{}; }
    // Whether both analyse given windows alike: every setting but the three that only shape
    // proposed windows.
    bool AnalysesLike(const AnalysisSettings& other) const;

    // Records used by a least-squares fit, 2 for successive pairs.
    int FitPoints() const;

    // Throws KorvaneError naming the first value out of its range.
    void Check() const;

    // Stores every setting under "analysis.*" keys when any differs from the defaults; removes
    // them otherwise, so a document with default settings writes no block for them.
    void StoreTo(DocumentExtension& block) const;
    // Takes the "analysis.*" keys this version knows out of block (others stay) and returns the
    // settings they describe, defaults for keys that are absent. Throws KorvaneError for a key
    // of the wrong type or a value out of range.
    static AnalysisSettings TakeFrom(DocumentExtension& block);

    static const char* Name(LagMethod method);
    static const char* Name(FitMethod method);
    static std::optional<LagMethod> ParseLag(std::string_view text);
    static std::optional<FitMethod> ParseFit(std::string_view text);
};

} // namespace korvane
