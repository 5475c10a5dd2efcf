#include "sounding/WaveFileReader.h"

#include "WaveFileFixture.h"
#include "dsp/CSpectralFilter.h"
#include "dsp/KorvaneError.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

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
    const std::pair<std::string, std::string> cases[] = {
        {"", header},
        {"only one line\n", header},
        {Header("Depth: 12.35"), header},
        {Header("Depth=12.35"), header},
        {Header("Depth: inf m"), header},
        {"1\nDepth: 1 m\n3\n4\n5\n6\n", header}, // line 7 missing
        {Header(), "The file is wrong in the first data record!"},
        {Header() + "0.0 0.1\n0.025 0.2\n0.0002 abc\n0.075 0.4\n",
         "The file is wrong in 3 data record!"},
        {Header() + "0.0,1.5\n0.025,1.5\n", "The file is wrong in 1 data record!"},
        // A blank line before the end is parsed as the sample it would have been.
        {Header() + DataLines(4) + "\n", "The file is wrong in 5 data record!"},
        {Header() + DataLines(2) + "  \t\r\n" + DataLines(2),
         "The file is wrong in 3 data record!"},
    };
    for (const auto& [text, message] : cases)
        EXPECT_EQ(ReadText(text).error, message) << text;
    EXPECT_EQ(WaveFileReader::BadRecordMessage(8192), "The file is wrong in 8192 data record!");
}

TEST(WaveFileReader, DepthLineIsWordNumberWord) {
    const std::pair<std::string, float> cases[] = {
        {"Depth: 12.35 m", 12.35f},
        {"\tDepth:\t12.35\tm\r", 12.35f},
        {"D 1.235e1 metres and more", 12.35f},
        {"Depth: 12.35m", 12.35f}, // the unit may touch the number
        // Words longer than 39 characters are accepted; they are skipped, never copied.
        {std::string(120, 'w') + " 2.5 " + std::string(60, 'u'), 2.5f},
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
}

// Odder spellings are left to the comparison with sscanf on random files below.
TEST(WaveFileReader, ParsesDataLinesLikeScanf) {
    const Loaded loaded = ReadText(Header() + "0.0\t1.5\n"              // tab
                                              "0.025 -2.5e-1\r\n"       // exponent, CR LF
                                              "  +0.05   .75 volts 9\n" // blanks, text after
                                              "1 2E+2\n");
    ASSERT_EQ(loaded.error, "");
    EXPECT_EQ(std::vector<float>(loaded.raw.begin(), loaded.raw.begin() + 4),
              (std::vector<float>{1.5f, -0.25f, 0.75f, 200.0f}));
}

TEST(WaveFileReader, SplitsLinesLongerThan199Characters) {
    // One physical line of 199 + 8 characters reads as two data lines.
    std::string first = "0.0 1.5";
    first.resize(199, ' ');
    const Loaded split = ReadText(Header() + first + "2.0 3.5\n");
    EXPECT_EQ(split.taken, 2u);
    EXPECT_EQ(split.raw[1], 3.5f);
    // Exactly 199 characters before the line feed: the line feed alone is the next line.
    EXPECT_EQ(ReadText(Header() + first + "\n").error, "The file is wrong in 2 data record!");
    // 199 characters without a line break at the end of the file are a whole line.
    EXPECT_EQ(ReadText(Header() + first).taken, 1u);
    // A long first line makes its tail line 2.
    EXPECT_EQ(ReadText(std::string(199, '#') + "D 4 m\n" + "3\n4\n5\n6\n7\n0 1\n").depth,
              4.0f - 0.18f);
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
    if (!std::fgets(line, 200, file) || !std::fgets(line, 200, file) ||
        std::sscanf(line, "%199s %f %199s", word1, &number, word2) != 3 || !std::isfinite(number))
        return fail("The file is wrong in the header lines!");
    loaded.depth = number - 0.18f;
    for (int k = 0; k < 5; ++k) {
        if (!std::fgets(line, 200, file))
            return fail("The file is wrong in the header lines!");
    }
    if (!std::fgets(line, 200, file))
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
        if (!std::fgets(line, 200, file)) {
            // ignored: feof stops the loop, the old line stays
        }
    }
    loaded.taken = j;
    for (uint32_t k = j; k < n; ++k)
        loaded.raw[k] = j > 0 ? sum / static_cast<float>(j) : 0.0f;
    std::fclose(file);
    return loaded;
}

