#include "sounding/ImportOptions.h"

namespace korvane {

std::optional<TimeUnit> ParseTimeUnit(std::string_view text) {
    if (text == "s")
        return TimeUnit::Seconds;
    if (text == "ms")
        return TimeUnit::Milliseconds;
    if (text == "us" || text == "\xC2\xB5s" || text == "\xCE\xBCs") // micro sign, Greek mu
        return TimeUnit::Microseconds;
    return std::nullopt;
}

double SecondsPer(TimeUnit unit) {
    switch (unit) {
    case TimeUnit::Seconds:
        return 1.0;
    case TimeUnit::Milliseconds:
        return 1e-3;
    case TimeUnit::Microseconds:
        return 1e-6;
    case TimeUnit::Unknown:
        break;
    }
    return 0.0;
}

std::vector<int> ImportOptions::ChannelsFor(const std::string& path) const {
    const auto found = overrides.find(path);
    std::vector<int> channels{
        found != overrides.end() && found->second.channel ? *found->second.channel : channel};
    if (oppositeChannel && *oppositeChannel != channels.front())
        channels.push_back(*oppositeChannel);
    return channels;
}

TimeUnit ImportOptions::TimeUnitFor(const std::string& path) const {
    const auto found = overrides.find(path);
    if (found != overrides.end() && found->second.timeUnit)
        return *found->second.timeUnit;
    return timeUnit;
}

std::optional<float> ImportOptions::EditedDepth(const std::string& path, std::size_t record) const {
    const auto found = overrides.find(path);
    if (found == overrides.end())
        return std::nullopt;
    const auto depth = found->second.tipDepths.find(record);
    if (depth == found->second.tipDepths.end())
        return std::nullopt;
    return depth->second;
}

} // namespace korvane
