#pragma once

#include "analysis/AnalysisResults.h"
#include "analysis/AnalysisSettings.h"
#include "sounding/DocumentExtension.h"
#include "sounding/SoundingMetadata.h"

#include <array>
#include <bit>
#include <cstdint>
#include <functional>
#include <vector>

namespace korvane {

// Inclusive sample indices bounding the part of a filtered wave that the correlations use.
struct SampleWindow {
    int32_t first = 0;
    int32_t last = 0;

    friend bool operator==(const SampleWindow&, const SampleWindow&) = default;
};

// The inputs one interval's cross-correlation result was computed from: the two records'
// windows and depths and the source offset. Results whose inputs have changed since are out
// of date.
struct IntervalBasis {
    SampleWindow upper;
    SampleWindow lower;
    float upperDepth = 0.0f;  // metres
    float lowerDepth = 0.0f;  // metres
    float hammerToRod = 0.0f; // metres
    bool computed = false;    // false: no run of this session computed the interval

    // Same bits, so a NaN depth equals itself and does not count as a change.
    friend bool operator==(const IntervalBasis& a, const IntervalBasis& b) {
        const auto bits = [](float v) { return std::bit_cast<uint32_t>(v); };
        return a.upper == b.upper && a.lower == b.lower &&
               bits(a.upperDepth) == bits(b.upperDepth) &&
               bits(a.lowerDepth) == bits(b.lowerDepth) &&
               bits(a.hammerToRod) == bits(b.hammerToRod) && a.computed == b.computed;
    }
};

// What the plot view draws; stored in the document and saved with it.
enum DisplayMode : int32_t {
    Credits = 0,
    OriginalWaves = 1,
    FilteredWaves = 2,
    CrossCorrelationVelocity = 3,
    DeterminationProfile = 4,
    CorrelationFunctions = 5,
    RawAutocorrelations = 6,
    SpareWaves = 7,
    SpareTable = 8,
    FilteredAutocorrelations = 9,
    AlignedWindows = 10,
    PhaseVelocity = 11,
};

// The enumerator names, indexed by value, as the command line and reports spell them.
inline constexpr std::array<const char*, 12> kDisplayModeNames = {
    "Credits",
    "OriginalWaves",
    "FilteredWaves",
    "CrossCorrelationVelocity",
    "DeterminationProfile",
    "CorrelationFunctions",
    "RawAutocorrelations",
    "SpareWaves",
    "SpareTable",
    "FilteredAutocorrelations",
    "AlignedWindows",
    "PhaseVelocity",
};

// Samples are 25 microseconds apart whatever a wave file's time column says.
inline constexpr double kSampleInterval = 0.000025; // seconds
inline constexpr uint32_t kDefaultSamplesPerRecord = 8192;
inline constexpr int kSpectrumBins = 100;

// The Sounding: every record, the test geometry and the interval results of one seismic cone
// test. Members are public and used in place by the commands, the renderer and the file format.
// Per-record tables have recordCount entries, per-interval arrays recordCount - 1. An absent
// array is an empty vector; an entry of a table that was never computed (a cancelled run) is
// an empty inner vector.
class CKorvaneDoc {
public:
    std::vector<double> correlationCoefficients;              // per interval, peak r
    std::vector<std::vector<float>> rawWaves;                 // per record, samplesPerRecord
    std::vector<std::vector<float>> filteredWaves;            // per record, peak magnitude 1
    std::vector<std::vector<float>> correlationFunctions;     // per interval
    std::vector<std::vector<float>> rawAutocorrelations;      // per record, samplesPerRecord
    std::vector<std::vector<float>> filteredAutocorrelations; // per record, window length
    std::vector<std::vector<float>> spareWaves;               // per record, samplesPerRecord
    std::vector<std::vector<float>> spareTable;               // per record
    std::vector<std::vector<float>> spectrumReal;             // per record, bins 0..99
    std::vector<std::vector<float>> spectrumImag;             // per record, bins 0..99
    std::vector<std::vector<float>> phaseSpectra;             // per record, radians, 0..96 set
    std::vector<SampleWindow> windows;                        // per record
    std::vector<float> depths;                                // per record, metres
    // Per record, seconds between the recording's own samples before they were put 25 µs
    // apart (kept in the extension block when one differs from 25 µs); empty: 25 µs.
    std::vector<double> sourceIntervals;
    std::vector<float> ccVelocities;    // per interval, m/s
    std::vector<float> phaseVelocities; // per interval, m/s
    std::vector<int32_t> lags;          // per interval, samples
    // Per interval, what the cross-correlation result was computed from in this session;
    // empty for results read from a file, which are taken as they are.
    std::vector<IntervalBasis> resultBases;
    int32_t displayMode = Credits;
    int32_t recordCount = 0;
    uint32_t samplesPerRecord = kDefaultSamplesPerRecord;
    float geophoneToTip = 0.18f; // metres, cone tip up to the geophone
    float hammerToRod = 1.22f;   // metres, horizontal source offset
    int32_t dataLoaded = 0;
    int32_t resultsValid = 0;

    // The interval analysis: its settings (kept in the document file's extension block), the
    // results of its last run (derived, not stored) and the block's entries that no part of
    // this version claims, written back unchanged.
    AnalysisSettings analysisSettings;
    AnalysisResults analysisResults;
    DocumentExtension extensionEntries;
    // Project, location, test and unit weights, kept in the same block.
    SoundingMetadata metadata;

    // Releases every array and clears the flags, display mode and record count; the geometry,
    // the metadata and samplesPerRecord stay. Calls onReleased first.
    void ReleaseSounding();
    // Releases the members the document file does not store.
    void ReleaseDerived();

    void SetModifiedFlag(bool modified = true);
    bool IsModified() const { return modified_; }

    // Called after a command changed the Sounding or its flags, so views can redraw and
    // command states can be refreshed.
    std::function<void()> onChanged;
    void NotifyChanged() const {
        if (onChanged)
            onChanged();
    }
    // Called when the records are about to be released (a new load or open, or an emptied
    // document): whatever refers to them by index, such as an undo history, must let go.
    std::function<void()> onReleased;
    // Called on every SetModifiedFlag with its argument, so an undo history can tell changes
    // it cannot undo (true) from saved states (false).
    std::function<void(bool)> onModifiedFlagSet;

private:
    bool modified_ = false;
};

} // namespace korvane
