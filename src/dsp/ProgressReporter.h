#pragma once

#include <string>

namespace korvane {

// What a long command (load, correlation runs) tells about its progress, and how it learns of a
// cancel. The GUI panel, a terminal bar and scripted test cancellers all implement it, so every
// front end drives the same loop.
class ProgressReporter {
public:
    virtual ~ProgressReporter() = default;

    // The bar runs from lower to upper, one step per Checkpoint().
    virtual void SetRange(int lower, int upper) = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    // Steps the bar, lets the front end handle pending input, and answers whether the user
    // has cancelled.
    virtual bool Checkpoint() = 0;
};

// Reports nowhere and never cancels.
class NullProgress final : public ProgressReporter {
public:
    void SetRange(int, int) override {}
    void SetStatusText(const std::string&) override {}
    bool Checkpoint() override { return false; }
};

} // namespace korvane
