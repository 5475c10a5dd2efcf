#include "cli/NumberText.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace korvane {

namespace {

template <typename T> std::optional<T> Parse(std::string_view text) {
    // from_chars does not take a leading '+', which people do type for distances.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-')
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    T value{};
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<int32_t> NumberText::ToInt(std::string_view text) {
    return Parse<int32_t>(text);
}

std::optional<uint64_t> NumberText::ToUnsigned(std::string_view text) {
    if (!text.empty() && text.front() == '-')
        return std::nullopt;
    return Parse<uint64_t>(text);
}

std::optional<double> NumberText::ToDouble(std::string_view text) {
    const std::optional<double> value = Parse<double>(text);
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    return value;
}

} // namespace korvane
