#pragma once

#include "analysis/AnalysisResults.h"
#include "analysis/AnalysisSettings.h"

#include <vector>

namespace korvane {

class CKorvaneDoc;

// The wave analysed at one depth: the record of that depth, or the records of equal depth
// combined (moved to their mean arrival time, inverted when of opposite polarity, averaged).
// Owns its wave.
struct CombinedRecord {
    std::vector<float> wave; // samplesPerRecord values
    AnalysedDepth depth;     // what the analysis reports about it
    // The sign of the wave depends on which record served as the reference (records of both
    // polarities were combined), so it must be matched to its neighbours.
    bool arbitrarySign = false;
};

// Groups the records of a sounding by depth and combines each group into one wave. Each
// record is matched to the reference (the one with the most energy in its window, ties to the
// first) over the reference's window: the
// sign and shift of the best correlation within kMaxAlignShift say whether it was recorded
// with the same or the opposite polarity and how its trigger timing differs. The records are
// moved to their mean arrival time (so no trigger counts more than another) and averaged, the
// opposite ones inverted: for a left and a right strike that is half their difference, the S
// wave whole and what both share (the P wave, most noise) cancelled.
class StrikeStack {
public:
    // Shifts tried when matching records of one depth: up to 2 ms either way, well inside half
    // a period of the S wave, so a record never matches another at a neighbouring cycle.
    static constexpr int kMaxAlignShift = 80;
    // A record whose best correlation with the reference, either polarity, stays below this is
    // not the same wave and is left out of the combination.
    static constexpr double kMinMatch = 0.5;

    // Indices of records of equal depth, in document order, one group per depth; the document
    // holds its records in ascending depth.
    static std::vector<std::vector<int>> Groups(const std::vector<float>& depths);

    // Combines the group's records, judged over the window of the reference. With
    // settings.strikePairs, a group of several records whose best correlation of the reference
    // with another record inverted stays below settings.minStrikeCorrelation is marked
    // polarityFailed.
    static CombinedRecord Combine(const CKorvaneDoc& doc, const std::vector<int>& group,
                                  const AnalysisSettings& settings);

    // Inverts combined waves of arbitrary sign so that each has the polarity of the one above
    // it, and those above the first wave of fixed sign that of this one; judged at the delay
    // their envelopes agree on.
    static void Orient(std::vector<CombinedRecord>& records);

    // +1 when b has the polarity of a, -1 when opposite, over their windows.
    static int RelativePolarity(const CombinedRecord& a, const CombinedRecord& b);
};

} // namespace korvane
