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

// "00" to "99", for writing two digits at a time.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

char* WritePair(char* out, uint32_t pair) {
    std::memcpy(out, kDigitPairs + 2 * pair, 2);
    return out + 2;
}

} // namespace

char* FixedDecimal::WriteFloat(char* first, float value) {
    if (const char* text = NonFiniteText(value))
        return WriteText(first, text);
    const double magnitude = std::fabs(static_cast<double>(value));
    // A float has 24 significant bits and 10^6 needs 20, so magnitude * 1e6 is exact in a
    // double and rounding it to an integer (ties to even, as printf does) gives printf's digits.
    if (magnitude < 1e12) {
        // Below 2^52, adding and taking away 2^52 rounds to an integer, ties to even.
        constexpr double kRounder = 4503599627370496.0;
        const auto micros = static_cast<uint64_t>((magnitude * 1e6 + kRounder) - kRounder);
        char* out = first;
        if (std::signbit(value))
            *out++ = '-';
        const uint64_t units = micros / 1000000u;
        if (units < 10)
            *out++ = static_cast<char>('0' + units);
        else
            out = std::to_chars(out, out + 24, units).ptr;
        *out++ = '.';
        const auto fraction = static_cast<uint32_t>(micros % 1000000u);
        out = WritePair(out, fraction / 10000u);
        out = WritePair(out, fraction / 100u % 100u);
        return WritePair(out, fraction % 100u);
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
