// The synthetic sounding generator and the bundled example it made: the example must be what
// the generator writes, and the cross-correlation must recover the model's interval velocities.
#include "CliRunner.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

const fs::path kExample = fs::path(KORVANE_SOURCE_DIR) / "examples" / "sounding";

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

TEST(Simulate, DefaultSettingsReproduceTheBundledExampleByteForByte) {
    CliRunner cli;
    ASSERT_EQ(cli.Run({"simulate", "--out", "example"}).status, 0);
    const std::vector<std::string> files = CliRunner::ListFiles(cli.work() / "example");
    EXPECT_EQ(files, CliRunner::ListFiles(kExample));
    EXPECT_EQ(files.size(), 26u); // 24 records, windows, model
    for (const std::string& file : files)
        EXPECT_TRUE(CliRunner::ReadFile(cli.work() / "example" / file) ==
                    CliRunner::ReadFile(kExample / file))
            << file << " differs from the bundled example";
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
