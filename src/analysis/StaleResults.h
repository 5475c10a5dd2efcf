#pragma once

#include "sounding/CKorvaneDoc.h"

#include <cstddef>

namespace korvane {

// Whether the cross-correlation results, and the interval analysis that follows the run, still
// belong to the windows, depths, geometry and analysis settings shown. Nothing is stored for
// it: a run records each interval's inputs (the document's resultBases) and the analysis its
// settings, and the results are out of date while any of those differs from the current ones,
// so undoing an edit makes them current again. Results read from a file carry no inputs and
// are taken as they are.
class StaleResults {
public:
    // What the profile, the velocity table and the status bar say while it is so.
    static constexpr const char* kNote = "Results out of date: run Cross-Correlation again";

    // The inputs interval i (0 .. recordCount - 2) would be computed from now. The document
    // must hold windows and depths of records i and i + 1.
    static IntervalBasis BasisOf(const CKorvaneDoc& doc, std::size_t interval);

    // True when the document has results and one of their intervals was computed from inputs
    // that have changed since.
    static bool OutOfDate(const CKorvaneDoc& doc);
};

} // namespace korvane
