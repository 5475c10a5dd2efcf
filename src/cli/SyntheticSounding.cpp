#include "cli/SyntheticSounding.h"

#include "cli/CliError.h"
#include "cli/NumberText.h"
#include "sounding/FixedDecimal.h"
#include "sounding/Seg2Writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <sstream>

namespace korvane {

namespace {

// Onset of a wave file's recording before the hammer blow, seconds.
constexpr double kPretrigger = 0.005;
// What a SEG-2 trace holds before the trigger, seconds.
constexpr double kSeg2Pretrigger = 0.008;
// Window bracketing the S wavelet, samples before and after its centre.
constexpr int kWindowBefore = 320;
constexpr int kWindowAfter = 480;
constexpr double kSourceAmplitude = 3.0; // volts at one metre
constexpr double kDecayLength = 60.0;    // metres, loss beyond geometric spreading
constexpr double kPRatio = 0.3;          // P against S amplitude before the angle factor

// splitmix64: a tiny generator whose output is fixed by its definition, unlike
// the distributions of the standard library, so a seed gives the same files
// everywhere.
class Random {
public:
    explicit Random(uint64_t state) : state_(state) {}

    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in (0, 1].
    double Uniform() { return (static_cast<double>(Next() >> 11) + 1.0) * 0x1.0p-53; }
    double Gaussian() {
        const double u = Uniform();
        const double v = Uniform();
        return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * std::numbers::pi * v);
    }

private:
    uint64_t state_;
};

double Ricker(double t, double frequency) {
    const double a = std::numbers::pi * frequency * t;
    return (1.0 - 2.0 * a * a) * std::exp(-a * a);
}

std::string Format(double value, int decimals) {
    return FixedDecimal::Text(value, decimals);
}

// printf "%.<digits>g" with '.' in every locale.
std::string General(double value, int digits) {
    char text[64];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
    return std::string(text, end.ptr);
}

} // namespace

std::vector<SoilLayer> SyntheticSounding::DefaultLayers() {
    return {
        {0.0, 140.0, 380.0},   // dry sandy fill
        {2.6, 180.0, 1480.0},  // soft clay below the water table
        {7.3, 235.0, 1520.0},  // silty sand
        {12.8, 290.0, 1580.0}, // medium dense sand
        {18.4, 360.0, 1650.0}, // dense gravelly sand
    };
}

std::vector<SoilLayer> SyntheticSounding::ParseLayers(const std::string& text) {
    std::vector<SoilLayer> layers;
    std::stringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        const auto bad = [&](const std::string& why) {
            return CliError(CliError::kUsage, "--layers: \"" + item + "\": " + why);
        };
        std::vector<std::string> fields;
        std::stringstream parts(item);
        std::string field;
        while (std::getline(parts, field, ':'))
            fields.push_back(field);
        if (fields.size() != 3)
            throw bad("expected TOP:VS:VP");
        const auto top = NumberText::ToDouble(fields[0]);
        const auto vs = NumberText::ToDouble(fields[1]);
        const auto vp = NumberText::ToDouble(fields[2]);
        if (!top || !vs || !vp)
            throw bad("not a number");
        if (*vs <= 0.0 || *vp <= *vs)
            throw bad("velocities must satisfy 0 < VS < VP");
        if (layers.empty() ? *top != 0.0 : *top <= layers.back().top)
            throw bad("the first layer starts at 0 and the tops ascend");
        layers.push_back({*top, *vs, *vp});
    }
    if (layers.empty())
        throw CliError(CliError::kUsage, "--layers: no layer given");
    return layers;
}

SyntheticSounding::SyntheticSounding(Settings settings) : settings_(std::move(settings)) {
    const int n = shotCount();
    shotNumbers_.resize(n);
    for (int i = 0; i < n; ++i)
        shotNumbers_[i] = i + 1;
    Random random(settings_.seed ^ 0x5EC0DD5EEDull);
    for (int i = n - 1; i > 0; --i)
        std::swap(shotNumbers_[i], shotNumbers_[random.Next() % static_cast<uint64_t>(i + 1)]);
    // Names in depth order would hide a missing sort, so never leave them that
    // way.
    if (n > 1 && std::is_sorted(shotNumbers_.begin(), shotNumbers_.end()))
        std::rotate(shotNumbers_.begin(), shotNumbers_.begin() + 1, shotNumbers_.end());
}

