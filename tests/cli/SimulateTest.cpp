// The synthetic sounding generator and the bundled example it made: the example must be what
// the generator writes, and the cross-correlation must recover the model's interval velocities.
#include "CliRunner.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>
#include <vector>

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

const fs::path kExample = fs::path(KORVANE_SOURCE_DIR) / "examples" / "sounding";
const fs::path kField = fs::path(KORVANE_SOURCE_DIR) / "examples" / "field";

// "interval <mid-depth> <velocity>" lines of a model.txt.
std::map<std::string, double> TrueVelocities(const fs::path& model) {
    std::map<std::string, double> velocities;
    std::istringstream in(CliRunner::ReadFile(model));
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string kind, depth;
        double velocity = 0.0;
        if (words >> kind >> depth >> velocity && kind == "interval")
            velocities[depth] = velocity;
    }
    return velocities;
}

// Rows of a velocity table: mid-depth text -> velocity.
std::map<std::string, double> TableVelocities(const std::string& table) {
    std::map<std::string, double> velocities;
    std::istringstream in(table);
    std::string line;
    std::getline(in, line); // header
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string depth;
        double velocity = 0.0;
        if (words >> depth >> velocity)
            velocities[depth] = velocity;
    }
    return velocities;
}

// Rows of the interval analysis CSV: mid-depth text -> velocity.
std::map<std::string, double> CsvVelocities(const std::string& csv) {
    std::map<std::string, double> velocities;
    std::istringstream in(csv);
    std::string line;
    std::getline(in, line); // header
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::istringstream row(line);
        for (std::string field; std::getline(row, field, ',');)
            fields.push_back(field);
        if (fields.size() >= 5)
            velocities[fields[2]] = std::stod(fields[4]);
    }
    return velocities;
}

void ExpectWithinTwoPercent(const std::map<std::string, double>& measured,
                            const std::map<std::string, double>& truth) {
    ASSERT_EQ(measured.size(), truth.size());
    for (const auto& [depth, velocity] : truth) {
        ASSERT_TRUE(measured.count(depth)) << "no row for mid-depth " << depth;
        EXPECT_NEAR(measured.at(depth), velocity, 0.02 * velocity) << "mid-depth " << depth;
    }
}

