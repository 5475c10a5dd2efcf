#pragma once

#include <QByteArray>
#include <QPageSize>

#include <filesystem>
#include <string>

namespace korvane {

class CKorvaneDoc;

// What a report says about itself rather than about the sounding.
struct ReportOptions {
    std::string date; // "YYYY-MM-DD", the day the report is issued
    QPageSize::PageSizeId paper = QPageSize::A4;
};

// A sounding's report as a PDF an engineer can hand over. Page 1: the title block (project,
// location, test date, client, geometry, method, filter band, unit weights), the filtered waves
// with their windows, and the velocity and r² profiles side by side. Then the interval table of
// SelectedIntervals with Gmax, flowing onto as many pages as it needs with its header repeated,
// the time-averaged velocity with the site classes, and what each quality flag means with the
// thresholds in use. Every page has a header (project and location) and a footer (program,
// date of issue, page n of N). The plots are the renderer's frames through a painter canvas,
// so lines stay vectors and all text is text. Owns nothing.
class ReportWriter {
public:
    // The PDF's bytes; pages, when given, receives the page count. Throws KorvaneError when the
    // sounding has no interval results or the PDF cannot be made.
    static QByteArray Pdf(const CKorvaneDoc& doc, const ReportOptions& options,
                          int* pages = nullptr);

    // Writes the PDF to path through a temporary file beside it, so a failure keeps a
    // previous file. Returns the page count. Throws KorvaneError saying why it failed.
    static int Save(const CKorvaneDoc& doc, const ReportOptions& options,
                    const std::filesystem::path& path);

    // The paper the user's locale asks for: US Letter where LC_PAPER names a paper 279 mm high
    // (the C library's locale data), A4 otherwise; where the C library cannot say (no such
    // locale installed), US Letter when Qt's locale measures in US units.
    static QPageSize::PageSizeId LocalePaper();
};

} // namespace korvane
