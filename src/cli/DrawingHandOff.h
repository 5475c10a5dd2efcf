#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

namespace korvane {

// Hands a drawing command over to korvane-cli-draw, which lies at a fixed place relative to
// the running korvane-cli (the same in the build tree and in an installation).
class DrawingHandOff {
public:
    static bool IsDrawingCommand(std::string_view name);

    // The drawing program beside the running program (resolved through /proc/self/exe).
    static std::string ProgramPath();

    // Replaces this process by the drawing program with the same arguments, so its output and
    // exit status are the command's. Returns only when it cannot start: status 1, the reason
    // on err.
    static int Run(char** argv, std::ostream& err);
};

} // namespace korvane