// Random number spellings, separators and line lengths; no "inf", "nan" or "0x" spellings.
std::string RandomWaveFile(std::mt19937& random) {
    auto pick = [&](int below) {
        return static_cast<int>(random() % static_cast<unsigned>(below));
    };
    auto number = [&] {
        std::string text;
        if (pick(4) == 0)
            text += "+-"[pick(2)];
        for (int k = pick(4); k > 0; --k)
            text += static_cast<char>('0' + pick(10));
        if (pick(2) == 0)
            text += '.';
        for (int k = pick(4); k > 0; --k)
            text += static_cast<char>('0' + pick(10));
        if (pick(4) == 0) {
            text += "eE"[pick(2)];
            if (pick(2) == 0)
                text += "+-"[pick(2)];
            for (int k = pick(3); k > 0; --k)
                text += static_cast<char>('0' + pick(10));
        }
        return text;
    };
    auto gap = [&] {
        static const char blanks[] = {' ', '\t', '\r', '\v', '\f'};
        std::string text;
        for (int k = pick(3); k > 0; --k)
            text += blanks[pick(5)];
        return text;
    };
    auto junk = [&] {
        static const char chars[] = "0123456789.eE+- \t\r,;qm#\0";
        std::string text;
        for (int k = pick(12); k > 0; --k)
            text += chars[pick(sizeof chars - 1)];
        return text;
    };
    auto line = [&](bool data) {
        std::string text = gap();
        if (data) {
            text += number() + gap() + (pick(3) ? " " : "") + number();
        } else {
            text += (pick(2) ? "Depth:" : "12") + gap() + " " + number() + gap() + " m";
        }
        if (pick(6) == 0)
            text += junk();
        if (pick(15) == 0)
            text += std::string(static_cast<std::size_t>(150 + pick(150)), ' ') + number();
        return text;
    };
    std::string file = pick(10) ? "header\n" : "";
    file += line(false) + "\n";
    for (int k = 3 + pick(10) / 9; k <= 7; ++k)
        file += "h" + std::to_string(k) + "\n";
    for (int k = pick(24); k > 0; --k)
        file += line(true) + (pick(20) ? "\n" : "\r\n");
    if (pick(3) == 0)
        file += line(true);
    return file;
}

TEST(WaveFileReader, AgreesWithFgetsAndSscanfOnRandomFiles) {
    const TempDir dir;
    std::mt19937 random(20240611);
    int succeeded = 0;
    for (int round = 0; round < 3000; ++round) {
        const std::string text = RandomWaveFile(random);
        const std::string path = dir.Write("random-" + std::to_string(round) + ".txt", text);
        const uint32_t n = round % 3 == 0 ? 4u : 16u;
        const Loaded expected = ReadWithStdio(path, n);
        const Loaded actual = Read(path, n);
        ASSERT_EQ(actual.error, expected.error) << "file:\n" << text;
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
    EXPECT_GT(succeeded, 300); // the comparison covered a fair share of readable files
}

TEST(WaveFileReader, FiltersTheRecordAndCopiesTheFirstHundredBins) {
    const TempDir dir;
    std::vector<float> wave(3000);
    for (std::size_t t = 0; t < wave.size(); ++t)
        wave[t] = static_cast<float>(std::sin(2 * 3.14159265358979 * 20.0 * t / 8192.0) +
                                     0.3 * std::sin(2 * 3.14159265358979 * 7.0 * t / 8192.0));
    const std::string path = dir.Write("wave.txt", testing::WaveText(7.5, wave));

    std::vector<float> raw(8192), filtered(8192), real(100, -7.0f), imag(100, -7.0f);
    float depth = 0;
    WaveFileReader(path, raw.data(), filtered.data(), 8192, depth, 0.18f, real.data(), imag.data());
    EXPECT_EQ(depth, 7.5f - 0.18f);
    EXPECT_EQ(raw[2999], wave[2999]);

    std::vector<float> zeros(8192, 0.0f), expectedWave(8192), scratch(8192);
    const CSpectralFilter filter(raw.data(), zeros.data(), expectedWave.data(), scratch.data(),
                                 8192);
    EXPECT_EQ(filtered, expectedWave);
    for (int bin = 0; bin < 100; ++bin) {
        EXPECT_EQ(real[static_cast<std::size_t>(bin)], filter.GetRealBin(bin));
        EXPECT_EQ(imag[static_cast<std::size_t>(bin)], filter.GetImagBin(bin));
    }

    // A defect leaves the filtered output untouched.
    std::vector<float> untouched(8192, 3.0f);
    EXPECT_THROW(WaveFileReader(dir.Write("bad.txt", Header() + "x y\n"), raw.data(),
                                untouched.data(), 8192, depth, 0.18f, real.data(), imag.data()),
                 KorvaneError);
    EXPECT_EQ(untouched, std::vector<float>(8192, 3.0f));
}

} // namespace
} // namespace korvane
