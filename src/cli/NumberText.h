#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace korvane {

// Strict number parsing for arguments and small text files: the whole text must be the number
// ("12abc", "", " 12" and "1e400" are refused), so a typing slip never becomes a silently wrong
// window or distance.
class NumberText {
public:
    static std::optional<int32_t> ToInt(std::string_view text);
    static std::optional<uint64_t> ToUnsigned(std::string_view text);
    // Finite decimal numbers only; "nan" and "inf" are refused.
    static std::optional<double> ToDouble(std::string_view text);
};

} // namespace korvane
