#include "analysis/SiteTables.h"

#include "analysis/AnalysisCsv.h"
#include "analysis/SelectedIntervals.h"
#include "analysis/SiteClassification.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/FixedDecimal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace korvane {

namespace {

constexpr std::string_view kSounding = "sounding";

void AppendNumber(std::string& out, double value) {
    out += ',';
    if (std::isfinite(value))
        FixedDecimal::AppendDouble(out, value);
    else
        out += "nan";
}

// The fields of one CSV line (quotes as Field writes them); false when a quote is left open.
bool SplitLine(std::string_view line, std::vector<std::string>& fields) {
    fields.assign(1, {});
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c != '"')
                fields.back() += c;
            else if (i + 1 < line.size() && line[i + 1] == '"')
                fields.back() += line[++i];
            else
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return !quoted;
}

double Number(const std::string& text) {
    if (text == "nan")
        return std::numeric_limits<double>::quiet_NaN();
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        throw KorvaneError("\"" + text + "\" is not a number");
    return value;
}

} // namespace

std::string SiteTables::IntervalHeader() {
    const std::string csv = AnalysisCsv::Text(CKorvaneDoc{});
    return std::string(kSounding) + "," + csv;
}

std::string SiteTables::IntervalRows(std::string_view sounding, const CKorvaneDoc& doc) {
    const std::string csv = AnalysisCsv::Text(doc);
    const std::string name = Field(sounding);
    std::string rows;
    rows.reserve(csv.size() +
                 static_cast<std::size_t>(std::max(doc.recordCount, 1)) * (name.size() + 1));
    // Every line of the sounding's CSV but its header, behind the name.
    for (std::size_t start = csv.find('\n') + 1; start < csv.size();) {
        const std::size_t end = csv.find('\n', start);
        rows += name;
        rows += ',';
        rows.append(csv, start, end - start + 1);
        start = end + 1;
    }
    return rows;
}

std::string SiteTables::SummaryHeader() {
    return "sounding,records,top_m,bottom_m,intervals,flagged,z_m,vsz_m_s,vs30_m_s,ec8,asce7_22,"
           "error\n";
}

std::string SiteTables::SummaryRow(std::string_view sounding, const CKorvaneDoc& doc) {
    const SelectedIntervals selected = SelectedIntervals::Of(doc);
    const std::vector<IntervalEstimate>& intervals = selected.intervals;
    const SiteClassification site = SiteClassification::Of(intervals);
    const auto flagged = std::count_if(intervals.begin(), intervals.end(),
                                       [](const IntervalEstimate& i) { return i.flags != 0; });
    std::string row = Field(sounding);
    row += ',';
    FixedDecimal::AppendInt(row, doc.recordCount);
    const bool depths = !doc.depths.empty();
    AppendNumber(row, depths ? doc.depths.front() : std::nan(""));
    AppendNumber(row, depths ? doc.depths.back() : std::nan(""));
    row += ',';
    FixedDecimal::AppendInt(row, static_cast<long long>(intervals.size()));
    row += ',';
    FixedDecimal::AppendInt(row, flagged);
    AppendNumber(row, site.depth);
    AppendNumber(row, site.vsZ);
    AppendNumber(row, site.vs30);
    row += ',';
    row += site.ec8;
    row += ',';
    row += site.asce;
    row += ",\n";
    return row;
}

std::string SiteTables::FailedRow(std::string_view sounding, std::string_view error) {
    return Field(sounding) + ",,,,,,,,,,," + Field(error) + "\n";
}

std::string SiteTables::Field(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    quoted += '"';
    return quoted;
}

std::vector<SiteTables::Profile> SiteTables::ReadProfiles(std::string_view text) {
    std::vector<Profile> profiles;
    std::vector<std::string> fields;
    std::size_t sounding = 0, top = 0, bottom = 0, velocity = 0, columns = 0;
    std::size_t lineNumber = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::string where = "line " + std::to_string(lineNumber) + ": ";
        if (!SplitLine(line, fields))
            throw KorvaneError(where + "a quoted field is not closed");
        if (lineNumber == 1) {
            auto column = [&](std::string_view name) {
                const auto at = std::find(fields.begin(), fields.end(), name);
                if (at == fields.end())
                    throw KorvaneError("line 1: the column \"" + std::string(name) +
                                       "\" is missing; this is not a site table");
                return static_cast<std::size_t>(at - fields.begin());
            };
            sounding = column(kSounding);
            top = column("top_m");
            bottom = column("bottom_m");
            velocity = column("vs_m_s");
            columns = fields.size();
            continue;
        }
        if (line.empty())
            continue;
        if (fields.size() != columns)
            throw KorvaneError(where + "expected " + std::to_string(columns) + " fields, found " +
                               std::to_string(fields.size()));
        Profile::Step step;
        try {
            step = {Number(fields[top]), Number(fields[bottom]), Number(fields[velocity])};
        } catch (const KorvaneError& error) {
            throw KorvaneError(where + error.what());
        }
        if (!std::isfinite(step.top) || !std::isfinite(step.bottom))
            throw KorvaneError(where + "the interval has no depth");
        auto profile = std::find_if(profiles.begin(), profiles.end(), [&](const Profile& p) {
            return p.sounding == fields[sounding];
        });
        if (profile == profiles.end())
            profile = profiles.insert(profiles.end(), Profile{fields[sounding], {}});
        profile->steps.push_back(step);
    }
    if (columns == 0)
        throw KorvaneError("the file is empty; this is not a site table");
    return profiles;
}

} // namespace korvane
