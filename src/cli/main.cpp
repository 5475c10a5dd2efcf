#include "cli/CommandLine.h"
#include "cli/PlotCommand.h" // plot command

#include <cstring>
#include <iostream>

int main(int argc, char** argv) {
    // --- plot command: drawing needs Qt, so it parses and runs on its own ---
    if (argc > 1 && std::strcmp(argv[1], "plot") == 0)
        return korvane::PlotCommand::Main(argc - 1, argv + 1, std::cout, std::cerr);
    // --- end of plot command ---
    return korvane::CommandLine::Main(argc, argv, std::cout, std::cerr);
}
