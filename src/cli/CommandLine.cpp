#include "cli/CommandLine.h"

#include "cli/AutocorrelateCommand.h"
#include "cli/CliError.h"
#include "cli/CliOptions.h"
#include "cli/DrawingCommands.h"
#include "cli/DrawingHandOff.h"
#include "cli/NumberText.h"
#include "cli/OpenCommand.h"
#include "cli/ProcessCommand.h"
#include "cli/SimulateCommand.h"
#include "dsp/KorvaneError.h"
#include "version/BuildVersion.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <new>
#include <ostream>

namespace korvane {

namespace {

constexpr const char* kFormats = R"(
Files:
  Wave file    text: 7 header lines, line 2 "Depth: <cone tip depth> m", then one line
               "time amplitude" per sample (25 us apart whatever the time column says;
               up to 8192 samples, a shorter record is filled with its mean).
  Windows file one line "first last" (sample numbers) per record, in ascending depth
               order; blank lines and lines starting with '#' are ignored. Every window must
               satisfy 0 <= first, first + 50 <= last <= 8191.
  Table        "Depth(m)      Velocity(m/s)   r2  " then one line per interval: mid-depth,
               velocity, coefficient of determination, six decimals each.
  Document     the binary .kvn file of the desktop program.

Exit status: 0 success, 1 a file could not be read or written (nothing is written then),
2 bad usage or windows.
)";

// Raw option texts; numbers are converted strictly once CLI11 is done.
struct RawOptions {
    std::string geophoneToTip;
    std::string hammerToRod;
    std::string depthCount;
    std::string seed;
    std::string table;
    bool filteredWaves = false;
};

CLI::Option* AddDistance(CLI::App* command, const char* name, std::string& text,
                         const char* description) {
    return command->add_option(name, text, description)->type_name("M");
}

void AddWindowOptions(CLI::App* command, CliOptions& options) {
    CLI::Option* window = command
                              ->add_option("--window", options.window,
                                           "The same analysis window for every "
                                           "record, in samples (inclusive)")
                              ->type_name("FIRST:LAST");
    CLI::Option* windows = command
                               ->add_option("--windows", options.windowsFile,
                                            "A window per record: one line \"first last\" per "
                                            "record, in ascending "
                                            "depth order")
                               ->type_name("FILE");
    window->excludes(windows);
}

void AddQuiet(CLI::App* command, CliOptions& options) {
    command->add_flag("-q,--quiet", options.quiet, "No progress bar on standard error");
}

void AddProcess(CLI::App& app, CliOptions& options, RawOptions& raw) {
    CLI::App* process =
        app.add_subcommand("process", "Load wave files, run the cross-correlation and write the "
                                      "velocity table");
    process->footer("A folder stands for its regular files in name order. The records are "
                    "put in ascending depth order; \"phase.txt\", \"original_data.txt\" and "
                    "\"recovered_data.txt\" go to the diagnostics folder.");
    AddDistance(process, "--geophone-to-tip", raw.geophoneToTip,
                "Distance from the cone tip up to the geophone (default 0.18)");
    AddDistance(process, "--hammer-to-rod", raw.hammerToRod,
                "Horizontal distance from the hammer to the rod (default 1.22)");
    AddWindowOptions(process, options);
    process
        ->add_option("--diagnostics", options.diagnosticsDir,
                     "Existing folder for the diagnostic files (default: working "
                     "directory)")
        ->type_name("DIR");
    process
        ->add_option("--table", raw.table,
                     "Write the velocity table to FILE (default \"-\": standard output)")
        ->type_name("FILE");
    process->add_option("--save", options.saveFile, "Save the document")->type_name("FILE.kvn");
    AddQuiet(process, options);
    process->add_option("WAVEFILE", options.inputs, "Wave files or folders")->required();
}

void AddOpen(CLI::App& app, CliOptions& options, RawOptions& raw) {
    CLI::App* open =
        app.add_subcommand("open", "Print a summary of a document; optionally re-run the "
                                   "cross-correlation with "
                                   "new windows or geometry, write the table and save");
    open->footer("New windows or --hammer-to-rod re-run the cross-correlation, as does "
                 "--correlate. --table needs cross-correlation results.");
    AddWindowOptions(open, options);
    AddDistance(open, "--hammer-to-rod", raw.hammerToRod,
                "Horizontal distance from the hammer to the rod; re-runs the "
                "correlation");
    open->add_flag("--correlate", options.correlate, "Re-run the cross-correlation");
    open->add_option("--table", raw.table,
                     "Write the velocity table to FILE (\"-\": "
                     "standard output, after the summary)")
        ->type_name("FILE");
    open->add_option("--save", options.saveFile, "Save the document")->type_name("FILE.kvn");
    AddQuiet(open, options);
    open->add_option("FILE.kvn", options.inputs, "The document")->required()->expected(1);
}

void AddAutocorrelate(CLI::App& app, CliOptions& options, RawOptions& raw) {
    CLI::App* autocorrelate = app.add_subcommand(
        "autocorrelate", "Autocorrelate every record (whole raw wave or windowed filtered "
                         "wave) and write the curves as text");
    autocorrelate->footer("INPUT is one .kvn document, or wave files and folders as for process.\n"
                          "Output: a line \"# <raw|filtered> autocorrelations of <n> records\", "
                          "then per record "
                          "in ascending depth \"record <k> depth <m> first <sample> last <sample> "
                          "values "
                          "<count>\", <count> lines \"<shift in ms>  <coefficient>\" and an empty "
                          "line.");
    CLI::Option* rawFlag =
        autocorrelate->add_flag("--raw", options.rawWaves, "Autocorrelate the whole raw waves");
    CLI::Option* filteredFlag = autocorrelate->add_flag(
        "--filtered", raw.filteredWaves, "Autocorrelate the filtered waves inside their windows");
    rawFlag->excludes(filteredFlag);
    autocorrelate->callback([rawFlag, filteredFlag] {
        if (rawFlag->count() + filteredFlag->count() != 1)
            throw CLI::ValidationError("one of --raw and --filtered is required");
    });
    AddDistance(autocorrelate, "--geophone-to-tip", raw.geophoneToTip,
                "Distance from the cone tip up to the geophone when loading wave files");
    AddWindowOptions(autocorrelate, options);
    autocorrelate
        ->add_option("--diagnostics", options.diagnosticsDir,
                     "Existing folder for the diagnostic files of a load")
        ->type_name("DIR");
    autocorrelate
        ->add_option("--out", options.outFile,
                     "Write the curves to FILE (default "
                     "standard output)")
        ->type_name("FILE");
    autocorrelate->add_option("--save", options.saveFile, "Save the document")
        ->type_name("FILE.kvn");
    AddQuiet(autocorrelate, options);
    autocorrelate->add_option("INPUT", options.inputs, "Document or wave files")->required();
}

void AddSimulate(CLI::App& app, CliOptions& options, RawOptions& raw) {
    CLI::App* simulate = app.add_subcommand(
        "simulate", "Write a synthetic sounding: DIR/waves/*.txt, DIR/windows.txt and "
                    "DIR/model.txt (layer model, travel times, true interval velocities)");
    simulate->footer("The default ground model has five layers (tops 0, 2.6, 7.3, 12.8 and "
                     "18.4 m; Vs 140, 180, 235, 290 and 360 m/s). Cone tip depths run from 1 "
                     "m "
                     "in steps of 1 m. The same seed gives the same files.");
    simulate->add_option("--out", options.outDir, "Output folder")->type_name("DIR")->required();
    simulate->add_option("--depths", raw.depthCount, "Number of test depths, 2 to 200 (default 24)")
        ->type_name("N");
    simulate->add_option("--seed", raw.seed, "Seed of the noise and file names (default 1)")
        ->type_name("S");
    simulate
        ->add_option("--layers", options.layers,
                     "Ground model: TOP:VS:VP per layer (m, m/s), comma separated, tops "
                     "ascending from 0; the last layer has no bottom")
        ->type_name("LIST");
    AddDistance(simulate, "--hammer-to-rod", raw.hammerToRod,
                "Horizontal distance from the hammer to the rod (default 1.22)");
    AddDistance(simulate, "--geophone-to-tip", raw.geophoneToTip,
                "Distance from the cone tip up to the geophone (default 0.18)");
}

std::optional<double> Distance(const std::string& text, const char* name) {
    if (text.empty())
        return std::nullopt;
    const std::optional<double> value = NumberText::ToDouble(text);
    if (!value)
        throw CliError(CliError::kUsage,
                       std::string(name) + " " + text + ": expected a number of metres");
    return value;
}

void ConvertNumbers(const RawOptions& raw, CliOptions& options) {
    options.geophoneToTip = Distance(raw.geophoneToTip, "--geophone-to-tip");
    options.hammerToRod = Distance(raw.hammerToRod, "--hammer-to-rod");
    if (!raw.depthCount.empty()) {
        const std::optional<int32_t> count = NumberText::ToInt(raw.depthCount);
        if (!count || *count < 2 || *count > 200)
            throw CliError(CliError::kUsage, "--depths " + raw.depthCount +
                                                 ": expected a whole number from 2 to 200");
        options.depthCount = *count;
    }
    if (!raw.seed.empty()) {
        const std::optional<uint64_t> seed = NumberText::ToUnsigned(raw.seed);
        if (!seed)
            throw CliError(CliError::kUsage, "--seed " + raw.seed + ": expected a whole number");
        options.seed = *seed;
    }
}

} // namespace