double SyntheticSounding::TipDepth(int record) const {
    // Headers carry two decimals; the model uses the depth exactly as written.
    const double depth = settings_.firstTipDepth + record * settings_.depthStep;
    return std::round(depth * 100.0) / 100.0;
}

double SyntheticSounding::GeophoneDepth(int record) const {
    return TipDepth(record) - settings_.geophoneToTip;
}

double SyntheticSounding::SlantDistance(double depth) const {
    return std::hypot(depth, settings_.hammerToRod);
}

double SyntheticSounding::TravelTime(double depth, bool shear) const {
    const std::vector<SoilLayer>& layers = settings_.layers;
    const double slant = SlantDistance(depth);
    if (depth <= 0.0)
        return slant / (shear ? layers.front().vs : layers.front().vp);
    // Vertical slowness integral, stretched by the ray's slant factor.
    double verticalTime = 0.0;
    for (size_t k = 0; k < layers.size(); ++k) {
        const double top = layers[k].top;
        const double bottom = k + 1 < layers.size() ? layers[k + 1].top : depth;
        const double inside = std::min(bottom, depth) - top;
        if (inside > 0.0)
            verticalTime += inside / (shear ? layers[k].vs : layers[k].vp);
    }
    return verticalTime * slant / depth;
}

double SyntheticSounding::STravelTime(double depth) const {
    return TravelTime(depth, true);
}

double SyntheticSounding::PTravelTime(double depth) const {
    return TravelTime(depth, false);
}

double SyntheticSounding::TrueIntervalVelocity(int interval) const {
    const double z0 = GeophoneDepth(interval);
    const double z1 = GeophoneDepth(interval + 1);
    return (SlantDistance(z1) - SlantDistance(z0)) / (STravelTime(z1) - STravelTime(z0));
}

double SyntheticSounding::TriggerTime() const {
    return settings_.seg2 ? 0.0 : kPretrigger;
}

int SyntheticSounding::PretriggerSamples() const {
    return static_cast<int>(std::lround(kSeg2Pretrigger / settings_.sampleInterval));
}

double SyntheticSounding::SCentre(int record) const {
    // The wavelet's onset, about one period before its centre, marks the arrival.
    return TriggerTime() + STravelTime(GeophoneDepth(record)) + 1.0 / settings_.sFrequency;
}

SampleWindow SyntheticSounding::SWindow(int record) const {
    const int last = static_cast<int>(kDefaultSamplesPerRecord) - 1;
    const int centre = static_cast<int>(std::lround(SCentre(record) / kSampleInterval));
    SampleWindow window;
    window.first = std::clamp(centre - kWindowBefore, 0, last - kWindowBefore - kWindowAfter);
    window.last = std::min(window.first + kWindowBefore + kWindowAfter, last);
    return window;
}

std::string SyntheticSounding::FileName(int shot) const {
    char name[48];
    if (settings_.seg2)
        std::snprintf(name, sizeof name, shotCount() < 100 ? "shot_%02d_" : "shot_%03d_",
                      shotNumbers_[shot]);
    else
        std::snprintf(name, sizeof name, shotCount() < 100 ? "shot_%02d.txt" : "shot_%03d.txt",
                      shotNumbers_[shot]);
    if (settings_.seg2)
        return name + Format(TipDepth(shot / settings_.strikes), 2) + "m.sg2";
    return name;
}

std::string SyntheticSounding::FolderName() const {
    return settings_.seg2 ? "records" : "waves";
}

