#pragma once

#include "analysis/AnalysisSettings.h"
#include "sounding/CKorvaneDoc.h"

#include <vector>

namespace korvane {

// Proposes an analysis window per record around its S-wave arrival: the largest peak of the
// filtered wave's envelope after the earliest plausible arrival, the window from
// settings.windowBeforeMs before to settings.windowAfterMs after it. The earliest plausible
// arrival is the later of the slant distance travelled at settings.fastVelocity and the
// shallower record's peak less settings.arrivalToleranceMs, so the picks keep their order from
// depth to depth. Owns nothing; reads the document, changes nothing.
class WindowProposer {
public:
    // One window per record, in document order (ascending depth). Throws KorvaneError when
    // the document holds no complete sounding or a depth or the source offset is not finite.
    static std::vector<SampleWindow> Propose(const CKorvaneDoc& doc,
                                             const AnalysisSettings& settings);

    // Sample of the largest envelope value from `earliest` on (the last sample when earliest
    // lies beyond the end).
    static int32_t PeakSample(const std::vector<double>& envelope, int32_t earliest);
};

} // namespace korvane
