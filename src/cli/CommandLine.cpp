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

// Raw option texts; numbers are converted strictly once CLI11 is done.
struct RawOptions {
    std::string channel;
    std::string sampleInterval;
    std::string geophoneToTip;
    std::string hammerToRod;
    std::string depthCount;
    std::string seed;
    std::string table;
    bool filteredWaves = false;
    std::string lag;
    std::string fit;
    std::string oppositeChannel;
    std::string csv;
    std::string jobs;
    std::string depthStep;
    std::string strikes;
    std::string noise;
    std::string jitter;
};

CLI::Option* AddDistance(CLI::App* command, const char* name, std::string& text,
                         const char* description) {
    return command->add_option(name, text, description)->type_name("M");
}

void AddWindowOptions(CLI::App* command, CliOptions& options) {
    CLI::Option* window = command
                              ->add_option("--window", options.window,
                                           "The same analysis window for every "
                                           "record, in samples (inclusive), or auto: a window "
                                           "around each record's S arrival")
                              ->type_name("FIRST:LAST|auto");
    CLI::Option* windows = command
                               ->add_option("--windows", options.windowsFile,
                                            "A window per record: one line \"first last\" per "
                                            "record, in ascending "
                                            "depth order")
                               ->type_name("FILE");
    window->excludes(windows);
}

void AddAnalysisOptions(CLI::App* command, CliOptions& options, RawOptions& raw, bool csv = true) {
    command
        ->add_option("--lag", raw.lag,
                     "Interval analysis: delays in whole samples (default), refined between "
                     "samples, or from the cross-spectrum phase")
        ->type_name("integer|subsample|phase");
    command
        ->add_option("--fit", raw.fit,
                     "Interval analysis: velocities of successive pairs (default) or least "
                     "squares over 3, 5 or 7 depths")
        ->type_name("pairs|lsq3|lsq5|lsq7");
    command->add_flag("--strike-pairs", options.strikePairs,
                      "Interval analysis: records of equal depth are left and right strikes; "
                      "check their opposite polarity");
    command
        ->add_option("--opposite-channel", raw.oppositeChannel,
                     "Interval analysis: trace N of every file is the opposite strike")
        ->type_name("N");
    if (!csv)
        return;
    command
        ->add_option("--csv", raw.csv,
                     "Write the interval results and Gmax as CSV to FILE (\"-\": standard "
                     "output)")
        ->type_name("FILE");
}

void AddImportOptions(CLI::App* command, CliOptions& options, RawOptions& raw) {
    command
        ->add_option("--channel", raw.channel,
                     "Trace (SEG-2), amplitude column (text) or channel (GRU) to take, from 1 "
                     "(default 1)")
        ->type_name("N");
    command
        ->add_option("--depths", options.depthsFile,
                     "Cone tip depths: one line \"NAME TIPDEPTH\" per file (file name without "
                     "folder, metres); overrides what the files say")
        ->type_name("FILE");
    command
        ->add_option("--depth-keyword", options.depthKeyword,
                     "Header keyword whose value starts with the tip depth (SEG-2 strings and "
                     "NOTE lines, text header lines)")
        ->type_name("KEY");
    command
        ->add_option("--time-unit", options.timeUnit,
                     "Unit of the time column of text files; resamples them to 25 us")
        ->type_name("s|ms|us");
}

void AddQuiet(CLI::App* command, CliOptions& options) {
    command->add_flag("-q,--quiet", options.quiet, "No progress bar on standard error");
}

void AddProcess(CLI::App& app, CliOptions& options, RawOptions& raw, MetadataOptions& metadata) {
    CLI::App* process =
        app.add_subcommand("process", "Load recordings, run the cross-correlation and write the "
                                      "velocity table");
    process->footer("A folder stands for its regular files in name order. The records are "
                    "put in ascending depth order; \"phase.txt\", \"original_data.txt\" and "
                    "\"recovered_data.txt\" go to the diagnostics folder. --lag, --fit, "
                    "--strike-pairs or --csv also run the interval analysis (records of equal "
                    "depth combined, quality flags); the velocity table stays that of the "
                    "cross-correlation. The CSV carries Gmax from the unit weights. The "
                    "sounding's details (--project-id to --unit-weights) are kept with --save.");
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
                     "Write the velocity table to FILE (default \"-\": standard output, unless "
                     "--csv - takes it)")
        ->type_name("FILE");
    process->add_option("--save", options.saveFile, "Save the document")->type_name("FILE.kvn");
    AddImportOptions(process, options, raw);
    AddAnalysisOptions(process, options, raw);
    metadata.AddTo(*process);
    AddQuiet(process, options);
    process
        ->add_option("WAVEFILE", options.inputs,
                     "Recordings (wave, columns, SEG-2, GRU) or folders")
        ->required();
}

