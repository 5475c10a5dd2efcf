#include "cli/CommandLine.h"

#include "cli/AgsCommand.h"
#include "cli/AutocorrelateCommand.h"
#include "cli/BatchCommand.h"
#include "cli/CliError.h"
#include "cli/CliOptions.h"
#include "cli/ConvertCommand.h"
#include "cli/DrawingCommands.h"
#include "cli/DrawingHandOff.h"
#include "cli/InspectCommand.h"
#include "cli/OpenCommand.h"
#include "cli/OptionGroups.h"
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

constexpr const char* kFormats = R"text(
Files (recognised by their content, never by their name):
  Wave file    text: 7 header lines, line 2 "Depth: <cone tip depth> m", then one line
               "time amplitude" per sample, 25 us apart (up to 8192 samples; a shorter
               record is filled with its mean).
  Columns      text: any header lines, then rows "time amplitude amplitude ..." separated
               by blanks, tabs, commas or semicolons; --channel N takes amplitude column N.
  SEG-2        the binary format of engineering seismographs (any byte order, data format
               codes 1 to 5); --channel N takes trace N. Pre-trigger samples are dropped.
  GRU          the text container of cone penetration loggers: a record "test N" per
               seismic test ("[SEISMIC TEST=N  DEPTH=<cone tip depth>]") that holds samples;
               its channels (left and right strike) count from 1 in the order the file
               first names them: --channel 1 --opposite-channel 2 takes both strikes.
  Records at another sample interval are resampled to 25 us (band-limited). A text time
  column that does not step by 25 us needs its unit: --time-unit, or a header such as
  "Time(s)" on the line above the rows. --depths overrides any cone tip depth; a file
  that gives none itself (as line 2 of a wave file, DEPTH= of a GRU test) has it from
  --depth-keyword, or from a number followed by "m" in the file name (scpt_12.50m.sg2).
  Depths file  one line "NAME TIPDEPTH" per file (the file name without folder, metres);
               it overrides the depth of every file it names, wave files included. A test
               of a GRU file is "NAME:test N", as inspect lists it.
  Windows file one line "first last" (sample numbers) per record, in ascending depth
               order; blank lines and lines starting with '#' are ignored. Every window must
               satisfy 0 <= first, first + 50 <= last <= 8191.
  Table        "Depth(m)      Velocity(m/s)   r2  " then one line per interval: mid-depth,
               velocity, coefficient of determination, six decimals each.
  Document     the binary .kvn file of the desktop program.
  CSV          the interval results: "top_m,bottom_m,mid_m,lag_ms,vs_m_s,vs_se_m_s,r2,flags,
               gmax_mpa", then one line per interval; "nan" where a value does not exist,
               flags (LOW_R2, SLOW, FAST, NEGATIVE_LAG, WINDOW_EDGE, JUMP, POLARITY) joined
               by '|'; Gmax = unit weight / 9.80665 x Vs^2 at the interval's mid-depth.
  Unit weights one line "TOP_M GAMMA_KN_M3" per layer, tops ascending from 0; blank lines
               and lines starting with '#' are ignored.
  AGS          AGS 4.2 (ags): PROJ, TRAN, ABBR, TYPE, UNIT, DICT, LOCA, ISTG, ISTS, ISTR,
               ISTA; ASCII, CR LF, every field double-quoted.

Exit status: 0 success, 1 a file could not be read or written (nothing is written then),
2 bad usage or windows.
)text";

void AddProcess(CLI::App* process, CliOptions& options, RawOptions& raw,
                MetadataOptions& metadata) {
    process->footer("A folder stands for its regular files in name order. The records are "
                    "put in ascending depth order; \"phase.txt\", \"original_data.txt\" and "
                    "\"recovered_data.txt\" go to the diagnostics folder. --lag, --fit, "
                    "--strike-pairs or --csv also run the interval analysis (records of equal "
                    "depth combined, quality flags); the velocity table stays that of the "
                    "cross-correlation. The CSV carries Gmax from the unit weights. The "
                    "sounding's details (--project-id to --unit-weights) are kept with --save.");
    OptionGroups::AddDistance(process, "--geophone-to-tip", raw.geophoneToTip,
                              "Distance from the cone tip up to the geophone (default 0.18)");
    OptionGroups::AddDistance(process, "--hammer-to-rod", raw.hammerToRod,
                              "Horizontal distance from the hammer to the rod (default 1.22)");
    OptionGroups::AddWindowOptions(process, options);
    process
        ->add_option("--diagnostics", options.diagnosticsDir,
                     "Existing folder for the diagnostic files (default: working "
                     "directory)")
        ->type_name("DIR");
    process
        ->add_option("--table", raw.table,
                     "Write the velocity table to FILE (default \"-\": standard output, unless "
                     "--csv - takes it)")
        ->type_name("FILE");
    process->add_option("--save", options.saveFile, "Save the document")->type_name("FILE.kvn");
    OptionGroups::AddImportOptions(process, options, raw);
    OptionGroups::AddAnalysisOptions(process, options, raw);
    metadata.AddTo(*process);
    OptionGroups::AddQuiet(process, options);
    process
        ->add_option("WAVEFILE", options.inputs,
                     "Recordings (wave, columns, SEG-2, GRU) or folders")
        ->required();
}

