#include "cli/ConvertCommand.h"

#include "cli/CliError.h"
#include "cli/CliOptions.h"
#include "cli/InputFileList.h"
#include "cli/SoundingInput.h"
#include "dsp/KorvaneError.h"
#include "sounding/RecordImporter.h"
#include "sounding/WaveFileWriter.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <vector>

namespace korvane {

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kSamples = 8192;

struct Output {
    fs::path target;
    std::string text;
};

// Removes the temporary files written so far.
void RemoveAll(const std::vector<fs::path>& paths) {
    for (const fs::path& path : paths) {
        std::error_code ignored;
        fs::remove(path, ignored);
    }
}

} // namespace

void ConvertCommand::Run(const CliOptions& options, std::ostream& out, std::ostream& err) {
    const ImportOptions import = SoundingInput::Import(options);
    const std::vector<std::string> files = InputFileList::Expand(options.inputs);
    const fs::path dir(options.outDir);

    std::vector<Output> outputs;
    std::map<fs::path, std::string> sources; // target -> input, to refuse two of one name
    for (const std::string& path : files) {
        FileImport imported;
        try {
            imported = RecordImporter::Import(path, import, kSamples, 0.0f);
        } catch (const KorvaneError& error) {
            throw CliError(CliError::kFailure, path + ": " + error.what());
        }
        for (const std::string& note : imported.notes)
            err << "warning: " << note << '\n';
        const int channel = import.ChannelsFor(path).front();
        for (const ImportedRecord& record : imported.records) {
            std::string stem = fs::path(path).stem().string();
            if (!record.section.empty()) {
                // "test 5" of x.GRU becomes x_test_5.txt: no blanks in names made here.
                stem += "_" + record.section;
                std::replace_if(
                    stem.end() - static_cast<std::ptrdiff_t>(record.section.size()), stem.end(),
                    [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
            }
            Output output{dir / (stem + ".txt"), {}};
            std::error_code error;
            if (fs::equivalent(output.target, path, error))
                throw CliError(CliError::kUsage,
                               output.target.string() + ": converting would overwrite its input");
            const auto [at, added] = sources.emplace(output.target, path);
            if (!added)
                throw CliError(CliError::kUsage, at->second + " and " + path +
                                                     " would both become " +
                                                     output.target.string());
            const std::vector<std::string> notes = {
                "Converted from: " + fs::path(path).filename().string(),
                std::string("Format: ") + FormatName(imported.format) + ", channel " +
                    std::to_string(channel),
                "Samples: 8192, 25 us apart, sample 0 at the trigger", ""};
            output.text = WaveFileWriter::Text("Korvane wave record", record.tipDepth, notes,
                                               record.traces.front());
            outputs.push_back(std::move(output));
        }
    }

    std::error_code error;
    fs::create_directories(dir, error);
    if (error)
        throw CliError(CliError::kFailure, dir.string() + ": " + error.message());
    std::vector<fs::path> written;
    for (const Output& output : outputs) {
        std::string hidden(1, '.');
        hidden.append(output.target.filename().string()).append(".part");
        const fs::path temporary = dir / hidden;
        written.push_back(temporary);
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << output.text;
        file.close();
        if (!file) {
            RemoveAll(written);
            throw CliError(CliError::kFailure, output.target.string() + ": cannot write the file");
        }
    }
    for (std::size_t k = 0; k < outputs.size(); ++k) {
        fs::rename(written[k], outputs[k].target, error);
        if (error) {
            RemoveAll(written);
            throw CliError(CliError::kFailure, outputs[k].target.string() + ": " + error.message());
        }
    }
    out << "Wrote " << outputs.size() << " wave files to " << dir.string() << '\n';
}

} // namespace korvane
