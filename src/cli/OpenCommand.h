#pragma once

#include <iosfwd>

namespace korvane {

class CKorvaneDoc;
struct CliOptions;

// korvane-cli open: reads a document file, optionally re-runs the cross-correlation with new
// windows or geometry, runs the interval analysis, prints a summary and writes the table and
// the document when asked.
class OpenCommand {
public:
    // Throws CliError on failure.
    static void Run(const CliOptions& options, std::ostream& out, std::ostream& err);

    // Geometry, flags, display mode, the sounding's details, one line per record (depth and
    // window), then how the interval results were found, how the time-averaged velocity was
    // taken, and the five lines of SiteClassification::SummaryLines.
    static void PrintSummary(const CKorvaneDoc& doc, const char* path, std::ostream& out);
};

} // namespace korvane
