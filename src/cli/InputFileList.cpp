#include "cli/InputFileList.h"

#include "cli/CliError.h"

#include <algorithm>

namespace korvane {

std::vector<std::string> InputFileList::Expand(const std::vector<std::string>& arguments) {
    std::vector<std::string> files;
    for (const std::string& argument : arguments) {
        std::error_code error;
        if (!std::filesystem::is_directory(argument, error)) {
            // A missing or unreadable file is the loader's to report, with its own
            // message.
            files.push_back(argument);
            continue;
        }
        std::vector<std::filesystem::path> inside;
        std::filesystem::directory_iterator it(argument, error);
        for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
            const std::filesystem::path& path = it->path();
            std::error_code typeError;
            if (path.filename().string().starts_with('.') || !it->is_regular_file(typeError))
                continue;
            inside.push_back(path);
        }
        if (error)
            throw CliError(CliError::kUsage, argument + ": " + error.message());
        std::sort(inside.begin(), inside.end(),
                  [](const auto& a, const auto& b) { return a.filename() < b.filename(); });
        for (const std::filesystem::path& path : inside)
            files.push_back(path.string());
    }
    if (files.empty())
        throw CliError(CliError::kUsage, "no wave files to load");
    return files;
}

} // namespace korvane
