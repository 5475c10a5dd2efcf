#pragma once

#include <iosfwd>
#include <string_view>

// The commands that draw. They need Qt, so they run in a second program, korvane-cli-draw;
// korvane-cli lists them in its help and hands them over, and never loads Qt itself.
//
// A new drawing command is one X(...) line below: its name, the function in src/cli/draw/ that
// runs it and its summary for `korvane-cli --help`.
#define KORVANE_DRAWING_COMMANDS(X)                                                                \
    X("plot", RunPlotCommand,                                                                      \
      "Draw a display mode of a document or of wave files, or the Vs profiles of a batch's "       \
      "soundings, into a PNG, SVG or PDF file (korvane-cli plot --help)")                          \
    X("report", RunReportCommand,                                                                  \
      "Write a sounding's PDF report: title block, waves, profiles, interval table with Gmax, "    \
      "Vs30 and site classes (korvane-cli report --help)")

namespace korvane {

// A drawing command's whole run: argv[0] is the command's name. Returns the exit status after
// writing any message to err.
using DrawingCommandMain = int(int argc, const char* const* argv, std::ostream& out,
                               std::ostream& err);

#define KORVANE_DECLARE_DRAWING_COMMAND(name, function, summary) DrawingCommandMain function;
KORVANE_DRAWING_COMMANDS(KORVANE_DECLARE_DRAWING_COMMAND)
#undef KORVANE_DECLARE_DRAWING_COMMAND

struct DrawingCommand {
    std::string_view name;
    std::string_view summary;
};

#define KORVANE_DESCRIBE_DRAWING_COMMAND(name, function, summary) DrawingCommand{name, summary},
inline constexpr DrawingCommand kDrawingCommands[] = {
    KORVANE_DRAWING_COMMANDS(KORVANE_DESCRIBE_DRAWING_COMMAND)};
#undef KORVANE_DESCRIBE_DRAWING_COMMAND

} // namespace korvane
