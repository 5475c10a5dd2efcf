#pragma once

#include <iosfwd>

namespace korvane {

// The korvane-cli program: parses the arguments (CLI11), runs the chosen command and turns
// every failure into a message on err and an exit status: 0 success, 1 a file could not be
// read or written, 2 bad usage (arguments, windows).
class CommandLine {
public:
    static int Main(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
};

} // namespace korvane
