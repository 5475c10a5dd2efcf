#pragma once

#include <filesystem>
#include <string>

namespace korvane {

class CKorvaneDoc;

// What an AGS file says about itself rather than about the sounding.
struct AgsOptions {
    std::string fileDate;             // "YYYY-MM-DD", the date the file is produced
    std::string producer = "Korvane"; // TRAN_PROD
    std::string status = "Draft";     // TRAN_STAT
};

// The sounding as an AGS 4.2 data file: ASCII, CR LF, every field double-quoted, groups PROJ,
// TRAN, ABBR, DICT, TYPE, UNIT, LOCA, ISTG (the test), ISTS and ISTR (one signal and one
// receiver row per record), ISTA (one row per interval of SelectedIntervals, with the
// user-defined heading ISTA_GMAX defined in DICT). ABBR, TYPE and UNIT define every
// abbreviation, data type and unit the file uses. Owns nothing.
//
// Written as the dictionary has it: depths and distances to 2 decimals in m, velocities to 1
// in m/s, times to 3 in ms, the filter band to whole Hz. Intervals are pseudo-intervals (one
// receiver, a strike at each depth); arrival times are relative to the shallowest record's,
// chained from the interval delays; an interval is marked invalid (ISTA_IVAL "Y") when it
// carries a quality flag or has no positive finite velocity.
class AgsExport {
public:
    // Throws KorvaneError when the sounding has no interval results, when the project id or
    // the location id is empty, when a text holds a character outside printable ASCII, or when
    // options.fileDate is not a date.
    static std::string Text(const CKorvaneDoc& doc, const AgsOptions& options);

    // Writes Text to path through a temporary file, so a failure keeps the previous file.
    static void Save(const CKorvaneDoc& doc, const AgsOptions& options,
                     const std::filesystem::path& path);

    // The sample interval record k was recorded at, in ms (ISTS_RATE): the document's
    // sourceIntervals, 25 µs when it has none (wave files). Where one differs, ISTA_UPSR gives
    // the working interval the records were resampled to.
    static double SourceSampleIntervalMs(const CKorvaneDoc& doc, int record);
};

} // namespace korvane
