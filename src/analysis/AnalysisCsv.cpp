#include "analysis/AnalysisCsv.h"

#include "analysis/SelectedIntervals.h"
#include "analysis/ShearModulus.h"
#include "sounding/AtomicFile.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/FixedDecimal.h"

#include <cmath>

namespace korvane {

namespace {

void AppendNumber(std::string& out, double value) {
    if (std::isfinite(value))
        FixedDecimal::AppendDouble(out, value);
    else
        out += "nan";
}

} // namespace

std::string AnalysisCsv::Text(const CKorvaneDoc& doc) {
    const SelectedIntervals selected = SelectedIntervals::Of(doc);
    const std::vector<double> gmax = ShearModulus::OfIntervals(selected.intervals, doc.metadata);
    std::string text = "top_m,bottom_m,mid_m,lag_ms,vs_m_s,vs_se_m_s,r2,flags,gmax_mpa\n";
    for (std::size_t k = 0; k < selected.intervals.size(); ++k) {
        const IntervalEstimate& i = selected.intervals[k];
        for (double value : {i.top, i.bottom, i.mid, i.lagMs, i.velocity, i.standardError, i.r2}) {
            AppendNumber(text, value);
            text += ',';
        }
        text += AnalysisResults::FlagNames(i.flags);
        text += ',';
        AppendNumber(text, gmax[k]);
        text += '\n';
    }
    return text;
}

void AnalysisCsv::Save(const CKorvaneDoc& doc, const std::filesystem::path& path) {
    AtomicFile::Write(path, Text(doc), "The file could not be written: ");
}

} // namespace korvane
