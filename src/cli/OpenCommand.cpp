#include "cli/OpenCommand.h"

#include "analysis/CorrelationRuns.h"
#include "analysis/SelectedIntervals.h"
#include "analysis/SiteClassification.h"
#include "cli/AnalysisOptions.h"
#include "cli/CliError.h"
#include "cli/CliOptions.h"
#include "cli/CommandOutputs.h"
#include "cli/SoundingInput.h"
#include "cli/TerminalProgress.h"
#include "cli/WindowSettings.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/FixedDecimal.h"

#include <array>
#include <cstdio>
#include <ostream>

namespace korvane {

namespace {

const char* DisplayModeName(int32_t mode) {
    const auto& kNames = kDisplayModeNames;
    return mode >= 0 && mode < static_cast<int32_t>(kNames.size()) ? kNames[mode] : "Credits";
}

std::string Fixed(double value) {
    return FixedDecimal::Text(value);
}

// The details that differ from the defaults, one line each.
void PrintMetadata(const SoundingMetadata& m, std::ostream& out) {
    const std::pair<const char*, const std::string*> texts[] = {
        {"Project id", &m.projectId},   {"Project name", &m.projectName},
        {"Location id", &m.locationId}, {"Client", &m.client},
        {"Test date", &m.testDate},     {"Source", &m.source},
        {"Receiver", &m.receiver},
    };
    for (const auto& [name, text] : texts)
        if (!text->empty())
            out << name << ": " << *text << '\n';
    if (m.unitWeights == SoundingMetadata{}.unitWeights)
        return;
    out << "Unit weights:";
    for (std::size_t k = 0; k < m.unitWeights.size(); ++k)
        out << (k == 0 ? " " : ", ") << FixedDecimal::Rounded(m.unitWeights[k].gamma, 2)
            << " kN/m3 from " << FixedDecimal::Rounded(m.unitWeights[k].top, 2) << " m";
    out << '\n';
}

} // namespace

void OpenCommand::PrintSummary(const CKorvaneDoc& doc, const char* path, std::ostream& out) {
    out << "Document: " << path << '\n';
    out << "Records: " << doc.recordCount << (doc.dataLoaded ? "" : " (no wave data stored)")
        << '\n';
    out << "Samples per record: " << doc.samplesPerRecord << '\n';
    out << "Geophone to tip (m): " << Fixed(doc.geophoneToTip) << '\n';
    out << "Hammer to rod (m): " << Fixed(doc.hammerToRod) << '\n';
    out << "Display mode: " << doc.displayMode << " (" << DisplayModeName(doc.displayMode) << ")\n";
    if (!doc.analysisSettings.IsDefault()) {
        const AnalysisSettings& s = doc.analysisSettings;
        out << "Analysis: lag " << AnalysisSettings::Name(s.lag) << ", fit "
            << AnalysisSettings::Name(s.fit) << (s.strikePairs ? ", strike pairs" : "") << '\n';
    }
    PrintMetadata(doc.metadata, out);
    const bool results = doc.dataLoaded && doc.resultsValid;
    out << "Cross-correlation results: "
        << (results ? std::to_string(doc.ccVelocities.size()) + " intervals" : "none") << '\n';
    if (doc.dataLoaded) {
        out << "Record  Depth(m)  First  Last\n";
        for (int32_t k = 0; k < doc.recordCount; ++k) {
            char line[96];
            std::snprintf(line, sizeof line, "%6d  %s  %d  %d\n", k + 1,
                          Fixed(doc.depths[k]).c_str(), doc.windows[k].first, doc.windows[k].last);
            out << line;
        }
    }
    const SelectedIntervals selected = SelectedIntervals::Of(doc);
    const SiteClassification site = SiteClassification::Of(selected.intervals);
    out << "Interval results: " << selected.MethodText() << '\n';
    out << site.Explanation() << '\n';
    out << site.SummaryLines();
}

void OpenCommand::Run(const CliOptions& options, std::ostream& out, std::ostream& err) {
    if (options.inputs.size() != 1)
        throw CliError(CliError::kUsage, "open takes exactly one document file");
    const std::string& path = options.inputs.front();
    const WindowSettings windows = SoundingInput::Windows(options);
    CommandOutputs::CheckFolderOf(options.table.value_or(""), "--table");
    // The summary is on standard output already; a table or CSV there follows it.
    AnalysisOptions::CheckUsage(options, false);
    CommandOutputs::CheckFolderOf(options.saveFile, "--save");

    CKorvaneDoc doc;
    SoundingInput::OpenDocument(doc, path, err);
    AnalysisOptions::ApplyTo(options, doc);
    options.metadata.ApplyTo(doc);

    const bool correlate = options.correlate || options.hammerToRod || !windows.empty();
    if (correlate) {
        if (!doc.dataLoaded)
            throw CliError(CliError::kFailure, path + ": holds no wave records to correlate");
        windows.Check(doc.recordCount, doc.samplesPerRecord);
        windows.ApplyTo(doc);
        if (options.hammerToRod)
            doc.hammerToRod = static_cast<float>(*options.hammerToRod);
        TerminalProgress progress(stderr, !options.quiet);
        const CommandResult result = RunCrossCorrelation(doc, progress);
        progress.Finish();
        CommandOutputs::Require(result, err);
        CommandOutputs::WarnUnresolvedIntervals(doc, err);
    }
    // A document whose settings choose a method reports that method's results, which the file
    // does not keep.
    // Every document is analysed for the summary: its chosen method, or the quality flags and
    // the combined depths of the default one. Unasked, a failure only warns.
    const bool requested = AnalysisOptions::Requested(options);
    if (requested || doc.dataLoaded) {
        if (!doc.dataLoaded)
            throw CliError(CliError::kFailure, path + ": holds no wave records to analyse");
        TerminalProgress progress(stderr, !options.quiet);
        try {
            AnalysisOptions::Run(doc, progress, err);
        } catch (const CliError& error) {
            if (requested)
                throw;
            err << "warning: " << path << ": " << error.what()
                << "; the summary reports the cross-correlation run\n";
        }
    }
    if (options.table && !(doc.dataLoaded && doc.resultsValid))
        throw CliError(CliError::kFailure, path +
                                               ": holds no cross-correlation results for a table; "
                                               "add --correlate");

    PrintSummary(doc, path.c_str(), out);
    if (options.table)
        CommandOutputs::WriteTable(doc, *options.table, out);
    AnalysisOptions::WriteCsv(doc, options, out);
    if (!options.saveFile.empty())
        CommandOutputs::Save(doc, options.saveFile);
}

} // namespace korvane
