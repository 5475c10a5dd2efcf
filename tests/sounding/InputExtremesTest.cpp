// Loads at the edges of what a user can hand the program: many files, huge files, long lines,
// binary bytes, odd paths, things that are not files, and folders that refuse writing. Each
// completes or fails with one clear message, and a failure leaves an empty Sounding.
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

// Counts the checkpoints; never cancels.
class CountingProgress final : public ProgressReporter {
public:
    void SetRange(int lower, int upper) override { range = {lower, upper}; }
    void SetStatusText(const std::string&) override {}
    bool Checkpoint() override {
        ++checkpoints;
        return false;
    }
    std::pair<int, int> range{-1, -1};
    int checkpoints = 0;
};

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

void WriteFile(const fs::path& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    EXPECT_EQ(std::fwrite(text.data(), 1, text.size(), file), text.size());
    EXPECT_EQ(std::fclose(file), 0);
}

bool IsEmpty(const CKorvaneDoc& doc) {
    return doc.dataLoaded == 0 && doc.resultsValid == 0 && doc.recordCount == 0 &&
           doc.rawWaves.empty() && doc.filteredWaves.empty() && doc.depths.empty() &&
           doc.windows.empty() && doc.spectrumReal.empty() && doc.phaseSpectra.empty() &&
           doc.phaseVelocities.empty() && doc.ccVelocities.empty();
}

struct LoadOutcome {
    CommandResult result;
    CKorvaneDoc doc;
};

LoadOutcome Load(const std::vector<std::string>& paths, const fs::path& diagnostics,
                 uint32_t samplesPerRecord = 512) {
    LoadOutcome outcome;
    outcome.doc.samplesPerRecord = samplesPerRecord;
    CountingProgress progress;
    outcome.result = LoadSounding(outcome.doc, paths, diagnostics, progress);
    return outcome;
}

// A failed load: its message, the file it names, and nothing left behind.
void ExpectRefused(const LoadOutcome& outcome, const std::string& message,
                   const std::string& path) {
    EXPECT_EQ(outcome.result.outcome, CommandOutcome::Failed);
    EXPECT_EQ(outcome.result.message, message);
    EXPECT_EQ(outcome.result.failedPath, path);
    EXPECT_TRUE(IsEmpty(outcome.doc));
    EXPECT_FALSE(outcome.doc.IsModified());
}

TEST(InputExtremes, FiveHundredFilesLoadInDepthOrder) {
    const TempDir dir;
    std::vector<std::string> paths;
    for (int k = 0; k < 500; ++k) {
        // Named in one order, deep in another.
        const double depth = 1.0 + ((k * 37) % 500) * 0.05;
        paths.push_back(dir.Write("w" + std::to_string(k) + ".txt", Wave(depth, 300, k + 1u)));
    }
    fs::create_directory(dir.path() / "diag");
    LoadOutcome outcome;
    outcome.doc.samplesPerRecord = 512;
    CountingProgress progress;
    outcome.result = LoadSounding(outcome.doc, paths, dir.path() / "diag", progress);
    ASSERT_TRUE(outcome.result.ok()) << outcome.result.message;
    EXPECT_EQ(outcome.result.warning, "");
    EXPECT_EQ(progress.range, (std::pair<int, int>(0, 503)));
    EXPECT_EQ(progress.checkpoints, 503);
    const CKorvaneDoc& doc = outcome.doc;
    EXPECT_EQ(doc.recordCount, 500);
    EXPECT_EQ(doc.dataLoaded, 1);
    ASSERT_EQ(doc.depths.size(), 500u);
    EXPECT_TRUE(std::is_sorted(doc.depths.begin(), doc.depths.end()));
    EXPECT_FLOAT_EQ(doc.depths.front(), 1.0f - 0.18f);
    EXPECT_FLOAT_EQ(doc.depths.back(), 1.0f + 499 * 0.05f - 0.18f);
    EXPECT_EQ(doc.phaseVelocities.size(), 499u);
    // The wave table has one line per sample plus the depth line, 500 records wide.
    const std::string table = testing::ReadAll(dir.path() / "diag" / "original_data.txt");
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 513);
}

