// korvane-cli-draw: runs the drawing commands that korvane-cli hands over, with the same
// arguments (argv[1] is the command).
#include "cli/DrawingCommands.h"

#include <iostream>
#include <string_view>

namespace {

struct Entry {
    std::string_view name;
    korvane::DrawingCommandMain* run;
};

#define KORVANE_DRAWING_ENTRY(name, function, summary) Entry{name, &korvane::function},
constexpr Entry kEntries[] = {KORVANE_DRAWING_COMMANDS(KORVANE_DRAWING_ENTRY)};
#undef KORVANE_DRAWING_ENTRY

} // namespace

int main(int argc, char** argv) {
    if (argc > 1)
        for (const Entry& entry : kEntries)
            if (entry.name == argv[1])
                return entry.run(argc - 1, argv + 1, std::cout, std::cerr);
    std::cerr << "korvane-cli-draw: run the drawing commands through korvane-cli\n";
    return 2;
}
