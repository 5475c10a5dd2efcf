#include "cli/AutocorrelateCommand.h"

#include "analysis/CorrelationRuns.h"
#include "cli/CliError.h"
#include "cli/CliOptions.h"
#include "cli/CommandOutputs.h"
#include "cli/SoundingInput.h"
#include "cli/TerminalProgress.h"
#include "cli/WindowSettings.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/FixedDecimal.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

namespace korvane {

void AutocorrelateCommand::WriteCurves(const CKorvaneDoc& doc, bool rawWaves, std::ostream& out) {
    const std::vector<std::vector<float>>& curves =
        rawWaves ? doc.rawAutocorrelations : doc.filteredAutocorrelations;
    out << "# " << (rawWaves ? "raw" : "filtered") << " autocorrelations of " << doc.recordCount
        << " records\n";
    char line[128];
    for (int32_t k = 0; k < doc.recordCount; ++k) {
        const std::vector<float>& curve = curves[k];
        const SampleWindow window =
            rawWaves ? SampleWindow{0, static_cast<int32_t>(doc.samplesPerRecord) - 1}
                     : doc.windows[k];
        std::snprintf(line, sizeof line, "record %d depth %s first %d last %d values %zu\n", k + 1,
                      FixedDecimal::Text(doc.depths[k]).c_str(), window.first, window.last,
                      curve.size());
        out << line;
        std::string values;
        for (size_t j = 0; j < curve.size(); ++j) {
            FixedDecimal::AppendDouble(values, static_cast<double>(j) * 0.025);
            values += "  ";
            FixedDecimal::AppendFloat(values, curve[j]);
            values += '\n';
        }
        out << values;
        out << '\n';
    }
}

void AutocorrelateCommand::Run(const CliOptions& options, std::ostream& out, std::ostream& err) {
    const WindowSettings windows = SoundingInput::Windows(options);
    CommandOutputs::CheckFolderOf(options.outFile, "--out");
    CommandOutputs::CheckFolderOf(options.saveFile, "--save");
    CKorvaneDoc doc;
    TerminalProgress progress(stderr, !options.quiet);
    const bool fromDocument = SoundingInput::IsDocument(options.inputs);
    if (fromDocument) {
        SoundingInput::OpenDocument(doc, options.inputs[0], err);
        if (!doc.dataLoaded)
            throw CliError(CliError::kFailure,
                           options.inputs[0] + ": holds no wave records to autocorrelate");
        windows.Check(doc.recordCount, doc.samplesPerRecord);
        windows.ApplyTo(doc);
    } else {
        SoundingInput::LoadWaves(doc, options, windows, progress, err);
    }

    const CommandResult result = options.rawWaves ? RunRawAutocorrelation(doc, progress)
                                                  : RunFilteredAutocorrelation(doc, progress);
    progress.Finish();
    CommandOutputs::Require(result, err);

    // The curves are formatted in full before the file is touched, so a failure
    // leaves no partial output behind.
    std::ostringstream text;
    WriteCurves(doc, options.rawWaves, text);
    if (options.outFile.empty() || options.outFile == "-") {
        out << text.str();
        out.flush();
        if (!out)
            throw CliError(CliError::kFailure, "cannot write the autocorrelations");
    } else {
        std::ofstream file(options.outFile, std::ios::binary | std::ios::trunc);
        file << text.str();
        file.close();
        if (!file)
            throw CliError(CliError::kFailure, options.outFile + ": cannot write the file");
    }
    if (!options.saveFile.empty())
        CommandOutputs::Save(doc, options.saveFile);
}

} // namespace korvane
