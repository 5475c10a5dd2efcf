// The command line fed what a careless or hostile user could give it: odd paths, things that
// are not wave files, defective numbers, documents whose numbers are infinite or not numbers at
// all. Every run ends with a clear message or completes, and a failure writes nothing. (Equal
// depths, odd hammer distances and blocked diagnostic files are golden cases.)
#include "CliRunner.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/DocumentFile.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

const fs::path kThree =
    fs::path(KORVANE_SOURCE_DIR) / "tests" / "cli" / "golden" / "inputs" / "three";
const fs::path kFieldRecord =
    fs::path(KORVANE_SOURCE_DIR) / "examples" / "field" / "records" / "shot_01_9.00m.sg2";

// The table of the sounding three, as its golden cases show it.
const std::string kThreeTable = "Depth(m)      Velocity(m/s)   r2  \n"
                                "2.500000      179.169296     0.999825\n"
                                "3.500000      235.833313     0.999987\n";

TEST(HostileInput, PathsWithSpacesAndNonAsciiCharactersGoAllTheWay) {
    CliRunner cli;
    const fs::path waves = cli.work() / "Sondierung Süd – 7";
    const fs::path diagnostics = cli.work() / "Diagnose Ω ü";
    fs::create_directories(waves);
    fs::create_directories(diagnostics);
    fs::copy_file(kThree / "r1.txt", waves / "Tiefe 4,18 m.txt");
    fs::copy_file(kThree / "r2.txt", waves / "深さ 2.txt");
    fs::copy_file(kThree / "r3.txt", waves / " r3 .txt ");

    CliRunner::Result result =
        cli.Run({"process", "-q", "--diagnostics", diagnostics.string(), "--table", "Tabelle ü.txt",
                 "--save", "Dokument Ø 1.kvn", waves.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string table = CliRunner::ReadFile(cli.work() / "Tabelle ü.txt");
    EXPECT_EQ(table, kThreeTable);
    EXPECT_EQ(CliRunner::ListFiles(diagnostics),
              (std::vector<std::string>{"original_data.txt", "phase.txt", "recovered_data.txt"}));

    result = cli.Run({"open", "--table", "-", "Dokument Ø 1.kvn"});
    ASSERT_EQ(result.status, 0) << result.err;
    // The summary of the document, then the same table.
    ASSERT_GE(result.out.size(), table.size());
    EXPECT_EQ(result.out.substr(result.out.size() - table.size()), table);
    EXPECT_NE(result.out.find("Document: Dokument Ø 1.kvn"), std::string::npos);
}

// A pipe, and a recording without a tip depth under a name with a blank (which golden commands
// cannot spell): the file named, nothing written. Other inputs that are not wave files are a
// golden case.
TEST(HostileInput, InputsThatAreNotWaveFilesNameTheFileAndWriteNothing) {
    CliRunner cli;
    const fs::path pipe = cli.work() / "pipe.txt", noDepth = cli.work() / "no depth.sg2";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    fs::copy_file(kFieldRecord, noDepth);
    const std::vector<std::string> before = CliRunner::ListFiles(cli.work());
    for (const auto& [input, message] :
         {std::pair{pipe, ": The file is wrong in the header lines!"},
          std::pair{noDepth, ": no tip depth: give it in a depths file"}}) {
        const CliRunner::Result result =
            cli.Run({"process", "-q", "--diagnostics", ".", "--table", "t.txt", "--save", "s.kvn",
                     (kThree / "r1.txt").string(), input.string()});
        EXPECT_EQ(result.status, 1) << result.err;
        EXPECT_NE(result.err.find(input.string() + message), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(CliRunner::ListFiles(cli.work()), before) << "something was written";
    }
    const CliRunner::Result inspect = cli.Run({"inspect", noDepth.string()});
    EXPECT_NE(inspect.out.find("\t0.000125\t-0.008\t-\n"), std::string::npos) << inspect.out;
}

// A document whose every number is at an edge: non-finite samples, a window of one sample,
// depths equal and not numbers at all, results that are infinite.
CKorvaneDoc HostileDocument() {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    CKorvaneDoc doc;
    doc.samplesPerRecord = 512;
    doc.recordCount = 3;
    doc.dataLoaded = 1;
    doc.resultsValid = 1;
    doc.hammerToRod = 0.0f;
    doc.depths = {-2.0f, -2.0f, nan};
    doc.windows = {{0, 511}, {511, 511}, {0, 0}};
    std::vector<float> wave(512, 0.5f);
    wave[1] = nan;
    wave[2] = inf;
    wave[3] = -inf;
    wave[4] = 3.0e38f;
    doc.rawWaves.assign(3, wave);
    doc.filteredWaves.assign(3, wave);
    doc.correlationCoefficients = {std::numeric_limits<double>::quiet_NaN(), 1e300};
    doc.ccVelocities = {inf, -inf};
    return doc;
}

TEST(HostileInput, EveryPlotOfAHostileDocumentIsDrawn) {
    CliRunner cli;
    CKorvaneDoc doc = HostileDocument();
    DocumentFile::Save(doc, cli.work() / "hostile.kvn");

    // The table shows every value as printf prints it.
    CliRunner::Result result = cli.Run({"open", "--table", "-", "hostile.kvn"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("inf"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("-inf"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("nan"), std::string::npos) << result.out;

#ifndef KORVANE_NO_PLOT
    for (int mode = 0; mode < 12; ++mode) {
        SCOPED_TRACE(mode);
        const std::string out = "mode" + std::to_string(mode) + ".png";
        result = cli.Run({"plot", "-q", "--mode", std::to_string(mode), "--size", "300x200",
                          "--out", out, "hostile.kvn"});
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(CliRunner::ReadFile(cli.work() / out).substr(1, 3), "PNG");
    }
    for (const char* out : {"vs.svg", "vs.pdf"}) {
        result = cli.Run(
            {"plot", "-q", "--mode", "CrossCorrelationVelocity", "--out", out, "hostile.kvn"});
        ASSERT_EQ(result.status, 0) << out << ": " << result.err;
        EXPECT_GT(fs::file_size(cli.work() / out), 0u);
    }
#endif
}

} // namespace
} // namespace korvane::test
