#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// The unit of the time column of a text recording.
enum class TimeUnit { Unknown, Seconds, Milliseconds, Microseconds };

// "s", "ms", "us" (or "µs"); nothing for any other text.
std::optional<TimeUnit> ParseTimeUnit(std::string_view text);
// Seconds per unit; 0 for Unknown.
double SecondsPer(TimeUnit unit);

// What the user changed for one file, typically in an import dialog.
struct FileOverride {
    std::optional<int> channel; // 1-based trace or amplitude column
    std::optional<TimeUnit> timeUnit;
    std::map<std::size_t, float> tipDepths; // record index in the file -> tip depth, metres
};

// How input files become records. The defaults read Korvane's wave files exactly as ever and
// every other format with the first channel.
struct ImportOptions {
    int channel = 1; // 1-based trace (SEG-2) or amplitude column (text)
    // A second trace of every file, recorded with the opposite strike: each file then gives two
    // records of its depth.
    std::optional<int> oppositeChannel;
    TimeUnit timeUnit = TimeUnit::Unknown; // of text time columns; Unknown: the column header's
    std::map<std::string, float> depths;   // file name without folder -> tip depth, metres
    std::string depthKeyword;              // header keyword holding the tip depth; empty: none
    std::map<std::string, FileOverride> overrides; // by path, as the path is given to the import

    // The channels to take from the file at path (1-based; the override's channel first, then
    // the opposite strike's).
    std::vector<int> ChannelsFor(const std::string& path) const;
    TimeUnit TimeUnitFor(const std::string& path) const;
    // The edited tip depth of record `record` of the file, if any.
    std::optional<float> EditedDepth(const std::string& path, std::size_t record) const;
};

} // namespace korvane
