#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace korvane {

// The wave files named on the command line, in load order: files as given, a folder as its
// regular files in name order (hidden files, whose names start with '.', are skipped).
class InputFileList {
public:
    // Throws CliError (usage) for a folder that cannot be listed or when no file results.
    static std::vector<std::string> Expand(const std::vector<std::string>& arguments);
};

} // namespace korvane
