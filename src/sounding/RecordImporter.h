#pragma once

#include "sounding/ImportOptions.h"
#include "sounding/Recording.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvane {

// One trace as an import would take it.
struct TraceSummary {
    uint32_t samples = 0;    // in the file
    double interval = 25e-6; // seconds, as the import uses it
    double delay = 0.0;      // seconds from the trigger to the first sample
};

// One record (test depth) of a file as an import would take it.
struct RecordSummary {
    std::string section;           // empty when the file holds one record
    std::optional<float> tipDepth; // metres; none when no rule gives one
    DepthSource depthSource = DepthSource::None;
    std::vector<TraceSummary> traces;
};

// What an import dialog shows of a file before anything is loaded.
struct FileInspection {
    std::string path;
    RecordFormat format = RecordFormat::Wave;
    std::vector<RecordSummary> records;
    std::vector<std::string> notes; // warnings, each naming the file
    bool timeUnitNeeded = false;    // the time column does not step by 25 µs and has no unit

    // A wave file at 25 µs without any note: it loads as it always has, without questions.
    bool IsPlainWave() const;
};

// One record of a file on the program's grid.
struct ImportedRecord {
    std::string path;
    std::string section;   // empty when the file holds one record
    float tipDepth = 0.0f; // metres
    DepthSource depthSource = DepthSource::None;
    float depth = 0.0f; // geophone depth: tipDepth - geophoneToTip, as a float, metres
    // One per channel asked for: samplesPerRecord samples 25 µs apart, sample 0 at the trigger.
    std::vector<std::vector<float>> traces;
    // One per trace: seconds between the recording's own samples, as the import read them.
    std::vector<double> intervals;
};

struct FileImport {
    RecordFormat format = RecordFormat::Wave;
    std::vector<ImportedRecord> records;
    std::vector<std::string> notes;
};

// The import layer: turns one input file of any format (recognised by its content) into
// records on the program's grid, with the tip depth of each and notes for the user. Korvane's
// own wave files come out exactly as the wave reader has always read them.
//
// Depth of a record, first rule that gives one: a depth the user edited; the depths file
// (options.depths, by file name); the file's own depth field (line 2 of a wave file); the
// options' header keyword (in the strings of the first channel asked for, then the file's,
// NOTE lines included); a number followed by "m" in the file name.
//
// Defects throw KorvaneError with a text that does not name the file (the caller does, as the
// load reports failedPath).
class RecordImporter {
public:
    static FileInspection Inspect(const std::string& path, const ImportOptions& options,
                                  uint32_t samplesPerRecord = 8192);

    // The channels of options.ChannelsFor(path), samplesPerRecord samples each.
    static FileImport Import(const std::string& path, const ImportOptions& options,
                             uint32_t samplesPerRecord, float geophoneToTip);
    // Several channels of every record (a left and a right strike) from one reading of the file.
    static FileImport Import(const std::string& path, const ImportOptions& options,
                             uint32_t samplesPerRecord, float geophoneToTip,
                             const std::vector<int>& channels);

    // A trace on the grid: samplesPerRecord samples 25 µs apart from its trigger. A trace at
    // 25 µs whose delay is a whole number of samples is copied; any other is resampled (band-
    // limited). Grid samples the trace does not reach take the mean of those it does (a float
    // sum in file order for copied traces, as wave files have always been filled; in double
    // precision when that sum overflows). A trace with no samples gives zeros. Throws KorvaneError,
    // naming `what`, when the trace holds no sample within the record.
    static std::vector<float> OnGrid(const RecordedTrace& trace, uint32_t samplesPerRecord,
                                     const std::string& what);

    // Text files and SEG-2 files are read whole, up to this size.
    static constexpr uint64_t kLargestFile = 256ull << 20;
};

} // namespace korvane