void AddOpen(CLI::App& app, CliOptions& options, RawOptions& raw, MetadataOptions& metadata) {
    CLI::App* open =
        app.add_subcommand("open", "Print a summary of a document; optionally re-run the "
                                   "cross-correlation with "
                                   "new windows or geometry, write the table and save");
    open->footer("New windows or --hammer-to-rod re-run the cross-correlation, as does "
                 "--correlate. --table needs cross-correlation results. The interval "
                 "analysis runs with the document's settings and the changes of --lag, --fit "
                 "and --strike-pairs, which --save keeps, as it keeps the sounding's "
                 "details. The summary ends with the time-averaged velocity: \"Z_m\" (deepest "
                 "geophone depth), \"VsZ_m_s\", \"Vs30_m_s\", \"EC8\" and \"ASCE7_22\" (\"nan\" "
                 "and \"-\" when not determined; no Vs30 above 30 m).");
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
    AddAnalysisOptions(open, options, raw);
    metadata.AddTo(*open);
    AddQuiet(open, options);
    open->add_option("FILE.kvn", options.inputs, "The document")->required()->expected(1);
}

void AddAgs(CLI::App& app, CliOptions& options, RawOptions& raw, MetadataOptions& metadata) {
    CLI::App* ags = app.add_subcommand("ags", "Write the sounding's interval results as an AGS "
                                              "4.2 file (groups LOCA, ISTG, ISTS, ISTR, ISTA)");
    ags->footer("INPUT is one .kvn document, or recordings and folders as for process, with the "
                "same processing options. The interval analysis runs with the document's "
                "settings and these options; the velocities are the chosen method's (the "
                "cross-correlation's by default). The file needs a project id and a location "
                "id (given here or kept in the document). It is written through a temporary "
                "file beside FILE, so a failure keeps a previous one.");
    AddDistance(ags, "--geophone-to-tip", raw.geophoneToTip,
                "Distance from the cone tip up to the geophone when loading wave files");
    AddDistance(ags, "--hammer-to-rod", raw.hammerToRod,
                "Horizontal distance from the hammer to the rod (re-runs a document's "
                "correlation)");
    AddWindowOptions(ags, options);
    ags->add_option("--diagnostics", options.diagnosticsDir,
                    "Existing folder for the diagnostic files of a load")
        ->type_name("DIR");
    AddImportOptions(ags, options, raw);
    AddAnalysisOptions(ags, options, raw, false);
    metadata.AddTo(*ags);
    ags->add_option("--out", options.outFile, "The AGS file (\"-\": standard output)")
        ->type_name("FILE.ags")
        ->required();
    ags->add_option("--file-date", options.fileDate,
                    "Date of the file (TRAN_DATE; default: today, UTC)")
        ->type_name("YYYY-MM-DD");
    ags->add_option("--save", options.saveFile, "Save the document")->type_name("FILE.kvn");
    AddQuiet(ags, options);
    ags->add_option("INPUT", options.inputs, "Document, or recordings and folders")->required();
}

void AddAutocorrelate(CLI::App& app, CliOptions& options, RawOptions& raw) {
    CLI::App* autocorrelate = app.add_subcommand(
        "autocorrelate", "Autocorrelate every record (whole raw wave or windowed filtered "
                         "wave) and write the curves as text");
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
    AddImportOptions(autocorrelate, options, raw);
    AddQuiet(autocorrelate, options);
    autocorrelate->add_option("INPUT", options.inputs, "Document or recordings")->required();
}

