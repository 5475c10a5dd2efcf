#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvane {

// The kinds of input file Korvane reads, recognised by their content.
enum class RecordFormat {
    Wave,    // Korvane's own text: 7 header lines, the tip depth on line 2, "time amplitude" lines
    Columns, // text: header lines, then rows of numbers, time first, then one column per channel
    Seg2,    // the SEG-2 binary format of engineering seismographs
    Gru,     // the text container of cone loggers: one section per seismic test, several channels
};

// "wave", "columns", "seg2", "gru".
inline const char* FormatName(RecordFormat format) {
    switch (format) {
    case RecordFormat::Wave:
        return "wave";
    case RecordFormat::Columns:
        return "columns";
    case RecordFormat::Seg2:
        return "seg2";
    case RecordFormat::Gru:
        return "gru";
    }
    return "wave";
}

// Where a record's tip depth came from, in the order they are tried.
enum class DepthSource {
    Edited,       // a per-file override (the user typed it)
    DepthsFile,   // a NAME TIPDEPTH line of a depths file
    RecordHeader, // the file's own depth field: line 2 of a wave file
    Keyword,      // the first number of a named header keyword
    FileName,     // a number followed by "m" in the file name
    None,
};

// "KEYWORD value" of a header: a SEG-2 string, a NOTE line, a header line of a text file.
struct HeaderEntry {
    std::string keyword;
    std::string value;
};

// One channel of a recording at the recorder's own sampling, before it is put on the record
// grid. Owns its samples.
struct RecordedTrace {
    uint32_t sampleCount = 0;   // samples the file holds for this trace
    double interval = 25e-6;    // seconds between samples
    double delay = 0.0;         // seconds from the trigger to the first sample; < 0: before it
    std::vector<float> samples; // decoded only for the channels asked for, else empty
    std::vector<HeaderEntry> strings; // the trace's own header entries
};

// One test depth of a file: most files hold one, a container of a logger holds one per depth.
struct RecordedSection {
    std::string name;                 // empty when the file holds one record
    std::optional<float> tipDepth;    // the record's own depth field, metres
    std::vector<HeaderEntry> strings; // header entries of the file or section
    std::vector<RecordedTrace> traces;
};

// Everything a reader took from one file. Notes are warnings for the user, each naming the file.
struct Recording {
    RecordFormat format = RecordFormat::Wave;
    std::vector<RecordedSection> sections;
    std::vector<std::string> notes;
    // The time column does not step by 25 µs and no time unit says how to read it.
    bool timeUnitNeeded = false;
};

} // namespace korvane
