#pragma once

#include "sounding/ImportOptions.h"
#include "sounding/RecordImporter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvane {

// What a load would take from each file of a selection, under the options of an import dialog,
// and what would stop it. Owns the inspections; reads the files again on every Inspect.
class ImportPreview {
public:
    struct File {
        std::string path;
        std::optional<FileInspection> inspection; // none when the file is defective
        std::string error;                        // the defect, without the file's name
        bool unitNeeded = false; // the time column needs a unit (as first inspected, without one)
    };

    // Inspects every file with the default options.
    ImportPreview(std::vector<std::string> paths, uint32_t samplesPerRecord);

    void Inspect(const ImportOptions& options);

    // True when any readable file is not a plain wave file at 25 µs: a selection of plain wave
    // files loads without questions, and so does one whose only defects are in wave files, which
    // the load reports as it always has.
    bool NeedsQuestions() const;

    const std::vector<File>& Files() const { return files_; }
    const std::vector<std::string>& Paths() const { return paths_; }
    // The most traces (or amplitude columns) any record holds; at least 1.
    int MostTraces() const;
    bool AnyUnitNeeded() const;

    // The unit applies only to the files whose time column needs one, so a file that steps by
    // 25 µs is never read in another unit; Unknown takes it back.
    void SetTimeUnit(ImportOptions& options, TimeUnit unit) const;

    // Why a record of a file cannot be loaded with the options (a missing trace, no tip depth),
    // or empty.
    static std::string RecordProblem(const FileInspection& file, std::size_t record,
                                     const ImportOptions& options);
    // The first reason the load cannot go ahead, naming the file; empty when it can.
    std::string Problem(const ImportOptions& options) const;

    static constexpr const char* kNoDepth = "no tip depth";
    static constexpr const char* kDepthWays =
        ". Type it in the table, give the header keyword that holds it, choose a depths file, or "
        "put it in the file name (scpt_12.50m.sg2).";

    // The file name without its folder.
    static std::string NameOf(const std::string& path);

private:
    std::vector<std::string> paths_;
    uint32_t samplesPerRecord_;
    std::vector<File> files_;
};

} // namespace korvane
