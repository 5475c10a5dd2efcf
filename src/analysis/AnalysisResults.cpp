#include "analysis/AnalysisResults.h"

#include <array>
#include <utility>

namespace korvane {

const IntervalEstimate* AnalysisResults::Between(double top, double bottom) const {
    // Intervals lie in ascending depth, so the search could bisect; a sounding has few.
    for (const IntervalEstimate& interval : intervals)
        if (interval.top == top && interval.bottom == bottom)
            return &interval;
    return nullptr;
}

std::string AnalysisResults::FlagNames(uint32_t flags) {
    static constexpr std::array<std::pair<uint32_t, const char*>, 7> kNames = {{
        {kLowR2, "LOW_R2"},
        {kSlow, "SLOW"},
        {kFast, "FAST"},
        {kNegativeLag, "NEGATIVE_LAG"},
        {kWindowEdge, "WINDOW_EDGE"},
        {kJump, "JUMP"},
        {kPolarity, "POLARITY"},
    }};
    std::string text;
    for (const auto& [bit, name] : kNames) {
        if ((flags & bit) == 0)
            continue;
        if (!text.empty())
            text += '|';
        text += name;
    }
    return text;
}

} // namespace korvane
