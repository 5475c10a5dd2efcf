// Loads at the edges of what a user can hand the program: many files, huge files, long lines,
// binary bytes, odd paths, things that are not files, and folders that refuse writing. Each
// completes or fails with one clear message, and a failure leaves an empty Sounding.
#include "ScriptedProgress.h"
#include "SoundingFixture.h"
#include "UnprivilegedRun.h"
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
using namespace std::string_literals;
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

// A failed load: its message, the file it names, and nothing left behind.
void ExpectRefused(const LoadOutcome& outcome, const std::string& message,
                   const std::string& path) {
    EXPECT_EQ(outcome.result.outcome, CommandOutcome::Failed);
    EXPECT_EQ(outcome.result.message, message);
    EXPECT_EQ(outcome.result.failedPath, path);
    EXPECT_TRUE(testing::IsEmptySounding(outcome.doc, 512));
}

TEST(InputExtremes, FiveHundredFilesLoadInDepthOrder) {
    const TempDir dir;
    std::vector<std::string> paths;
    for (int k = 0; k < 500; ++k) // named in one order, deep in another
        paths.push_back(dir.Write("w" + std::to_string(k) + ".txt",
                                  Wave(1.0 + ((k * 37) % 500) * 0.05, 300, k + 1u)));
    fs::create_directory(dir.path() / "diag");
    const LoadOutcome outcome = Load(paths, dir.path() / "diag");
    ASSERT_TRUE(outcome.result.ok()) << outcome.result.message;
    EXPECT_EQ(outcome.result.warning, "");
    EXPECT_EQ(outcome.progress.upper, 503);
    EXPECT_EQ(outcome.progress.checkpoints, 503);
    const std::vector<float>& depths = outcome.doc.depths;
    ASSERT_EQ(depths.size(), 500u);
    EXPECT_TRUE(std::is_sorted(depths.begin(), depths.end()));
    EXPECT_FLOAT_EQ(depths.back(), 1.0f + 499 * 0.05f - 0.18f);
    EXPECT_EQ(outcome.doc.phaseVelocities.size(), 499u);
    // The wave table has one line per sample plus the depth line, 500 records wide.
    const std::string table =
        testing::ReadAll(dir.path() / "diag" / DiagnosticFiles::kOriginalFile);
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 513);
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

TEST(InputExtremes, LongLinesAndBinaryBytesGiveTheMessageOfTheLineTheyBreak) {
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
        {"ten thousand digits", Header() + "0 " + std::string(10000, '7') + "\n",
         WaveFileReader::BadRecordMessage(1)},
        {"NUL in a sample", Header() + "0 1\n0 \0 2\n"s, WaveFileReader::BadRecordMessage(2)},
        {"bytes that are no UTF-8", Header() + "0 1\n0 \xff\xfe\n",
         WaveFileReader::BadRecordMessage(2)},
        {"a letter that is no digit", Header() + "0 \xc3\xa9\n",
         WaveFileReader::BadRecordMessage(1)},
        {"NUL before the depth", "h\nDepth: \0 2 m\n3\n4\n5\n6\n7\n0 1\n"s,
         WaveFileReader::kBadHeader},
        {"only NULs", std::string(5000, '\0'), WaveFileReader::kBadHeader},
        {"no-break space as depth", "\xef\xbb\xbf" + Header("Depth: \xc2\xa0 3 m") + "0 1\n",
         WaveFileReader::kBadHeader},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.Write("odd.txt", c.text);
        ExpectRefused(Load({path}, dir.path()), c.message, path);
    }
    // Padding that keeps every 199-character piece a sample line loads, and so does anything in
    // the free header lines and the words around the depth.
    std::string padded = Header();
    for (int j = 0; j < 60; ++j) {
        std::string line = "0.025 " + std::to_string(j % 5);
        line.resize(198, ' ');
        padded += line + "\n";
    }
    const std::string binaryHeader =
        "\xff\xfe\0\x80 record\nTiefe\xc3\x28 2.5 \xe2\x82\n\0\0\0\n\x80\n5\n6\n7\n0 1\n0 2\n0 3\n"s;
    const LoadOutcome outcome =
        Load({dir.Write("padded.txt", padded), dir.Write("binary.txt", binaryHeader)}, dir.path());
    ASSERT_TRUE(outcome.result.ok()) << outcome.result.message;
    EXPECT_FLOAT_EQ(outcome.doc.depths[0], 2.5f - 0.18f);
    EXPECT_EQ(outcome.doc.rawWaves[1][59], 4.0f);
}

