// Loads at the edges of what a user can hand the program: many files, endless streams, long
// lines and folders that refuse writing. Each completes or fails with one clear
// message, and a failure leaves an empty Sounding.
#include "ScriptedProgress.h"
#include "SoundingFixture.h"
#include "WaveFileFixture.h"
#include "dsp/CommandResult.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/DiagnosticFiles.h"
#include "sounding/LoadPipeline.h"
#include "sounding/WaveFileReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane {
namespace {

namespace fs = std::filesystem;
using testing::Header;
using testing::TempDir;

// A short burst on noise, so the filter has something to keep.
std::string Wave(double tipDepth, int samples, unsigned seed = 1) {
    std::string text = Header("Depth: " + std::to_string(tipDepth) + " m");
    char line[64];
    for (int t = 0; t < samples; ++t) {
        seed = seed * 1103515245u + 12345u;
        const double noise = static_cast<double>(seed >> 16 & 0x7fff) / 32768.0 - 0.5;
        const double s = (t - samples / 3) / 40.0;
        const double value = std::exp(-s * s) * std::sin(0.3 * t) + 0.01 * noise;
        std::snprintf(line, sizeof line, "%.3f %.6f\n", t * 0.025, value);
        text += line;
    }
    return text;
}

struct LoadOutcome {
    CommandResult result;
    CKorvaneDoc doc;
    testing::ScriptedProgress progress;
};

LoadOutcome Load(const std::vector<std::string>& paths, const fs::path& diagnostics) {
    LoadOutcome outcome;
    outcome.doc.samplesPerRecord = 512;
    outcome.result = LoadSounding(outcome.doc, paths, diagnostics, outcome.progress);
    return outcome;
}

TEST(InputExtremes, FiveHundredFilesLoadInDepthOrder) {
    const TempDir dir;
    std::vector<std::string> paths;
    for (int k = 0; k < 500; ++k) { // named in one order, deep in another
        // Appended: GCC 12 at -O3 takes "literal" + std::string for an overlapping copy.
        std::string name = "w";
        name += std::to_string(k) + ".txt";
        paths.push_back(dir.Write(name, Wave(1.0 + ((k * 37) % 500) * 0.05, 300, k + 1u)));
    }
    fs::create_directory(dir.path() / "diag");
    const LoadOutcome outcome = Load(paths, dir.path() / "diag");
    ASSERT_TRUE(outcome.result.ok()) << outcome.result.message;
    EXPECT_EQ(outcome.progress.upper, 503);
    EXPECT_EQ(outcome.progress.checkpoints, 503);
    const std::vector<float>& depths = outcome.doc.depths;
    ASSERT_EQ(depths.size(), 500u);
    EXPECT_TRUE(std::is_sorted(depths.begin(), depths.end()));
    EXPECT_FLOAT_EQ(depths.back(), 1.0f + 499 * 0.05f - 0.18f);
    EXPECT_EQ(outcome.doc.phaseVelocities.size(), 499u);
}

TEST(InputExtremes, AnEndlessStreamIsReadOnlyAsFarAsOneRecordNeeds) {
    // A FIFO fed without end: the reader must stop after its samples, not wait for an end.
    const TempDir dir;
    const fs::path fifo = dir.path() / "endless";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Held open for reading and writing, so a writer exists before the reader comes.
    const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    std::atomic<bool> done{false};
    uint32_t taken = 0;
    std::string error;
    std::vector<float> raw(1024);
    std::thread reader([&] {
        float depth = 0.0f;
        try {
            taken = WaveFileReader::ReadSamples(fifo.string(), raw.data(), 1024, depth, 0.18f);
        } catch (const KorvaneError& e) {
            error = e.what();
        }
        done = true;
    });
    // The header, then sample lines for as long as the reader takes them.
    std::string chunk;
    for (int j = 0; j < 1000; ++j)
        chunk += "0.025 0.5\n";
    const std::string header = Header();
    ASSERT_EQ(::write(writer, header.data(), header.size()), static_cast<ssize_t>(header.size()));
    uint64_t written = header.size();
    std::size_t at = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done && std::chrono::steady_clock::now() < deadline) {
        const ssize_t n = ::write(writer, chunk.data() + at, chunk.size() - at);
        if (n > 0) {
            written += static_cast<uint64_t>(n);
            at = (at + static_cast<std::size_t>(n)) % chunk.size();
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    const bool finished = done;
    // Closing the only writer ends the stream, so a reader still waiting returns too.
    ::close(writer);
    reader.join();
    ASSERT_TRUE(finished) << "the reader waited for the end of an endless stream";
    EXPECT_EQ(error, "");
    EXPECT_EQ(taken, 1024u);
    EXPECT_EQ(raw[1023], 0.5f);
    // What it read is bounded by one record of the longest lines, plus the pipe's buffer.
    EXPECT_LT(written, (1024u + 9u) * 199u + 2u * 1024u * 1024u);
}

TEST(InputExtremes, LongLinesGiveTheMessageOfTheLineTheyBreak) {
    const TempDir dir;
    const std::string longWord(10000, 'x');
    const struct {
        const char* name;
        std::string text;
        std::string message;
    } cases[] = {
        // Line 1 is read 199 characters at a time: its rest becomes the depth line.
        {"long first line", longWord + "\n" + Header().substr(Header().find('\n') + 1) + "0 1\n",
         WaveFileReader::kBadHeader},
        // The first piece holds the depth; the rest become header lines and the first sample.
        {"long depth line", "h\nDepth: 2 " + longWord + "\n3\n4\n5\n6\n7\n0 1\n",
         WaveFileReader::BadRecordMessage(1)},
        // A data line whose first piece holds a sample and whose rest does not.
        {"long data line", Header() + "0 1\n0 2 " + longWord + "\n0 3\n",
         WaveFileReader::BadRecordMessage(3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.Write("odd.txt", c.text);
        const LoadOutcome outcome = Load({path}, dir.path());
        EXPECT_EQ(outcome.result.message, c.message);
        EXPECT_EQ(outcome.result.failedPath, path);
        EXPECT_TRUE(testing::IsEmptySounding(outcome.doc, 512));
    }
}

TEST(InputExtremes, UnwritableDiagnosticsStillLoadAndSaySo) {
    const TempDir dir;
    const std::vector<std::string> paths = {dir.Write("a.txt", Wave(1.0, 300)),
                                            dir.Write("b.txt", Wave(2.0, 300))};
    const std::string warning = "The diagnostic files could not be written to ";

    // Names taken by folders stop even root from writing the files; a plain file where the
    // folder should be, or no folder at all, stop them too (the folder is not created).
    const fs::path blocked = dir.path() / "blocked";
    fs::create_directories(blocked / DiagnosticFiles::kOriginalFile);
    for (const fs::path& target : {blocked, dir.path() / "a.txt", dir.path() / "no such folder"}) {
        SCOPED_TRACE(target);
        const LoadOutcome outcome = Load(paths, target);
        ASSERT_TRUE(outcome.result.ok()) << outcome.result.message;
        EXPECT_EQ(outcome.result.warning, warning + target.string() + ".");
        EXPECT_EQ(outcome.doc.recordCount, 2);
        EXPECT_EQ(outcome.doc.dataLoaded, 1);
        EXPECT_TRUE(outcome.doc.IsModified());
    }
    EXPECT_FALSE(fs::exists(dir.path() / "no such folder"));
}

} // namespace
} // namespace korvane
