#pragma once

#include <iosfwd>
#include <stdexcept>
#include <string>

namespace korvane {

// A failure of the command line itself, carrying the exit status the program ends with:
// kUsage for bad arguments or windows, kFailure for unreadable or unwritable files.
class CliError : public std::runtime_error {
public:
    static constexpr int kFailure = 1;
    static constexpr int kUsage = 2;

    CliError(int status, const std::string& message)
        : std::runtime_error(message), status_(status) {}

    int status() const { return status_; }

    // Inside a catch handler for std::exception: prints the current exception's message and
    // returns the exit status it stands for.
    static int ReportCurrent(std::ostream& err);

private:
    int status_;
};

} // namespace korvane
