#include "cli/ProcessCommand.h"

#include "cli/CliOptions.h"
#include "cli/CommandOutputs.h"
#include "cli/SoundingInput.h"
#include "cli/TerminalProgress.h"
#include "cli/WindowSettings.h"
#include "analysis/CorrelationRuns.h"
#include "sounding/CKorvaneDoc.h"

#include <cstdio>

namespace korvane {

void ProcessCommand::Run(const CliOptions& options, std::ostream& out, std::ostream& err) {
    const WindowSettings windows = SoundingInput::Windows(options);
    CommandOutputs::CheckFolderOf(options.table.value_or(""), "--table");
    CommandOutputs::CheckFolderOf(options.saveFile, "--save");
    CKorvaneDoc doc;
    TerminalProgress progress(stderr, !options.quiet);
    SoundingInput::LoadWaves(doc, options, windows, progress, err);

    const CommandResult correlation = RunCrossCorrelation(doc, progress);
    progress.Finish();
    CommandOutputs::Require(correlation, err);
    CommandOutputs::WarnUnresolvedIntervals(doc, err);

    CommandOutputs::WriteTable(doc, options.table.value_or("-"), out);
    if (!options.saveFile.empty())
        CommandOutputs::Save(doc, options.saveFile);
}

} // namespace korvane
