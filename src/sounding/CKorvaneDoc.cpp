#include "sounding/CKorvaneDoc.h"

namespace korvane {

void CKorvaneDoc::ReleaseDerived() {
    correlationFunctions = {};
    rawAutocorrelations = {};
    filteredAutocorrelations = {};
    spareWaves = {};
    spareTable = {};
    spectrumReal = {};
    spectrumImag = {};
    phaseSpectra = {};
    phaseVelocities = {};
    lags = {};
    resultBases = {};
    analysisResults = {};
}

void CKorvaneDoc::ReleaseSounding() {
    if (onReleased)
        onReleased();
    ReleaseDerived();
    correlationCoefficients = {};
    rawWaves = {};
    filteredWaves = {};
    windows = {};
    depths = {};
    sourceIntervals = {};
    ccVelocities = {};
    displayMode = Credits;
    dataLoaded = 0;
    resultsValid = 0;
    recordCount = 0;
}

void CKorvaneDoc::SetModifiedFlag(bool modified) {
    modified_ = modified;
    if (onModifiedFlagSet)
        onModifiedFlagSet(modified);
}

} // namespace korvane
