// korvane-cli batch through the real program on simulated soundings: every sounding's outputs,
// the site tables against them, a broken sounding that stops none of the others, and the
// requests refused before any work.
#include "CliRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// A simulated sounding of a few depths, moved to work/<name>.
fs::path Simulate(const CliRunner& cli, const std::string& name, int seed) {
    const fs::path scratch = cli.work() / ("sim" + std::to_string(seed));
    const CliRunner::Result made = cli.Run(
        {"simulate", "--out", scratch.string(), "--depths", "8", "--seed", std::to_string(seed)});
    EXPECT_EQ(made.status, 0) << made.err;
    fs::rename(scratch / "waves", cli.work() / name);
    fs::remove_all(scratch);
    return cli.work() / name;
}

TEST(BatchCommand, ProcessesEverySoundingAndReportsTheBrokenOneWithoutStoppingTheOthers) {
    CliRunner cli;
    const fs::path north = Simulate(cli, "north", 1);
    const fs::path comma = Simulate(cli, "pit 2, east", 2);
    const fs::path broken = Simulate(cli, "broken", 3);
    std::ofstream(broken / "shot_04.txt") << "not a wave file\n";
    const fs::path document = cli.work() / "south.kvn";
    ASSERT_EQ(cli.Run({"process", "-q", "--diagnostics", cli.work().string(), "--save",
                       document.string(), Simulate(cli, "south", 4).string()})
                  .status,
              0);

    const CliRunner::Result result =
        cli.Run({"batch", "-q", "--window", "auto", "--lag", "subsample", "--jobs", "2", "--out",
                 "site", north.string(), comma.string(), broken.string(), document.string()});
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_EQ(result.out, "3 of 4 soundings processed into site\n");
    EXPECT_NE(result.err.find("broken: " + (broken / "shot_04.txt").string()), std::string::npos)
        << result.err;

    const fs::path site = cli.work() / "site";
    const std::vector<std::string> summary = Lines(CliRunner::ReadFile(site / "site-summary.csv"));
    ASSERT_EQ(summary.size(), 5u);
    EXPECT_EQ(summary[0], "sounding,records,top_m,bottom_m,intervals,flagged,z_m,vsz_m_s,vs30_m_s,"
                          "ec8,asce7_22,error");
    // 7.82 m of ground: VsZ (166.8 m/s through the model's layers), no Vs30, no classes.
    EXPECT_TRUE(summary[1].starts_with("north,8,0.820000,7.820000,7,0,7.820000,16")) << summary[1];
    EXPECT_TRUE(summary[1].ends_with(",nan,-,-,")) << summary[1];
    EXPECT_TRUE(summary[2].starts_with("\"pit 2, east\",8,0.820000,7.820000,7,")) << summary[2];
    EXPECT_EQ(summary[3], "broken,,,,,,,,,,," + (broken / "shot_04.txt").string() +
                              ": The file is wrong in the header lines!");
    EXPECT_TRUE(summary[4].starts_with("south,8,0.820000,7.820000,7,")) << summary[4];
    EXPECT_FALSE(fs::exists(site / "broken"));

    // The site table holds each sounding's CSV rows behind its name, in the order given.
    const std::vector<std::string> rows = Lines(CliRunner::ReadFile(site / "site.csv"));
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0], "sounding,top_m,bottom_m,mid_m,lag_ms,vs_m_s,vs_se_m_s,r2,flags,gmax_mpa");
    std::vector<std::string> expected = {rows[0]};
    for (const auto& [name, quoted] : {std::pair<std::string, std::string>{"north", "north"},
                                       {"pit 2, east", "\"pit 2, east\""},
                                       {"south", "south"}}) {
        const std::vector<std::string> files = CliRunner::ListFiles(site / name);
        const std::vector<std::string> outputs = {"intervals.csv", name + ".kvn",
                                                  "velocity-table.txt"};
        for (const std::string& output : outputs)
            EXPECT_NE(std::find(files.begin(), files.end(), output), files.end())
                << name << "/" << output;
        // Diagnostic files come with a load of recordings only.
        EXPECT_EQ(std::count(files.begin(), files.end(), "recovered_data.txt"),
                  name == "south" ? 0 : 1);
        const std::vector<std::string> csv =
            Lines(CliRunner::ReadFile(site / name / "intervals.csv"));
        ASSERT_EQ(csv.size(), 8u) << name;
        for (std::size_t i = 1; i < csv.size(); ++i)
            expected.push_back(quoted + "," + csv[i]);
    }
    EXPECT_EQ(rows, expected);

    // A later run where one sounding fails keeps that sounding's earlier folder; the others
    // are replaced whole.
    std::ofstream(north / "shot_02.txt") << "broken too\n";
    fs::remove(comma / "shot_03.txt");
    const CliRunner::Result again =
        cli.Run({"batch", "-q", "--out", "site", north.string(), comma.string()});
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(fs::exists(site / "north" / "north.kvn"));
    EXPECT_EQ(Lines(CliRunner::ReadFile(site / "pit 2, east" / "intervals.csv")).size(), 7u);
    EXPECT_EQ(Lines(CliRunner::ReadFile(site / "site.csv")).size(), 7u);
    for (const std::string& file : CliRunner::ListFiles(site))
        EXPECT_NE(file.find("/."), 0u) << "a temporary file was left: " << file;
}

TEST(BatchCommand, RefusesBeforeAnyWorkWhatCannotBeDoneForEverySounding) {
    CliRunner cli;
    const fs::path one = Simulate(cli, "one", 1);
    fs::create_directory(cli.work() / "other");
    fs::create_directory(cli.work() / "other" / "one");
    const std::vector<std::vector<std::string>> cases = {
        {"--windows", "w.txt", "--out", "site", one.string()},
        {"--window", "10:20", "--out", "site", one.string()},
        {"--jobs", "0", "--out", "site", one.string()},
        {"--out", "site", one.string(), (cli.work() / "other" / "one").string()},
        {"--out", one.string(), one.string()},
        {"--out", cli.work().string(), (cli.work() / "other").string(),
         (cli.work() / "other" / "one").string()},
    };
    for (const std::vector<std::string>& arguments : cases) {
        std::vector<std::string> command = {"batch", "-q"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        const CliRunner::Result result = cli.Run(command);
        EXPECT_EQ(result.status, 2) << arguments[0] << " " << arguments[1] << ": " << result.err;
        EXPECT_FALSE(result.err.empty());
    }
    EXPECT_FALSE(fs::exists(cli.work() / "site"));
    EXPECT_FALSE(fs::exists(cli.work() / "site.csv"));
    EXPECT_FALSE(fs::exists(one / "site.csv"));
}

} // namespace
} // namespace korvane::test
