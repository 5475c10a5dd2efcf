#include "CliRunner.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

namespace korvane::test {

namespace {

std::string Quote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

} // namespace

CliRunner::CliRunner() {
    std::string pattern = (std::filesystem::temp_directory_path() / "korvane-cli-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder");
    root_ = pattern;
    work_ = root_ / "work";
    std::filesystem::create_directory(work_);
}

CliRunner::~CliRunner() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

CliRunner::Result CliRunner::Run(const std::vector<std::string>& arguments) const {
    return RunProgram(KORVANE_CLI, arguments);
}

CliRunner::Result CliRunner::RunProgram(const std::string& program,
                                        const std::vector<std::string>& arguments) const {
    // exec, so that a program killed by a signal is seen as that, not as the status of a shell.
    std::string command = "cd " + Quote(work_.string()) + " && exec " + Quote(program);
    for (const std::string& argument : arguments) {
        command += ' ';
        command += Quote(argument);
    }
    command += " > " + Quote((root_ / "stdout").string()) + " 2> " +
               Quote((root_ / "stderr").string()) + " < /dev/null";
    const int raw = std::system(command.c_str());
    Result result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : -1;
    result.out = ReadFile(root_ / "stdout");
    result.err = ReadFile(root_ / "stderr");
    return result;
}

std::string CliRunner::ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> CliRunner::ListFiles(const std::filesystem::path& dir) {
    std::vector<std::string> files;
    if (!std::filesystem::is_directory(dir))
        return files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
        if (entry.is_regular_file())
            files.push_back(std::filesystem::relative(entry.path(), dir).generic_string());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace korvane::test
