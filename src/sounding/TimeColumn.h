#pragma once

#include "sounding/ImportOptions.h"

#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// Reads the sample interval and the trigger time of a text recording from its time column.
//
// A uniform column that steps by 25 µs (0.000025 s or 0.025 ms within 0.5 %) changes nothing.
// Any other uniform step needs a unit: the user's, else the one the column header names; with
// it the record is resampled from its time column, without it the samples are taken as 25 µs
// apart as ever and a note says what was found. A column that does not step uniformly is
// reported the same way; resampling it is refused when the user gave a unit.
class TimeColumn {
public:
    struct Reading {
        double interval = 25e-6; // seconds
        double delay = 0.0;      // seconds from the trigger to the first sample
        std::string note;        // a warning naming the file, or empty
        bool unitNeeded = false; // a unit would make the file resample
    };

    // times: the column as written; unit: the user's choice (Unknown: none); header: the unit the
    // column header names. honourStart: the first time places the samples after the trigger even
    // at 25 µs (columns files); wave files keep their samples from the first line on unless they
    // are resampled. Throws KorvaneError for a non-uniform column with a unit from the user.
    static Reading Read(const std::vector<double>& times, TimeUnit unit, TimeUnit header,
                        bool honourStart, const std::string& path);

    // The unit named by a column header such as "Time(s)", "Time (ms)" or "t [us]" at the start
    // of the line; Unknown otherwise.
    static TimeUnit UnitOfHeader(std::string_view line);

    static constexpr double kGridInterval = 25e-6; // seconds
};

} // namespace korvane