void AddBatch(CLI::App& app, CliOptions& options, RawOptions& raw, MetadataOptions& metadata) {
    CLI::App* batch = app.add_subcommand(
        "batch", "Process many soundings alike, several at once, into one folder with the site's "
                 "tables");
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
    AddDistance(batch, "--geophone-to-tip", raw.geophoneToTip,
                "Distance from the cone tip up to the geophone (default 0.18)");
    AddDistance(batch, "--hammer-to-rod", raw.hammerToRod,
                "Horizontal distance from the hammer to the rod (default 1.22)");
    batch
        ->add_option("--window", options.window,
                     "The same analysis window for every record, in samples (inclusive), or "
                     "auto: a window around each record's S arrival")
        ->type_name("FIRST:LAST|auto");
    // Refused with an explanation rather than unknown.
    batch->add_option("--windows", options.windowsFile)->group("");
    AddImportOptions(batch, options, raw);
    AddAnalysisOptions(batch, options, raw, false);
    metadata.AddTo(*batch);
    batch->add_option("--out", options.outDir, "Output folder (created when missing)")
        ->type_name("DIR")
        ->required();
    batch->add_option("--jobs", raw.jobs, "Soundings processed at once (default: one per core)")
        ->type_name("N");
    AddQuiet(batch, options);
    batch->add_option("SOUNDING", options.inputs, "Folders of recordings or .kvn documents")
        ->required();
}

void AddInspect(CLI::App& app, CliOptions& options, RawOptions& raw) {
    CLI::App* inspect = app.add_subcommand(
        "inspect", "List every trace of every recording: format, samples, interval, delay, "
                   "tip depth");
    inspect->footer("Output: a header line, then one line per trace, tab separated: path, "
                    "format (wave, columns, seg2, gru), trace, samples, interval_s, delay_s, "
                    "tip_depth_m (\"-\" when no rule gives one). Notes go to standard error. "
                    "Exit status 1 names the first defective file.");
    AddImportOptions(inspect, options, raw);
    inspect->add_option("FILE", options.inputs, "Recordings or folders")->required();
}

void AddConvert(CLI::App& app, CliOptions& options, RawOptions& raw) {
    CLI::App* convert = app.add_subcommand(
        "convert", "Write every recording as a wave file of Korvane's own format (8192 samples "
                   "at 25 us, the tip depth on line 2)");
    convert->footer("DIR/<name>.txt for each FILE; the folder is created. Nothing is written "
                    "when any file is defective, when two files would get the same name or "
                    "when a file would overwrite its input.");
    convert->add_option("--out", options.outDir, "Output folder")->type_name("DIR")->required();
    AddImportOptions(convert, options, raw);
    convert->add_option("FILE", options.inputs, "Recordings or folders")->required();
}