void AddOpen(CLI::App* open, CliOptions& options, RawOptions& raw, MetadataOptions& metadata) {
    open->footer("New windows or --hammer-to-rod re-run the cross-correlation, as does "
                 "--correlate. --table needs cross-correlation results. The interval "
                 "analysis runs with the document's settings and the changes of --lag, --fit "
                 "and --strike-pairs, which --save keeps, as it keeps the sounding's "
                 "details. The summary ends with the time-averaged velocity: \"Z_m\" (deepest "
                 "geophone depth), \"VsZ_m_s\", \"Vs30_m_s\", \"EC8\" and \"ASCE7_22\" (\"nan\" "
                 "and \"-\" when not determined; no Vs30 above 30 m).");
    OptionGroups::AddWindowOptions(open, options);
    OptionGroups::AddDistance(open, "--hammer-to-rod", raw.hammerToRod,
                              "Horizontal distance from the hammer to the rod; re-runs the "
                              "correlation");
    open->add_flag("--correlate", options.correlate, "Re-run the cross-correlation");
    open->add_option("--table", raw.table,
                     "Write the velocity table to FILE (\"-\": "
                     "standard output, after the summary)")
        ->type_name("FILE");
    open->add_option("--save", options.saveFile, "Save the document")->type_name("FILE.kvn");
    OptionGroups::AddAnalysisOptions(open, options, raw);
    metadata.AddTo(*open);
    OptionGroups::AddQuiet(open, options);
    open->add_option("FILE.kvn", options.inputs, "The document")->required()->expected(1);
}

