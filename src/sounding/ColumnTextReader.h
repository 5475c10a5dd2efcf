#pragma once

#include "sounding/ImportOptions.h"
#include "sounding/Recording.h"

#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// Reads text recordings of other recorders: any number of header lines, then rows of numbers
// separated by blanks, tabs, commas or semicolons (with semicolons and no decimal point, commas
// are decimal commas). The first column is time, every further column a channel. The data start
// at the first run of three rows of numbers; from there every non-blank line must be a row with
// as many numbers. The header lines become "KEYWORD value" entries; the last one may name the
// time unit ("Time(s)"). The time column sets the interval and the trigger time (TimeColumn).
class ColumnTextReader {
public:
    // text: the whole file; keeps the samples of the 0-based channels in `decode`. Throws
    // KorvaneError naming the line of a defect (the caller names the file).
    static Recording Read(std::string_view text, const std::vector<int>& decode, TimeUnit unit,
                          const std::string& path);
};

} // namespace korvane
