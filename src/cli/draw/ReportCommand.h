#pragma once

#include <iosfwd>

namespace korvane {

// korvane-cli report: a document or recordings, processed and analysed as for ags (the same
// options), written as the PDF report of ReportWriter. The file appears only once everything
// has succeeded, through a temporary file beside it, so a failure keeps a previous file.
class ReportCommand {
public:
    // The whole subcommand: argv[0] is "report". Returns the exit status (0, 1 a file could
    // not be read or written, 2 bad usage) after writing any message to err.
    static int Main(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
};

} // namespace korvane