void AddAgs(CLI::App* ags, CliOptions& options, RawOptions& raw, MetadataOptions& metadata) {
    ags->footer("INPUT is one .kvn document, or recordings and folders as for process, with the "
                "same processing options. The interval analysis runs with the document's "
                "settings and these options; the velocities are the chosen method's (the "
                "cross-correlation's by default). The file needs a project id and a location "
                "id (given here or kept in the document). It is written through a temporary "
                "file beside FILE, so a failure keeps a previous one.");
    OptionGroups::AddResultOptions(ags, options, raw, metadata, "FILE.ags",
                                   "The AGS file (\"-\": standard output)",
                                   "Date of the file (TRAN_DATE; default: today, UTC)");
}
void AddAutocorrelate(CLI::App* autocorrelate, CliOptions& options, RawOptions& raw,
                      MetadataOptions& /*metadata*/) {
    autocorrelate->footer("INPUT is one .kvn document, or recordings and folders as for process.\n"
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
    OptionGroups::AddDistance(
        autocorrelate, "--geophone-to-tip", raw.geophoneToTip,
        "Distance from the cone tip up to the geophone when loading wave files");
    OptionGroups::AddWindowOptions(autocorrelate, options);
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
    OptionGroups::AddImportOptions(autocorrelate, options, raw);
    OptionGroups::AddQuiet(autocorrelate, options);
    autocorrelate->add_option("INPUT", options.inputs, "Document or recordings")->required();
}

void AddBatch(CLI::App* batch, CliOptions& options, RawOptions& raw, MetadataOptions& metadata) {
    batch->footer(
        "Each SOUNDING is a folder of one sounding's recordings or a .kvn document. Every "
        "sounding goes to DIR/<name>/ (the folder's name, or the document's without .kvn): "
        "velocity-table.txt, intervals.csv (the interval analysis, always run), <name>.kvn and "
        "the diagnostic files of a load. Then DIR/site.csv holds every interval of every "
        "sounding (\"sounding\", then the columns of intervals.csv) and DIR/site-summary.csv "
        "one line per sounding: sounding, records, top_m and bottom_m (its shallowest and "
        "deepest geophone depth), intervals, flagged (intervals with quality flags), z_m, "
        "vsz_m_s, vs30_m_s, ec8 and asce7_22 (as open prints them), error (the message of a "
        "sounding that failed). The details apply to every sounding; a sounding's location id "
        "is its name unless --location-id gives one. A failed sounding does not stop the others; "
        "the exit status is then 1. A windows file fits one sounding only: give --window. A "
        "document keeps its depths and recordings options do not apply to it.");
    OptionGroups::AddDistance(batch, "--geophone-to-tip", raw.geophoneToTip,
                              "Distance from the cone tip up to the geophone (default 0.18)");
    OptionGroups::AddDistance(batch, "--hammer-to-rod", raw.hammerToRod,
                              "Horizontal distance from the hammer to the rod (default 1.22)");
    batch
        ->add_option("--window", options.window,
                     "The same analysis window for every record, in samples (inclusive), or "
                     "auto: a window around each record's S arrival")
        ->type_name("FIRST:LAST|auto");
    // Refused with an explanation rather than unknown.
    batch->add_option("--windows", options.windowsFile)->group("");
    OptionGroups::AddImportOptions(batch, options, raw);
    OptionGroups::AddAnalysisOptions(batch, options, raw, false);
    metadata.AddTo(*batch);
    batch->add_option("--out", options.outDir, "Output folder (created when missing)")
        ->type_name("DIR")
        ->required();
    batch->add_option("--jobs", raw.jobs, "Soundings processed at once (default: one per core)")
        ->type_name("N");
    OptionGroups::AddQuiet(batch, options);
    batch->add_option("SOUNDING", options.inputs, "Folders of recordings or .kvn documents")
        ->required();
}

void AddInspect(CLI::App* inspect, CliOptions& options, RawOptions& raw,
                MetadataOptions& /*metadata*/) {
    inspect->footer("Output: a header line, then one line per trace, tab separated: path, "
                    "format (wave, columns, seg2, gru), trace, samples, interval_s, delay_s, "
                    "tip_depth_m (\"-\" when no rule gives one). Notes go to standard error. "
                    "Exit status 1 names the first defective file.");
    OptionGroups::AddImportOptions(inspect, options, raw);
    inspect->add_option("FILE", options.inputs, "Recordings or folders")->required();
}

void AddConvert(CLI::App* convert, CliOptions& options, RawOptions& raw,
                MetadataOptions& /*metadata*/) {
    convert->footer("DIR/<name>.txt for each FILE; the folder is created. Nothing is written "
                    "when any file is defective, when two files would get the same name or "
                    "when a file would overwrite its input.");
    convert->add_option("--out", options.outDir, "Output folder")->type_name("DIR")->required();
    OptionGroups::AddImportOptions(convert, options, raw);
    convert->add_option("FILE", options.inputs, "Recordings or folders")->required();
}

void AddSimulate(CLI::App* simulate, CliOptions& options, RawOptions& raw,
                 MetadataOptions& /*metadata*/) {
    simulate->footer("The default ground model has five layers (tops 0, 2.6, 7.3, 12.8 and "
                     "18.4 m; Vs 140, 180, 235, 290 and 360 m/s). Cone tip depths run from 1 "
                     "m "
                     "in steps of --step (default 1 m). The same seed gives the same files. With "
                     "--format seg2 each file holds two traces, a left and a right strike (S wave "
                     "of opposite polarity, P wave alike), 8 ms of them before the trigger, and is "
                     "named after its tip depth (shot_07_3.00m.sg2); the windows count from the "
                     "trigger.");
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
    OptionGroups::AddDistance(simulate, "--hammer-to-rod", raw.hammerToRod,
                              "Horizontal distance from the hammer to the rod (default 1.22)");
    OptionGroups::AddDistance(simulate, "--geophone-to-tip", raw.geophoneToTip,
                              "Distance from the cone tip up to the geophone (default 0.18)");
    OptionGroups::AddDistance(simulate, "--step", raw.depthStep,
                              "Distance between test depths (default 1)");
    simulate
        ->add_option("--strikes", raw.strikes,
                     "Shots per depth: 2 writes a left and a right strike (opposite S polarity) "
                     "as two files (default 1)")
        ->type_name("1|2");
    simulate->add_option("--noise", raw.noise, "Standard deviation of the noise (default 0.006)")
        ->type_name("V");
    simulate
        ->add_option("--jitter", raw.jitter,
                     "Standard deviation of each shot's trigger timing error (default 0)")
        ->type_name("MS");
    simulate->add_option("--format", options.format, "File format: wave (default) or seg2")
        ->type_name("wave|seg2");
    simulate
        ->add_option("--sample-interval", raw.sampleInterval,
                     "Seconds between samples, 0.000001 to 0.001 (default 0.000025)")
        ->type_name("SECONDS");
}

// Every command of korvane-cli with its summary. Only the command being run gets its options
// registered: building all of them would cost more than the rest of a --version or --help.
struct CommandEntry {
    const char* name;
    const char* summary;
    void (*add)(CLI::App*, CliOptions&, RawOptions&, MetadataOptions&);
};

const CommandEntry kCommands[] = {
    {"process", "Load recordings, run the cross-correlation and write the velocity table",
     AddProcess},
    {"open",
     "Print a summary of a document; optionally re-run the cross-correlation with new windows or "
     "geometry, write the table and save",
     AddOpen},
    {"ags",
     "Write the sounding's interval results as an AGS 4.2 file (groups LOCA, ISTG, ISTS, ISTR, "
     "ISTA)",
     AddAgs},
    {"autocorrelate",
     "Autocorrelate every record (whole raw wave or windowed filtered wave) and write the curves "
     "as text",
     AddAutocorrelate},
    {"batch",
     "Process many soundings alike, several at once, into one folder with the site's tables",
     AddBatch},
    {"inspect", "List every trace of every recording: format, samples, interval, delay, tip depth",
     AddInspect},
    {"convert",
     "Write every recording as a wave file of Korvane's own format (8192 samples at 25 us, the tip "
     "depth on line 2)",
     AddConvert},
    {"simulate",
     "Write a synthetic sounding: DIR/waves/*.txt (or DIR/records/*.sg2), DIR/windows.txt and "
     "DIR/model.txt (layer model, travel times, true interval velocities)",
     AddSimulate},
};

} // namespace

