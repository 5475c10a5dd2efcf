#include "sounding/FixedDecimal.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace korvane {

namespace {

// "inf", "-inf", "nan" or "-nan" as glibc prints them; nullptr for finite values.
const char* NonFiniteText(double value) {
    if (std::isnan(value))
        return std::signbit(value) ? "-nan" : "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    return nullptr;
}

char* WriteText(char* first, const char* text) {
    const std::size_t length = std::strlen(text);
    std::memcpy(first, text, length);
    return first + length;
}

} // namespace

char* FixedDecimal::WriteFloat(char* first, float value) {
    if (const char* text = NonFiniteText(value))
        return WriteText(first, text);
    const double magnitude = std::fabs(static_cast<double>(value));
    // A float has 24 significant bits and 10^6 needs 20, so magnitude * 1e6 is exact in a
    // double and rounding it to an integer (ties to even, as printf does) gives printf's digits.
    if (magnitude < 1e12) {
        const auto micros = static_cast<uint64_t>(std::nearbyint(magnitude * 1e6));
        char* out = first;
        if (std::signbit(value))
            *out++ = '-';
        out = std::to_chars(out, out + 24, micros / 1000000u).ptr;
        *out++ = '.';
        uint64_t fraction = micros % 1000000u;
        for (int digit = 5; digit >= 0; --digit) {
            out[digit] = static_cast<char>('0' + fraction % 10u);
            fraction /= 10u;
        }
        return out + 6;
    }
    return std::to_chars(first, first + kFloatRoom, static_cast<double>(value),
                         std::chars_format::fixed, 6)
        .ptr;
}

void FixedDecimal::AppendFloat(std::string& out, float value) {
    char buffer[kFloatRoom];
    out.append(buffer, WriteFloat(buffer, value));
}

char* FixedDecimal::WriteDouble(char* first, double value) {
    if (const char* text = NonFiniteText(value))
        return WriteText(first, text);
    return std::to_chars(first, first + kDoubleRoom, value, std::chars_format::fixed, 6).ptr;
}

void FixedDecimal::AppendDouble(std::string& out, double value) {
    char buffer[kDoubleRoom];
    out.append(buffer, WriteDouble(buffer, value));
}

void FixedDecimal::AppendInt(std::string& out, long long value) {
    char buffer[24];
    out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

std::string FixedDecimal::Text(double value, int decimals) {
    if (const char* text = NonFiniteText(value))
        return text;
    char buffer[kDoubleRoom + 20];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value,
                                             std::chars_format::fixed, decimals)
                                   .ptr);
}

std::string FixedDecimal::Rounded(double value, int decimals) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    char buffer[kDoubleRoom];
    std::string text(buffer, std::to_chars(buffer, buffer + sizeof buffer, value,
                                           std::chars_format::fixed, decimals)
                                 .ptr);
    if (text.front() == '-' && text.find_first_not_of("0.", 1) == std::string::npos)
        text.erase(0, 1);
    return text;
}

} // namespace korvane