TEST(ExampleSounding, CrossCorrelationWithItsWindowsGivesTheTrueVelocitiesWithinTwoPercent) {
    CliRunner cli;
    const CliRunner::Result result =
        cli.Run({"process", "--windows", (kExample / "windows.txt").string(), "--diagnostics", ".",
                 (kExample / "waves").string()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const std::map<std::string, double> truth = TrueVelocities(kExample / "model.txt");
    EXPECT_EQ(truth.size(), 23u);
    ExpectWithinTwoPercent(TableVelocities(result.out), truth);
}

TEST(Simulate, ReproducesTheBundledExamplesByteForByte) {
    CliRunner cli;
    const struct {
        fs::path example;
        std::vector<std::string> arguments;
    } examples[] = {
        {kExample, {"simulate", "--out", "example"}},
        {kField,
         {"simulate", "--out", "example", "--format", "seg2", "--sample-interval", "0.000125"}},
    };
    for (const auto& [example, arguments] : examples) {
        fs::remove_all(cli.work() / "example");
        ASSERT_EQ(cli.Run(arguments).status, 0);
        const std::vector<std::string> files = CliRunner::ListFiles(cli.work() / "example");
        EXPECT_EQ(files, CliRunner::ListFiles(example));
        EXPECT_EQ(files.size(), 26u); // 24 records, windows, model
        for (const std::string& file : files)
            EXPECT_TRUE(CliRunner::ReadFile(cli.work() / "example" / file) ==
                        CliRunner::ReadFile(example / file))
                << file << " differs from " << example;
    }
}

TEST(FieldExample, EitherStrikeAndItsConversionToWaveFilesGiveTheTrueVelocities) {
    CliRunner cli;
    const std::string windows = (kField / "windows.txt").string();
    const std::string records = (kField / "records").string();
    const std::map<std::string, double> truth = TrueVelocities(kField / "model.txt");
    std::string left;
    for (const char* channel : {"1", "2"}) {
        const CliRunner::Result result =
            cli.Run({"process", "-q", "--channel", channel, "--windows", windows, "--diagnostics",
                     ".", "--save", "field.kvn", records});
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.err, "");
        ExpectWithinTwoPercent(TableVelocities(result.out), truth);
        if (left.empty())
            left = result.out;
    }
    // The document keeps the recordings' own interval for the AGS file, which names the one
    // they were resampled to.
    ASSERT_EQ(cli.Run({"ags", "-q", "--project-id", "P", "--location-id", "L", "--out", "f.ags",
                       "field.kvn"})
                  .status,
              0);
    const std::string ags = CliRunner::ReadFile(cli.work() / "f.ags");
    EXPECT_NE(ags.find("\"DATA\",\"L\",\"1\",\"24\",\"0.125\"\r\n"), std::string::npos) << ags;
    EXPECT_NE(ags.find(",\"0.025\",\"BANDPASS\","), std::string::npos) << "ISTA_UPSR";

    // Both traces of every file as a strike pair: one analysed depth per file, half their
    // difference, and the specified table keeps a row per record pair.
    const CliRunner::Result pairs = cli.Run(
        {"process", "-q", "--channel", "1", "--opposite-channel", "2", "--window", "auto", "--lag",
         "subsample", "--table", "table.txt", "--csv", "-", "--diagnostics", ".", records});
    ASSERT_EQ(pairs.status, 0) << pairs.err;
    ExpectWithinTwoPercent(CsvVelocities(pairs.out), truth);
    EXPECT_EQ(TableVelocities(CliRunner::ReadFile(cli.work() / "table.txt")).size(), 47u);

    // Converted to wave files the records are the same, and so is the table.
    ASSERT_EQ(cli.Run({"convert", "--out", "converted", records}).status, 0);
    const CliRunner::Result converted =
        cli.Run({"process", "-q", "--windows", windows, "--diagnostics", ".", "converted"});
    ASSERT_EQ(converted.status, 0) << converted.err;
    EXPECT_EQ(converted.out, left);

    const CliRunner::Result inspect =
        cli.Run({"inspect", (kField / "records" / "shot_01_9.00m.sg2").string(),
                 "converted/shot_01_9.00m.txt"});
    ASSERT_EQ(inspect.status, 0) << inspect.err;
    const std::string path = (kField / "records" / "shot_01_9.00m.sg2").string();
    EXPECT_EQ(inspect.out, "path\tformat\ttrace\tsamples\tinterval_s\tdelay_s\ttip_depth_m\n" +
                               path + "\tseg2\t1\t1703\t0.000125\t-0.008\t9\n" + path +
                               "\tseg2\t2\t1703\t0.000125\t-0.008\t9\n"
                               "converted/shot_01_9.00m.txt\twave\t1\t8192\t0.000025\t0\t9\n");
}

TEST(Simulate, AnotherGroundModelIsRecoveredToo) {
    CliRunner cli;
    ASSERT_EQ(cli.Run({"simulate", "--out", "s", "--depths", "20", "--seed", "3", "--layers",
                       "0:120:350,4:200:1500,11.5:310:1600"})
                  .status,
              0);
    const CliRunner::Result result = cli.Run(
        {"process", "--quiet", "--windows", "s/windows.txt", "--diagnostics", "s", "s/waves"});
    ASSERT_EQ(result.status, 0) << result.err;
    ExpectWithinTwoPercent(TableVelocities(result.out),
                           TrueVelocities(cli.work() / "s" / "model.txt"));
}

} // namespace
} // namespace korvane::test
