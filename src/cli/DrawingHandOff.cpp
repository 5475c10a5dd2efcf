#include "cli/DrawingHandOff.h"

#include "cli/CliError.h"
#include "cli/DrawingCommands.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <unistd.h>

namespace korvane {

bool DrawingHandOff::IsDrawingCommand(std::string_view name) {
    for (const DrawingCommand& command : kDrawingCommands)
        if (command.name == name)
            return true;
    return false;
}

std::string DrawingHandOff::ProgramPath() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    return (self.parent_path() / KORVANE_DRAW_PROGRAM).lexically_normal().string();
}

int DrawingHandOff::Run(char** argv, std::ostream& err) {
    const std::string program = ProgramPath();
    std::string reason = "the running program cannot be found through /proc/self/exe";
    if (!program.empty()) {
        execv(program.c_str(), argv);
        reason = std::strerror(errno);
    }
    err << "korvane-cli: cannot start the drawing program "
        << (program.empty() ? std::string(KORVANE_DRAW_PROGRAM) : program) << " for \"" << argv[1]
        << "\": " << reason << '\n';
    return CliError::kFailure;
}

} // namespace korvane
