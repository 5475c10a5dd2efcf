#pragma once

#include "analysis/AnalysisSettings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvane {

// Quality flags of an interval, as bits of IntervalEstimate::flags.
enum QualityFlag : uint32_t {
    kLowR2 = 1u << 0,       // r² of the pair correlation below the threshold
    kSlow = 1u << 1,        // velocity below the slow threshold (negative included)
    kFast = 1u << 2,        // velocity above the fast threshold (infinite included)
    kNegativeLag = 1u << 3, // the deeper record arrives first
    kWindowEdge = 1u << 4,  // the correlation peak lies near the end of the shift range
    kJump = 1u << 5,        // differs from both neighbours by more than the jump fraction
    kPolarity = 1u << 6,    // a strike pair at one of its depths failed the polarity check
};

// One depth of the analysis: the records of that depth, combined into one wave.
struct AnalysedDepth {
    double depth = 0.0;       // geophone depth, metres
    std::vector<int> records; // document records of this depth, the reference first
    int32_t windowFirst = 0;  // the window used, samples (the reference record's)
    int32_t windowLast = 0;
    double arrivalMs = 0.0; // arrival time after the shallowest depth's, NaN after a gap
    // Records of the opposite polarity were subtracted (a strike pair), not added.
    bool opposite = false;
    // The strikes were expected to be a pair and their check failed.
    bool polarityFailed = false;
    // Best normalised correlation of the reference with another record inverted (NaN for a
    // single record).
    double strikeCorrelation = 0.0;
};

// One interval between two successive analysed depths.
struct IntervalEstimate {
    double top = 0.0;           // geophone depth of the upper end, metres
    double bottom = 0.0;        // geophone depth of the lower end, metres
    double mid = 0.0;           // metres
    double lagMs = 0.0;         // delay of the lower record behind the upper one, milliseconds
    double velocity = 0.0;      // m/s, of the chosen fit
    double standardError = 0.0; // m/s, NaN for successive pairs
    double r2 = 0.0;            // square of the pair's peak correlation coefficient
    uint32_t flags = 0;         // QualityFlag bits
};

// What the interval analysis found, with the settings it ran with. Empty (valid false) until a
// run completes; derived data, never stored in the document file.
struct AnalysisResults {
    bool valid = false;
    AnalysisSettings settings;
    std::vector<AnalysedDepth> depths;
    std::vector<IntervalEstimate> intervals; // depths.size() - 1 entries

    // The interval from geophone depth top down to bottom (metres, as the document stores
    // them), or null: the one between two successive records of different depths.
    const IntervalEstimate* Between(double top, double bottom) const;
    // Valid results of settings that analyse otherwise than the defaults, which give the
    // cross-correlation run's velocities: these are worth showing beside that run's.
    bool DiffersFromTheRun() const { return valid && !settings.AnalysesLike(AnalysisSettings{}); }

    // "LOW_R2|JUMP", in the order of the bits; empty for none.
    static std::string FlagNames(uint32_t flags);
};

} // namespace korvane
