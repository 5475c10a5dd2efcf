#pragma once

#include "analysis/AnalysisSettings.h"
#include "cli/MetadataOptions.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvane {

// Everything the command line asked for, already checked for syntax: numbers are parsed
// strictly and distances are finite. Which fields matter depends on the command.
struct CliOptions {
    // "process", "open", "ags", "autocorrelate", "batch", "inspect", "convert", "simulate"
    std::string command;
    bool quiet = false;

    std::vector<std::string> inputs;     // recordings and folders, or one document
    std::optional<double> geophoneToTip; // metres
    std::optional<double> hammerToRod;   // metres
    std::string window;                  // "FIRST:LAST" or "auto" as typed, empty when not given
    std::string windowsFile;
    std::string diagnosticsDir; // empty: the working directory
    std::optional<std::string> table;
    std::string saveFile;

    // reading recordings (process, autocorrelate, inspect, convert)
    int channel = 1;          // 1-based trace or amplitude column
    std::string depthsFile;   // lines "NAME TIPDEPTH"
    std::string depthKeyword; // header keyword holding the tip depth
    std::string timeUnit;     // "s", "ms", "us" or empty

    // open
    bool correlate = false;

    // process and open: the interval analysis (run when any of these is given)
    std::optional<LagMethod> lag;
    std::optional<FitMethod> fit;
    bool strikePairs = false;
    std::optional<int32_t> oppositeChannel;
    std::optional<std::string> csv; // "-": standard output

    // process, open and ags: the sounding's details
    MetadataOptions metadata;

    // autocorrelate and ags
    bool rawWaves = false; // --raw, else --filtered
    std::string outFile;   // empty or "-": standard output
    std::string fileDate;  // ags: "YYYY-MM-DD", empty for today

    // batch
    unsigned jobs = 0; // soundings processed at once; 0: one per core

    // simulate, convert, batch
    std::string outDir;
    std::string format = "wave";   // simulate: "wave" or "seg2"
    double sampleInterval = 25e-6; // simulate: seconds
    int depthCount = 24;
    uint64_t seed = 1;
    std::string layers;               // empty: the default ground model
    double depthStep = 1.0;           // metres
    int strikes = 1;                  // 2: a left and a right strike per depth
    std::optional<double> noiseLevel; // volts
    double triggerJitterMs = 0.0;
};

} // namespace korvane
