#pragma once

#include <iosfwd>

namespace korvane {

struct CliOptions;

// korvane-cli simulate: writes a synthetic sounding (wave files, windows file and model) into
// a folder. The bundled example sounding is its output with the default settings.
class SimulateCommand {
public:
    // Throws CliError on failure.
    static void Run(const CliOptions& options, std::ostream& out);
};

} // namespace korvane
