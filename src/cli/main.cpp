#include "cli/CommandLine.h"

#include <cstring>
#include <iostream>

#ifndef KORVANE_NO_PLOT
#include "cli/PlotCommand.h"
#endif

int main(int argc, char** argv) {
#ifndef KORVANE_NO_PLOT
    // Drawing needs Qt, so the plot command parses and runs on its own.
    if (argc > 1 && std::strcmp(argv[1], "plot") == 0)
        return korvane::PlotCommand::Main(argc - 1, argv + 1, std::cout, std::cerr);
#endif
    return korvane::CommandLine::Main(argc, argv, std::cout, std::cerr);
}
