#pragma once

#include <iosfwd>

namespace korvane {

class CKorvaneDoc;
struct CliOptions;

// korvane-cli open: reads a document file, optionally re-runs the cross-correlation with new
// windows or geometry, prints a summary and writes the table and the document when asked.
class OpenCommand {
public:
    // Throws CliError on failure.
    static void Run(const CliOptions& options, std::ostream& out, std::ostream& err);

    // Geometry, flags, display mode and one line per record (depth and window).
    static void PrintSummary(const CKorvaneDoc& doc, const char* path, std::ostream& out);
};

} // namespace korvane
