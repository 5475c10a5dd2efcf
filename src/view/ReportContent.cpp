#include "view/ReportContent.h"

#include "analysis/SelectedIntervals.h"
#include "analysis/ShearModulus.h"
#include "analysis/SiteClassification.h"
#include "dsp/CSpectralFilter.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/FixedDecimal.h"

#include <charconv>
#include <cmath>

namespace korvane {

namespace {

constexpr const char* kDash = "\u2013"; // a value that does not exist
constexpr const char* kNotStated = "not stated";

// A value as rounded for the table; a dash where it does not exist.
std::string Cell(double value, int decimals) {
    return std::isnan(value) ? std::string(kDash) : FixedDecimal::Rounded(value, decimals);
}

// A threshold as typed: up to six significant digits, no trailing zeros.
std::string Plain(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
    return std::string(text, end.ptr);
}

std::string Metres(double value) {
    return FixedDecimal::Rounded(value, 2) + " m";
}

std::string OrNotStated(const std::string& text) {
    return text.empty() ? std::string(kNotStated) : text;
}

std::string Flags(uint32_t flags) {
    std::string names = AnalysisResults::FlagNames(flags);
    for (std::size_t at = names.find('|'); at != std::string::npos; at = names.find('|', at))
        names.replace(at, 1, ", ");
    return names;
}

std::string UnitWeights(const SoundingMetadata& metadata) {
    std::string text;
    for (const UnitWeightLayer& layer : metadata.unitWeights) {
        if (!text.empty())
            text += "; ";
        text += FixedDecimal::Rounded(layer.gamma, 1) + " kN/m\u00b3 from " + Metres(layer.top);
    }
    return text;
}

void AddTitleBlock(ReportContent& content, const CKorvaneDoc& doc) {
    const SoundingMetadata& m = doc.metadata;
    std::string project = m.projectId;
    if (!m.projectName.empty())
        project += (project.empty() ? "" : " \u2013 ") + m.projectName;
    const std::size_t records = doc.depths.size();
    std::string geophones = std::to_string(records) + " records";
    if (records > 0)
        geophones += ", geophone depths " + FixedDecimal::Rounded(doc.depths.front(), 2) + " to " +
                     Metres(doc.depths.back());
    content.titleBlock = {
        {"Project", OrNotStated(project)},
        {"Client", OrNotStated(m.client)},
        {"Location", OrNotStated(m.locationId)},
        {"Test date", OrNotStated(m.testDate)},
        {"Source", OrNotStated(m.source)},
        {"Receiver", OrNotStated(m.receiver)},
        {"Hammer to rod", Metres(doc.hammerToRod)},
        {"Geophone to tip", Metres(doc.geophoneToTip)},
        {"Records", geophones, true},
        {"Method", content.method, true},
        {"Filter band", ReportContent::FilterBand(doc.samplesPerRecord), true},
        {"Unit weight", UnitWeights(m), true},
    };
}

void AddSite(ReportContent& content, const SiteClassification& site) {
    const bool deep = site.depth >= SiteClassification::kReferenceDepth;
    const std::string notDetermined =
        deep || std::isnan(site.depth) ? "not determined" : "not determined (Z < 30 m)";
    const auto velocity = [&](double value) {
        return std::isnan(value) ? notDetermined : FixedDecimal::Rounded(value, 1) + " m/s";
    };
    const auto siteClass = [&](const char* name) {
        return std::string(name) == "-" ? notDetermined : std::string(name);
    };
    content.siteLines = {
        {"Deepest geophone depth Z",
         std::isnan(site.depth) ? std::string(kDash) : Metres(site.depth)},
        {"VsZ, surface to Z", std::isnan(site.vsZ) ? "not determined" : velocity(site.vsZ)},
        {"Vs30", velocity(site.vs30)},
        {"Eurocode 8 ground type (EN 1998-1, Table 3.1)", siteClass(site.ec8)},
        {"ASCE 7-22 site class (Table 20.2-1)", siteClass(site.asce)},
    };
    content.siteExplanation =
        site.Explanation() +
        " Eurocode 8 types E, S1 and S2 need more than Vs30 and are not assigned.";
}

void AddFlagLegend(ReportContent& content, const SelectedIntervals& selected) {
    const AnalysisSettings& s = selected.settings;
    content.flagLegend = {
        {"LOW_R2", "r\u00b2 of the pair correlation below " + Plain(s.minR2)},
        {"SLOW", "velocity below " + Plain(s.slowVelocity) + " m/s (a negative one included)"},
        {"FAST", "velocity above " + Plain(s.fastVelocity) + " m/s (an infinite one included)"},
        {"NEGATIVE_LAG", "the deeper record arrives first"},
        {"WINDOW_EDGE", "correlation peak beyond " + Plain(s.edgeFraction) + " of the shift range"},
        {"JUMP", "velocity differs from every neighbouring interval by more than " +
                     Plain(s.jumpFraction * 100.0) + " %"},
        {"POLARITY", "a left and right strike pair at one of its depths correlates below " +
                         Plain(s.minStrikeCorrelation) + " when inverted"},
    };
    if (!selected.flagsAssessed)
        content.flagNote = "The quality flags of these intervals were not assessed.";
}

} // namespace

std::string ReportContent::FilterBand(unsigned samplesPerRecord) {
    const double bin = 1.0 / (samplesPerRecord * kSampleInterval);
    const auto hz = [bin](double bins) { return FixedDecimal::Rounded(bins * bin, 1); };
    return hz(CSpectralFilter::kFirstPassedBin) + "\u2013" +
           hz(CSpectralFilter::kFirstAttenuatedBin - 1) + " Hz passed, " +
           hz(CSpectralFilter::kFirstAttenuatedBin) + "\u2013" +
           hz(CSpectralFilter::kLastPassedBin) + " Hz attenuated by " +
           FixedDecimal::Rounded(20.0 * std::log10(CSpectralFilter::kAttenuation), 0) + " dB";
}

ReportContent ReportContent::Of(const CKorvaneDoc& doc) {
    const SelectedIntervals selected = SelectedIntervals::Of(doc);
    if (selected.intervals.empty() || doc.recordCount < 2)
        throw KorvaneError("The report could not be written: the sounding has no interval "
                           "results; run the cross-correlation first.");
    ReportContent content;
    content.method = selected.MethodText();
    AddTitleBlock(content, doc);

    content.tableHeader = {"Top\n(m)",  "Bottom\n(m)", "Mid\n(m)",    "Lag\n(ms)", "Vs\n(m/s)",
                           "SE\n(m/s)", "r\u00b2\n",   "Gmax\n(MPa)", "Flags\n"};
    const std::vector<double> gmax = ShearModulus::OfIntervals(selected.intervals, doc.metadata);
    for (std::size_t i = 0; i < selected.intervals.size(); ++i) {
        const IntervalEstimate& interval = selected.intervals[i];
        std::string flags = selected.flagsAssessed ? Flags(interval.flags) : "n/a";
        content.tableRows.push_back(
            {Cell(interval.top, 2), Cell(interval.bottom, 2), Cell(interval.mid, 2),
             Cell(interval.lagMs, 3), Cell(interval.velocity, 1), Cell(interval.standardError, 1),
             Cell(interval.r2, 3), Cell(gmax[i], 1), flags.empty() ? std::string(kDash) : flags});
        content.flaggedRows.push_back(selected.flagsAssessed && interval.flags != 0);
    }

    AddSite(content, SiteClassification::Of(selected.intervals));
    content.gmaxNote = "Gmax = \u03c1\u00b7Vs\u00b2 with \u03c1 = \u03b3 / 9.80665 m/s\u00b2, "
                       "\u03b3 the unit weight at the interval's mid-depth: " +
                       UnitWeights(doc.metadata) + ".";
    AddFlagLegend(content, selected);
    return content;
}

} // namespace korvane
