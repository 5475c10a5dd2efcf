#include "cli/TerminalProgress.h"

#include <algorithm>
#include <unistd.h>

namespace korvane {

namespace {
constexpr int kBarWidth = 30;
}

TerminalProgress::TerminalProgress(std::FILE* stream, bool enabled)
    : stream_(stream), active_(enabled && stream != nullptr && isatty(fileno(stream)) == 1) {}

TerminalProgress::~TerminalProgress() {
    Finish();
}

void TerminalProgress::SetRange(int lower, int upper) {
    lower_ = lower;
    upper_ = std::max(upper, lower);
    position_ = lower;
    Draw();
}

void TerminalProgress::SetStatusText(const std::string& text) {
    // Status texts come with the panel's trailing line break; one line is all we
    // have.
    status_ = text.substr(0, text.find_first_of("\r\n"));
    Draw();
}

bool TerminalProgress::Checkpoint() {
    position_ = std::min(position_ + 1, upper_);
    Draw();
    return false;
}

void TerminalProgress::Finish() {
    if (!drawn_)
        return;
    std::fprintf(stream_, "\r\033[K");
    std::fflush(stream_);
    drawn_ = false;
}

void TerminalProgress::Draw() {
    if (!active_)
        return;
    const int span = upper_ - lower_;
    const int percent = span > 0 ? (position_ - lower_) * 100 / span : 100;
    const int filled = percent * kBarWidth / 100;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(kBarWidth - filled), ' ');
    std::fprintf(stream_, "\r\033[K%s [%s] %3d%%", status_.c_str(), bar.c_str(), percent);
    std::fflush(stream_);
    drawn_ = true;
}

} // namespace korvane
