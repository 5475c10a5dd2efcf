#include "analysis/AgsExport.h"

#include "analysis/AgsGroup.h"
#include "analysis/SelectedIntervals.h"
#include "analysis/ShearModulus.h"
#include "analysis/SiteClassification.h"
#include "dsp/CSpectralFilter.h"
#include "dsp/KorvaneError.h"
#include "sounding/AtomicFile.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/FixedDecimal.h"

#include <cmath>
#include <map>
#include <set>
#include <utility>

namespace korvane {

namespace {

using Heading = AgsGroup::Heading;

constexpr const char* kNotWritten = "The AGS file could not be written: ";
constexpr const char* kTest = "1";     // ISTG_TESN: one test per file
constexpr const char* kReceiver = "1"; // ISTR_REF: one receiver

// Definitions the file carries for the codes, types and units it uses.
const std::map<std::pair<std::string, std::string>, std::string>& AbbreviationTexts() {
    static const std::map<std::pair<std::string, std::string>, std::string> texts = {
        {{"LOCA_TYPE", "SCPT"}, "Seismic cone penetration test"},
        {{"ISTG_TYPE", "SCPT"}, "Seismic cone penetration test"},
        {{"ISTG_RECC", "SINGLE"}, "Single receiver"},
        {{"ISTA_RCOM", "X"}, "Horizontal receiver component, along the strike"},
        {{"ISTA_MIVL", "PSEUDO"},
         "Pseudo interval: one receiver, a separate strike at each test depth"},
        {{"ISTA_WVTY", "S"}, "Shear wave"},
        {{"ISTA_FTU", "BANDPASS"}, "Band-pass filter"},
        {{"DICT_TYPE", "HEADING"}, "Definition of a heading"},
        {{"DICT_STAT", "OTHER"}, "Heading that is neither key nor required"},
    };
    return texts;
}

const std::map<std::string, std::string>& TypeTexts() {
    static const std::map<std::string, std::string> texts = {
        {"0DP", "Value; 0 decimal places"},
        {"1DP", "Value; 1 decimal place"},
        {"2DP", "Value; 2 decimal places"},
        {"3DP", "Value; 3 decimal places"},
        {"DT", "Date time in international format"},
        {"ID", "Unique identifier"},
        {"PA", "Text listed in ABBR group"},
        {"PT", "Text listed in TYPE group"},
        {"PU", "Text listed in UNIT group"},
        {"X", "Text"},
        {"YN", "Yes or No"},
    };
    return texts;
}

const std::map<std::string, std::string>& UnitTexts() {
    static const std::map<std::string, std::string> texts = {
        {"Hz", "hertz"},       {"m", "metre"},        {"m/s", "metres per second"},
        {"MPa", "megapascal"}, {"ms", "millisecond"}, {"yyyy-mm-dd", "year month day"},
    };
    return texts;
}

// A number as the data type has it; empty (null) when it does not exist.
std::string Fixed(double value, int decimals) {
    return std::isfinite(value) ? FixedDecimal::Rounded(value, decimals) : std::string();
}

// Refuses what an ASCII file cannot carry; the metadata refuses control characters already.
const std::string& Ascii(const std::string& text, const char* what) {
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e)
            throw KorvaneError(std::string(kNotWritten) + "the " + what +
                               " holds a character that is not ASCII, which AGS files cannot "
                               "carry.");
    return text;
}

bool Usable(double velocity) {
    return std::isfinite(velocity) && velocity > 0.0;
}

std::string TimeMethod(const SelectedIntervals& selected) {
    switch (selected.settings.lag) {
    case LagMethod::Subsample:
        return "Cross correlation, peak refined between samples";
    case LagMethod::Phase:
        return "Cross-spectrum phase slope";
    case LagMethod::Integer:
        break;
    }
    return "Cross correlation";
}

std::string VelocityMethod(const SelectedIntervals& selected) {
    std::string text = "Straight line slant distance";
    if (selected.settings.fit != FitMethod::Pairs)
        text += ", least squares over " + std::to_string(selected.settings.FitPoints()) + " depths";
    return text;
}

std::string Remark(const IntervalEstimate& interval, const SelectedIntervals& selected,
                   double unitWeight) {
    std::string text = "r2 " + FixedDecimal::Rounded(interval.r2, 3);
    if (std::isfinite(interval.standardError))
        text += "; standard error " + FixedDecimal::Rounded(interval.standardError, 1) + " m/s";
    if (!selected.flagsAssessed)
        text += "; quality flags not assessed";
    else if (interval.flags != 0)
        text += "; flags " + AnalysisResults::FlagNames(interval.flags);
    text += "; unit weight " + FixedDecimal::Rounded(unitWeight, 1) + " kN/m3";
    return text;
}

std::string SiteRemark(const CKorvaneDoc& doc, const SelectedIntervals& selected) {
    const SiteClassification site = SiteClassification::Of(selected.intervals);
    const double bin = 1.0 / (doc.samplesPerRecord * kSampleInterval);
    std::string text = "Interval velocities by " + selected.MethodText() + ". ";
    text += site.Explanation();
    text += " VsZ " + FixedDecimal::Rounded(site.vsZ, 1) + " m/s; Vs30 ";
    text += std::isnan(site.vs30) ? std::string("not determined")
                                  : FixedDecimal::Rounded(site.vs30, 1) + " m/s";
    text += std::string("; EC8 ground type ") + site.ec8 + "; ASCE 7-22 site class " + site.asce;
    text += ". Band filter: " + FixedDecimal::Rounded(CSpectralFilter::kFirstPassedBin * bin, 1) +
            " to " + FixedDecimal::Rounded((CSpectralFilter::kFirstAttenuatedBin - 1) * bin, 1) +
            " Hz passed, " + FixedDecimal::Rounded(CSpectralFilter::kFirstAttenuatedBin * bin, 1) +
            " to " + FixedDecimal::Rounded(CSpectralFilter::kLastPassedBin * bin, 1) +
            " Hz attenuated by " +
            FixedDecimal::Rounded(20.0 * std::log10(CSpectralFilter::kAttenuation), 0) + " dB.";
    return text;
}

AgsGroup Project(const CKorvaneDoc& doc) {
    AgsGroup group(
        "PROJ",
        {{"PROJ_ID", "", "ID"}, {"PROJ_NAME", "", "X", true}, {"PROJ_CLNT", "", "X", true}});
    const SoundingMetadata& m = doc.metadata;
    group.AddRow({Ascii(m.projectId, "project id"), Ascii(m.projectName, "project name"),
                  Ascii(m.client, "client")});
    return group;
}

AgsGroup Transfer(const CKorvaneDoc& doc, const AgsOptions& options) {
    AgsGroup group("TRAN", {{"TRAN_ISNO", "", "X"},
                            {"TRAN_DATE", "yyyy-mm-dd", "DT"},
                            {"TRAN_PROD", "", "X"},
                            {"TRAN_STAT", "", "X"},
                            {"TRAN_DESC", "", "X"},
                            {"TRAN_AGS", "", "X"},
                            {"TRAN_RECV", "", "X"},
                            {"TRAN_DLIM", "", "X"},
                            {"TRAN_RCON", "", "X"}});
    const std::string& client = doc.metadata.client;
    group.AddRow({"1", options.fileDate, Ascii(options.producer, "producer"),
                  Ascii(options.status, "status"), "Seismic cone interval velocities", "4.2",
                  client.empty() ? "Not stated" : client, "|", "+"});
    return group;
}

AgsGroup Location(const CKorvaneDoc& doc) {
    AgsGroup group("LOCA", {{"LOCA_ID", "", "ID"},
                            {"LOCA_TYPE", "", "PA"},
                            {"LOCA_FDEP", "m", "2DP"},
                            {"LOCA_STAR", "yyyy-mm-dd", "DT", true}});
    const double deepest = doc.depths[static_cast<std::size_t>(doc.recordCount) - 1];
    group.AddRow({Ascii(doc.metadata.locationId, "location id"), "SCPT",
                  Fixed(deepest + doc.geophoneToTip, 2), doc.metadata.testDate});
    return group;
}

AgsGroup Test(const CKorvaneDoc& doc, const SelectedIntervals& selected) {
    AgsGroup group("ISTG", {{"LOCA_ID", "", "ID"},
                            {"ISTG_TESN", "", "X"},
                            {"ISTG_TYPE", "", "PA"},
                            {"ISTG_RECC", "", "PA"},
                            {"ISTG_RECD", "", "X", true},
                            {"ISTG_SOUR", "", "PA", true},
                            {"ISTG_SHOF", "m", "2DP"},
                            {"ISTG_OTOP", "m", "2DP"},
                            {"ISTG_REM", "", "X"},
                            {"ISTG_METH", "", "X"}});
    const SoundingMetadata& m = doc.metadata;
    group.AddRow({m.locationId, kTest, "SCPT", "SINGLE", Ascii(m.receiver, "receiver"),
                  Ascii(m.source, "source"), Fixed(doc.hammerToRod, 2), Fixed(doc.geophoneToTip, 2),
                  SiteRemark(doc, selected),
                  "Downhole seismic cone test, pseudo-interval: one receiver, a surface strike at "
                  "each test depth"});
    return group;
}

AgsGroup Signals(const CKorvaneDoc& doc) {
    AgsGroup group("ISTS", {{"LOCA_ID", "", "ID"},
                            {"ISTG_TESN", "", "X"},
                            {"ISTS_SGLN", "", "X"},
                            {"ISTS_RATE", "ms", "3DP"}});
    for (int k = 0; k < doc.recordCount; ++k)
        group.AddRow({doc.metadata.locationId, kTest, std::to_string(k + 1),
                      Fixed(AgsExport::SourceSampleIntervalMs(doc, k), 3)});
    return group;
}

AgsGroup Receivers(const CKorvaneDoc& doc) {
    AgsGroup group("ISTR", {{"LOCA_ID", "", "ID"},
                            {"ISTG_TESN", "", "X"},
                            {"ISTS_SGLN", "", "X"},
                            {"ISTR_DPTH", "m", "2DP"},
                            {"ISTR_REF", "", "X"},
                            {"ISTR_SSD", "m", "2DP"}});
    const double h = doc.hammerToRod;
    for (int k = 0; k < doc.recordCount; ++k) {
        const double z = doc.depths[static_cast<std::size_t>(k)];
        group.AddRow({doc.metadata.locationId, kTest, std::to_string(k + 1), Fixed(z, 2), kReceiver,
                      Fixed(std::sqrt(z * z + h * h), 2)});
    }
    return group;
}

AgsGroup Analyses(const CKorvaneDoc& doc, const SelectedIntervals& selected) {
    AgsGroup group("ISTA", {{"LOCA_ID", "", "ID"},
                            {"ISTG_TESN", "", "X"},
                            {"ISTA_TOP", "m", "2DP"},
                            {"ISTA_BASE", "m", "2DP"},
                            {"ISTA_ANYN", "", "X"},
                            {"ISTA_DPTH", "m", "2DP"},
                            {"ISTA_RCOM", "", "PA"},
                            {"ISTA_MIVL", "", "PA"},
                            {"ISTA_WVTY", "", "PA"},
                            {"ISTA_UPSR", "ms", "3DP", true},
                            {"ISTA_FTU", "", "PA"},
                            {"ISTA_FMIN", "Hz", "0DP"},
                            {"ISTA_FMAX", "Hz", "0DP"},
                            {"ISTA_WATT", "ms", "3DP", true},
                            {"ISTA_WATB", "ms", "3DP", true},
                            {"ISTA_WATM", "", "X"},
                            {"ISTA_ITM", "", "X"},
                            {"ISTA_WVL", "m/s", "1DP", true},
                            {"ISTA_WVLM", "", "X"},
                            {"ISTA_IVAL", "", "YN"},
                            {"ISTA_REM", "", "X"},
                            {"ISTA_GMAX", "MPa", "1DP", true}});
    const double working = kSampleInterval * 1000.0;
    bool resampled = false;
    for (int k = 0; k < doc.recordCount; ++k)
        resampled = resampled || AgsExport::SourceSampleIntervalMs(doc, k) != working;
    const double bin = 1.0 / (doc.samplesPerRecord * kSampleInterval);
    const std::vector<double> gmax = ShearModulus::OfIntervals(selected.intervals, doc.metadata);
    // Records closer than the 2 decimals of a depth would repeat a key: a second analysis of
    // the same range.
    std::map<std::pair<std::string, std::string>, int> ranges;
    double arrival = 0.0;
    for (std::size_t i = 0; i < selected.intervals.size(); ++i) {
        const IntervalEstimate& interval = selected.intervals[i];
        const std::string top = Fixed(interval.top, 2);
        const std::string base = Fixed(interval.bottom, 2);
        const int analysis = ++ranges[{top, base}];
        const double next = arrival + interval.lagMs; // NaN from a gap on stays NaN
        const bool invalid = interval.flags != 0 || !Usable(interval.velocity);
        group.AddRow({doc.metadata.locationId,
                      kTest,
                      top,
                      base,
                      std::to_string(analysis),
                      Fixed(interval.mid, 2),
                      "X",
                      "PSEUDO",
                      "S",
                      resampled ? Fixed(working, 3) : "",
                      "BANDPASS",
                      Fixed(CSpectralFilter::kFirstPassedBin * bin, 0),
                      Fixed(CSpectralFilter::kLastPassedBin * bin, 0),
                      Fixed(arrival, 3),
                      Fixed(next, 3),
                      "Relative to the arrival at the shallowest receiver depth, chained from the "
                      "interval times",
                      TimeMethod(selected),
                      Fixed(interval.velocity, 1),
                      VelocityMethod(selected),
                      invalid ? "Y" : "N",
                      Remark(interval, selected, doc.metadata.UnitWeightAt(interval.mid)),
                      Fixed(gmax[i], 1)});
        arrival = next;
    }
    return group;
}

AgsGroup Dictionary() {
    AgsGroup group("DICT", {{"DICT_TYPE", "", "PA"},
                            {"DICT_GRP", "", "X"},
                            {"DICT_HDNG", "", "X"},
                            {"DICT_STAT", "", "PA"},
                            {"DICT_DTYP", "", "PT"},
                            {"DICT_DESC", "", "X"},
                            {"DICT_UNIT", "", "PU"},
                            {"DICT_EXMP", "", "X"}});
    group.AddRow({"HEADING", "ISTA", "ISTA_GMAX", "OTHER", "1DP",
                  "Small-strain shear modulus from ISTA_WVL and the unit weight at ISTA_DPTH: "
                  "unit weight / 9.80665 m/s2 x velocity squared",
                  "MPa", "73.4"});
    return group;
}

// ABBR, TYPE and UNIT groups defining what the other groups use.
std::vector<AgsGroup> Definitions(const std::vector<AgsGroup>& groups) {
    std::set<std::pair<std::string, std::string>> codes;
    std::set<std::string> types = {"X"}; // the definition groups' own
    std::set<std::string> units;
    for (const AgsGroup& group : groups) {
        const std::vector<Heading>& headings = group.Headings();
        for (std::size_t h = 0; h < headings.size(); ++h) {
            types.insert(headings[h].type);
            if (!headings[h].unit.empty())
                units.insert(headings[h].unit);
            for (const std::vector<std::string>& row : group.Rows()) {
                if (row[h].empty())
                    continue;
                if (headings[h].type == "PA")
                    codes.insert({headings[h].name, row[h]});
                else if (headings[h].type == "PT")
                    types.insert(row[h]);
                else if (headings[h].type == "PU")
                    units.insert(row[h]);
            }
        }
    }
    AgsGroup abbr("ABBR", {{"ABBR_HDNG", "", "X"}, {"ABBR_CODE", "", "X"}, {"ABBR_DESC", "", "X"}});
    for (const auto& code : codes) {
        const auto known = AbbreviationTexts().find(code);
        // A code the user typed (the source) describes itself.
        abbr.AddRow({code.first, code.second,
                     known != AbbreviationTexts().end() ? known->second : code.second});
    }
    AgsGroup type("TYPE", {{"TYPE_TYPE", "", "X"}, {"TYPE_DESC", "", "X"}});
    for (const std::string& t : types)
        type.AddRow({t, TypeTexts().at(t)});
    AgsGroup unit("UNIT", {{"UNIT_UNIT", "", "X"}, {"UNIT_DESC", "", "X"}});
    for (const std::string& u : units)
        unit.AddRow({u, UnitTexts().at(u)});
    return {std::move(abbr), std::move(type), std::move(unit)};
}

} // namespace

