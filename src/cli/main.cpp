#include "cli/CommandLine.h"
#include "cli/DrawingHandOff.h"

#include <iostream>

int main(int argc, char** argv) {
    // Drawing needs Qt, which the other commands should not pay for at start-up.
#ifndef KORVANE_NO_DRAWING
    if (argc > 1 && korvane::DrawingHandOff::IsDrawingCommand(argv[1]))
        return korvane::DrawingHandOff::Run(argv, std::cerr);
#endif
    return korvane::CommandLine::Main(argc, argv, std::cout, std::cerr);
}
