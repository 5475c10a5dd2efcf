#pragma once

#include "sounding/ImportOptions.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace korvane {

class CKorvaneDoc;
class TerminalProgress;
class WindowSettings;
struct CliOptions;

// Brings a Sounding into the document for a command: from recordings (with the options'
// geometry, import settings, diagnostics folder and windows) or from a document file. Everything
// that can be checked is checked before the first file is read, and the diagnostic files appear
// only after a load that succeeded, so a failure writes nothing. Failures throw CliError.
class SoundingInput {
public:
    // threads: files read at once, 0 for every core.
    static void LoadWaves(CKorvaneDoc& doc, const CliOptions& options,
                          const WindowSettings& windows, TerminalProgress& progress,
                          std::ostream& err, unsigned threads = 0);

    // The sounding of a command that reports interval results (ags, report): checks the output
    // folders and the analysis options, opens the document or loads the recordings, applies the
    // details and the analysis options, calls require (which may refuse with CliError before
    // any recording is read), runs the cross-correlation where the input has no current
    // results (new windows or a new distance re-run a document's) and then the interval
    // analysis, whose quality flags every such output reports.
    static void Analysed(CKorvaneDoc& doc, const CliOptions& options, std::ostream& err,
                         const std::function<void(const CKorvaneDoc&)>& require);

    // Prints what the reader warns about on err, one "warning: <path>: ..." line each.
    static void OpenDocument(CKorvaneDoc& doc, const std::string& path, std::ostream& err);

    // Whether the inputs are one document file (a name ending in ".kvn", any case) rather than
    // wave files and folders.
    static bool IsDocument(const std::vector<std::string>& inputs);

    // The windows of the options: none, --window or --windows.
    static WindowSettings Windows(const CliOptions& options);

    // How the options read recordings: --channel, --time-unit, --depth-keyword and the
    // depths file of --depths (read here; a defect in it is a usage error).
    static ImportOptions Import(const CliOptions& options);
};

} // namespace korvane
