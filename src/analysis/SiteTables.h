#pragma once

#include "analysis/AnalysisResults.h"

#include <string>
#include <string_view>
#include <vector>

namespace korvane {

class CKorvaneDoc;

// The two tables of a site, many soundings processed alike: every interval of every sounding
// (the sounding's name, then the columns of its interval CSV), and one summary line per
// sounding. Each kind of row comes from one function here, so a new column is added in one
// place. Rows end with '\n'; numbers are written as in the interval CSV. Owns nothing.
class SiteTables {
public:
    // "sounding," and the interval CSV's header.
    static std::string IntervalHeader();
    // One row per interval of the sounding's results: its name, then the interval CSV's row.
    static std::string IntervalRows(std::string_view sounding, const CKorvaneDoc& doc);

    static std::string SummaryHeader();
    // Records, the shallowest and deepest geophone depths (metres), the reported intervals and
    // how many of them carry quality flags, Z (metres), VsZ and Vs30 (m/s, nan when not
    // determined) and the EC8 and ASCE 7-22 classes ("-" when not determined); the error
    // column empty.
    static std::string SummaryRow(std::string_view sounding, const CKorvaneDoc& doc);
    // A sounding that could not be processed: only its name and the message.
    static std::string FailedRow(std::string_view sounding, std::string_view error);

    // A CSV field: the text itself, or in double quotes (quotes doubled) when it holds a comma,
    // a quote or a line break.
    static std::string Field(std::string_view text);

    // One sounding's velocity profile as the site table gives it.
    struct Profile {
        struct Step {
            double top = 0.0;      // metres
            double bottom = 0.0;   // metres
            double velocity = 0.0; // m/s, NaN where the interval has none
        };
        std::string sounding;
        std::vector<Step> steps;
    };
    // The profiles of a site table's text, in the order the soundings first appear. Throws
    // KorvaneError naming the line when the text is not such a table.
    static std::vector<Profile> ReadProfiles(std::string_view text);
};

} // namespace korvane
