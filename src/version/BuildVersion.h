#pragma once

#include <string>

namespace korvane {

// The program's version: the one number set in CMake, and the git commit it was built from.
class BuildVersion {
public:
    static const char* Number(); // "1.4"
    // The short commit hash, "-dirty" appended when the checkout had changes; empty when built
    // outside a git checkout.
    static const char* Commit();
    // "1.4 (a5f1807)", or "1.4" without a commit.
    static std::string Text();
};

} // namespace korvane