TEST(InputExtremes, PathsWithSpacesAndNonAsciiCharactersWork) {
    const TempDir dir;
    const std::string folder = "Sondierung Süd – Ø 5 ‰";
    fs::create_directories(dir.path() / folder);
    fs::create_directories(dir.path() / "Diagnose ü Ω");
    const std::vector<std::string> paths = {
        dir.Write(folder + "/Tiefe 1,5 m.txt", Wave(1.5, 400)),
        dir.Write(folder + "/深さ 2.txt", Wave(2.0, 400)),
        dir.Write(folder + "/ leading and trailing .txt ", Wave(3.0, 400)),
    };
    const LoadOutcome outcome = Load(paths, dir.path() / "Diagnose ü Ω");
    ASSERT_TRUE(outcome.result.ok()) << outcome.result.message;
    EXPECT_EQ(outcome.result.warning, "");
    EXPECT_EQ(outcome.doc.recordCount, 3);
    for (const char* name : {DiagnosticFiles::kPhaseFile, DiagnosticFiles::kOriginalFile,
                             DiagnosticFiles::kRecoveredFile})
        EXPECT_GT(fs::file_size(dir.path() / "Diagnose ü Ω" / name), 0u) << name;
}

TEST(InputExtremes, ThingsThatAreNotReadableWaveFilesAreNamed) {
    const TempDir dir;
    const std::string good = dir.Write("good.txt", Wave(1.0, 300));
    fs::create_directory(dir.path() / "a folder.txt");
    const std::string folder = (dir.path() / "a folder.txt").string();
    const std::string missing = (dir.path() / "missing.txt").string();
    const std::string fifo = (dir.path() / "nobody writes.txt").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    // The defective file may come anywhere in the selection; the message names it.
    ExpectRefused(Load({good, folder}, dir.path()), WaveFileReader::kCantOpen, folder);
    ExpectRefused(Load({missing, good}, dir.path()), WaveFileReader::kCantOpen, missing);
    // A FIFO without a writer holds no data (and must not block the load).
    ExpectRefused(Load({good, fifo}, dir.path()), WaveFileReader::kBadHeader, fifo);
    ExpectRefused(Load({"/dev/null"}, dir.path()), WaveFileReader::kBadHeader, "/dev/null");
    ExpectRefused(Load({""}, dir.path()), WaveFileReader::kCantOpen, "");
    EXPECT_FALSE(fs::exists(dir.path() / DiagnosticFiles::kPhaseFile));
}

TEST(InputExtremes, AFileWithoutReadPermissionIsRefusedForAnUnprivilegedUser) {
    const TempDir dir;
    fs::permissions(dir.path(), fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::add);
    const std::string good = dir.Write("good.txt", Wave(1.0, 300));
    const std::string locked = dir.Write("locked.txt", Wave(2.0, 300));
    fs::permissions(good, fs::perms::others_read, fs::perm_options::add);
    fs::permissions(locked, fs::perms::none);
    const int outcome = testing::UnprivilegedRun::Run([&] {
        const LoadOutcome load = Load({good, locked}, "/nonexistent");
        if (load.result.outcome != CommandOutcome::Failed)
            return 1;
        if (load.result.message != WaveFileReader::kCantOpen || load.result.failedPath != locked)
            return 2;
        return testing::IsEmptySounding(load.doc, 512) ? 0 : 3;
    });
    if (outcome == testing::UnprivilegedRun::kUnavailable)
        GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(outcome, 0);
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

    // A folder without write permission, for a user whom permissions stop.
    const fs::path readOnly = dir.path() / "read only";
    fs::create_directory(readOnly);
    fs::permissions(dir.path(), fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::add);
    for (const std::string& path : paths)
        fs::permissions(path, fs::perms::others_read, fs::perm_options::add);
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
    const int unprivileged = testing::UnprivilegedRun::Run([&] {
        const LoadOutcome load = Load(paths, readOnly);
        if (!load.result.ok())
            return 1;
        if (load.result.warning != warning + readOnly.string() + ".")
            return 2;
        return load.doc.recordCount == 2 && load.doc.IsModified() ? 0 : 3;
    });
    if (unprivileged != testing::UnprivilegedRun::kUnavailable) {
        EXPECT_EQ(unprivileged, 0);
    }
    EXPECT_TRUE(fs::is_empty(readOnly));
}

} // namespace
} // namespace korvane
