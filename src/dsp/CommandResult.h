#pragma once

#include <string>

namespace korvane {

enum class CommandOutcome {
    Completed,
    Cancelled, // the user cancelled at a checkpoint; message is "Progress Cancelled"
    Failed,    // an error; message is the error's fixed text
};

// How a long command ended. The front end shows message (when not empty) in its own way.
struct CommandResult {
    CommandOutcome outcome = CommandOutcome::Completed;
    std::string message;
    std::string failedPath; // the input file a load failed on, when there is one
    // Warnings that did not stop the command (for instance diagnostic files not written).
    std::string warning;

    bool ok() const { return outcome == CommandOutcome::Completed; }
};

inline constexpr const char* kProgressCancelled = "Progress Cancelled";

} // namespace korvane