std::vector<double> SyntheticSounding::Trace(int shot, int strike) const {
    const int record = shot / settings_.strikes;
    const double depth = GeophoneDepth(record);
    const double slant = SlantDistance(depth);
    const double sAmplitude = kSourceAmplitude / slant * std::exp(-slant / kDecayLength);
    // A horizontal geophone sees the P wave less as the ray turns vertical.
    const double pAmplitude = kPRatio * sAmplitude * settings_.hammerToRod / slant;
    // A right strike, in its own file or as a file's second trace, swings the S wave the other
    // way; the P wave does not care.
    const bool right = (shot % settings_.strikes == 1) != (strike == 1);
    const double sSigned = right ? -sAmplitude : sAmplitude;
    // A late trigger shifts the whole blow.
    double trigger = 0.0;
    if (settings_.triggerJitter > 0.0)
        trigger = settings_.triggerJitter *
                  Random(settings_.seed ^ (0x7E1663ull + static_cast<uint64_t>(shot) +
                                           static_cast<uint64_t>(strike) * 0x10000ull))
                      .Gaussian();
    const double sCentre = SCentre(record) + trigger;
    const double pCentre =
        TriggerTime() + PTravelTime(depth) + 1.0 / settings_.pFrequency + trigger;

    // Each blow has its own noise stream, whatever order they are made in.
    Random random((settings_.seed * 0x2545F4914F6CDD1Dull + static_cast<uint64_t>(shot) + 1) ^
                  (static_cast<uint64_t>(strike) * 0x9E3779B97F4A7C15ull));
    const double offset = 0.02 * (2.0 * random.Uniform() - 1.0);
    const double dt = settings_.sampleInterval;
    const int before = settings_.seg2 ? PretriggerSamples() : 0;
    const auto after = static_cast<std::size_t>(
        std::ceil(static_cast<double>(kDefaultSamplesPerRecord) * kSampleInterval / dt - 1e-9));
    std::vector<double> wave(static_cast<std::size_t>(before) + after);
    for (size_t j = 0; j < wave.size(); ++j) {
        const double t = (static_cast<double>(j) - before) * dt;
        wave[j] = offset + sSigned * Ricker(t - sCentre, settings_.sFrequency) +
                  pAmplitude * Ricker(t - pCentre, settings_.pFrequency) +
                  settings_.noiseLevel * random.Gaussian();
    }
    return wave;
}

void SyntheticSounding::WriteWave(int shot, const std::filesystem::path& path) const {
    const int record = shot / settings_.strikes;
    std::string text;
    text.reserve(kDefaultSamplesPerRecord * 24);
    text += "Korvane synthetic seismic cone record\n";
    text += "Depth: " + Format(TipDepth(record), 2) + " m\n";
    text += "Shot: " + std::to_string(shotNumbers_[shot]) + "\n";
    text += "Source offset (m): " + Format(settings_.hammerToRod, 2) + "\n";
    const double dt = settings_.sampleInterval;
    const std::vector<double> wave = Trace(shot, 0);
    text += "Sample interval (us): " + General(dt * 1e6, 6) + "\n";
    text += "Samples: " + std::to_string(wave.size()) + "\n";
    text += "Time(s)\tAmplitude(V)\n";
    // Times with six decimals, as ever at 25 us; finer steps need more.
    const int timeDecimals = dt == kSampleInterval ? 6 : 9;
    for (size_t j = 0; j < wave.size(); ++j)
        text +=
            Format(static_cast<double>(j) * dt, timeDecimals) + '\t' + Format(wave[j], 6) + '\n';
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file)
        throw CliError(CliError::kFailure, path.string() + ": cannot write the file");
}

void SyntheticSounding::WriteSeg2(int shot, const std::filesystem::path& path) const {
    const std::vector<HeaderEntry> fileStrings = {
        {"ACQUISITION_DATE", "01/JUN/2024"},
        {"ACQUISITION_TIME", "10:" + std::string(shotNumbers_[shot] % 60 < 10 ? "0" : "") +
                                 std::to_string(shotNumbers_[shot] % 60) + ":00"},
        {"INSTRUMENT", "KORVANE SIMULATE"},
        {"UNITS", "METERS"},
        {"NOTE", "Korvane synthetic seismic cone record\nSHOT " +
                     std::to_string(shotNumbers_[shot]) + "\nSOURCE_OFFSET " +
                     Format(settings_.hammerToRod, 2)},
    };
    std::vector<Seg2Writer::Trace> traces(2);
    const char* strikes[] = {"LEFT", "RIGHT"};
    for (int strike = 0; strike < 2; ++strike) {
        Seg2Writer::Trace& trace = traces[static_cast<std::size_t>(strike)];
        const std::vector<double> wave = Trace(shot, strike);
        trace.samples.assign(wave.begin(), wave.end());
        trace.interval = settings_.sampleInterval;
        trace.delay = -PretriggerSamples() * settings_.sampleInterval;
        trace.strings = {{"CHANNEL_NUMBER", std::to_string(strike + 1)},
                         {"RECEIVER", "GEOPHONE HORIZONTAL"},
                         {"SOURCE", std::string("HAMMER ") + strikes[strike] + " STRIKE"}};
    }
    const std::string bytes = Seg2Writer::Write(fileStrings, traces, 1);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
    file.close();
    if (!file)
        throw CliError(CliError::kFailure, path.string() + ": cannot write the file");
}

