#pragma once

#include "analysis/AnalysisResults.h"
#include "analysis/AnalysisSettings.h"
#include "dsp/CommandResult.h"
#include "dsp/ProgressReporter.h"

#include <optional>

namespace korvane {

class CKorvaneDoc;

// The interval analysis beside the cross-correlation run: records of equal depth combined
// (StrikeStack), the delay between successive depths measured inside the records' windows
// (LagEstimator, integer, sub-sample or phase), interval velocities from successive pairs or
// least-squares fits over several depths (ArrivalFit), each with its quality flags
// (QualityFlags). With the default settings and one record per depth its velocities are those
// of the cross-correlation run. Owns nothing.
class IntervalAnalysis {
public:
    // Analyses the document's records with the settings; reads the document, changes nothing.
    // Returns nothing when progress reports a cancel. Throws KorvaneError when the settings are
    // out of range or the document holds no complete sounding (a wave or a window missing or
    // out of range).
    static std::optional<AnalysisResults>
    Analyse(const CKorvaneDoc& doc, const AnalysisSettings& settings, ProgressReporter& progress);

    // The command: analyses with doc.analysisSettings and stores the results in
    // doc.analysisResults (the previous results stay after a cancel or a failure). Progress:
    // one checkpoint before the work, one per depth and one per interval. The results are not
    // part of the document file, so the modified flag is left alone.
    static CommandResult Run(CKorvaneDoc& doc, ProgressReporter& progress);
};

} // namespace korvane
