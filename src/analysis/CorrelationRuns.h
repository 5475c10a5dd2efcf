#pragma once

#include "dsp/CommandResult.h"
#include "dsp/CorrelationMethod.h"
#include "dsp/ProgressReporter.h"

namespace korvane {

class CKorvaneDoc;

// The three correlation commands. Each works on the document's records, reports one progress
// checkpoint before its loop, one per interval or record and one at the end, and leaves its
// results in the document: completely on success, the part computed before a cancel otherwise.
//
// threadCount: worker threads for the correlations, 0 for every core. Results are the same for
// every count; checkpoints and cancels behave as with one thread. The overloads with a
// CorrelationMethod choose how the correlations sweep their lags (Direct only to check or time
// the fast sweep against); the others sweep fast.

// Lag, peak coefficient, correlation function and slant-path velocity of every interval between
// successive records' windowed filtered waves; shows the velocity profile.
CommandResult RunCrossCorrelation(CKorvaneDoc& doc, ProgressReporter& progress,
                                  unsigned threadCount = 0);
CommandResult RunCrossCorrelation(CKorvaneDoc& doc, ProgressReporter& progress,
                                  unsigned threadCount, CorrelationMethod method);

// Autocorrelation of every whole raw wave; shows the raw autocorrelations. Each spareTable entry
// receives the first 50 values of its record's autocorrelation.
CommandResult RunRawAutocorrelation(CKorvaneDoc& doc, ProgressReporter& progress,
                                    unsigned threadCount = 0);
CommandResult RunRawAutocorrelation(CKorvaneDoc& doc, ProgressReporter& progress,
                                    unsigned threadCount, CorrelationMethod method);

// Autocorrelation of every windowed filtered wave; shows the filtered autocorrelations.
CommandResult RunFilteredAutocorrelation(CKorvaneDoc& doc, ProgressReporter& progress,
                                         unsigned threadCount = 0);
CommandResult RunFilteredAutocorrelation(CKorvaneDoc& doc, ProgressReporter& progress,
                                         unsigned threadCount, CorrelationMethod method);

} // namespace korvane
