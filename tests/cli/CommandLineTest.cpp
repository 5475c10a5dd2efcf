// Behaviour of the command line that golden folders express badly: help texts, the large raw
// autocorrelation output.
#include "CliRunner.h"

#include <gtest/gtest.h>

#include <sstream>

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

const fs::path kThree =
    fs::path(KORVANE_SOURCE_DIR) / "tests" / "cli" / "golden" / "inputs" / "three";

TEST(CommandLine, HelpNamesEveryCommandAndEveryOptionAndSucceeds) {
    CliRunner cli;
    const CliRunner::Result top = cli.Run({"--help"});
    EXPECT_EQ(top.status, 0);
    for (const char* command : {"process", "open", "autocorrelate", "simulate", "Exit status"})
        EXPECT_NE(top.out.find(command), std::string::npos) << command;

    const std::map<std::string, std::vector<std::string>> options = {
        {"process",
         {"--geophone-to-tip", "--hammer-to-rod", "--window", "--windows", "--diagnostics",
          "--table", "--save", "--quiet", "WAVEFILE"}},
        {"open", {"--window", "--windows", "--hammer-to-rod", "--correlate", "--table", "--save"}},
        {"autocorrelate", {"--raw", "--filtered", "--out", "--windows", "INPUT"}},
        {"simulate", {"--out", "--depths", "--seed", "--layers"}},
    };
    for (const auto& [command, names] : options) {
        const CliRunner::Result help = cli.Run({command, "--help"});
        EXPECT_EQ(help.status, 0) << command;
        for (const std::string& name : names)
            EXPECT_NE(help.out.find(name), std::string::npos) << command << " " << name;
    }
    EXPECT_TRUE(CliRunner::ListFiles(cli.work()).empty());
}

TEST(CommandLine, RawAutocorrelationWritesEveryShiftOfEveryRecordStartingAtOne) {
    CliRunner cli;
    const CliRunner::Result result =
        cli.Run({"autocorrelate", "--raw", "--diagnostics", ".", kThree.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    std::istringstream in(result.out);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "# raw autocorrelations of 3 records");
    for (const char* depth : {"2.000000", "3.000000", "4.000000"}) {
        std::getline(in, line);
        EXPECT_EQ(line, std::string("record ") +
                            (depth[0] == '2'   ? "1"
                             : depth[0] == '3' ? "2"
                                               : "3") +
                            " depth " + depth + " first 0 last 8191 values 8192");
        std::getline(in, line);
        EXPECT_EQ(line, "0.000000  1.000000");
        for (int j = 1; j < 8192; ++j)
            std::getline(in, line);
        EXPECT_EQ(line.substr(0, 12), "204.775000  ");
        std::getline(in, line);
        EXPECT_EQ(line, "");
    }
    EXPECT_FALSE(std::getline(in, line));
}

} // namespace
} // namespace korvane::test
