#pragma once

#include <filesystem>
#include <string>

namespace korvane {

class CKorvaneDoc;

// The sounding's interval results (SelectedIntervals) as comma-separated values: the header line
// "top_m,bottom_m,mid_m,lag_ms,vs_m_s,vs_se_m_s,r2,flags,gmax_mpa", then one line per interval
// in depth order. Numbers have six decimals and never an exponent, with '.' whatever the locale;
// "nan" stands for a value that does not exist (a missing delay, an infinite velocity, the
// standard error of successive pairs, the modulus of a velocity that is not positive); flags are
// joined by '|', empty when none; Gmax uses the unit weight at the interval's mid-depth. Owns
// nothing.
class AnalysisCsv {
public:
    static std::string Text(const CKorvaneDoc& doc);

    // Writes Text to path through a temporary file, so a failure keeps the previous file.
    // Throws KorvaneError saying why when the file cannot be written.
    static void Save(const CKorvaneDoc& doc, const std::filesystem::path& path);
};

} // namespace korvane
