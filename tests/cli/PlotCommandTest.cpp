// The drawing commands through the real program: they must draw without a display. plot's
// files are checked by their headers, report's PDF by poppler's pdfinfo and pdftotext.
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

// Bad requests of both drawing commands: status 2 for usage, 1 for an unreadable input, and no
// file written.
TEST(PlotCommand, BadRequestsWriteNothing) {
    CliRunner cli;
    std::ofstream(cli.work() / "bad.txt") << "not a recording\n";
    const std::string three = kThree.string();
    const std::vector<std::pair<int, std::vector<std::string>>> refused = {
        {2, {"plot", "--mode", "12", "--out", "a.png", three}},
        {2, {"plot", "--size", "0x10", "--out", "a.png", three}},
        {2, {"plot", "--out", "a.jpg", three}},
        {2, {"plot", "--out", "missing/a.png", three}},
        {1, {"plot", "--out", "a.png", "none.kvn"}},
        {2, {"report", "--out", "r.txt", three}},
        {2, {"report", "--file-date", "2024-02-30", "--out", "r.pdf", three}},
        {2, {"report", "--out", "missing/r.pdf", three}},
        {1, {"report", "--out", "r.pdf", "none.kvn"}},
        {1, {"report", "--diagnostics", ".", "--out", "r.pdf", "bad.txt"}},
    };
    for (const auto& [status, arguments] : refused) {
        const CliRunner::Result result = cli.Run(arguments);
        EXPECT_EQ(result.status, status)
            << arguments[1] << " " << arguments[2] << ": " << result.err;
        EXPECT_FALSE(result.err.empty());
    }
    EXPECT_EQ(CliRunner::ListFiles(cli.work()), std::vector<std::string>{"bad.txt"});
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

// The report of a sounding of 100 depths down to 30.5 m: a table over several pages, the title
// block and Vs30 as searchable text, A4 or the locale's Letter, from recordings or a document.
TEST(ReportCommand, PagesPaperAndSearchableText) {
    CliRunner cli;
    ASSERT_EQ(cli.Run({"simulate", "--out", "d", "--depths", "100", "--step", "0.3"}).status, 0);
    CliRunner::Result result =
        cli.RunProgram("env", {"LC_ALL=C",     KORVANE_CLI,     "report",        "-q",
                               "--windows",    "d/windows.txt", "--diagnostics", "d",
                               "--project-id", "KV-7",          "--location-id", "SCPT-9",
                               "--client",     "Harbour Board", "--test-date",   "2024-05-02",
                               "--file-date",  "2024-05-10",    "--save",        "d.kvn",
                               "--out",        "r.pdf",         "d/waves"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Report (4 pages, A4) written to r.pdf\n");
    result = cli.RunProgram("pdfinfo", {(cli.work() / "r.pdf").string()});
    ASSERT_EQ(result.status, 0) << "pdfinfo (poppler-utils, tools/install-deps.sh): " << result.err;
    EXPECT_NE(result.out.find("Pages:           4\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("595 x 842 pts (A4)"), std::string::npos) << result.out;

    result = cli.RunProgram("pdftotext", {"-layout", (cli.work() / "r.pdf").string(), "-"});
    ASSERT_EQ(result.status, 0) << result.err;
    // The text with every run of spaces as one, so that columns read as words.
    std::string text;
    for (char c : result.out)
        if (c != ' ' || text.empty() || text.back() != ' ')
            text += c;
    for (const char* expected :
         {"KV-7", "SCPT-9", "Harbour Board", "2024-05-02", "issued 2024-05-10", "Hammer to rod",
          "1.22 m", "0.18 m", "cross-correlation of successive depths, whole-sample delays",
          "14.6\u2013190.4 Hz passed", "Interval results (continued)", "Page 4 of 4",
          "29.92 30.22 30.07 ", "Eurocode 8 ground type (EN 1998-1, Table 3.1) C\n",
          "ASCE 7-22 site class (Table 20.2-1) D\n"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
    // 30 / (2.6/140 + 4.7/180 + 5.5/235 + 5.6/290 + 11.6/360) = 250.8 m/s: EC8 C, ASCE 7-22 D.
    const std::size_t vs30 = text.find("\nVs30 ");
    ASSERT_NE(vs30, std::string::npos) << text;
    EXPECT_NEAR(std::stod(text.substr(vs30 + 6, 8)), 250.8, 0.02 * 250.8);

    // Where the locale's paper is US Letter, from the document saved above.
    ASSERT_EQ(cli.RunProgram("env", {"LC_ALL=en_US.UTF-8", KORVANE_CLI, "report", "--out",
                                     "letter.pdf", "d.kvn"})
                  .status,
              0);
    result = cli.RunProgram("pdfinfo", {(cli.work() / "letter.pdf").string()});
    EXPECT_NE(result.out.find("612 x 792 pts (letter)"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("SCPT-9"), std::string::npos) << "the document keeps its details";
}

} // namespace
} // namespace korvane::test
