#include "cli/InspectCommand.h"

#include "cli/CliError.h"
#include "cli/CliOptions.h"
#include "cli/InputFileList.h"
#include "cli/SoundingInput.h"
#include "dsp/KorvaneError.h"
#include "sounding/RecordImporter.h"

#include <charconv>
#include <ostream>
#include <vector>

namespace korvane {

namespace {

// The shortest fixed-point text that reads back as the same value: 0.000025, -0.008.
template <class T> std::string Shortest(T value, std::chars_format format) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, format);
    return std::string(text, result.ptr);
}

} // namespace

std::string InspectCommand::Lines(const FileInspection& inspection) {
    std::string lines;
    for (const RecordSummary& record : inspection.records) {
        const std::string path =
            record.section.empty() ? inspection.path : inspection.path + ":" + record.section;
        const std::string depth =
            record.tipDepth ? Shortest(*record.tipDepth, std::chars_format::general) : "-";
        for (std::size_t t = 0; t < record.traces.size(); ++t) {
            const TraceSummary& trace = record.traces[t];
            lines += path + "\t" + FormatName(inspection.format) + "\t" + std::to_string(t + 1) +
                     "\t" + std::to_string(trace.samples) + "\t" +
                     Shortest(trace.interval, std::chars_format::fixed) + "\t" +
                     Shortest(trace.delay, std::chars_format::fixed) + "\t" + depth + "\n";
        }
    }
    return lines;
}

void InspectCommand::Run(const CliOptions& options, std::ostream& out, std::ostream& err) {
    const ImportOptions import = SoundingInput::Import(options);
    const std::vector<std::string> files = InputFileList::Expand(options.inputs);
    std::string table = kHeader;
    std::vector<std::string> notes;
    for (const std::string& path : files) {
        try {
            const FileInspection inspection = RecordImporter::Inspect(path, import);
            table += Lines(inspection);
            notes.insert(notes.end(), inspection.notes.begin(), inspection.notes.end());
        } catch (const KorvaneError& error) {
            throw CliError(CliError::kFailure, path + ": " + error.what());
        }
    }
    for (const std::string& note : notes)
        err << "warning: " << note << '\n';
    out << table;
}

} // namespace korvane
