#pragma once

#include "sounding/CKorvaneDoc.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace korvane {

// One horizontal soil layer of the synthetic ground model; it reaches down to the next layer's
// top, the last one without end.
struct SoilLayer {
    double top = 0.0; // metres
    double vs = 0.0;  // shear-wave velocity, m/s
    double vp = 0.0;  // compression-wave velocity, m/s
};

// A synthetic seismic cone sounding computed from a layered ground model: one record per test
// depth with an S wavelet (Ricker) and a weaker, earlier P wavelet, both travelling along the
// straight slant ray from the hammer, with spreading loss and noise. As wave files the record
// starts 5 ms before the hammer blow; as SEG-2 files each file holds a left and a right strike
// (the S wave of opposite polarity, the P wave alike) with 8 ms before the trigger, which the
// import drops, so their windows count from the blow. Deterministic for a seed on a given
// platform. Owns only its settings; the waves are computed on request.
class SyntheticSounding {
public:
    struct Settings {
        int depthCount = 24;
        double firstTipDepth = 1.0; // metres
        double depthStep = 1.0;     // metres
        double hammerToRod = 1.22;  // metres
        double geophoneToTip = 0.18;
        uint64_t seed = 1;
        std::vector<SoilLayer> layers = DefaultLayers();
        double sFrequency = 80.0;                // Ricker peak frequency, Hz
        double pFrequency = 160.0;               // Hz
        double noiseLevel = 0.006;               // standard deviation of the white noise, volts
        bool seg2 = false;                       // SEG-2 files of two strikes, else wave files
        double sampleInterval = kSampleInterval; // seconds
        // Shots per depth: 2 records a left and a right strike, whose S waves have opposite
        // polarity (the P wave does not change), one file each.
        int strikes = 1;
        // Standard deviation of each shot's trigger timing error, seconds.
        double triggerJitter = 0.0;
    };

    static std::vector<SoilLayer> DefaultLayers();
    // Parses "TOP:VS:VP,TOP:VS:VP,..." (metres, m/s); tops ascend from 0 and Vp exceeds Vs.
    // Throws CliError (usage) with a message saying what is wrong.
    static std::vector<SoilLayer> ParseLayers(const std::string& text);

    explicit SyntheticSounding(Settings settings);

    const Settings& settings() const { return settings_; }
    int recordCount() const { return settings_.depthCount; }
    // Shots are numbered record * strikes + strike; one wave file each.
    int shotCount() const { return settings_.depthCount * settings_.strikes; }
    // Records are numbered in ascending depth.
    double TipDepth(int record) const;      // metres, as written in the file header
    double GeophoneDepth(int record) const; // metres
    double SlantDistance(double depth) const;
    // Travel time along the straight ray from the hammer to a geophone at the depth: the sum
    // over the layers of the ray length inside the layer divided by its velocity, in seconds.
    double STravelTime(double depth) const;
    double PTravelTime(double depth) const;
    // The velocity the slant-path formula gives for the exact travel times of the interval
    // between record i and record i + 1, m/s.
    double TrueIntervalVelocity(int interval) const;
    // A window bracketing the S wavelet of the record, in samples.
    SampleWindow SWindow(int record) const;
    // File name of the shot; the names are not in depth order, like shots re-recorded in the
    // field. SEG-2 names carry the tip depth (shot_07_3.00m.sg2).
    std::string FileName(int shot) const;
    // The folder of the record files inside the output folder: "waves" or "records".
    std::string FolderName() const;
    // Amplitudes of the shot at the sample interval, from the first sample of the file: its
    // first trace (0) or, in SEG-2 files, the opposite strike (1).
    std::vector<double> Trace(int shot, int strike) const;

    // Writes DIR/<folder>/<name> for every record, DIR/windows.txt (one "first last" line per
    // record in ascending depth) and DIR/model.txt (the model and the true interval
    // velocities). Throws CliError (failure) when a file cannot be written.
    void WriteTo(const std::filesystem::path& dir) const;

private:
    double TravelTime(double depth, bool shear) const;
    double TriggerTime() const;       // of the blow in a loaded record, seconds
    double SCentre(int record) const; // seconds from the start of a loaded record
    int PretriggerSamples() const;    // samples of a SEG-2 trace before the trigger
    void WriteWave(int shot, const std::filesystem::path& path) const;
    void WriteSeg2(int shot, const std::filesystem::path& path) const;
    void WriteModel(const std::filesystem::path& path) const;

    Settings settings_;
    std::vector<int> shotNumbers_; // per shot
};

} // namespace korvane