TEST(InputExtremes, ATenMillionLineFileGivesOneRecordAndIsNotReadToTheEnd) {
    const TempDir dir;
    const fs::path path = dir.path() / "ten million.txt";
    {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        const std::string header = Header("Depth: 4.18 m");
        std::fwrite(header.data(), 1, header.size(), file);
        // 10 000 000 lines of "0 1", "0 2" and so on, a megabyte at a time.
        std::string block;
        for (int j = 0; j < 250000; ++j)
            block += j % 2 == 0 ? "0 1\n" : "0 2\n";
        for (int b = 0; b < 40; ++b)
            ASSERT_EQ(std::fwrite(block.data(), 1, block.size(), file), block.size());
        ASSERT_EQ(std::fclose(file), 0);
    }
    ASSERT_EQ(fs::file_size(path), Header("Depth: 4.18 m").size() + 40'000'000u);

    const LoadOutcome outcome = Load({path.string()}, dir.path(), 8192);
    ASSERT_TRUE(outcome.result.ok()) << outcome.result.message;
    ASSERT_EQ(outcome.doc.rawWaves.size(), 1u);
    EXPECT_EQ(outcome.doc.rawWaves[0].size(), 8192u);
    EXPECT_EQ(outcome.doc.rawWaves[0][0], 1.0f);
    EXPECT_EQ(outcome.doc.rawWaves[0][8191], 2.0f);
    EXPECT_FLOAT_EQ(outcome.doc.depths[0], 4.0f);
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

TEST(InputExtremes, LinesOfTenThousandCharactersGiveTheMessageOfTheLineTheyBreak) {
    const TempDir dir;
    const std::string longWord(10000, 'x');
    const struct {
        const char* name;
        std::string text;
        std::string message;
    } cases[] = {
        // Line 1 is read 199 characters at a time: its rest becomes the depth line.
        {"first line", longWord + "\n" + Header().substr(Header().find('\n') + 1) + "0 1\n",
         WaveFileReader::kBadHeader},
        // The first piece holds the depth; the rest become header lines and the first sample.
        {"depth line", "h\nDepth: 2 " + longWord + "\n3\n4\n5\n6\n7\n0 1\n",
         WaveFileReader::BadRecordMessage(1)},
        // A data line whose first piece holds a sample and whose rest does not.
        {"data line", Header() + "0 1\n0 2 " + longWord + "\n0 3\n",
         WaveFileReader::BadRecordMessage(3)},
        {"ten thousand digits", Header() + "0 " + std::string(10000, '7') + "\n",
         WaveFileReader::BadRecordMessage(1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.Write("long.txt", c.text);
        ExpectRefused(Load({path}, dir.path()), c.message, path);
    }
    // Padding that keeps every 199-character piece a sample line loads.
    std::string padded = Header();
    for (int j = 0; j < 60; ++j) {
        std::string line = "0.025 " + std::to_string(j % 5);
        line.resize(198, ' ');
        padded += line + "\n";
    }
    const std::string path = dir.Write("padded.txt", padded);
    const LoadOutcome outcome = Load({path}, dir.path());
    ASSERT_TRUE(outcome.result.ok()) << outcome.result.message;
    EXPECT_EQ(outcome.doc.rawWaves[0][59], 4.0f);
}

TEST(InputExtremes, NulBytesAndInvalidUtf8AreDefectsOnlyWhereNumbersBelong) {
    const TempDir dir;
    // Anything goes in the free header lines and the words around the depth.
    const std::string binaryHeader =
        "\xff\xfe\0\x80 record\nTiefe\xc3\x28 2.5 \xe2\x82\n\0\0\0\n\x80\n5\n6\n7\n"s;
    const std::string good = dir.Write("binary header.txt", binaryHeader + "0 1\n0 2\n0 3\n");
    const LoadOutcome loaded = Load({good}, dir.path());
    ASSERT_TRUE(loaded.result.ok()) << loaded.result.message;
    EXPECT_FLOAT_EQ(loaded.doc.depths[0], 2.5f - 0.18f);

    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {Header() + "0 1\n0 \0 2\n"s, WaveFileReader::BadRecordMessage(2)},
        {Header() + "0 1\n0 \xff\xfe\n", WaveFileReader::BadRecordMessage(2)},
        {Header() + "0 \xc3\xa9\n", WaveFileReader::BadRecordMessage(1)},
        {"h\nDepth: \0 2 m\n3\n4\n5\n6\n7\n0 1\n"s, WaveFileReader::kBadHeader},
        {std::string(5000, '\0'), WaveFileReader::kBadHeader},
        {"\xef\xbb\xbf" + Header("Depth: \xc2\xa0 3 m") + "0 1\n", WaveFileReader::kBadHeader},
    };
    for (const auto& c : cases) {
        const std::string path = dir.Write("binary.txt", c.text);
        SCOPED_TRACE(c.message);
        ExpectRefused(Load({path}, dir.path()), c.message, path);
    }
}

TEST(InputExtremes, PathsWithSpacesAndNonAsciiCharactersWork) {
    const TempDir dir;
    const fs::path folder = dir.path() / "Sondierung Süd – Ø 5 ‰";
    const fs::path diagnostics = dir.path() / "Diagnose ü Ω";
    fs::create_directories(folder);
    fs::create_directories(diagnostics);
    const std::vector<std::string> paths = {
        (folder / "Tiefe 1,5 m.txt").string(),
        (folder / "深さ 2.txt").string(),
        (folder / " leading and trailing .txt ").string(),
    };
    const double depths[] = {1.5, 2.0, 3.0};
    for (std::size_t k = 0; k < paths.size(); ++k)
        WriteFile(paths[k], Wave(depths[k], 400));
    const LoadOutcome outcome = Load(paths, diagnostics);
    ASSERT_TRUE(outcome.result.ok()) << outcome.result.message;
    EXPECT_EQ(outcome.result.warning, "");
    EXPECT_EQ(outcome.doc.recordCount, 3);
    for (const char* name : {DiagnosticFiles::kPhaseFile, DiagnosticFiles::kOriginalFile,
                             DiagnosticFiles::kRecoveredFile})
        EXPECT_GT(fs::file_size(diagnostics / name), 0u) << name;
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
        return IsEmpty(load.doc) ? 0 : 3;
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

    // Names taken by folders stop even root from writing the files.
    const fs::path blocked = dir.path() / "blocked";
    fs::create_directories(blocked / DiagnosticFiles::kOriginalFile);
    LoadOutcome outcome = Load(paths, blocked);
    ASSERT_TRUE(outcome.result.ok()) << outcome.result.message;
    EXPECT_EQ(outcome.result.warning, warning + blocked.string() + ".");
    EXPECT_EQ(outcome.doc.recordCount, 2);
    EXPECT_EQ(outcome.doc.dataLoaded, 1);
    EXPECT_TRUE(outcome.doc.IsModified());

    // A plain file where the folder should be.
    const fs::path notAFolder = dir.path() / "a.txt";
    outcome = Load(paths, notAFolder);
    ASSERT_TRUE(outcome.result.ok());
    EXPECT_EQ(outcome.result.warning, warning + notAFolder.string() + ".");

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
