// Behaviour of the command line that golden folders express badly: the large raw autocorrelation
// output, and a start-up without Qt.
#include "CliRunner.h"

#include <gtest/gtest.h>

#include <sstream>
#include <system_error>

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

const fs::path kThree =
    fs::path(KORVANE_SOURCE_DIR) / "tests" / "cli" / "golden" / "inputs" / "three";

TEST(CommandLine, RawAutocorrelationWritesEveryShiftOfEveryRecordStartingAtOne) {
    CliRunner cli;
    const CliRunner::Result result =
        cli.Run({"autocorrelate", "--raw", "--diagnostics", ".", kThree.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    std::istringstream in(result.out);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "# raw autocorrelations of 3 records");
    for (int record = 1; record <= 3; ++record) {
        std::getline(in, line);
        EXPECT_EQ(line, "record " + std::to_string(record) + " depth " +
                            std::to_string(record + 1) + ".000000 first 0 last 8191 values 8192");
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

// The drawing commands run in a second program, so korvane-cli itself never loads Qt.
TEST(CommandLine, LoadsNoQtAndHandsDrawingToItsHelper) {
    CliRunner cli;
    const CliRunner::Result libraries = cli.RunProgram("ldd", {KORVANE_CLI});
    ASSERT_EQ(libraries.status, 0) << libraries.err;
    EXPECT_NE(libraries.out.find("libc.so"), std::string::npos) << libraries.out;
    EXPECT_EQ(libraries.out.find("libQt"), std::string::npos) << libraries.out;

    // Without its helper at the expected place, a drawing command says which file is missing.
    const fs::path lonely = cli.work() / "korvane-cli";
    fs::copy_file(KORVANE_CLI, lonely);
    const CliRunner::Result result = cli.RunProgram(lonely.string(), {"plot", "--help"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("cannot start the drawing program " +
                              (cli.work() / KORVANE_DRAW_PROGRAM).lexically_normal().string()),
              std::string::npos)
        << result.err;
}

} // namespace
} // namespace korvane::test
