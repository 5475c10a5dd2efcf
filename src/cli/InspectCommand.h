#pragma once

#include <iosfwd>
#include <string>

namespace korvane {

struct CliOptions;
struct FileInspection;

// korvane-cli inspect: what an import would take from each recording, one tab-separated line
// per trace, without loading anything.
class InspectCommand {
public:
    // Throws CliError on failure (the first defective file, before anything is printed).
    static void Run(const CliOptions& options, std::ostream& out, std::ostream& err);

    static constexpr const char* kHeader =
        "path\tformat\ttrace\tsamples\tinterval_s\tdelay_s\ttip_depth_m\n";
    // The lines of one file.
    static std::string Lines(const FileInspection& inspection);
};

} // namespace korvane