void SyntheticSounding::WriteModel(const std::filesystem::path& path) const {
    std::ostringstream out;
    out << "# Synthetic seismic cone sounding written by korvane-cli simulate\n";
    out << "seed " << settings_.seed << "\n";
    out << "hammer-to-rod " << Format(settings_.hammerToRod, 6) << "\n";
    out << "geophone-to-tip " << Format(settings_.geophoneToTip, 6) << "\n";
    out << "s-wavelet-ricker-hz " << Format(settings_.sFrequency, 1) << "\n";
    out << "p-wavelet-ricker-hz " << Format(settings_.pFrequency, 1) << "\n";
    if (settings_.seg2 || settings_.sampleInterval != kSampleInterval) {
        out << "format " << (settings_.seg2 ? "seg2" : "wave") << "\n";
        out << "sample-interval-s " << General(settings_.sampleInterval, 9) << "\n";
    }
    out << "# layer  top(m)  Vs(m/s)  Vp(m/s); the last layer has no bottom\n";
    for (const SoilLayer& layer : settings_.layers) {
        out << "layer " << Format(layer.top, 2) << ' ' << Format(layer.vs, 1) << ' '
            << Format(layer.vp, 1) << '\n';
    }
    out << "# record  tip(m)  geophone(m)  slant(m)  S time(s)  P time(s)  "
           "window  file\n";
    for (int shot = 0; shot < shotCount(); ++shot) {
        const int r = shot / settings_.strikes;
        const double z = GeophoneDepth(r);
        const SampleWindow w = SWindow(r);
        out << "record " << Format(TipDepth(r), 2) << ' ' << Format(z, 6) << ' '
            << Format(SlantDistance(z), 6) << ' ' << Format(STravelTime(z), 7) << ' '
            << Format(PTravelTime(z), 7) << ' ' << w.first << ' ' << w.last << ' ' << FileName(shot)
            << '\n';
    }
    out << "# interval  mid-depth(m)  true velocity(m/s) = slant difference / "
           "travel time "
           "difference\n";
    for (int i = 0; i + 1 < recordCount(); ++i) {
        const double mid = (GeophoneDepth(i) + GeophoneDepth(i + 1)) * 0.5;
        out << "interval " << Format(mid, 6) << ' ' << Format(TrueIntervalVelocity(i), 6) << '\n';
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << out.str();
    file.close();
    if (!file)
        throw CliError(CliError::kFailure, path.string() + ": cannot write the file");
}

void SyntheticSounding::WriteTo(const std::filesystem::path& dir) const {
    const std::filesystem::path waves = dir / FolderName();
    std::error_code error;
    std::filesystem::create_directories(waves, error);
    if (error)
        throw CliError(CliError::kFailure, waves.string() + ": " + error.message());
    for (int shot = 0; shot < shotCount(); ++shot) {
        if (settings_.seg2)
            WriteSeg2(shot, waves / FileName(shot));
        else
            WriteWave(shot, waves / FileName(shot));
    }

    std::ostringstream windows;
    for (int shot = 0; shot < shotCount(); ++shot) {
        const SampleWindow w = SWindow(shot / settings_.strikes);
        windows << w.first << ' ' << w.last << '\n';
    }
    const std::filesystem::path windowsPath = dir / "windows.txt";
    std::ofstream file(windowsPath, std::ios::binary | std::ios::trunc);
    file << windows.str();
    file.close();
    if (!file)
        throw CliError(CliError::kFailure, windowsPath.string() + ": cannot write the file");
    WriteModel(dir / "model.txt");
}

} // namespace korvane
