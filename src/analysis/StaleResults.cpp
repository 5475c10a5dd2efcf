#include "analysis/StaleResults.h"

namespace korvane {

IntervalBasis StaleResults::BasisOf(const CKorvaneDoc& doc, std::size_t interval) {
    IntervalBasis basis;
    basis.upper = doc.windows[interval];
    basis.lower = doc.windows[interval + 1];
    basis.upperDepth = doc.depths[interval];
    basis.lowerDepth = doc.depths[interval + 1];
    basis.hammerToRod = doc.hammerToRod;
    basis.computed = true;
    return basis;
}

bool StaleResults::OutOfDate(const CKorvaneDoc& doc) {
    if (doc.resultsValid == 0)
        return false;
    const AnalysisResults& analysis = doc.analysisResults;
    if (analysis.valid && !analysis.settings.AnalysesLike(doc.analysisSettings))
        return true;
    if (doc.recordCount < 2)
        return false;
    const auto records = static_cast<std::size_t>(doc.recordCount);
    if (doc.resultBases.size() + 1 != records || doc.windows.size() < records ||
        doc.depths.size() < records)
        return false;
    for (std::size_t i = 0; i + 1 < records; ++i) {
        const IntervalBasis& used = doc.resultBases[i];
        if (used.computed && !(used == BasisOf(doc, i)))
            return true;
    }
    return false;
}

} // namespace korvane
