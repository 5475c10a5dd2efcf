#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace korvane {

// korvane-cli plot: draws one display mode of a document or of freshly loaded wave files into
// a PNG, SVG or PDF file with the desktop program's renderer, without a display. Wave files are
// loaded as by process; a mode that shows correlation results runs the correlation first.
class PlotCommand {
public:
    // The whole subcommand: argv[0] is "plot". Returns the exit status (0, 1 a file could not
    // be read or written, 2 bad usage) after writing any message to err.
    static int Main(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

    // A display mode by its name (case-insensitive, as the DisplayMode enumeration spells it)
    // or its number 0..11.
    static std::optional<int32_t> ParseMode(std::string_view text);
    static const char* ModeName(int32_t mode);
    // "WxH" with each side from 1 to the exporter's limit.
    static std::optional<std::pair<int, int>> ParseSize(std::string_view text);
};

} // namespace korvane
