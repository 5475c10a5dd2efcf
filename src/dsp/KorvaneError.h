#pragma once

#include <stdexcept>
#include <string>

namespace korvane {

// An error the user must see: carries one of the program's fixed message texts unchanged.
// The GUI shows what() in a message box, the command line prints it.
class KorvaneError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace korvane
