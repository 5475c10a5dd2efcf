#pragma once

#include <optional>
#include <string>

namespace CLI {
class App;
class Option;
} // namespace CLI

namespace korvane {

class MetadataOptions;
struct CliOptions;

// Option texts as typed; numbers are converted strictly once CLI11 is done.
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

// The groups of options that several commands share, registered once here so that every
// command (korvane-cli's own and the drawing commands of korvane-cli-draw) spells, describes
// and checks them alike. The values land in the CliOptions and RawOptions given, which must
// outlive the parse. Owns nothing.
class OptionGroups {
public:
    // A distance option's text in metres; none when it was not given. Throws CliError (usage).
    static std::optional<double> Distance(const std::string& text, const char* name);
    static CLI::Option* AddDistance(CLI::App* command, const char* name, std::string& text,
                                    const char* description);
    // --window and --windows.
    static void AddWindowOptions(CLI::App* command, CliOptions& options);
    // --lag, --fit, --strike-pairs, --opposite-channel and, with csv, --csv.
    static void AddAnalysisOptions(CLI::App* command, CliOptions& options, RawOptions& raw,
                                   bool csv = true);
    // --channel, --depths, --depth-keyword and --time-unit.
    static void AddImportOptions(CLI::App* command, CliOptions& options, RawOptions& raw);
    static void AddQuiet(CLI::App* command, CliOptions& options);

    // Everything a command that reports a sounding's interval results takes (ags, report):
    // geometry, windows, diagnostics, import, analysis and detail options, --out (required),
    // --file-date, --save, --quiet and the INPUT.
    static void AddResultOptions(CLI::App* command, CliOptions& options, RawOptions& raw,
                                 MetadataOptions& metadata, const char* outType,
                                 const char* outDescription, const char* dateDescription);

    // Converts the numbers and choices of raw into options. Throws CliError (usage) naming the
    // option of the first text that is not valid.
    static void ConvertNumbers(const RawOptions& raw, CliOptions& options);
};

} // namespace korvane