int CommandLine::Main(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CliOptions options;
    RawOptions raw;
    CLI::App app("korvane-cli: shear-wave velocities from seismic cone penetration tests",
                 "korvane-cli");
    app.set_version_flag("--version", "korvane-cli " + BuildVersion::Text());
    app.require_subcommand(1);
    app.footer(kFormats);
    AddProcess(app, options, raw);
    AddOpen(app, options, raw);
    AddAutocorrelate(app, options, raw);
    AddSimulate(app, options, raw);
    // Listed for --help only: main() hands them to the drawing program before we parse.
    for (const DrawingCommand& drawing : kDrawingCommands)
        app.add_subcommand(std::string(drawing.name), std::string(drawing.summary));
    std::string commandList;
    const std::vector<CLI::App*> commands = app.get_subcommands({});
    for (std::size_t i = 0; i < commands.size(); ++i)
        commandList += (i == 0                     ? ""
                        : i + 1 == commands.size() ? " and "
                                                   : ", ") +
                       commands[i]->get_name();

    try {
        // CLI11 would only say that a command is required.
        const std::string first = argc > 1 ? argv[1] : "-";
        const bool known = std::any_of(commands.begin(), commands.end(), [&](CLI::App* command) {
            return command->get_name() == first && !DrawingHandOff::IsDrawingCommand(first);
        });
        if (!first.starts_with('-') && !known)
            throw CliError(CliError::kUsage, "korvane-cli: unknown command \"" + first +
                                                 "\"; the commands are " + commandList);
        app.parse(argc, argv);
        ConvertNumbers(raw, options);
        const CLI::App* command = app.get_subcommands().front();
        options.command = command->get_name();
        if (options.command == "process" || options.command == "open") {
            if (command->count("--table") > 0)
                options.table = raw.table;
        }
        if (options.command == "process")
            ProcessCommand::Run(options, out, err);
        else if (options.command == "open")
            OpenCommand::Run(options, out, err);
        else if (options.command == "autocorrelate")
            AutocorrelateCommand::Run(options, out, err);
        else
            SimulateCommand::Run(options, out);
        out.flush();
        return 0;
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success))
            return app.exit(error, out, err);
        err << "korvane-cli: " << error.what() << "\nRun with --help for more information.\n";
        return CliError::kUsage;
    } catch (const std::exception&) {
        return CliError::ReportCurrent(err);
    }
}

} // namespace korvane
