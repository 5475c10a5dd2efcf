#pragma once

#include <iosfwd>

namespace korvane {

struct CliOptions;

// korvane-cli convert: every recording becomes a wave file of Korvane's own format (8192
// samples at 25 µs, the tip depth on line 2) in the output folder, so that older tools read
// field recordings too. All files are imported before the first is written; the files are
// written beside their final names and renamed into place at the end.
class ConvertCommand {
public:
    // Throws CliError on failure; nothing is left in the output folder then.
    static void Run(const CliOptions& options, std::ostream& out, std::ostream& err);
};

} // namespace korvane