void AddSimulate(CLI::App& app, CliOptions& options, RawOptions& raw) {
    CLI::App* simulate = app.add_subcommand(
        "simulate", "Write a synthetic sounding: DIR/waves/*.txt (or DIR/records/*.sg2), "
                    "DIR/windows.txt and DIR/model.txt (layer model, travel times, true interval "
                    "velocities)");
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
    AddDistance(simulate, "--hammer-to-rod", raw.hammerToRod,
                "Horizontal distance from the hammer to the rod (default 1.22)");
    AddDistance(simulate, "--geophone-to-tip", raw.geophoneToTip,
                "Distance from the cone tip up to the geophone (default 0.18)");
    AddDistance(simulate, "--step", raw.depthStep, "Distance between test depths (default 1)");
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

// A finite number from lowest to highest (inclusive) for a simulate option; range is the same
// bounds as text.
double Bounded(const std::string& text, const char* name, double lowest, double highest,
               const char* range) {
    const std::optional<double> value = NumberText::ToDouble(text);
    if (!value || *value < lowest || *value > highest)
        throw CliError(CliError::kUsage,
                       std::string(name) + " " + text + ": expected a number from " + range);
    return *value;
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
    if (!raw.channel.empty()) {
        const std::optional<int32_t> channel = NumberText::ToInt(raw.channel);
        if (!channel || *channel < 1)
            throw CliError(CliError::kUsage,
                           "--channel " + raw.channel + ": expected a whole number from 1");
        options.channel = *channel;
    }
    if (!options.timeUnit.empty() && options.timeUnit != "s" && options.timeUnit != "ms" &&
        options.timeUnit != "us")
        throw CliError(CliError::kUsage,
                       "--time-unit " + options.timeUnit + ": expected s, ms or us");
    if (options.format != "wave" && options.format != "seg2")
        throw CliError(CliError::kUsage, "--format " + options.format + ": expected wave or seg2");
    if (!raw.sampleInterval.empty()) {
        const std::optional<double> interval = NumberText::ToDouble(raw.sampleInterval);
        if (!interval || *interval < 1e-6 || *interval > 1e-3)
            throw CliError(CliError::kUsage, "--sample-interval " + raw.sampleInterval +
                                                 ": expected seconds from 0.000001 to 0.001");
        options.sampleInterval = *interval;
    }
    options.geophoneToTip = Distance(raw.geophoneToTip, "--geophone-to-tip");
    options.hammerToRod = Distance(raw.hammerToRod, "--hammer-to-rod");
    if (!raw.depthCount.empty()) {
        const std::optional<int32_t> count = NumberText::ToInt(raw.depthCount);
        if (!count || *count < 2 || *count > 200)
            throw CliError(CliError::kUsage, "--depths " + raw.depthCount +
                                                 ": expected a whole number from 2 to 200");
        options.depthCount = *count;
    }
    if (!raw.lag.empty()) {
        options.lag = AnalysisSettings::ParseLag(raw.lag);
        if (!options.lag)
            throw CliError(CliError::kUsage,
                           "--lag " + raw.lag + ": expected integer, subsample or phase");
    }
    if (!raw.fit.empty()) {
        options.fit = AnalysisSettings::ParseFit(raw.fit);
        if (!options.fit)
            throw CliError(CliError::kUsage,
                           "--fit " + raw.fit + ": expected pairs, lsq3, lsq5 or lsq7");
    }
    if (!raw.oppositeChannel.empty()) {
        options.oppositeChannel = NumberText::ToInt(raw.oppositeChannel);
        if (!options.oppositeChannel || *options.oppositeChannel < 1)
            throw CliError(CliError::kUsage, "--opposite-channel " + raw.oppositeChannel +
                                                 ": expected a trace number from 1");
    }
    if (!raw.jobs.empty()) {
        const std::optional<int32_t> jobs = NumberText::ToInt(raw.jobs);
        if (!jobs || *jobs < 1 || *jobs > 1024)
            throw CliError(CliError::kUsage,
                           "--jobs " + raw.jobs + ": expected a whole number from 1 to 1024");
        options.jobs = static_cast<unsigned>(*jobs);
    }
    if (!raw.depthStep.empty())
        options.depthStep = Bounded(raw.depthStep, "--step", 0.01, 10.0, "0.01 to 10");
    if (!raw.strikes.empty()) {
        if (raw.strikes != "1" && raw.strikes != "2")
            throw CliError(CliError::kUsage, "--strikes " + raw.strikes + ": expected 1 or 2");
        options.strikes = raw.strikes == "1" ? 1 : 2;
    }
    if (!raw.noise.empty())
        options.noiseLevel = Bounded(raw.noise, "--noise", 0.0, 10.0, "0 to 10");
    if (!raw.jitter.empty())
        options.triggerJitterMs = Bounded(raw.jitter, "--jitter", 0.0, 10.0, "0 to 10");
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
    // One set of detail options per command: each parse records which were given.
    MetadataOptions processMetadata, openMetadata, agsMetadata, batchMetadata;
    AddProcess(app, options, raw, processMetadata);
    AddOpen(app, options, raw, openMetadata);
    AddAgs(app, options, raw, agsMetadata);
    AddAutocorrelate(app, options, raw);
    AddBatch(app, options, raw, batchMetadata);
    AddInspect(app, options, raw);
    AddConvert(app, options, raw);
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
            if (command->count("--csv") > 0)
                options.csv = raw.csv;
        }
        if (options.command == "process")
            options.metadata = processMetadata;
        else if (options.command == "open")
            options.metadata = openMetadata;
        else if (options.command == "ags")
            options.metadata = agsMetadata;
        else if (options.command == "batch")
            options.metadata = batchMetadata;
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