double AgsExport::SourceSampleIntervalMs(const CKorvaneDoc& doc, int record) {
    if (record >= 0 && static_cast<std::size_t>(record) < doc.sourceIntervals.size())
        return doc.sourceIntervals[static_cast<std::size_t>(record)] * 1000.0;
    return kSampleInterval * 1000.0;
}

std::string AgsExport::Text(const CKorvaneDoc& doc, const AgsOptions& options) {
    if (doc.metadata.projectId.empty() || doc.metadata.locationId.empty())
        throw KorvaneError(std::string(kNotWritten) +
                           "it needs the project id and the location id of the sounding.");
    if (!SoundingMetadata::IsDate(options.fileDate))
        throw KorvaneError(std::string(kNotWritten) + "its date \"" + options.fileDate +
                           "\" is not a date written YYYY-MM-DD.");
    doc.metadata.Check();
    const SelectedIntervals selected = SelectedIntervals::Of(doc);
    if (selected.intervals.empty() || doc.recordCount < 2 ||
        doc.depths.size() < static_cast<std::size_t>(doc.recordCount))
        throw KorvaneError(std::string(kNotWritten) + "the sounding has no interval results.");

    std::vector<AgsGroup> data;
    data.push_back(Project(doc));
    data.push_back(Transfer(doc, options));
    data.push_back(Dictionary());
    data.push_back(Location(doc));
    data.push_back(Test(doc, selected));
    data.push_back(Signals(doc));
    data.push_back(Receivers(doc));
    data.push_back(Analyses(doc, selected));
    for (AgsGroup& group : data)
        group.DropEmptyOptionalHeadings();
    std::vector<AgsGroup> definitions = Definitions(data);

    // PROJ and TRAN first, then the definitions, then the data from the location down.
    std::vector<const AgsGroup*> order = {&data[0], &data[1]};
    for (const AgsGroup& group : definitions)
        order.push_back(&group);
    for (std::size_t g = 2; g < data.size(); ++g)
        order.push_back(&data[g]);
    std::string text;
    for (const AgsGroup* group : order) {
        if (!text.empty())
            text += "\r\n";
        group->AppendTo(text);
    }
    return text;
}

void AgsExport::Save(const CKorvaneDoc& doc, const AgsOptions& options,
                     const std::filesystem::path& path) {
    AtomicFile::Write(path, Text(doc, options), kNotWritten);
}

} // namespace korvane
