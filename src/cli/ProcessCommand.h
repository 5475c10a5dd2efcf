#pragma once

#include <iosfwd>

namespace korvane {

struct CliOptions;

// korvane-cli process: loads wave files, sets the windows, runs the cross-correlation and
// writes the velocity table (and the document when asked). Outputs are written only once
// every computation has succeeded.
class ProcessCommand {
public:
    // Throws CliError on failure.
    static void Run(const CliOptions& options, std::ostream& out, std::ostream& err);
};

} // namespace korvane
