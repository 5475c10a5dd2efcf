#include "ui/ImportPreview.h"

#include "dsp/KorvaneError.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <new>

namespace korvane {

ImportPreview::ImportPreview(std::vector<std::string> paths, uint32_t samplesPerRecord)
    : paths_(std::move(paths)), samplesPerRecord_(samplesPerRecord) {
    Inspect(ImportOptions{});
    for (File& file : files_)
        file.unitNeeded = file.inspection && file.inspection->timeUnitNeeded;
}

void ImportPreview::Inspect(const ImportOptions& options) {
    std::vector<File> files;
    files.reserve(paths_.size());
    for (std::size_t i = 0; i < paths_.size(); ++i) {
        File& file = files.emplace_back();
        file.path = paths_[i];
        file.unitNeeded = i < files_.size() && files_[i].unitNeeded;
        try {
            file.inspection = RecordImporter::Inspect(file.path, options, samplesPerRecord_);
        } catch (const KorvaneError& error) {
            file.error = error.what();
        } catch (const std::bad_alloc&) {
            file.error = "Memory allocation fails!";
        } catch (const std::exception& error) {
            file.error = error.what();
        }
    }
    files_ = std::move(files);
}

bool ImportPreview::NeedsQuestions() const {
    return std::any_of(files_.begin(), files_.end(), [](const File& file) {
        return file.inspection && !file.inspection->IsPlainWave();
    });
}

int ImportPreview::MostTraces() const {
    std::size_t most = 1;
    for (const File& file : files_)
        if (file.inspection)
            for (const RecordSummary& record : file.inspection->records)
                most = std::max(most, record.traces.size());
    return static_cast<int>(std::min<std::size_t>(most, 9999));
}

bool ImportPreview::AnyUnitNeeded() const {
    return std::any_of(files_.begin(), files_.end(),
                       [](const File& file) { return file.unitNeeded; });
}

void ImportPreview::SetTimeUnit(ImportOptions& options, TimeUnit unit) const {
    for (const File& file : files_) {
        if (!file.unitNeeded)
            continue;
        if (unit != TimeUnit::Unknown)
            options.overrides[file.path].timeUnit = unit;
        else if (const auto found = options.overrides.find(file.path);
                 found != options.overrides.end())
            found->second.timeUnit.reset();
    }
}

std::string ImportPreview::RecordProblem(const FileInspection& file, std::size_t record,
                                         const ImportOptions& options) {
    const RecordSummary& summary = file.records[record];
    const bool text = file.format == RecordFormat::Wave || file.format == RecordFormat::Columns;
    for (int channel : options.ChannelsFor(file.path))
        if (channel < 1 || static_cast<std::size_t>(channel) > summary.traces.size())
            return std::string("there is no ") + (text ? "channel " : "trace ") +
                   std::to_string(channel) + "; the file holds " +
                   std::to_string(summary.traces.size());
    if (summary.depthSource == DepthSource::None || !summary.tipDepth)
        return kNoDepth;
    return {};
}

std::string ImportPreview::Problem(const ImportOptions& options) const {
    if (options.oppositeChannel && *options.oppositeChannel == options.channel)
        return "The opposite strike must be another trace than the channel.";
    // A defect first: the dialog cannot mend it.
    for (const File& file : files_)
        if (!file.inspection)
            return NameOf(file.path) + ": " + file.error;
    for (const File& file : files_) {
        for (std::size_t r = 0; r < file.inspection->records.size(); ++r)
            if (std::string problem = RecordProblem(*file.inspection, r, options); !problem.empty())
                return NameOf(file.path) + ": " + problem +
                       (problem == kNoDepth ? std::string(kDepthWays) : std::string());
    }
    return {};
}

std::string ImportPreview::NameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

} // namespace korvane
