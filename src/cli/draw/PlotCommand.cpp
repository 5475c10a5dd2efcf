#include "cli/draw/PlotCommand.h"

#include "analysis/CorrelationRuns.h"
#include "analysis/IntervalAnalysis.h"
#include "cli/CliError.h"
#include "cli/CliOptions.h"
#include "cli/CommandOutputs.h"
#include "cli/DrawingCommands.h"
#include "cli/NumberText.h"
#include "cli/OptionGroups.h"
#include "cli/SoundingInput.h"
#include "cli/TerminalProgress.h"
#include "cli/WindowSettings.h"
#include "cli/draw/OffscreenApplication.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "view/PlotExporter.h"
#include "view/SitePlot.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <new>
#include <ostream>
#include <sstream>

namespace korvane {

namespace {

constexpr const auto& kModeNames = kDisplayModeNames;

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool IsDocumentPath(const std::string& path) {
    return path.size() > 4 && EqualNoCase(std::string_view(path).substr(path.size() - 4), ".kvn");
}

// Fills in what the mode draws and the source lacks: correlation results, correlation
// functions and lags, or autocorrelations.
void ComputeWhatTheModeShows(CKorvaneDoc& doc, int32_t mode, const std::string& source, bool quiet,
                             std::ostream& err) {
    const bool needsCorrelation =
        ((mode == CrossCorrelationVelocity || mode == DeterminationProfile) && !doc.resultsValid) ||
        ((mode == CorrelationFunctions || mode == AlignedWindows) &&
         (doc.correlationFunctions.empty() || doc.lags.empty()));
    const bool needsRaw = (mode == RawAutocorrelations && doc.rawAutocorrelations.empty()) ||
                          (mode == SpareTable && doc.spareTable.empty());
    const bool needsFiltered =
        mode == FilteredAutocorrelations && doc.filteredAutocorrelations.empty();
    if (!needsCorrelation && !needsRaw && !needsFiltered)
        return;
    if (!doc.dataLoaded)
        throw CliError(CliError::kFailure, source + ": holds no wave records to compute the " +
                                               PlotCommand::ModeName(mode) + " plot from");
    TerminalProgress progress(stderr, !quiet);
    CommandResult result;
    if (needsCorrelation)
        result = RunCrossCorrelation(doc, progress);
    else if (needsRaw)
        result = RunRawAutocorrelation(doc, progress);
    else
        result = RunFilteredAutocorrelation(doc, progress);
    progress.Finish();
    CommandOutputs::Require(result, err);
    if (!needsCorrelation)
        return;
    CommandOutputs::WarnUnresolvedIntervals(doc, err);
    // The velocity profile adds the series of the method the document's settings choose.
    const CommandResult analysis = IntervalAnalysis::Run(doc, progress);
    progress.Finish();
    if (!analysis.ok())
        err << "warning: the interval analysis did not run: " << analysis.message << '\n';
}

} // namespace

std::optional<int32_t> PlotCommand::ParseMode(std::string_view text) {
    if (const std::optional<int32_t> number = NumberText::ToInt(text))
        return *number >= 0 && *number < static_cast<int32_t>(kModeNames.size()) ? number
                                                                                 : std::nullopt;
    for (std::size_t mode = 0; mode < kModeNames.size(); ++mode)
        if (EqualNoCase(text, kModeNames[mode]))
            return static_cast<int32_t>(mode);
    return std::nullopt;
}

const char* PlotCommand::ModeName(int32_t mode) {
    return mode >= 0 && mode < static_cast<int32_t>(kModeNames.size()) ? kModeNames[mode]
                                                                       : kModeNames[0];
}

std::optional<std::pair<int, int>> PlotCommand::ParseSize(std::string_view text) {
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string_view::npos)
        return std::nullopt;
    const std::optional<int32_t> width = NumberText::ToInt(text.substr(0, x));
    const std::optional<int32_t> height = NumberText::ToInt(text.substr(x + 1));
    auto fits = [](const std::optional<int32_t>& side) {
        return side && *side >= 1 && *side <= PlotExporter::kMaximumSide;
    };
    if (!fits(width) || !fits(height))
        return std::nullopt;
    return std::pair<int, int>(*width, *height);
}

