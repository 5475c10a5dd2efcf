#pragma once

#include "dsp/CommandResult.h"
#include "dsp/ProgressReporter.h"
#include "sounding/ImportOptions.h"

#include <filesystem>
#include <string>
#include <vector>

namespace korvane {

class CKorvaneDoc;

// The Load command without its file dialog: builds a whole Sounding from input files of any
// format (RecordImporter, with the import options), one record per file in the order given (a
// file holding several records gives them in its order), then puts the records in depth order,
// computes the phase-spectrum velocities and writes "phase.txt", "original_data.txt" and
// "recovered_data.txt" into diagnosticsDir.
//
// The previous Sounding is released first. The progress range is 0 .. files + 3 with one
// checkpoint before reading, one per file, one after sorting and one at the end. A cancel or a
// defective file leaves an empty Sounding (no arrays, recordCount 0, dataLoaded 0); the result
// then names the reader's message and the file. A cancel at the last checkpoint keeps the loaded
// Sounding but does not mark the document modified. Diagnostic files that cannot be written do
// not stop the load; the result's warning says so, after the notes of the import (one a line).
//
// With no paths, or a record length the filter cannot take, nothing is touched and the result
// is Failed. threads: files read at once, 0 for every core (1 where soundings load side by side).
CommandResult LoadSounding(CKorvaneDoc& doc, const std::vector<std::string>& paths,
                           const std::filesystem::path& diagnosticsDir, ProgressReporter& progress,
                           const ImportOptions& options = {}, unsigned threads = 0);

} // namespace korvane
