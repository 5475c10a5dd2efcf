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

char* FixedDecimal::WriteUnits(char* out, uint64_t units) {
    return std::to_chars(out, out + 24, units).ptr;
}

char* FixedDecimal::WriteLargeFloat(char* first, float value) {
    if (const char* text = NonFiniteText(value))
        return WriteText(first, text);
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