int CommandLine::Main(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    const std::string version = "korvane-cli " + BuildVersion::Text();
    // CLI11 answers --version by throwing, and unwinding costs more than the answer.
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        out << version << '\n';
        return 0;
    }
    CliOptions options;
    RawOptions raw;
    CLI::App app("korvane-cli: shear-wave velocities from seismic cone penetration tests",
                 "korvane-cli");
    app.set_version_flag("--version", version);
    app.require_subcommand(1);
    app.footer(kFormats);
    // The command named first is the one that can run; the others are listed for --help.
    const std::string first = argc > 1 ? argv[1] : "-";
    MetadataOptions metadata;
    for (const CommandEntry& entry : kCommands) {
        CLI::App* command = app.add_subcommand(entry.name, entry.summary);
        if (first == entry.name)
            entry.add(command, options, raw, metadata);
    }
#ifndef KORVANE_NO_DRAWING
    // Listed for --help only: main() hands them to the drawing program before we parse.
    for (const DrawingCommand& drawing : kDrawingCommands)
        app.add_subcommand(std::string(drawing.name), std::string(drawing.summary));
#endif
    std::string commandList;
    const std::vector<CLI::App*> commands = app.get_subcommands({});
    for (std::size_t i = 0; i < commands.size(); ++i)
        commandList += (i == 0                     ? ""
                        : i + 1 == commands.size() ? " and "
                                                   : ", ") +
                       commands[i]->get_name();

    try {
        // CLI11 would only say that a command is required.
        const bool known = std::any_of(commands.begin(), commands.end(), [&](CLI::App* command) {
            return command->get_name() == first && !DrawingHandOff::IsDrawingCommand(first);
        });
#ifdef KORVANE_NO_DRAWING
        if (DrawingHandOff::IsDrawingCommand(first))
            throw CliError(CliError::kUsage,
                           "korvane-cli: \"" + first +
                               "\" draws with Qt, and this korvane-cli was built without it "
                               "(KORVANE_BUILD_GUI=OFF); the commands are " +
                               commandList);
#endif
        if (!first.starts_with('-') && !known)
            throw CliError(CliError::kUsage, "korvane-cli: unknown command \"" + first +
                                                 "\"; the commands are " + commandList);
        app.parse(argc, argv);
        OptionGroups::ConvertNumbers(raw, options);
        const CLI::App* command = app.get_subcommands().front();
        options.command = command->get_name();
        if (options.command == "process" || options.command == "open") {
            if (command->count("--table") > 0)
                options.table = raw.table;
            if (command->count("--csv") > 0)
                options.csv = raw.csv;
        }
        options.metadata = metadata;
        if (options.command == "process")
            ProcessCommand::Run(options, out, err);
        else if (options.command == "open")
            OpenCommand::Run(options, out, err);
        else if (options.command == "ags")
            AgsCommand::Run(options, out, err);
        else if (options.command == "autocorrelate")
            AutocorrelateCommand::Run(options, out, err);
        else if (options.command == "batch")
            BatchCommand::Run(options, out, err);
        else if (options.command == "inspect")
            InspectCommand::Run(options, out, err);
        else if (options.command == "convert")
            ConvertCommand::Run(options, out, err);
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
