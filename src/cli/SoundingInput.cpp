#include "cli/SoundingInput.h"

#include "analysis/CorrelationRuns.h"
#include "cli/AnalysisOptions.h"
#include "cli/CliError.h"
#include "cli/CliOptions.h"
#include "cli/CommandOutputs.h"
#include "cli/InputFileList.h"
#include "cli/TerminalProgress.h"
#include "cli/WindowSettings.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/DocumentFile.h"
#include "sounding/LoadPipeline.h"
#include "sounding/TipDepthRules.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <ostream>

namespace korvane {

void SoundingInput::LoadWaves(CKorvaneDoc& doc, const CliOptions& options,
                              const WindowSettings& windows, TerminalProgress& progress,
                              std::ostream& err, unsigned threads) {
    const ImportOptions import = Import(options);
    const std::vector<std::string> files = InputFileList::Expand(options.inputs);
    windows.Check(static_cast<int>(files.size()), doc.samplesPerRecord);

    const std::filesystem::path diagnostics = options.diagnosticsDir.empty()
                                                  ? std::filesystem::path(".")
                                                  : std::filesystem::path(options.diagnosticsDir);
    std::error_code error;
    if (!std::filesystem::is_directory(diagnostics, error))
        throw CliError(CliError::kUsage,
                       "--diagnostics " + diagnostics.string() + ": not an existing folder");

    if (options.geophoneToTip)
        doc.geophoneToTip = static_cast<float>(*options.geophoneToTip);
    if (options.hammerToRod)
        doc.hammerToRod = static_cast<float>(*options.hammerToRod);

    const CommandResult result = LoadSounding(doc, files, diagnostics, progress, import, threads);
    progress.Finish();
    CommandOutputs::Require(result, err);
    windows.ApplyTo(doc);
}

void SoundingInput::Analysed(CKorvaneDoc& doc, const CliOptions& options, std::ostream& err,
                             const std::function<void(const CKorvaneDoc&)>& require) {
    const WindowSettings windows = Windows(options);
    CommandOutputs::CheckFolderOf(options.outFile, "--out");
    CommandOutputs::CheckFolderOf(options.saveFile, "--save");
    AnalysisOptions::CheckUsage(options, false);

    TerminalProgress progress(stderr, !options.quiet);
    bool correlate = true;
    if (IsDocument(options.inputs)) {
        const std::string& path = options.inputs.front();
        OpenDocument(doc, path, err);
        options.metadata.ApplyTo(doc);
        require(doc);
        AnalysisOptions::ApplyTo(options, doc);
        if (!doc.dataLoaded)
            throw CliError(CliError::kFailure, path + ": holds no wave records to analyse");
        windows.Check(doc.recordCount, doc.samplesPerRecord);
        windows.ApplyTo(doc);
        if (options.hammerToRod)
            doc.hammerToRod = static_cast<float>(*options.hammerToRod);
        correlate = options.hammerToRod || !windows.empty() || !doc.resultsValid;
    } else {
        options.metadata.ApplyTo(doc);
        require(doc);
        AnalysisOptions::ApplyTo(options, doc);
        LoadWaves(doc, options, windows, progress, err);
    }
    if (correlate) {
        const CommandResult result = RunCrossCorrelation(doc, progress);
        progress.Finish();
        CommandOutputs::Require(result, err);
        CommandOutputs::WarnUnresolvedIntervals(doc, err);
    }
    AnalysisOptions::Run(doc, progress, err);
}

void SoundingInput::OpenDocument(CKorvaneDoc& doc, const std::string& path, std::ostream& err) {
    DocumentFile::Warnings warnings;
    try {
        warnings = DocumentFile::Load(doc, path);
    } catch (const KorvaneError& error) {
        throw CliError(CliError::kFailure, path + ": " + error.what());
    }
    for (const std::string& warning : warnings)
        err << "warning: " << path << ": " << warning << '\n';
}

ImportOptions SoundingInput::Import(const CliOptions& options) {
    ImportOptions import;
    import.channel = options.channel;
    import.oppositeChannel = options.oppositeChannel;
    import.timeUnit = ParseTimeUnit(options.timeUnit).value_or(TimeUnit::Unknown);
    import.depthKeyword = options.depthKeyword;
    if (!options.depthsFile.empty()) {
        try {
            import.depths = TipDepthRules::ReadDepthsFile(options.depthsFile);
        } catch (const KorvaneError& error) {
            throw CliError(CliError::kUsage, error.what());
        }
    }
    return import;
}

bool SoundingInput::IsDocument(const std::vector<std::string>& inputs) {
    if (inputs.size() != 1)
        return false;
    std::string extension = std::filesystem::path(inputs.front()).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".kvn";
}

WindowSettings SoundingInput::Windows(const CliOptions& options) {
    if (!options.window.empty())
        return WindowSettings::Single(options.window);
    if (!options.windowsFile.empty())
        return WindowSettings::FromFile(options.windowsFile);
    return {};
}

} // namespace korvane