namespace {

struct PlotRequest {
    CliOptions options;
    std::string mode;
    std::string out;
    std::string size = "1200x800";
    std::string geophoneToTip;
    std::string hammerToRod;
    std::string site; // a batch's output folder
};

// The site plot: every sounding's profile from the site table of a batch's output folder.
void RunSite(const PlotRequest& request, const QString& outPath, std::pair<int, int> size,
             std::ostream& out) {
    const std::filesystem::path table = std::filesystem::path(request.site) / "site.csv";
    std::ifstream in(table, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in || in.bad())
        throw CliError(CliError::kFailure, table.string() + ": cannot read the site table (is " +
                                               request.site + " the --out folder of a batch?)");
    std::vector<SiteTables::Profile> profiles;
    try {
        profiles = SiteTables::ReadProfiles(text.str());
    } catch (const KorvaneError& error) {
        throw CliError(CliError::kFailure, table.string() + ": " + error.what());
    }
    if (profiles.empty())
        throw CliError(CliError::kFailure,
                       table.string() + ": holds no intervals; no sounding of the batch succeeded");
    std::string name = std::filesystem::path(request.site).lexically_normal().filename().string();
    if (name.empty())
        name = std::filesystem::path(request.site)
                   .lexically_normal()
                   .parent_path()
                   .filename()
                   .string();
    const std::string title = "Vs profiles of " + std::to_string(profiles.size()) +
                              (profiles.size() == 1 ? " sounding" : " soundings") +
                              (name.empty() ? "" : ", site " + name);
    try {
        PlotExporter::ExportFrame(outPath, size.first, size.second,
                                  [&](PlotCanvas& canvas, ViewGeometry& geometry) {
                                      SitePlot(profiles, canvas, geometry, title).Draw();
                                  });
    } catch (const KorvaneError& error) {
        throw CliError(CliError::kFailure, error.what());
    }
    out << "Site plot of " << profiles.size() << (profiles.size() == 1 ? " sounding" : " soundings")
        << " (" << size.first << "x" << size.second << ") written to " << request.out << '\n';
}

void Run(PlotRequest& request, std::ostream& out, std::ostream& err) {
    CliOptions& options = request.options;
    options.geophoneToTip = OptionGroups::Distance(request.geophoneToTip, "--geophone-to-tip");
    options.hammerToRod = OptionGroups::Distance(request.hammerToRod, "--hammer-to-rod");
    std::optional<int32_t> mode;
    if (!request.mode.empty()) {
        mode = PlotCommand::ParseMode(request.mode);
        if (!mode)
            throw CliError(CliError::kUsage, "--mode " + request.mode +
                                                 ": expected a display mode name (such as "
                                                 "FilteredWaves) or a number from 0 to 11");
    }
    const std::optional<std::pair<int, int>> size = PlotCommand::ParseSize(request.size);
    if (!size)
        throw CliError(CliError::kUsage, "--size " + request.size +
                                             ": expected WIDTHxHEIGHT in pixels, each from "
                                             "1 to " +
                                             std::to_string(PlotExporter::kMaximumSide));
    const QString outPath = QString::fromLocal8Bit(request.out.c_str());
    if (!PlotExporter::FormatForPath(outPath))
        throw CliError(CliError::kUsage,
                       "--out " + request.out + ": the file name must end in .png, .svg or .pdf");
    CommandOutputs::CheckFolderOf(request.out, "--out");
    if (!request.site.empty())
        return RunSite(request, outPath, *size, out);
    if (options.inputs.empty())
        throw CliError(CliError::kUsage, "plot needs INPUT (a document or wave files) or --site");
    const WindowSettings windows = SoundingInput::Windows(options);

    CKorvaneDoc doc;
    const bool document = options.inputs.size() == 1 && IsDocumentPath(options.inputs.front());
    const std::string source = options.inputs.front();
    if (document) {
        SoundingInput::OpenDocument(doc, source, err);
        if (!windows.empty()) {
            if (!doc.dataLoaded)
                throw CliError(CliError::kFailure, source + ": holds no wave records to window");
            windows.Check(doc.recordCount, doc.samplesPerRecord);
            windows.ApplyTo(doc);
            // New windows make the stored results stale.
            doc.resultsValid = 0;
        }
        if (options.hammerToRod && doc.dataLoaded) {
            doc.hammerToRod = static_cast<float>(*options.hammerToRod);
            doc.resultsValid = 0;
        }
    } else {
        TerminalProgress progress(stderr, !options.quiet);
        SoundingInput::LoadWaves(doc, options, windows, progress, err);
    }
    const int32_t shown = mode.value_or(doc.displayMode);
    ComputeWhatTheModeShows(doc, shown, source, options.quiet, err);
    if (shown == PhaseVelocity && doc.phaseVelocities.empty() && doc.recordCount > 1)
        err << source
            << ": a document keeps no phase-spectrum velocities; load the wave files "
               "to plot them\n";
    doc.displayMode = shown;

    // The title line names a document by its file name.
    PlotOptions plot;
    if (document)
        plot.documentName =
            QString::fromLocal8Bit(std::filesystem::path(source).filename().string().c_str())
                .toLatin1()
                .toStdString();
    try {
        PlotExporter::ExportFile(doc, outPath, size->first, size->second, plot);
    } catch (const KorvaneError& error) {
        throw CliError(CliError::kFailure, error.what());
    }
    out << "Plot " << PlotCommand::ModeName(shown) << " (" << size->first << "x" << size->second
        << ") written to " << request.out << '\n';
}

} // namespace

