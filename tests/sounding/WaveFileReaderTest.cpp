#include "sounding/WaveFileReader.h"

#include "WaveFileFixture.h"
#include "dsp/KorvaneError.h"
#include "sounding/FormatRecognizer.h"
#include "sounding/RecordImporter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane {
namespace {

using testing::Header;
using testing::TempDir;

struct Loaded {
    std::string error; // empty on success
    std::vector<float> raw;
    float depth = -1.0f;
    uint32_t taken = 0;
};

Loaded Read(const std::string& path, uint32_t n = 8192, float geophoneToTip = 0.18f) {
    Loaded loaded;
    loaded.raw.assign(n, -99.0f);
    try {
        loaded.taken =
            WaveFileReader::ReadSamples(path, loaded.raw.data(), n, loaded.depth, geophoneToTip);
    } catch (const KorvaneError& error) {
        loaded.error = error.what();
    }
    return loaded;
}

Loaded ReadText(const std::string& text, uint32_t n = 8192) {
    const TempDir dir;
    return Read(dir.Write("wave.txt", text), n);
}

std::string DataLines(int count, float amplitude = 0.5f) {
    std::string text;
    for (int t = 0; t < count; ++t)
        text += std::to_string(t * 0.025) + " " + std::to_string(amplitude) + "\n";
    return text;
}

TEST(WaveFileReader, ReportsEveryDefectWithItsMessage) {
    const std::string header = "The file is wrong in the header lines!";
    const std::string longWord(10000, 'x');
    const std::pair<std::string, std::string> cases[] = {
        {"", header},
        {Header("Depth: 12.35"), header},
        {Header("Depth: inf m"), header},
        {"1\nDepth: 1 m\n3\n4\n5\n6\n", header}, // line 7 missing
        {Header(), "The file is wrong in the first data record!"},
        {Header() + "0.0 0.1\n0.025 0.2\n0.0002 abc\n0.075 0.4\n",
         "The file is wrong in 3 data record!"},
        {Header() + "0 1\n0 inf\n", "The file is wrong in 2 data record!"},
        // A blank line before the end is parsed as the sample it would have been.
        {Header() + DataLines(4) + "\n", "The file is wrong in 5 data record!"},
        // Lines are read 199 characters at a time: the rest of a long first line becomes the
        // depth line; a long depth line's rest becomes header lines and the first sample; a
        // data line's rest the next sample.
        {longWord + "\n" + Header().substr(Header().find('\n') + 1) + "0 1\n", header},
        {"h\nDepth: 2 " + longWord + "\n3\n4\n5\n6\n7\n0 1\n",
         "The file is wrong in 1 data record!"},
        {Header() + "0 1\n0 2 " + longWord + "\n0 3\n", "The file is wrong in 3 data record!"},
    };
    for (const auto& [text, message] : cases)
        EXPECT_EQ(ReadText(text).error, message) << text;
    EXPECT_EQ(WaveFileReader::BadRecordMessage(8192), "The file is wrong in 8192 data record!");
}

TEST(WaveFileReader, DepthLineIsWordNumberWord) {
    const std::pair<std::string, float> cases[] = {
        {"Depth: 12.35 m", 12.35f}, {"Depth: 12.35m", 12.35f}, // the unit may touch the number
    };
    for (const auto& [line, tipDepth] : cases)
        EXPECT_EQ(ReadText(Header(line) + "0 1\n").depth, tipDepth - 0.18f) << line;
    EXPECT_FLOAT_EQ(ReadText(Header("Depth: 12.35 m") + "0 1\n").depth, 12.17f);
    // The depth is stored before the data records are read.
    EXPECT_EQ(ReadText(Header("Depth: 3 m") + "bad\n").depth, 3.0f - 0.18f);
}

TEST(WaveFileReader, SamplesEndAtOneRecordOrAtTheLastLineBreak) {
    // 100 samples summing to exactly 5.0 fill the record with their mean, 0.05.
    std::string hundred;
    for (int t = 0; t < 100; ++t)
        hundred += "0.0 " + std::string(t < 10 ? "0.5" : "0") + "\n";
    const Loaded shortRecord = ReadText(Header() + hundred);
    EXPECT_EQ(shortRecord.taken, 100u);
    EXPECT_EQ(shortRecord.raw[9], 0.5f);
    EXPECT_EQ(shortRecord.raw[99], 0.0f);
    EXPECT_EQ(std::vector<float>(shortRecord.raw.begin() + 100, shortRecord.raw.end()),
              std::vector<float>(8092, 0.05f));

    // Lines after the last sample are never looked at, defective or not.
    const Loaded exact = ReadText(Header() + DataLines(8192, 0.25f));
    const Loaded longer =
        ReadText(Header() + DataLines(8192, 0.25f) + "garbage\n\n" + std::string(100000, 'x'));
    EXPECT_EQ(exact.taken, 8192u);
    EXPECT_EQ(exact.raw[8191], 0.25f);
    EXPECT_EQ(longer.error, "");
    EXPECT_EQ(longer.raw, exact.raw);

    // A last line without its line break ends the data and is not taken: the mean of 1, 2, 3.
    const Loaded unterminated = ReadText(Header() + "0 1\n0 2\n0 3\n0 6");
    EXPECT_EQ(unterminated.taken, 3u);
    EXPECT_EQ(unterminated.raw[3], 2.0f);
    const Loaded none = ReadText(Header() + "0 5");
    EXPECT_EQ(none.error, "");
    EXPECT_EQ(none.raw, std::vector<float>(8192, 0.0f));
    EXPECT_EQ(ReadText(Header() + DataLines(8191) + "0 7").taken, 8191u);
    // Amplitudes near the float range overflow a float sum, not their mean.
    EXPECT_EQ(ReadText(Header() + "0 3e38\n0 3e38\n").raw[2], 3e38f);
}

// A line may hold 199 characters, whatever ends it.
TEST(WaveFileReader, LineEndsDoNotCountAgainstTheLineLength) {
    const auto padded = [](std::string text, std::size_t length) {
        return text + std::string(length - text.size(), ' ');
    };
    for (const char* end : {"\n", "\r\n"}) {
        for (std::size_t length : {198u, 199u}) {
            SCOPED_TRACE(std::to_string(length) + (end[0] == '\r' ? " CR LF" : " LF"));
            std::string header = Header();
            header.replace(header.find("line 3"), 6, padded("line 3", length));
            const std::string data =
                "0 1" + std::string(end) + padded("0 2", length) + end + "0 3" + end + "0 4" + end;
            const Loaded loaded = ReadText(header + data);
            EXPECT_EQ(loaded.error, "");
            EXPECT_EQ(loaded.taken, 4u);
            EXPECT_EQ(loaded.raw[1], 2.0f);
        }
    }
}

// A FIFO fed without end: the reader must stop after its samples, not wait for an end.
TEST(WaveFileReader, AnEndlessStreamIsReadOnlyAsFarAsOneRecordNeeds) {
    const TempDir dir;
    const std::string fifo = (dir.path() / "endless").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Held open for reading and writing, so a writer exists before the reader comes.
    const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    std::atomic<bool> done{false};
    Loaded loaded;
    std::thread reader([&] {
        loaded = Read(fifo, 1024);
        done = true;
    });
    // The header, then sample lines for as long as the reader takes them.
    std::string pending = Header();
    uint64_t written = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done && std::chrono::steady_clock::now() < deadline) {
        if (pending.size() < 1000)
            pending += DataLines(1000);
        const ssize_t n = ::write(writer, pending.data(), pending.size());
        if (n > 0) {
            written += static_cast<uint64_t>(n);
            pending.erase(0, static_cast<std::size_t>(n));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    const bool finished = done;
    // Closing the only writer ends the stream, so a reader still waiting returns too.
    ::close(writer);
    reader.join();
    ASSERT_TRUE(finished) << "the reader waited for the end of an endless stream";
    EXPECT_EQ(loaded.error, "");
    EXPECT_EQ(loaded.taken, 1024u);
    EXPECT_EQ(loaded.raw[1023], 0.5f);
    // What it read is bounded by one record of the longest lines, plus the pipe's buffer.
    EXPECT_LT(written, (1024u + 9u) * 199u + 2u * 1024u * 1024u);
}

// fgets with a 200-byte buffer, except that the LF or CR LF ending a 199-character line is
// taken with it.
char* GetLine(char* line, std::FILE* file) {
    if (std::fgets(line, 200, file) == nullptr)
        return nullptr;
    if (std::strlen(line) == 199 && line[198] != '\n') {
        const long at = std::ftell(file);
        int next = std::fgetc(file);
        if (next == '\r')
            next = std::fgetc(file);
        if (next != '\n')
            std::fseek(file, at, SEEK_SET);
    }
    return line;
}

// The reader as a C program would write it with fgets and sscanf, plus the documented
// refusal of non-finite values.
Loaded ReadWithStdio(const std::string& path, uint32_t n) {
    Loaded loaded;
    loaded.raw.assign(n, -99.0f);
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) {
        loaded.error = "Can't open the data file!";
        return loaded;
    }
    char line[200];
    char word1[200];
    char word2[200];
    float number = 0;
    auto fail = [&](std::string message) {
        std::fclose(file);
        loaded.error = std::move(message);
        return loaded;
    };
    if (!GetLine(line, file) || !GetLine(line, file) ||
        std::sscanf(line, "%199s %f %199s", word1, &number, word2) != 3 || !std::isfinite(number))
        return fail("The file is wrong in the header lines!");
    loaded.depth = number - 0.18f;
    for (int k = 0; k < 5; ++k) {
        if (!GetLine(line, file))
            return fail("The file is wrong in the header lines!");
    }
    if (!GetLine(line, file))
        return fail("The file is wrong in the first data record!");
    float sum = 0;
    uint32_t j = 0;
    for (; j < n; ++j) {
        if (std::feof(file))
            break;
        float time = 0;
        if (std::sscanf(line, "%f %f", &time, &loaded.raw[j]) != 2 || !std::isfinite(loaded.raw[j]))
            return fail("The file is wrong in " + std::to_string(j + 1) + " data record!");
        sum += loaded.raw[j];
        if (!GetLine(line, file)) {
            // ignored: feof stops the loop, the old line stays
        }
    }
    loaded.taken = j;
    for (uint32_t k = j; k < n; ++k)
        loaded.raw[k] = j > 0 ? sum / static_cast<float>(j) : 0.0f;
    std::fclose(file);
    return loaded;
}

// Random number spellings, separators, line lengths and NULs; no "inf", "nan" or "0x"
// spellings.
std::string RandomWaveFile(std::mt19937& random) {
    auto pick = [&](int below) { return static_cast<int>(random() % unsigned(below)); };
    auto number = [&] { // now and then no digit at all
        static const char* const signs[] = {"", "", "+", "-"};
        static const char* const exponents[] = {"", "", "", "e", "E+2", "e-3", "e7"};
        static const char* const digits[] = {"1",
                                             "07",
                                             "12.5",
                                             ".25",
                                             "9.",
                                             "3",
                                             "250.125",
                                             "0.000025",
                                             "0.002820",
                                             "16777217",
                                             "12345678901234567890.5",
                                             "."};
        return std::string(signs[pick(4)]) + digits[pick(20) ? pick(11) : 11] + exponents[pick(7)];
    };
    auto gap = [&] { return std::string(static_cast<std::size_t>(pick(3)), " \t\r\v\f"[pick(5)]); };
    auto line = [&](bool data) {
        std::string text = gap() + (data ? "" : pick(2) ? "Depth:" : "12") + gap();
        text += (data ? number() + gap() + (pick(3) ? " " : "") : " ") + number() + gap();
        if (pick(15) == 0)
            text += std::string(static_cast<std::size_t>(150 + pick(150)), ' ') + number();
        if (pick(12) == 0) // sscanf sees a line only up to a NUL
            text.insert(static_cast<std::size_t>(pick(static_cast<int>(text.size()) + 1)), 1, '\0');
        return text + (data ? "" : " m");
    };
    std::string file = pick(10) ? "header\n" : "";
    file += line(false) + "\n";
    for (int k = 3 + pick(10) / 9; k <= 7; ++k) {
        file += 'h';
        file += std::to_string(k) + "\n";
    }
    for (int k = pick(24); k > 0; --k)
        file += line(true) + (pick(20) ? "\n" : "\r\n");
    if (pick(3) == 0)
        file += line(true);
    return file;
}

// The import layer reads every file it takes for a wave file exactly as the reader does.
void ExpectImportAgrees(const std::string& path, uint32_t n, const Loaded& expected) {
    std::string error;
    try {
        const FileImport imported = RecordImporter::Import(path, {}, n, 0.18f);
        ASSERT_EQ(imported.format, RecordFormat::Wave);
        const std::vector<float>& raw = imported.records.at(0).traces.at(0);
        EXPECT_EQ(imported.records[0].depth, expected.depth);
        ASSERT_EQ(raw.size(), n);
        EXPECT_EQ(std::memcmp(raw.data(), expected.raw.data(), n * sizeof(float)), 0);
    } catch (const KorvaneError& e) {
        error = e.what();
    }
    EXPECT_EQ(error, expected.error);
}

TEST(WaveFileReader, AgreesWithFgetsAndSscanfOnRandomFiles) {
    const TempDir dir;
    std::mt19937 random(20240611);
    int succeeded = 0;
    int imported = 0;
    for (int round = 0; round < 1000; ++round) {
        const std::string text = RandomWaveFile(random);
        std::string name = "random-";
        name += std::to_string(round) + ".txt";
        const std::string path = dir.Write(name, text);
        const uint32_t n = round % 3 == 0 ? 4u : 16u;
        const Loaded expected = ReadWithStdio(path, n);
        const Loaded actual = Read(path, n);
        ASSERT_EQ(actual.error, expected.error) << "file:\n" << text;
        if (FormatRecognizer::Recognise(text) == RecordFormat::Wave) {
            SCOPED_TRACE(text);
            ExpectImportAgrees(path, n, expected);
            ++imported;
        }
        if (expected.error.empty()) {
            ++succeeded;
            ASSERT_EQ(actual.taken, expected.taken) << text;
            ASSERT_EQ(actual.depth, expected.depth) << text;
            for (uint32_t k = 0; k < n; ++k)
                ASSERT_EQ(std::memcmp(&actual.raw[k], &expected.raw[k], sizeof(float)), 0)
                    << "sample " << k << " of\n"
                    << text;
        }
    }
    EXPECT_GT(succeeded, 100); // the comparison covered a fair share of readable files
    EXPECT_GT(imported, 850);  // files with six header lines may be columns files
}

} // namespace
} // namespace korvane
