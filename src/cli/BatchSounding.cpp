#include "cli/BatchSounding.h"

#include "analysis/AnalysisCsv.h"
#include "analysis/CorrelationRuns.h"
#include "analysis/SiteTables.h"
#include "cli/AnalysisOptions.h"
#include "cli/CliError.h"
#include "cli/CliOptions.h"
#include "cli/CommandOutputs.h"
#include "cli/SoundingInput.h"
#include "cli/TerminalProgress.h"
#include "cli/WindowSettings.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/DocumentFile.h"
#include "sounding/ReplacedFile.h"
#include "sounding/VelocityTable.h"

#include <algorithm>
#include <cctype>
#include <new>
#include <sstream>

namespace korvane {

namespace fs = std::filesystem;

bool BatchSounding::IsDocument(const std::string& path) {
    std::string extension = fs::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".kvn";
}

void BatchSounding::Build(const fs::path& staging, const CliOptions& options,
                          const WindowSettings& windows, Outcome& outcome,
                          std::ostream& err) const {
    // Nothing is drawn: the batch shows one bar for all soundings.
    TerminalProgress silent(nullptr, false);
    CKorvaneDoc doc;
    std::error_code ec;
    if (IsDocument(input)) {
        SoundingInput::OpenDocument(doc, input, err);
        if (!doc.dataLoaded)
            throw CliError(CliError::kFailure, input + ": holds no wave records to process");
        if (options.geophoneToTip)
            err << "warning: " << input
                << ": a document keeps its depths; --geophone-to-tip does not change them\n";
        windows.Check(doc.recordCount, doc.samplesPerRecord);
        windows.ApplyTo(doc);
        if (options.hammerToRod)
            doc.hammerToRod = static_cast<float>(*options.hammerToRod);
        AnalysisOptions::ApplyTo(options, doc);
    } else {
        if (!fs::is_directory(input, ec))
            throw CliError(CliError::kFailure,
                           input + ": not a folder of recordings nor a .kvn document");
        CliOptions one = options;
        one.inputs = {input};
        one.diagnosticsDir = staging.string();
        AnalysisOptions::ApplyTo(options, doc);
        SoundingInput::LoadWaves(doc, one, windows, silent, err, 1);
    }
    options.metadata.ApplyTo(doc);
    if (doc.metadata.locationId.empty())
        doc.metadata.locationId = name;
    const CommandResult correlation = RunCrossCorrelation(doc, silent, 1);
    CommandOutputs::Require(correlation, err);
    CommandOutputs::WarnUnresolvedIntervals(doc, err);
    AnalysisOptions::Run(doc, silent, err);

    try {
        SaveVelocityTable(doc, staging / "velocity-table.txt");
        AnalysisCsv::Save(doc, staging / "intervals.csv");
        DocumentFile::Save(doc, staging / (name + ".kvn"));
    } catch (const KorvaneError& error) {
        throw CliError(CliError::kFailure,
                       "cannot write the outputs to " + folder.string() + ": " + error.what());
    }
    outcome.summaryRow = SiteTables::SummaryRow(name, doc);
    outcome.intervalRows = SiteTables::IntervalRows(name, doc);
}

void BatchSounding::MoveIntoPlace(const fs::path& staging) const {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(folder, ec);
    if (fs::exists(status) && !fs::is_directory(status))
        throw CliError(CliError::kFailure, folder.string() + ": is in the way and not a folder");
    // An earlier run's folder steps aside first and goes only once the new one is in place.
    fs::path previous;
    if (fs::exists(status)) {
        previous = ReplacedFile::TemporaryBeside(folder, ".old");
        if (fs::rename(folder, previous, ec); ec)
            throw CliError(CliError::kFailure,
                           folder.string() + ": cannot replace the folder (" + ec.message() + ")");
    }
    if (fs::rename(staging, folder, ec); ec) {
        std::error_code ignored;
        if (!previous.empty())
            fs::rename(previous, folder, ignored);
        throw CliError(CliError::kFailure,
                       folder.string() + ": cannot put the folder in place (" + ec.message() + ")");
    }
    if (!previous.empty())
        fs::remove_all(previous, ec);
}

BatchSounding::Outcome BatchSounding::Process(const CliOptions& options,
                                              const WindowSettings& windows) const {
    Outcome outcome;
    std::ostringstream err;
    const fs::path staging = ReplacedFile::TemporaryBeside(folder);
    std::error_code ec;
    try {
        if (!fs::create_directory(staging, ec))
            throw CliError(CliError::kFailure,
                           staging.string() + ": cannot create the folder (" + ec.message() + ")");
        Build(staging, options, windows, outcome, err);
        MoveIntoPlace(staging);
    } catch (const std::exception&) {
        std::ostringstream message;
        CliError::ReportCurrent(message);
        std::string text = message.str();
        while (!text.empty() && text.back() == '\n')
            text.pop_back();
        outcome.failed = true;
        outcome.summaryRow = SiteTables::FailedRow(name, text);
        outcome.intervalRows.clear();
        err << text << '\n';
    }
    fs::remove_all(staging, ec);
    outcome.messages = err.str();
    return outcome;
}

} // namespace korvane
