#include "cli/draw/ReportCommand.h"

#include "cli/AgsCommand.h"
#include "cli/CliError.h"
#include "cli/CliOptions.h"
#include "cli/CommandOutputs.h"
#include "cli/DrawingCommands.h"
#include "cli/OptionGroups.h"
#include "cli/SoundingInput.h"
#include "cli/draw/OffscreenApplication.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "view/ReportWriter.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <ostream>

namespace korvane {

namespace {

bool EndsInPdf(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".pdf";
}

void Run(const CliOptions& options, std::ostream& out, std::ostream& err) {
    if (!EndsInPdf(options.outFile))
        throw CliError(CliError::kUsage, "--out " + options.outFile +
                                             ": the report is a PDF file; give a name "
                                             "ending in .pdf");
    ReportOptions report;
    report.date = options.fileDate.empty() ? AgsCommand::Today() : options.fileDate;
    if (!SoundingMetadata::IsDate(report.date))
        throw CliError(CliError::kUsage,
                       "--file-date " + report.date + ": expected a date written YYYY-MM-DD");
    report.paper = ReportWriter::LocalePaper();

    CKorvaneDoc doc;
    SoundingInput::Analysed(doc, options, err, [](const CKorvaneDoc&) {});
    int pages = 0;
    try {
        pages = ReportWriter::Save(doc, report, options.outFile);
    } catch (const KorvaneError& error) {
        throw CliError(CliError::kFailure, options.outFile + ": " + error.what());
    }
    out << "Report (" << pages << (pages == 1 ? " page, " : " pages, ")
        << (report.paper == QPageSize::Letter ? "US Letter" : "A4") << ") written to "
        << options.outFile << '\n';
    if (!options.saveFile.empty())
        CommandOutputs::Save(doc, options.saveFile);
}

} // namespace

int ReportCommand::Main(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CliOptions options;
    RawOptions raw;
    MetadataOptions metadata;
    CLI::App app("Write a sounding's report as a PDF file: title block, filtered waves, velocity "
                 "and r2 profiles, the interval table with Gmax, Vs30 and site classes",
                 "korvane-cli report");
    app.footer("INPUT is one .kvn document, or recordings and folders as for process, with the "
               "same options as ags: the cross-correlation runs where the input has no current "
               "results, then the interval analysis with the document's settings and these "
               "options; the velocities are the chosen method's. The paper is A4, or US Letter "
               "when the locale's paper (LC_PAPER) is Letter. The file is written through a "
               "temporary file beside FILE, so a failure keeps a previous one.");
    OptionGroups::AddResultOptions(&app, options, raw, metadata, "FILE.pdf", "The PDF file",
                                   "Date of issue the report carries (default: today, UTC)");
    try {
        app.parse(argc, argv);
        OptionGroups::ConvertNumbers(raw, options);
        options.command = "report";
        options.metadata = metadata;
        const OffscreenApplication application;
        Run(options, out, err);
        out.flush();
        return 0;
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success))
            return app.exit(error, out, err);
        err << "korvane-cli report: " << error.what()
            << "\nRun with --help for more information.\n";
        return CliError::kUsage;
    } catch (const std::exception&) {
        return CliError::ReportCurrent(err);
    }
}

int RunReportCommand(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    return ReportCommand::Main(argc, argv, out, err);
}

} // namespace korvane
