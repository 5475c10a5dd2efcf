// Golden folders of the command line: tests/cli/golden/cases/<case>/ holds
//   uses              shared input sets (folders of golden/inputs, or "examples/<name>" for a
//                     bundled example) copied into the work folder
//   input/            files of this case copied into the work folder
//   commands          one program run per line, words separated by blanks ('#' starts a comment)
//   expected/status   one exit status per run
//   expected/stdout   everything the runs print on standard output (absent: nothing)
//   expected/stderr   the same for standard error
//   expected/files/   files the runs must leave, compared byte for byte
//   expected/exists   files the runs must leave whose content is not compared
//   needs             "plot": the case is left out of a command line built without it
// A file the runs leave that is listed nowhere fails the case, so "nothing written" is checked
// by an empty expected/files. KORVANE_UPDATE_GOLDEN=1 rewrites the expected outputs from the
// program (check them by hand before committing).
#include "CliRunner.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

const fs::path kGolden = fs::path(KORVANE_SOURCE_DIR) / "tests" / "cli" / "golden";

std::vector<std::string> Lines(const fs::path& path) {
    std::vector<std::string> lines;
    std::istringstream in(CliRunner::ReadFile(path));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] != '#')
            lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

void WriteFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> CaseNames() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(kGolden / "cases")) {
#ifdef KORVANE_NO_PLOT
        const std::vector<std::string> needs = Lines(entry.path() / "needs");
        if (std::find(needs.begin(), needs.end(), "plot") != needs.end())
            continue;
#endif
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class GoldenCase : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenCase, RunsAsRecorded) {
    const fs::path dir = kGolden / "cases" / GetParam();
    const fs::path expected = dir / "expected";
    CliRunner runner;
    for (const std::string& set : Lines(dir / "uses")) {
        const fs::path from = set.starts_with("examples/") ? fs::path(KORVANE_SOURCE_DIR) / set
                                                           : kGolden / "inputs" / set;
        fs::copy(from, runner.work() / fs::path(set).filename(), fs::copy_options::recursive);
    }
    if (fs::exists(dir / "input"))
        fs::copy(dir / "input", runner.work(), fs::copy_options::recursive);
    const std::vector<std::string> inputs = CliRunner::ListFiles(runner.work());

    std::string out;
    std::string err;
    std::string statuses;
    for (const std::string& command : Lines(dir / "commands")) {
        const CliRunner::Result result = runner.Run(Words(command));
        out += result.out;
        err += result.err;
        statuses += std::to_string(result.status) + "\n";
    }

    std::set<std::string> produced;
    for (const std::string& file : CliRunner::ListFiles(runner.work()))
        produced.insert(file);
    for (const std::string& file : inputs)
        produced.erase(file);
    const std::vector<std::string> unchecked = Lines(expected / "exists");

    if (std::getenv("KORVANE_UPDATE_GOLDEN") != nullptr) {
        fs::remove_all(expected / "files");
        WriteFile(expected / "status", statuses);
        WriteFile(expected / "stdout", out);
        WriteFile(expected / "stderr", err);
        for (const std::string& file : produced) {
            if (std::find(unchecked.begin(), unchecked.end(), file) == unchecked.end())
                WriteFile(expected / "files" / file, CliRunner::ReadFile(runner.work() / file));
        }
        GTEST_SKIP() << "expected outputs rewritten";
    }

    EXPECT_EQ(statuses, CliRunner::ReadFile(expected / "status"));
    EXPECT_EQ(out, CliRunner::ReadFile(expected / "stdout"));
    EXPECT_EQ(err, CliRunner::ReadFile(expected / "stderr"));
    for (const std::string& file : CliRunner::ListFiles(expected / "files")) {
        EXPECT_TRUE(produced.erase(file) == 1) << file << " was not written";
        EXPECT_EQ(CliRunner::ReadFile(runner.work() / file),
                  CliRunner::ReadFile(expected / "files" / file))
            << file << " differs";
    }
    for (const std::string& file : unchecked)
        EXPECT_TRUE(produced.erase(file) == 1) << file << " was not written";
    for (const std::string& file : produced)
        ADD_FAILURE() << file << " was written but is not expected";
}

INSTANTIATE_TEST_SUITE_P(Cli, GoldenCase, ::testing::ValuesIn(CaseNames()), [](const auto& info) {
    std::string name = info.param;
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
});

} // namespace
} // namespace korvane::test
