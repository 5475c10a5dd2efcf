#include "cli/ProcessCommand.h"

#include "analysis/CorrelationRuns.h"
#include "cli/AnalysisOptions.h"
#include "cli/CliOptions.h"
#include "cli/CommandOutputs.h"
#include "cli/SoundingInput.h"
#include "cli/TerminalProgress.h"
#include "cli/WindowSettings.h"
#include "sounding/CKorvaneDoc.h"

#include <cstdio>

namespace korvane {

void ProcessCommand::Run(const CliOptions& options, std::ostream& out, std::ostream& err) {
    const WindowSettings windows = SoundingInput::Windows(options);
    // The CSV on standard output takes the place of the table there, unless both are asked.
    const std::optional<std::string> table =
        options.table ? options.table
                      : (options.csv == "-" ? std::nullopt : std::optional<std::string>("-"));
    CommandOutputs::CheckFolderOf(table.value_or(""), "--table");
    AnalysisOptions::CheckUsage(options, table == "-");
    CommandOutputs::CheckFolderOf(options.saveFile, "--save");
    CKorvaneDoc doc;
    AnalysisOptions::ApplyTo(options, doc);
    options.metadata.ApplyTo(doc);
    TerminalProgress progress(stderr, !options.quiet);
    SoundingInput::LoadWaves(doc, options, windows, progress, err);

    const CommandResult correlation = RunCrossCorrelation(doc, progress);
    progress.Finish();
    CommandOutputs::Require(correlation, err);
    CommandOutputs::WarnUnresolvedIntervals(doc, err);
    if (AnalysisOptions::Requested(options))
        AnalysisOptions::Run(doc, progress, err);

    if (table)
        CommandOutputs::WriteTable(doc, *table, out);
    AnalysisOptions::WriteCsv(doc, options, out);
    if (!options.saveFile.empty())
        CommandOutputs::Save(doc, options.saveFile);
}

} // namespace korvane
