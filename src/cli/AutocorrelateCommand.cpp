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

namespace korvane {

std::string AutocorrelateCommand::CurvesText(const CKorvaneDoc& doc, bool rawWaves) {
    const std::vector<std::vector<float>>& curves =
        rawWaves ? doc.rawAutocorrelations : doc.filteredAutocorrelations;
    std::size_t longest = 0;
    std::size_t lines = 0;
    for (int32_t k = 0; k < doc.recordCount; ++k) {
        longest = std::max(longest, curves[k].size());
        lines += curves[k].size();
    }
    // Every curve starts at shift 0 and steps by one sample, so the shift column's text is
    // written once: shift j ends at shiftEnds[j].
    std::string shifts;
    std::vector<std::size_t> shiftEnds(longest);
    for (std::size_t j = 0; j < longest; ++j) {
        FixedDecimal::AppendDouble(shifts, static_cast<double>(j) * 0.025);
        shifts += "  ";
        shiftEnds[j] = shifts.size();
    }

    std::string text = "# ";
    text.reserve(shifts.size() * static_cast<std::size_t>(doc.recordCount) + lines * 10 + 128);
    text += rawWaves ? "raw" : "filtered";
    text += " autocorrelations of " + std::to_string(doc.recordCount) + " records\n";
    char line[128];
    char value[FixedDecimal::kFloatRoom + 1];
    for (int32_t k = 0; k < doc.recordCount; ++k) {
        const std::vector<float>& curve = curves[k];
        const SampleWindow window =
            rawWaves ? SampleWindow{0, static_cast<int32_t>(doc.samplesPerRecord) - 1}
                     : doc.windows[k];
        text.append(line, static_cast<std::size_t>(std::snprintf(
                              line, sizeof line, "record %d depth %s first %d last %d values %zu\n",
                              k + 1, FixedDecimal::Text(doc.depths[k]).c_str(), window.first,
                              window.last, curve.size())));
        for (std::size_t j = 0; j < curve.size(); ++j) {
            const std::size_t start = j == 0 ? 0 : shiftEnds[j - 1];
            text.append(shifts, start, shiftEnds[j] - start);
            char* end = FixedDecimal::WriteFloat(value, curve[j]);
            *end++ = '\n';
            text.append(value, end);
        }
        text += '\n';
    }
    return text;
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
    const std::string text = CurvesText(doc, options.rawWaves);
    if (options.outFile.empty() || options.outFile == "-") {
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out)
            throw CliError(CliError::kFailure, "cannot write the autocorrelations");
    } else {
        std::ofstream file(options.outFile, std::ios::binary | std::ios::trunc);
        file.write(text.data(), static_cast<std::streamsize>(text.size()));
        file.close();
        if (!file)
            throw CliError(CliError::kFailure, options.outFile + ": cannot write the file");
    }
    if (!options.saveFile.empty())
        CommandOutputs::Save(doc, options.saveFile);
}

} // namespace korvane
