#pragma once

#include <iosfwd>
#include <string>

namespace korvane {

struct CliOptions;

// korvane-cli ags: a document or wave files (processed as process does, the interval analysis
// included) written as an AGS 4.2 file. The file appears only once everything has succeeded,
// through a temporary file beside it, so a failure keeps a previous file.
class AgsCommand {
public:
    // Throws CliError on failure.
    static void Run(const CliOptions& options, std::ostream& out, std::ostream& err);

    // Today's date in UTC, "YYYY-MM-DD".
    static std::string Today();
};

} // namespace korvane
