// korvane-cli plot through the real program: it must draw without a display.
#include "CliRunner.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

const fs::path kThree =
    fs::path(KORVANE_SOURCE_DIR) / "tests" / "cli" / "golden" / "inputs" / "three";

// Width and height from a PNG file's header chunk; (0, 0) when it is no PNG.
std::pair<uint32_t, uint32_t> PngSize(const std::string& bytes) {
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 ||
        bytes.compare(12, 4, "IHDR") != 0)
        return {0, 0};
    auto word = [&](std::size_t at) {
        uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
        return value;
    };
    return {word(16), word(20)};
}

TEST(PlotCommand, DrawsEachFormatFromWaveFilesWithoutADisplay) {
    CliRunner cli;
    // Even where the environment names a display that does not answer.
    CliRunner::Result result = cli.RunProgram(
        "env", {"QT_QPA_PLATFORM=xcb", "DISPLAY=:32767", KORVANE_CLI, "plot", "-q", "--mode",
                "filteredwaves", "--out", "waves.png", "--diagnostics", ".", kThree.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Plot FilteredWaves (1200x800) written to waves.png\n");
    EXPECT_EQ(PngSize(CliRunner::ReadFile(cli.work() / "waves.png")),
              (std::pair<uint32_t, uint32_t>(1200, 800)));

    // A results mode runs the cross-correlation first.
    result = cli.Run({"plot", "-q", "--mode", "3", "--size", "640x480", "--out", "vs.svg",
                      "--diagnostics", ".", kThree.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string svg = CliRunner::ReadFile(cli.work() / "vs.svg");
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("Vs (m/s)"), std::string::npos);
    EXPECT_NE(svg.find("width=\"640"), std::string::npos);

    result = cli.Run({"plot", "-q", "--mode", "DeterminationProfile", "--out", "r2.pdf",
                      "--diagnostics", ".", kThree.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(CliRunner::ReadFile(cli.work() / "r2.pdf").substr(0, 5), "%PDF-");
}

TEST(PlotCommand, BadRequestsWriteNothing) {
    CliRunner cli;
    const std::vector<std::vector<std::string>> usage = {
        {"plot", "--mode", "12", "--out", "a.png", kThree.string()},
        {"plot", "--size", "0x10", "--out", "a.png", kThree.string()},
        {"plot", "--out", "a.jpg", kThree.string()},
        {"plot", "--out", "missing/a.png", kThree.string()},
    };
    for (const auto& arguments : usage) {
        const CliRunner::Result result = cli.Run(arguments);
        EXPECT_EQ(result.status, 2) << arguments[1] << " " << arguments[2] << ": " << result.err;
        EXPECT_FALSE(result.err.empty());
    }
    const CliRunner::Result unreadable =
        cli.Run({"plot", "--out", "a.png", (cli.work() / "none.kvn").string()});
    EXPECT_EQ(unreadable.status, 1) << unreadable.err;
    EXPECT_TRUE(CliRunner::ListFiles(cli.work()).empty());
}

TEST(PlotCommand, DrawsTheSoundingsOfABatchInOneChartWithALegend) {
    CliRunner cli;
    std::vector<std::string> batch = {"batch", "-q", "--out", "site"};
    for (const char* name : {"CPT-01", "CPT-02"}) {
        const fs::path scratch = cli.work() / "scratch";
        ASSERT_EQ(cli.Run({"simulate", "--out", scratch.string(), "--depths", "6", "--seed",
                           std::string(name).substr(5)})
                      .status,
                  0);
        fs::rename(scratch / "waves", cli.work() / name);
        fs::remove_all(scratch);
        batch.push_back((cli.work() / name).string());
    }
    ASSERT_EQ(cli.Run(batch).status, 0);

    for (const char* file : {"site.png", "site.svg", "site.pdf"}) {
        const CliRunner::Result result = cli.Run({"plot", "--site", "site", "--out", file});
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out,
                  "Site plot of 2 soundings (1200x800) written to " + std::string(file) + "\n");
    }
    EXPECT_EQ(PngSize(CliRunner::ReadFile(cli.work() / "site.png")),
              (std::pair<uint32_t, uint32_t>(1200, 800)));
    const std::string svg = CliRunner::ReadFile(cli.work() / "site.svg");
    for (const char* text : {"<svg", "CPT-01", "CPT-02", "Vs (m/s)", "Depth (m)"})
        EXPECT_NE(svg.find(text), std::string::npos) << text;
    EXPECT_EQ(CliRunner::ReadFile(cli.work() / "site.pdf").substr(0, 5), "%PDF-");

    // Not a batch's folder, a damaged table, or options of a single sounding: nothing drawn.
    std::ofstream(cli.work() / "site" / "site.csv", std::ios::app) << "CPT-03,1.0,oops\n";
    const std::vector<std::pair<std::vector<std::string>, int>> refused = {
        {{"plot", "--site", "CPT-01", "--out", "a.png"}, 1},
        {{"plot", "--site", "site", "--out", "a.png"}, 1},
        {{"plot", "--site", "site", "--mode", "3", "--out", "a.png"}, 2},
        {{"plot", "--out", "a.png"}, 2},
    };
    for (const auto& [arguments, status] : refused) {
        const CliRunner::Result result = cli.Run(arguments);
        EXPECT_EQ(result.status, status) << arguments[2] << ": " << result.err;
        EXPECT_FALSE(result.err.empty());
    }
    EXPECT_NE(cli.Run(refused[1].first).err.find("site.csv: line 12: expected 10 fields"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(cli.work() / "a.png"));
}

} // namespace
} // namespace korvane::test
