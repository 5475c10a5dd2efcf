#pragma once

#include <iosfwd>

namespace korvane {

class CKorvaneDoc;
class TerminalProgress;
struct CliOptions;

// The interval analysis of process and open: --lag, --fit, --strike-pairs,
// --opposite-channel and --csv. Failures throw CliError.
class AnalysisOptions {
public:
    // Whether any analysis option was given.
    static bool Requested(const CliOptions& options);

    // Refuses, before any work, what cannot be done: --opposite-channel on a document or equal
    // to --channel, and the table and the CSV both on standard output.
    static void CheckUsage(const CliOptions& options, bool tableOnStandardOutput);

    // Puts the options' choices into the document's analysis settings.
    static void ApplyTo(const CliOptions& options, CKorvaneDoc& doc);

    // Runs the analysis with the document's settings; warns on err when intervals carry
    // quality flags.
    static void Run(CKorvaneDoc& doc, TerminalProgress& progress, std::ostream& err);

    // Writes the CSV of the document's analysis results to --csv, if given ("-": out).
    static void WriteCsv(const CKorvaneDoc& doc, const CliOptions& options, std::ostream& out);
};

} // namespace korvane
