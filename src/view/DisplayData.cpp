#include "view/DisplayData.h"

#include "sounding/CKorvaneDoc.h"

#include <cstddef>

namespace korvane {

bool DisplayHasData(const CKorvaneDoc& doc, int32_t mode) {
    if (mode < OriginalWaves || mode > PhaseVelocity)
        return true;
    if (doc.dataLoaded == 0 || doc.recordCount < 1)
        return false;
    const auto records = static_cast<std::size_t>(doc.recordCount);
    const std::size_t intervals = records - 1;
    switch (mode) {
    case CrossCorrelationVelocity:
    case DeterminationProfile:
        return doc.resultsValid != 0;
    case CorrelationFunctions:
        return intervals > 0 && doc.correlationFunctions.size() == intervals;
    case AlignedWindows:
        return intervals > 0 && doc.lags.size() == intervals;
    case PhaseVelocity:
        return intervals > 0 && doc.phaseVelocities.size() == intervals;
    case RawAutocorrelations:
        return doc.rawAutocorrelations.size() == records;
    case FilteredAutocorrelations:
        return doc.filteredAutocorrelations.size() == records;
    case SpareWaves:
        return doc.spareWaves.size() == records;
    case SpareTable:
        return doc.spareTable.size() == records;
    default: // the wave modes
        return true;
    }
}

} // namespace korvane
