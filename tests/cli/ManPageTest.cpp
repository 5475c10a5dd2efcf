// The manual pages (man/*.1) against the programs themselves: every command and option that
// --help lists is described in its section of the page, and --version shows the project version.
#include "CliRunner.h"

#include <gtest/gtest.h>

#include <cctype>
#include <regex>
#include <sstream>

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

const fs::path kManDir = fs::path(KORVANE_SOURCE_DIR) / "man";

// The first word of every entry under a heading of a help text ("Options:", "Subcommands:",
// "Positionals:"), split at commas: "-q,--quiet" gives "-q" and "--quiet".
std::vector<std::string> Entries(const std::string& help, const std::string& heading) {
    std::vector<std::string> words;
    std::istringstream in(help);
    std::string line;
    bool inside = false;
    while (std::getline(in, line)) {
        if (line == heading) {
            inside = true;
            continue;
        }
        if (!inside)
            continue;
        if (!line.starts_with("  "))
            break;
        if (line[2] == ' ') // a description wrapped onto its own line
            continue;
        std::istringstream entry(line.substr(2, line.find(' ', 2) - 2));
        std::string word;
        while (std::getline(entry, word, ','))
            words.push_back(word);
    }
    return words;
}

// The lines of a page from ".SH NAME" or ".SS NAME" up to the next section, with roff's "\-"
// read as "-"; empty when the page has no such section.
std::string Section(const std::string& page, const std::string& heading) {
    std::istringstream in(page);
    std::string line;
    std::string text;
    bool inside = false;
    while (std::getline(in, line)) {
        if (line.starts_with(".SH") || line.starts_with(".SS")) {
            if (inside)
                break;
            inside =
                line == heading || line == heading.substr(0, 4) + "\"" + heading.substr(4) + "\"";
            continue;
        }
        if (inside)
            text += std::regex_replace(line, std::regex(R"(\\-)"), "-") + "\n";
    }
    return text;
}

// word as a whole word of text: "--window" is not found in "--windows".
bool Mentions(const std::string& text, const std::string& word) {
    auto isWordChar = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '-';
    };
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        const std::size_t end = at + word.size();
        if ((at == 0 || !isWordChar(text[at - 1])) &&
            (end == text.size() || !isWordChar(text[end])))
            return true;
    }
    return false;
}

// Every option (and positional) the help lists, except --help, is mentioned in the section.
void ExpectDescribed(const std::string& help, const std::string& section, const std::string& page,
                     const std::string& heading, const std::string& what) {
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
    const std::string page = CliRunner::ReadFile(kManDir / "korvane-cli.1");
    ASSERT_FALSE(page.empty());
    const CliRunner::Result help = cli.Run({"--help"});
    ASSERT_EQ(help.status, 0) << help.err;
    ExpectDescribed(help.out, Section(page, ".SH OPTIONS"), "korvane-cli.1", ".SH OPTIONS",
                    "korvane-cli");

    const std::vector<std::string> commands = Entries(help.out, "Subcommands:");
    EXPECT_GE(commands.size(), 5u) << help.out;
    for (const std::string& command : commands) {
        const std::string heading = ".SS " + command;
        const std::string section = Section(page, heading);
        if (section.empty()) {
            ADD_FAILURE() << "man/korvane-cli.1 has no section \"" << heading
                          << "\" for the command " << command << ", which --help lists";
            continue;
        }
        const CliRunner::Result commandHelp = cli.Run({command, "--help"});
        ASSERT_EQ(commandHelp.status, 0) << command << ": " << commandHelp.err;
        ExpectDescribed(commandHelp.out, section, "korvane-cli.1", heading,
                        "the command " + command);
    }
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
    const std::string page = CliRunner::ReadFile(kManDir / "korvane.1");
    ExpectDescribed(help.out, Section(page, ".SH OPTIONS"), "korvane.1", ".SH OPTIONS", "korvane");
#endif
}

} // namespace
} // namespace korvane::test
