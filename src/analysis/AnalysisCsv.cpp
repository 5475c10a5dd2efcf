#include "analysis/AnalysisCsv.h"

#include "dsp/KorvaneError.h"
#include "sounding/FixedDecimal.h"

#include <cmath>
#include <fstream>

namespace korvane {

namespace {

void AppendNumber(std::string& out, double value) {
    if (std::isfinite(value))
        FixedDecimal::AppendDouble(out, value);
    else
        out += "nan";
    out += ',';
}

} // namespace

std::string AnalysisCsv::Text(const AnalysisResults& results) {
    std::string text = "top_m,bottom_m,mid_m,lag_ms,vs_m_s,vs_se_m_s,r2,flags\n";
    for (const IntervalEstimate& i : results.intervals) {
        for (double value : {i.top, i.bottom, i.mid, i.lagMs, i.velocity, i.standardError, i.r2})
            AppendNumber(text, value);
        text += AnalysisResults::FlagNames(i.flags);
        text += '\n';
    }
    return text;
}

void AnalysisCsv::Save(const AnalysisResults& results, const std::filesystem::path& path) {
    const std::string text = Text(results);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        throw KorvaneError("Can't open the selected file!");
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (out.fail())
        throw KorvaneError("The file can't be closed!");
}

} // namespace korvane
