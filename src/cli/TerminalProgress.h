#pragma once

#include "dsp/ProgressReporter.h"

#include <cstdio>
#include <string>

namespace korvane {

// A one-line progress bar on a terminal stream (standard error), redrawn in place with a
// carriage return. Silent when the stream is not a terminal or when asked to be, so logs and
// pipes never fill with bar frames. Never cancels: an interrupt ends the program.
class TerminalProgress final : public ProgressReporter {
public:
    // enabled: draw at all (false for --quiet). The bar is drawn only if stream is a terminal.
    TerminalProgress(std::FILE* stream, bool enabled);
    ~TerminalProgress() override;
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void SetRange(int lower, int upper) override;
    void SetStatusText(const std::string& text) override;
    bool Checkpoint() override;

    // Clears the bar's line so that messages start on a clean line.
    void Finish();

private:
    void Draw();

    std::FILE* stream_;
    bool active_;
    bool drawn_ = false;
    int lower_ = 0;
    int upper_ = 100;
    int position_ = 0;
    std::string status_;
};

} // namespace korvane
