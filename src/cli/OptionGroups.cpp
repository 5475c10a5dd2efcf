#include "cli/OptionGroups.h"

#include "cli/CliError.h"
#include "cli/CliOptions.h"
#include "cli/MetadataOptions.h"
#include "cli/NumberText.h"

#include <CLI/CLI.hpp>

namespace korvane {

namespace {

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

} // namespace

std::optional<double> OptionGroups::Distance(const std::string& text, const char* name) {
    if (text.empty())
        return std::nullopt;
    const std::optional<double> value = NumberText::ToDouble(text);
    if (!value)
        throw CliError(CliError::kUsage,
                       std::string(name) + " " + text + ": expected a number of metres");
    return value;
}

CLI::Option* OptionGroups::AddDistance(CLI::App* command, const char* name, std::string& text,
                                       const char* description) {
    return command->add_option(name, text, description)->type_name("M");
}

void OptionGroups::AddWindowOptions(CLI::App* command, CliOptions& options) {
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

void OptionGroups::AddAnalysisOptions(CLI::App* command, CliOptions& options, RawOptions& raw,
                                      bool csv) {
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

void OptionGroups::AddImportOptions(CLI::App* command, CliOptions& options, RawOptions& raw) {
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

void OptionGroups::AddQuiet(CLI::App* command, CliOptions& options) {
    command->add_flag("-q,--quiet", options.quiet, "No progress bar on standard error");
}

void OptionGroups::AddResultOptions(CLI::App* command, CliOptions& options, RawOptions& raw,
                                    MetadataOptions& metadata, const char* outType,
                                    const char* outDescription, const char* dateDescription) {
    AddDistance(command, "--geophone-to-tip", raw.geophoneToTip,
                "Distance from the cone tip up to the geophone when loading wave files");
    AddDistance(command, "--hammer-to-rod", raw.hammerToRod,
                "Horizontal distance from the hammer to the rod (re-runs a document's "
                "correlation)");
    AddWindowOptions(command, options);
    command
        ->add_option("--diagnostics", options.diagnosticsDir,
                     "Existing folder for the diagnostic files of a load")
        ->type_name("DIR");
    AddImportOptions(command, options, raw);
    AddAnalysisOptions(command, options, raw, false);
    metadata.AddTo(*command);
    command->add_option("--out", options.outFile, outDescription)->type_name(outType)->required();
    command->add_option("--file-date", options.fileDate, dateDescription)->type_name("YYYY-MM-DD");
    command->add_option("--save", options.saveFile, "Save the document")->type_name("FILE.kvn");
    AddQuiet(command, options);
    command->add_option("INPUT", options.inputs, "Document, or recordings and folders")->required();
}

void OptionGroups::ConvertNumbers(const RawOptions& raw, CliOptions& options) {
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

} // namespace korvane
