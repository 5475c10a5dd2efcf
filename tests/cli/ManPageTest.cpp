// The programs themselves: every command and option that --help lists is described in its
// section of the manual page (man/*.1), --version shows the project version, korvane-cli loads
// no Qt; and the large raw autocorrelation output, which golden folders express badly.
#include "CliRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <sstream>

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

const fs::path kManDir = fs::path(KORVANE_SOURCE_DIR) / "man";

// The first word of every entry under a heading of a help text ("Options:", "Subcommands:",
// "Positionals:"), split at commas: "-q,--quiet" gives "-q" and "--quiet".
std::vector<std::string> Entries(const std::string& help, const std::string& heading) {
    std::vector<std::string> words;
    std::istringstream in(help.substr(std::min(help.size(), help.find("\n" + heading + "\n"))));
    std::string line;
    std::getline(in, line);
    std::getline(in, line);
    while (std::getline(in, line) && line.starts_with("  ")) {
        std::istringstream entry(line.substr(2, line.find(' ', 2) - 2)); // empty when wrapped
        for (std::string word; std::getline(entry, word, ',');)
            words.push_back(word);
    }
    return words;
}

// The lines after the line heading (".SH NAME", ".SS NAME") up to the next section, with roff's
// "\-" read as "-"; empty when the page has no such section.
std::string Section(const std::string& page, const std::string& heading) {
    std::istringstream in(page);
    std::string text;
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with(".SH") || line.starts_with(".SS")) {
            if (inside)
                break;
            inside = line == heading;
        } else if (inside) {
            for (std::size_t at = line.find("\\-"); at != std::string::npos;
                 at = line.find("\\-", at))
                line.erase(at, 1);
            text += line + "\n";
        }
    }
    return text;
}

// word as a whole word of text: "--window" is not found in "--windows".
bool Mentions(const std::string& text, const std::string& word) {
    auto inWord = [&](std::size_t at) {
        return at < text.size() &&
               (std::isalnum(static_cast<unsigned char>(text[at])) || text[at] == '-');
    };
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
        if ((at == 0 || !inWord(at - 1)) && !inWord(at + word.size()))
            return true;
    return false;
}

// Every option and positional the help lists but --help is mentioned in the section.
void ExpectDescribed(const std::string& help, const std::string& page, const std::string& heading,
                     const std::string& what) {
    const std::string section = Section(CliRunner::ReadFile(kManDir / page), heading);
    std::vector<std::string> words = Entries(help, "Options:");
    for (const std::string& positional : Entries(help, "Positionals:"))
        words.push_back(positional);
    for (const std::string& word : words)
        if (word != "-h" && word != "--help" && !Mentions(section, word))
            ADD_FAILURE() << "man/" << page << " does not describe " << word << " of " << what
                          << ", which --help lists: add it under \"" << heading << "\"";
}

TEST(ManPage, KorvaneCliPageDescribesEveryCommandAndOption) {
    CliRunner cli;
    const CliRunner::Result help = cli.Run({"--help"});
    ASSERT_EQ(help.status, 0) << help.err;
    ExpectDescribed(help.out, "korvane-cli.1", ".SH OPTIONS", "korvane-cli");

    const std::string page = CliRunner::ReadFile(kManDir / "korvane-cli.1");
    const std::vector<std::string> commands = Entries(help.out, "Subcommands:");
    EXPECT_GE(commands.size(), 5u) << help.out;
    for (const std::string& command : commands) {
        const std::string heading = ".SS " + command;
        if (Section(page, heading).empty()) {
            ADD_FAILURE() << "man/korvane-cli.1 has no section \"" << heading
                          << "\" for the command " << command << ", which --help lists";
            continue;
        }
        const CliRunner::Result commandHelp = cli.Run({command, "--help"});
        ASSERT_EQ(commandHelp.status, 0) << command << ": " << commandHelp.err;
        ExpectDescribed(commandHelp.out, "korvane-cli.1", heading, "the command " + command);
    }
#ifdef KORVANE_NO_PLOT
    // Without Qt the drawing commands are not offered, and asking for one says why.
    for (const char* command : {"plot", "report"}) {
        EXPECT_EQ(std::count(commands.begin(), commands.end(), command), 0) << command;
        const CliRunner::Result refused = cli.Run({command, "--help"});
        EXPECT_EQ(refused.status, 2) << command;
        EXPECT_NE(refused.err.find("built without"), std::string::npos) << refused.err;
    }
#endif
}

// "<program> <version>", then the commit in brackets when built from a checkout.
void ExpectVersion(const std::string& text, const std::string& program) {
    const std::string start = program + " " + KORVANE_VERSION;
    EXPECT_TRUE(text == start + "\n" || (text.starts_with(start + " (") && text.ends_with(")\n")))
        << text;
}

TEST(ManPage, ProgramsShowTheProjectVersionAndTheirPageTheirOptions) {
    CliRunner cli;
    ExpectVersion(cli.Run({"--version"}).out, "korvane-cli");
#ifdef KORVANE_GUI
    // Both answered before Qt starts: no display needed.
    ExpectVersion(cli.RunProgram(KORVANE_GUI, {"--version"}).out, "korvane");
    const CliRunner::Result help = cli.RunProgram(KORVANE_GUI, {"--help"});
    ASSERT_EQ(help.status, 0) << help.err;
    ExpectDescribed(help.out, "korvane.1", ".SH OPTIONS", "korvane");
#endif
}

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

#ifndef KORVANE_NO_PLOT
    // Without its helper at the expected place, a drawing command says which file is missing.
    const fs::path lonely = cli.work() / "korvane-cli";
    fs::copy_file(KORVANE_CLI, lonely);
    const CliRunner::Result result = cli.RunProgram(lonely.string(), {"plot", "--help"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("cannot start the drawing program " +
                              (cli.work() / KORVANE_DRAW_PROGRAM).lexically_normal().string()),
              std::string::npos)
        << result.err;
#endif
}

} // namespace
} // namespace korvane::test
