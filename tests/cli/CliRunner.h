#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace korvane::test {

// Runs the real korvane-cli (or another program) in a private temporary folder and captures
// what it printed.
class CliRunner {
public:
    struct Result {
        int status = -1;
        std::string out;
        std::string err;
    };

    CliRunner();
    ~CliRunner();
    CliRunner(const CliRunner&) = delete;
    CliRunner& operator=(const CliRunner&) = delete;

    // The working folder of the program; empty at first.
    const std::filesystem::path& work() const { return work_; }

    // Runs korvane-cli with the arguments (each passed as one word) in work().
    Result Run(const std::vector<std::string>& arguments) const;
    // The same for any program. A program killed by a signal has the status 128 + signal.
    Result RunProgram(const std::string& program, const std::vector<std::string>& arguments) const;

    static std::string ReadFile(const std::filesystem::path& path);
    // Every regular file below dir, as paths relative to it, sorted.
    static std::vector<std::string> ListFiles(const std::filesystem::path& dir);

private:
    std::filesystem::path root_;
    std::filesystem::path work_;
};

} // namespace korvane::test
