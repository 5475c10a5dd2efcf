#include "sounding/RecordImporter.h"

#include "ScriptedProgress.h"
#include "Seg2TestFile.h"
#include "WaveFileFixture.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/FormatRecognizer.h"
#include "sounding/LoadPipeline.h"
#include "sounding/TipDepthRules.h"
#include "sounding/WaveFileReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>

namespace korvane {
namespace {

using testing::Header;
using testing::Seg2TestFile;
using testing::Seg2TestTrace;
using testing::TempDir;

constexpr double kGrid = 25e-6;

double Sine(double t) {
    return std::sin(2 * std::numbers::pi * 150.0 * t);
}

// Rows "time amplitude..." of a 150 Hz sine from `start` seconds; times in `unit` seconds.
std::string Rows(double interval, double start, int count, double unit, const char* format,
                 int channels = 1) {
    std::string text;
    char line[128];
    for (int j = 0; j < count; ++j) {
        const double t = start + j * interval;
        std::snprintf(line, sizeof line, format, t / unit, Sine(t));
        text += line;
        for (int c = 1; c < channels; ++c)
            text.append(1, ' ').append(std::to_string(-c * Sine(t)));
        text += "\n";
    }
    return text;
}

// Largest difference from the sine over the record, 5 ms from either end.
double SineError(const std::vector<float>& record) {
    double worst = 0.0;
    for (std::size_t k = 200; k + 200 < record.size(); ++k)
        worst = std::max(worst, std::abs(record[k] - Sine(static_cast<double>(k) * kGrid)));
    return worst;
}

std::string ImportError(const std::string& path, const ImportOptions& options = {}) {
    try {
        RecordImporter::Import(path, options, 8192, 0.18f);
    } catch (const KorvaneError& error) {
        return error.what();
    }
    return "";
}

Seg2TestTrace SineTrace(double interval, double delay, int count, double sign = 1.0) {
    Seg2TestTrace trace;
    trace.code = 5;
    for (int j = 0; j < count; ++j)
        trace.values.push_back(sign * Sine(delay + j * interval));
    char text[64];
    std::snprintf(text, sizeof text, "SAMPLE_INTERVAL %.9g", interval);
    trace.strings = {text};
    std::snprintf(text, sizeof text, "DELAY %.9g", delay);
    trace.strings.push_back(text);
    return trace;
}

TEST(RecordImporter, RecognisesFormatsByContentAndKeepsDefectiveWaveFilesWave) {
    const std::string recorder = "Recorder X-2\nSample rate: 5000 Hz\nTime(s) Ch1 Ch2\n" +
                                 Rows(0.0002, 0.0, 5, 1.0, "%.4f %.6f", 2);
    const struct {
        std::string text;
        RecordFormat format;
    } cases[] = {
        {Header() + "0 1\n0 2\n0 3\n", RecordFormat::Wave},
        {Header("Depth=5.18") + "0 1\n0 2\n0 3\n", RecordFormat::Wave},
        {Header() + "0.0,1.5\n0.1,1.6\n0.2,1.7\n", RecordFormat::Wave},
        {Header() + "0.0 abc\n0 1\n0 2\n0 3\n", RecordFormat::Wave},
        {Header(), RecordFormat::Wave},
        {"", RecordFormat::Wave},
        {"U: 230 V\n" + Header().substr(12) + "0 1\n", RecordFormat::Wave},
        {"h\nDepth: 3 m\nh\n1 2\n3 4\n5 6\nTime v\n0 1\n", RecordFormat::Wave},
        {"h\nDepth: 3 m\nh\nh\nh\nh\n0 1\n0 2\n0 3\n", RecordFormat::Wave},
        {recorder, RecordFormat::Columns},
        {"t;v\n0;1,5\n0,0002;1,25\n0,0004;1\n", RecordFormat::Columns},
        {std::string("\x55\x3A\x01\x00", 4), RecordFormat::Seg2},
        {std::string("\x3A\x55\x00\x01", 4) + std::string(40, 'x'), RecordFormat::Seg2},
        {"[TEST]\r\n<GORILLA! header>\r\n", RecordFormat::Gru},
        {"[TEST]\nx=1\n[DATA]\n[SEISMIC TEST=1  DEPTH=2]\n", RecordFormat::Gru},
        {"[TEST]\nx=1\n[DATA]\n", RecordFormat::Wave},
        {"[TEST]", RecordFormat::Wave},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatRecognizer::Recognise(c.text), c.format) << c.text;
}

TEST(RecordImporter, TextTimeColumnsSetTheIntervalOrSayWhatTheyFound) {
    const TempDir dir;
    const std::string waveHeader = "SCPT\nDepth: 5 m\n3\n4\n5\n6\n";
    const std::string fast = Rows(0.0002, 0.0, 1100, 1.0, "%.4f %.7f");
    const std::string t01 = dir.Write("t01.txt", waveHeader + "Time Amplitude\n" + fast);
    const std::string seconds = dir.Write("s.txt", waveHeader + "Time(s) Amplitude\n" + fast);
    const std::string irregular =
        dir.Write("irregular.txt", waveHeader + "Time Amplitude\n0 1\n0.0002 2\n0.0009 3\n");

    // A step other than 25 µs without a unit: the samples stay 25 µs apart, and a note says so.
    const FileInspection plain = RecordImporter::Inspect(t01, {});
    ASSERT_EQ(plain.notes.size(), 1u);
    EXPECT_EQ(plain.notes[0], t01 + ": the time column steps by 0.0002, not by 25 µs; give "
                                    "--time-unit s or ms to resample it");
    EXPECT_TRUE(plain.timeUnitNeeded);
    EXPECT_FALSE(plain.IsPlainWave());
    std::vector<float> legacy(8192);
    float depth = 0.0f;
    WaveFileReader::ReadSamples(t01, legacy.data(), 8192, depth, 0.18f);
    EXPECT_EQ(RecordImporter::Import(t01, {}, 8192, 0.18f).records[0].traces[0], legacy);

    // With the unit, from the user or from the column header, the record is resampled.
    ImportOptions inSeconds;
    inSeconds.timeUnit = TimeUnit::Seconds;
    for (const auto& [path, options] :
         {std::pair{t01, inSeconds}, std::pair{seconds, ImportOptions{}}}) {
        const FileImport imported = RecordImporter::Import(path, options, 8192, 0.18f);
        EXPECT_TRUE(imported.notes.empty());
        EXPECT_LT(SineError(imported.records[0].traces[0]), 1e-3) << path;
    }
    EXPECT_EQ(RecordImporter::Inspect(seconds, {}).records[0].traces[0].interval, 0.0002);

    // Milliseconds at 25 µs change nothing; a column that does not step uniformly is reported,
    // and refused when the user asks to resample it.
    const std::string onGrid = dir.Write("grid.txt", testing::WaveText(5.0, {1, 2, 3}));
    EXPECT_TRUE(RecordImporter::Inspect(onGrid, {}).IsPlainWave());
    EXPECT_EQ(RecordImporter::Inspect(irregular, {}).notes.at(0),
              irregular + ": the time column does not step uniformly (its steps range from "
                          "0.0002 to 0.0007); its samples are taken as 25 µs apart");
    EXPECT_EQ(ImportError(irregular, inSeconds),
              "the time column does not step uniformly (its steps range from 0.0002 to "
              "0.0007); it cannot be resampled");
}

TEST(RecordImporter, ColumnFilesTakeTheirChannelAndStartAtTheTrigger) {
    const TempDir dir;
    // Microseconds in the header, 5 ms before the trigger, semicolons and decimal commas.
    std::string rows = Rows(0.0002, -0.005, 1100, 1e-6, "%.0f;%.7f", 3);
    for (char& c : rows)
        if (c == '.')
            c = ',';
    for (std::size_t at = rows.find(' '); at != std::string::npos; at = rows.find(' ', at))
        rows[at] = ';';
    const std::string path =
        dir.Write("c_4.5m.csv", "Logger 7\nDepth: 4.5 m\nt [us];a;b;c\n" + rows);
    ImportOptions options;
    options.channel = 3;
    const FileImport imported = RecordImporter::Import(path, options, 8192, 0.18f);
    EXPECT_EQ(imported.format, RecordFormat::Columns);
    const std::vector<float>& record = imported.records.at(0).traces.at(0);
    std::vector<float> negated(record.size());
    for (std::size_t k = 0; k < record.size(); ++k)
        negated[k] = -record[k] / 2; // channel 3 holds -2 x the sine
    EXPECT_LT(SineError(negated), 1e-3);
    EXPECT_EQ(imported.records[0].depthSource, DepthSource::FileName);

    const FileInspection inspection = RecordImporter::Inspect(path, {});
    ASSERT_EQ(inspection.records[0].traces.size(), 3u);
    EXPECT_EQ(inspection.records[0].traces[2].delay, -0.005);
    EXPECT_EQ(inspection.records[0].traces[2].samples, 1100u);

    const std::string broken = dir.Write("broken.txt", "t a b\n0 1 2\n1 1 2\n2 1 2\n3 1\n");
    EXPECT_EQ(ImportError(broken), "line 5 is not a row of 3 numbers like line 2");
    options.channel = 4;
    EXPECT_EQ(ImportError(path, options), "there is no channel 4; the file holds 3");
}

TEST(RecordImporter, TipDepthComesFromTheFirstRuleThatGivesOne) {
    const TempDir dir;
    Seg2TestFile file;
    file.fileStrings = {"NOTE first line\nTIP 7.25 m"};
    file.traces = {SineTrace(0.000125, 0.0, 2000)};
    const std::string bytes = file.Bytes();
    file.fileStrings = {};
    const std::string bare = file.Bytes();
    const std::string named = dir.Write("scpt3_12.50m.sg2", bytes);
    const std::string unnamed = dir.Write("x.sg2", bare);
    const std::string wave = dir.Write("w_3m.txt", testing::WaveText(5.0, {1, 2}));
    const std::string columns = dir.Write("c.txt", "Tip depth (m): 6.5\nt v\n0 1\n1 2\n2 3\n");

    ImportOptions keyword;
    keyword.depthKeyword = "tip";
    ImportOptions listed;
    listed.depths = {{"w_3m.txt", 9.5f}, {"x.sg2", 2.25f}};
    ImportOptions edited = keyword;
    edited.overrides[named].tipDepths[0] = 1.75f;
    ImportOptions tipDepth;
    tipDepth.depthKeyword = "Tip depth";
    const struct {
        std::string path;
        ImportOptions options;
        float tipDepth;
        DepthSource source;
    } cases[] = {
        {wave, {}, 5.0f, DepthSource::RecordHeader},
        {wave, listed, 9.5f, DepthSource::DepthsFile},
        {named, {}, 12.5f, DepthSource::FileName},
        {named, keyword, 7.25f, DepthSource::Keyword},
        {named, edited, 1.75f, DepthSource::Edited},
        {unnamed, listed, 2.25f, DepthSource::DepthsFile},
        {columns, tipDepth, 6.5f, DepthSource::Keyword},
    };
    for (const auto& c : cases) {
        const FileImport imported = RecordImporter::Import(c.path, c.options, 8192, 0.18f);
        EXPECT_EQ(imported.records[0].tipDepth, c.tipDepth) << c.path;
        EXPECT_EQ(imported.records[0].depth, c.tipDepth - 0.18f) << c.path;
        EXPECT_EQ(imported.records[0].depthSource, c.source) << c.path;
    }
    EXPECT_EQ(RecordImporter::Inspect(unnamed, {}).records[0].depthSource, DepthSource::None);
    EXPECT_TRUE(ImportError(unnamed).starts_with(
        "no tip depth: give it in a depths file (--depths FILE), name the header keyword"));
    EXPECT_EQ(ImportError(dir.Write("at 2m_3m.sg2", bare)),
              "the file name holds several depths (2m, 3m); give the depth in a depths file");

    const std::pair<std::string, std::string> depthsFiles[] = {
        {"a.sg2 1\n\n# comment\nb c.sg2 2.5\n", ""},
        {"a.sg2\n", "d.txt:1: expected NAME TIPDEPTH (a file name and the cone tip depth in "
                    "metres), got \"a.sg2\""},
        {"a.sg2 1\na.sg2 2\n", "d.txt:2: a.sg2 is listed twice"},
        {"a.sg2 1m\n", "d.txt:1: expected NAME TIPDEPTH (a file name and the cone tip depth in "
                       "metres), got \"a.sg2 1m\""},
    };
    for (const auto& [text, message] : depthsFiles) {
        try {
            const auto depths = TipDepthRules::ParseDepthsFile(text, "d.txt");
            EXPECT_EQ(depths.at("b c.sg2"), 2.5f);
            EXPECT_EQ(message, "");
        } catch (const KorvaneError& error) {
            EXPECT_EQ(error.what(), message);
        }
    }
}

TEST(RecordImporter, Seg2TracesStartAtTheTriggerOnTheGrid) {
    const TempDir dir;
    Seg2TestFile file;
    // A left and a right strike at 25 µs with 40 samples before the trigger: copied.
    file.traces = {SineTrace(kGrid, -0.001, 9000), SineTrace(kGrid, -0.001, 9000, -1.0)};
    const std::string copied = dir.Write("pair_1m.sg2", file.Bytes());
    const FileImport pair = RecordImporter::Import(copied, {}, 8192, 0.18f, {1, 2});
    ASSERT_EQ(pair.records[0].traces.size(), 2u);
    for (std::size_t k = 0; k < 8192; k += 1000) {
        EXPECT_EQ(pair.records[0].traces[0][k], static_cast<float>(Sine(k * kGrid))) << k;
        EXPECT_EQ(pair.records[0].traces[1][k], -pair.records[0].traces[0][k]) << k;
    }
    // At 0.125 ms with the trigger between two samples: resampled. A short trace is filled with
    // the mean of what it holds.
    file.traces = {SineTrace(0.000125, -0.0080625, 1000)};
    const std::string resampled = dir.Write("r_1m.sg2", file.Bytes());
    const std::vector<float> record =
        RecordImporter::Import(resampled, {}, 8192, 0.18f).records[0].traces[0];
    EXPECT_LT(SineError(std::vector<float>(record.begin(), record.begin() + 4600)), 1e-3);
    EXPECT_EQ(record[8191], record[5000]);

    file.traces = {SineTrace(0.000125, -0.5, 1000)};
    EXPECT_EQ(ImportError(dir.Write("early_1m.sg2", file.Bytes())),
              "trace 1 holds no sample between the trigger and the end of a record (204.8 ms)");
    ImportOptions second;
    second.channel = 2;
    EXPECT_EQ(ImportError(resampled, second), "there is no trace 2; the file holds 1");
}

TEST(RecordImporter, LoadSoundingTakesEveryFormatAndNamesTheFileOfADefect) {
    const TempDir dir;
    Seg2TestFile file;
    file.traces = {SineTrace(0.000125, -0.008, 2000)};
    const std::vector<std::string> paths = {
        dir.Write("deep_3m.sg2", file.Bytes()),
        dir.Write("wave.txt", testing::WaveText(1.0, std::vector<float>(300, 0.5f))),
        dir.Write("shallow_2m.txt", "t v\n" + Rows(0.0002, 0.0, 1200, 1.0, "%.4f %.6f")),
    };
    CKorvaneDoc doc;
    testing::ScriptedProgress progress;
    CommandResult result = LoadSounding(doc, paths, dir.path(), progress);
    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_EQ(doc.depths, (std::vector<float>{1.0f - 0.18f, 2.0f - 0.18f, 3.0f - 0.18f}));
    EXPECT_EQ(result.warning, paths[2] + ": the time column steps by 0.0002, not by 25 µs; "
                                         "give --time-unit s or ms to resample it");

    file.traces[0].code = 7;
    const std::vector<std::string> defective = {paths[1], dir.Write("bad_1m.sg2", file.Bytes())};
    result = LoadSounding(doc, defective, dir.path(), progress);
    EXPECT_EQ(result.message, "data format code 7 is not supported");
    EXPECT_EQ(result.failedPath, defective[1]);
    EXPECT_EQ(doc.dataLoaded, 0);
    EXPECT_TRUE(doc.rawWaves.empty());
}

} // namespace
} // namespace korvane
