#include "cli/AnalysisOptions.h"

#include "analysis/AnalysisCsv.h"
#include "analysis/IntervalAnalysis.h"
#include "cli/CliError.h"
#include "cli/CliOptions.h"
#include "cli/CommandOutputs.h"
#include "cli/TerminalProgress.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"

#include <ostream>
#include <string>

namespace korvane {

bool AnalysisOptions::Requested(const CliOptions& options) {
    return options.lag || options.fit || options.strikePairs || options.oppositeChannel ||
           options.csv;
}

void AnalysisOptions::CheckUsage(const CliOptions& options, bool tableOnStandardOutput) {
    if (options.oppositeChannel && options.command == "open")
        throw CliError(CliError::kUsage,
                       "--opposite-channel chooses traces of recordings; a document holds its "
                       "records already");
    if (options.oppositeChannel && *options.oppositeChannel == options.channel)
        throw CliError(CliError::kUsage, "--opposite-channel " +
                                             std::to_string(*options.oppositeChannel) +
                                             ": the same trace as --channel");
    if (options.csv == "-" && tableOnStandardOutput)
        throw CliError(CliError::kUsage,
                       "--csv -: standard output already takes the velocity table; give "
                       "--table FILE or --csv FILE");
    CommandOutputs::CheckFolderOf(options.csv.value_or(""), "--csv");
}

void AnalysisOptions::ApplyTo(const CliOptions& options, CKorvaneDoc& doc) {
    AnalysisSettings& settings = doc.analysisSettings;
    if (options.lag)
        settings.lag = *options.lag;
    if (options.fit)
        settings.fit = *options.fit;
    // Two traces of every file are meant to be a left and a right strike.
    if (options.strikePairs || options.oppositeChannel)
        settings.strikePairs = true;
}

void AnalysisOptions::Run(CKorvaneDoc& doc, TerminalProgress& progress, std::ostream& err) {
    const CommandResult result = IntervalAnalysis::Run(doc, progress);
    progress.Finish();
    CommandOutputs::Require(result, err);
    const std::vector<IntervalEstimate>& intervals = doc.analysisResults.intervals;
    std::size_t flagged = 0;
    for (const IntervalEstimate& interval : intervals)
        flagged += interval.flags != 0 ? 1 : 0;
    if (flagged > 0)
        err << "warning: " << flagged << " of " << intervals.size()
            << " intervals carry quality flags\n";
}

void AnalysisOptions::WriteCsv(const CKorvaneDoc& doc, const CliOptions& options,
                               std::ostream& out) {
    if (!options.csv)
        return;
    if (*options.csv == "-") {
        out << AnalysisCsv::Text(doc);
        out.flush();
        if (!out)
            throw CliError(CliError::kFailure, "cannot write the CSV");
        return;
    }
    try {
        AnalysisCsv::Save(doc, *options.csv);
    } catch (const KorvaneError& error) {
        throw CliError(CliError::kFailure, *options.csv + ": " + error.what());
    }
}

} // namespace korvane
