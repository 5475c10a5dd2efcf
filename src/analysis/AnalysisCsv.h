#pragma once

#include "analysis/AnalysisResults.h"

#include <filesystem>
#include <string>

namespace korvane {

// The interval analysis as comma-separated values: the header line
// "top_m,bottom_m,mid_m,lag_ms,vs_m_s,vs_se_m_s,r2,flags", then one line per interval in depth
// order. Numbers have six decimals and never an exponent, with '.' whatever the locale; "nan"
// stands for a value that does not exist (a missing delay, an infinite velocity, the standard
// error of successive pairs); flags are joined by '|', empty when none. Owns nothing.
class AnalysisCsv {
public:
    static std::string Text(const AnalysisResults& results);

    // Creates or truncates path and writes Text. Throws KorvaneError when the file cannot be
    // written.
    static void Save(const AnalysisResults& results, const std::filesystem::path& path);
};

} // namespace korvane
