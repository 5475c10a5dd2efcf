#pragma once

#include "dsp/ProgressReporter.h"

#include <functional>
#include <string>

namespace korvane::testing {

// Records what a command reports and cancels from the given checkpoint on (counted from 1; 0
// never), staying cancelled as the panel does.
class ScriptedProgress : public ProgressReporter {
public:
    explicit ScriptedProgress(int cancelAt = 0) : cancelAt_(cancelAt) {}
    void SetRange(int lower, int upper) override {
        this->lower = lower;
        this->upper = upper;
    }
    void SetStatusText(const std::string& text) override { status = text; }
    bool Checkpoint() override {
        ++checkpoints;
        if (onCheckpoint)
            onCheckpoint(checkpoints);
        return cancelAt_ > 0 && checkpoints >= cancelAt_;
    }

    int lower = -1;
    int upper = -1;
    int checkpoints = 0;
    std::string status;
    std::function<void(int)> onCheckpoint;

private:
    int cancelAt_;
};

} // namespace korvane::testing
