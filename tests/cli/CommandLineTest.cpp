// Behaviour of the command line that golden folders express badly: the large raw autocorrelation
// output.
#include "CliRunner.h"

#include <gtest/gtest.h>

#include <sstream>

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

} // namespace
} // namespace korvane::test
