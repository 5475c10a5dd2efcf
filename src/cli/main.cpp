#include "cli/CommandLine.h"

#include <iostream>

int main(int argc, char** argv) {
    return korvane::CommandLine::Main(argc, argv, std::cout, std::cerr);
}
