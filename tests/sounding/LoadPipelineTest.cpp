#include "sounding/LoadPipeline.h"

#include "ScriptedProgress.h"
#include "SoundingFixture.h"
#include "WaveFileFixture.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/PhaseVelocity.h"
#include "sounding/WaveFileReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvane {
namespace {

namespace fs = std::filesystem;
using testing::IsEmptySounding;
using testing::ReadAll;
using testing::ScriptedProgress;
using testing::TempDir;

// A shear-wave arrival: a 40 Hz burst reaching the geophone at tip depth z along the slant path
// from the hammer 1.22 m off the rod, at 200 m/s, over a little noise.
std::vector<float> Arrival(double tipDepth, std::size_t samples = 8192) {
    const double z = tipDepth - 0.18;
    const double arrival = 0.01 + std::sqrt(z * z + 1.22 * 1.22) / 200.0;
    std::vector<float> wave(samples);
    unsigned noise = static_cast<unsigned>(tipDepth * 1000);
    for (std::size_t t = 0; t < samples; ++t) {
        const double s = static_cast<double>(t) * 0.000025 - arrival;
        noise = noise * 1103515245u + 12345u;
        wave[t] = static_cast<float>(
            std::exp(-(s / 0.01) * (s / 0.01)) * std::sin(2 * 3.141592653589793 * 40.0 * s) +
            0.001 * (static_cast<double>(noise >> 16 & 0x7fff) / 16384.0 - 1));
    }
    return wave;
}

std::vector<std::string> WriteSounding(const TempDir& dir, const std::vector<double>& tipDepths,
                                       std::size_t samples = 8192) {
    std::vector<std::string> paths;
    for (std::size_t k = 0; k < tipDepths.size(); ++k) {
        // Appended: GCC 12 at -O3 takes "literal" + std::string for an overlapping copy.
        std::string name = "wave";
        name += std::to_string(k) + ".txt";
        paths.push_back(
            dir.Write(name, testing::WaveText(tipDepths[k], Arrival(tipDepths[k], samples))));
    }
    return paths;
}

bool NoDiagnostics(const fs::path& dir) {
    return !fs::exists(dir / "phase.txt") && !fs::exists(dir / "original_data.txt") &&
           !fs::exists(dir / "recovered_data.txt");
}

// The sort swaps the shallowest record over the louder of two at 2 m: they end in reverse
// selection order.
TEST(LoadPipeline, BuildsADepthOrderedSoundingAndItsDiagnostics) {
    const TempDir dir;
    auto paths = WriteSounding(dir, {3.0, 2.0, 1.0});
    std::vector<float> louder = Arrival(2.0);
    for (float& v : louder)
        v *= 2.0f;
    paths.insert(paths.begin(), dir.Write("louder.txt", testing::WaveText(2.0, louder)));
    CKorvaneDoc doc; // the previous Sounding: five records with results
    doc.recordCount = 5;
    doc.resultsValid = 1;
    doc.lags = {1, 2, 3, 4};
    doc.rawAutocorrelations.assign(5, std::vector<float>(8192, 1.0f));
    doc.hammerToRod = 1.25f;
    ScriptedProgress progress;
    progress.onCheckpoint = [&](int checkpoint) {
        if (checkpoint < 7) { // the load is running: the Sounding does not count yet
            EXPECT_EQ(doc.dataLoaded, 0);
            EXPECT_EQ(doc.recordCount, 4);
        }
    };
    const CommandResult result = LoadSounding(doc, paths, dir.path(), progress);
    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_EQ(progress.upper, 7);
    EXPECT_EQ(progress.checkpoints, 7);
    EXPECT_EQ(progress.status, "Files are being processed ...\n");
    EXPECT_EQ(doc.dataLoaded, 1);
    EXPECT_EQ(doc.displayMode, FilteredWaves);
    EXPECT_TRUE(doc.IsModified());
    // What the previous Sounding had is gone, except the geometry.
    EXPECT_EQ(doc.resultsValid, 0);
    EXPECT_TRUE(doc.lags.empty() && doc.rawAutocorrelations.empty());
    EXPECT_EQ(doc.hammerToRod, 1.25f);
    ASSERT_EQ(doc.recordCount, 4);
    EXPECT_EQ(doc.depths,
              (std::vector<float>{1.0f - 0.18f, 2.0f - 0.18f, 2.0f - 0.18f, 3.0f - 0.18f}));

    // Every per-record array belongs to the record whose depth stands at its index.
    const std::size_t fileOf[] = {3, 2, 0, 1};
    for (std::size_t r = 0; r < 4; ++r) {
        SCOPED_TRACE(r);
        std::vector<float> raw(8192), filtered(8192), real(100), imag(100), phase(100, 0.0f);
        float depth = 0;
        WaveFileReader(paths[fileOf[r]], raw.data(), filtered.data(), 8192, depth, 0.18f,
                       real.data(), imag.data());
        PhaseVelocity::ComputePhaseAngles(real.data(), imag.data(), phase.data());
        EXPECT_EQ(doc.depths[r], depth);
        EXPECT_EQ(doc.rawWaves[r], raw);
        EXPECT_EQ(doc.filteredWaves[r], filtered);
        EXPECT_EQ(doc.phaseSpectra[r], phase);
        EXPECT_EQ(doc.windows[r].last, 8191);
    }
    EXPECT_NE(doc.rawWaves[1][300], doc.rawWaves[2][300]);
    EXPECT_EQ(doc.ccVelocities, std::vector<float>(3, 0.0f));
    // The waves travel at 200 m/s; the phase slope finds that within a few per cent, and no
    // velocity between equal depths.
    ASSERT_EQ(doc.phaseVelocities.size(), 3u);
    EXPECT_NEAR(doc.phaseVelocities[0], 200.0f, 10.0f);
    EXPECT_EQ(doc.phaseVelocities[1], 0.0f);
    EXPECT_NEAR(doc.phaseVelocities[2], 200.0f, 10.0f);

    const std::string phase = ReadAll(dir.path() / "phase.txt");
    EXPECT_EQ(phase.rfind("depth 1.820000  i=  0   FileCount=4\n5   ", 0), 0u) << phase;
}

TEST(LoadPipeline, FiveHundredFilesLoadInDepthOrder) {
    const TempDir dir;
    std::vector<double> tipDepths;
    for (int k = 0; k < 500; ++k) // named in one order, deep in another
        tipDepths.push_back(1.0 + ((k * 37) % 500) * 0.05);
    CKorvaneDoc doc;
    doc.samplesPerRecord = 512;
    ScriptedProgress progress;
    ASSERT_TRUE(LoadSounding(doc, WriteSounding(dir, tipDepths, 300), dir.path(), progress).ok());
    EXPECT_EQ(progress.upper, 503);
    EXPECT_EQ(progress.checkpoints, 503);
    ASSERT_EQ(doc.depths.size(), 500u);
    EXPECT_TRUE(std::is_sorted(doc.depths.begin(), doc.depths.end()));
    EXPECT_FLOAT_EQ(doc.depths.back(), 1.0f + 499 * 0.05f - 0.18f);
    EXPECT_EQ(doc.phaseVelocities.size(), 499u);
}

// Names taken by folders stop even root from writing the diagnostic files; a plain file where
// the folder should be, or no folder at all, stop them too (the folder is not created). The
// load completes and says so.
TEST(LoadPipeline, UnwritableDiagnosticsStillLoadAndSaySo) {
    const TempDir dir;
    const std::vector<std::string> paths = WriteSounding(dir, {1.0, 2.0}, 300);
    const fs::path blocked = dir.path() / "blocked";
    fs::create_directories(blocked / "original_data.txt");
    for (const fs::path& target : {blocked, fs::path(paths[0]), dir.path() / "no such folder"}) {
        SCOPED_TRACE(target);
        CKorvaneDoc doc;
        doc.samplesPerRecord = 512;
        NullProgress progress;
        const CommandResult result = LoadSounding(doc, paths, target, progress);
        ASSERT_TRUE(result.ok()) << result.message;
        EXPECT_EQ(result.warning,
                  "The diagnostic files could not be written to " + target.string() + ".");
        EXPECT_EQ(doc.recordCount, 2);
        EXPECT_EQ(doc.dataLoaded, 1);
        EXPECT_TRUE(doc.IsModified());
    }
    EXPECT_FALSE(fs::exists(dir.path() / "no such folder"));
}

// Waves whose text is known without the program: a square wave of period 8 lies wholly in
// removed bins (1024 and its odd multiples) and a constant in bin 0, so both filter to zeros;
// the time of sample t is t * 25 microseconds, exactly t * 25 / 1000 ms.
TEST(LoadPipeline, DiagnosticTablesHoldEverySampleInDepthOrder) {
    const TempDir dir;
    std::vector<float> square(8192);
    for (std::size_t t = 0; t < square.size(); ++t)
        square[t] = t % 8 < 4 ? 1004.0f : 996.0f;
    const std::vector<std::string> paths = {
        dir.Write("deep.txt", testing::WaveText(2.5, {-250.5f})), // one sample, then its mean
        dir.Write("shallow.txt", testing::WaveText(1.25, square))};
    CKorvaneDoc doc;
    doc.geophoneToTip = 0.25f;
    NullProgress progress;
    ASSERT_TRUE(LoadSounding(doc, paths, dir.path(), progress).ok());

    std::string original = "depth 1.000000  2.250000  \n";
    std::string recovered = original;
    for (unsigned t = 0; t < 8192; ++t) {
        char time[32];
        std::snprintf(time, sizeof time, "%u.%03u000  ", t * 25 / 1000, t * 25 % 1000);
        original += time + std::string(t % 8 < 4 ? "1004" : "996") + ".000000  -250.500000  \n";
        recovered += time + std::string("0.000000  0.000000  \n");
    }
    EXPECT_TRUE(ReadAll(dir.path() / "original_data.txt") == original);
    EXPECT_TRUE(ReadAll(dir.path() / "recovered_data.txt") == recovered);
}

TEST(LoadPipeline, CancelAtAnyCheckpointLeavesNothingStale) {
    const TempDir dir;
    const auto paths = WriteSounding(dir, {3.0, 1.0, 2.0}, 1000);
    for (int cancelAt = 1; cancelAt <= 6; ++cancelAt) {
        SCOPED_TRACE(cancelAt);
        const TempDir out;
        CKorvaneDoc doc;
        ScriptedProgress progress(cancelAt);
        const CommandResult result = LoadSounding(doc, paths, out.path(), progress);
        EXPECT_EQ(result.outcome, CommandOutcome::Cancelled);
        EXPECT_EQ(result.message, "Progress Cancelled");
        EXPECT_EQ(progress.checkpoints, cancelAt);
        if (cancelAt < 6) {
            EXPECT_TRUE(IsEmptySounding(doc));
            EXPECT_TRUE(NoDiagnostics(out.path()));
        } else { // the Sounding is complete; only the modified flag stays unset
            EXPECT_EQ(doc.dataLoaded, 1);
            EXPECT_EQ(doc.displayMode, FilteredWaves);
            EXPECT_EQ(doc.rawWaves.size(), 3u);
            EXPECT_FALSE(doc.IsModified());
            EXPECT_FALSE(NoDiagnostics(out.path()));
        }
    }
}

// Files are read on several threads, but stored, checked and reported one at a time in order:
// the first defective file in the selection is the one named, wherever the others fail.
TEST(LoadPipeline, TheFirstDefectiveFileAbandonsTheWholeLoad) {
    const TempDir dir, out;
    auto paths = WriteSounding(dir, {1.0, 2.0, 3.0, 4.0, 5.0}, 2000);
    std::string broken = testing::WaveText(3.0, Arrival(3.0, 2000));
    broken.insert(broken.find("0.050\t"), "0.0002 abc\n"); // sample 3
    paths[2] = dir.Write("broken.txt", broken);
    paths[4] = (dir.path() / "missing 5.txt").string();
    CKorvaneDoc doc;
    ScriptedProgress progress;
    std::vector<std::size_t> storedAtCheckpoint;
    progress.onCheckpoint = [&](int) {
        std::size_t stored = 0;
        while (stored < doc.rawWaves.size() && !doc.rawWaves[stored].empty())
            ++stored;
        storedAtCheckpoint.push_back(stored);
    };
    const CommandResult result = LoadSounding(doc, paths, out.path(), progress);
    EXPECT_EQ(result.outcome, CommandOutcome::Failed);
    EXPECT_EQ(result.message, "The file is wrong in 3 data record!");
    EXPECT_EQ(result.failedPath, paths[2]);
    // A checkpoint before reading and after each of the first two files.
    EXPECT_EQ(storedAtCheckpoint, (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_TRUE(IsEmptySounding(doc));
    EXPECT_TRUE(NoDiagnostics(out.path()));
}

// The phase-spectrum velocity of the load on its own.

// Two records whose band phases differ by the given amounts.
CKorvaneDoc TwoRecords(float depth0, float depth1, const std::vector<double>& differences) {
    CKorvaneDoc doc;
    doc.recordCount = 2;
    doc.depths = {depth0, depth1};
    doc.phaseSpectra.assign(2, std::vector<float>(100, 0.25f));
    for (int k = 5; k <= 12; ++k)
        doc.phaseSpectra[1][static_cast<std::size_t>(k)] =
            static_cast<float>(0.25 + differences[static_cast<std::size_t>(k - 5)]);
    return doc;
}

TEST(PhaseVelocity, PhaseAnglesFollowTheQuadrantRule) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        float re, im, phase;
    } cases[] = {
        {1, 1, static_cast<float>(std::atan(1.0))},
        {-1, 0, -3.14159f}, // the negative real axis belongs to the lower half
        {-1, 1, static_cast<float>(std::atan(-1.0) + 3.14159)},
        {-1, -1, static_cast<float>(std::atan(1.0) - 3.14159)},
        {0, 2, static_cast<float>(3.14159 / 2)},
        {-0.0f, -2, static_cast<float>(-3.14159 / 2)},
        {0, 0, nan}, // an empty bin has no phase
    };
    for (const auto& c : cases) {
        std::vector<float> re(100, c.re), im(100, c.im), phase(100, 7.0f);
        PhaseVelocity::ComputePhaseAngles(re.data(), im.data(), phase.data());
        const bool same = std::isnan(c.phase) ? std::isnan(phase[96]) : phase[96] == c.phase;
        EXPECT_TRUE(same) << c.re << " " << c.im << ": " << phase[96];
        EXPECT_EQ(phase[97], 7.0f);
    }
}

TEST(PhaseVelocity, IdenticalRecordsGiveAnInfiniteVelocity) {
    CKorvaneDoc doc = TwoRecords(1.0f, 2.0f, std::vector<double>(8, 0.0));
    const std::string text = PhaseVelocity::ComputeIntervalVelocities(doc);
    ASSERT_EQ(doc.phaseVelocities.size(), 1u);
    EXPECT_TRUE(std::isinf(doc.phaseVelocities[0]));
    EXPECT_NE(text.find("Velocity = inf\n"), std::string::npos) << text;
}

TEST(PhaseVelocity, AFourMillisecondDelayGivesTheSlantPathVelocity) {
    std::vector<double> differences;
    for (int k = 5; k <= 12; ++k)
        differences.push_back(6.2831852 * k * 4.8828125 * 0.004);
    CKorvaneDoc doc = TwoRecords(4.0f, 5.0f, differences);
    doc.hammerToRod = 1.22f;
    PhaseVelocity::ComputeIntervalVelocities(doc);
    const double expected = (std::sqrt(25.0 + 1.22 * 1.22) - std::sqrt(16.0 + 1.22 * 1.22)) / 0.004;
    EXPECT_NEAR(doc.phaseVelocities[0], expected, 0.01);
    EXPECT_NEAR(doc.phaseVelocities[0], 241.19, 0.01);

    // Two records at the same depth: no path difference, no velocity.
    CKorvaneDoc same = TwoRecords(4.0f, 4.0f, differences);
    PhaseVelocity::ComputeIntervalVelocities(same);
    EXPECT_EQ(same.phaseVelocities[0], 0.0f);

    // A record without signal has no phases, so its interval has no velocity either.
    const std::vector<float> zeros(100, 0.0f);
    PhaseVelocity::ComputePhaseAngles(zeros.data(), zeros.data(), doc.phaseSpectra[0].data());
    EXPECT_NE(PhaseVelocity::ComputeIntervalVelocities(doc).find("Velocity = nan\n"),
              std::string::npos);
    EXPECT_TRUE(std::isnan(doc.phaseVelocities[0]));
}

} // namespace
} // namespace korvane
