#pragma once

#include <string>
#include <vector>

namespace korvane {

class CKorvaneDoc;

// Every text of a sounding's report, in UTF-8, before anything is laid out: the title block,
// the interval table of SelectedIntervals with Gmax, the time-averaged velocity with the site
// classes, the unit weights behind Gmax and the meaning of each quality flag with the
// thresholds the flags were set with. Owns its texts.
struct ReportContent {
    struct Field {
        std::string label;
        std::string value;
        bool wide = false; // takes the whole width of the title block
    };

    std::vector<Field> titleBlock;
    std::string method;                              // how the velocities were found
    std::vector<std::string> tableHeader;            // two lines each: the name, the unit
    std::vector<std::vector<std::string>> tableRows; // one per interval, as the header
    std::vector<bool> flaggedRows;
    std::vector<Field> siteLines; // Z, VsZ, Vs30 and the two classes
    std::string siteExplanation;
    std::string gmaxNote;
    std::vector<Field> flagLegend; // flag name and its meaning
    std::string flagNote;          // said before the legend; empty when the flags were assessed

    static constexpr int kColumns = 9;
    // Throws KorvaneError when the sounding has no interval results.
    static ReportContent Of(const CKorvaneDoc& doc);
    // "14.6–190.4 Hz passed, 195.3–996.1 Hz attenuated by 21 dB" for records of that length.
    static std::string FilterBand(unsigned samplesPerRecord);
};

} // namespace korvane