int PlotCommand::Main(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    PlotRequest request;
    CliOptions& options = request.options;
    CLI::App app("Draw one display mode of a document or of wave files into a PNG, SVG or PDF "
                 "file",
                 "korvane-cli plot");
    app.footer("INPUT is one .kvn document, or wave files and folders as for process (the "
               "diagnostic files of the load go to --diagnostics). MODE is a name of the display "
               "modes (Credits, OriginalWaves, FilteredWaves, CrossCorrelationVelocity, "
               "DeterminationProfile, CorrelationFunctions, RawAutocorrelations, SpareWaves, "
               "SpareTable, FilteredAutocorrelations, AlignedWindows, PhaseVelocity; any case) "
               "or its number 0 to 11; by default the document's own mode, or FilteredWaves "
               "after loading wave files. Modes that show correlation results run the "
               "correlation first. --site DIR draws instead the Vs profiles of every sounding "
               "in DIR/site.csv, written by korvane-cli batch --out DIR.");
    CLI::Option* mode =
        app.add_option("--mode", request.mode, "Display mode to draw")->type_name("NAME|NUMBER");
    app.add_option("--out", request.out, "Output file: .png, .svg or .pdf")
        ->type_name("FILE")
        ->required();
    app.add_option("--size", request.size, "Plot size in pixels (default 1200x800)")
        ->type_name("WxH");
    CLI::Option* site =
        app.add_option("--site", request.site,
                       "Draw every sounding's Vs profile of a batch's output folder (its "
                       "site.csv) in one chart, with a legend, instead of INPUT")
            ->type_name("DIR");
    CLI::Option* window = app.add_option("--window", options.window,
                                         "The same analysis window for every record, in samples")
                              ->type_name("FIRST:LAST");
    CLI::Option* windowsFile =
        app.add_option("--windows", options.windowsFile, "A window per record, from a file")
            ->type_name("FILE");
    window->excludes(windowsFile);
    CLI::Option* geophone =
        app.add_option("--geophone-to-tip", request.geophoneToTip,
                       "Distance from the cone tip up to the geophone when loading wave files")
            ->type_name("M");
    CLI::Option* hammer = app.add_option("--hammer-to-rod", request.hammerToRod,
                                         "Horizontal distance from the hammer to the rod")
                              ->type_name("M");
    CLI::Option* diagnostics = app.add_option("--diagnostics", options.diagnosticsDir,
                                              "Existing folder for the diagnostic files of a load")
                                   ->type_name("DIR");
    app.add_flag("-q,--quiet", options.quiet, "No progress bar on standard error");
    CLI::Option* input = app.add_option("INPUT", options.inputs, "Document or wave files");
    for (CLI::Option* sounding : {mode, window, windowsFile, geophone, hammer, diagnostics, input})
        site->excludes(sounding);

    try {
        app.parse(argc, argv);
        options.command = "plot";
        const OffscreenApplication application;
        Run(request, out, err);
        out.flush();
        return 0;
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success))
            return app.exit(error, out, err);
        err << "korvane-cli plot: " << error.what() << "\nRun with --help for more information.\n";
        return CliError::kUsage;
    } catch (const std::exception&) {
        return CliError::ReportCurrent(err);
    }
}

int RunPlotCommand(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    return PlotCommand::Main(argc, argv, out, err);
}

} // namespace korvane
