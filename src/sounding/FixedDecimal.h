#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace korvane {

// Writes numbers exactly as printf "%f" does (six decimals, "inf", "-inf", "nan", "-nan") in
// the C locale, without the cost of printf. The decimal separator is always '.', whatever locale
// the process runs in: every file and table the program writes goes through here.
class FixedDecimal {
public:
    // Room that WriteFloat needs: the longest "%f" text of a float is 47 characters.
    static constexpr std::size_t kFloatRoom = 48;
    // Room that WriteDouble needs: 309 digits before the point for the largest double.
    static constexpr std::size_t kDoubleRoom = 320;

    // Writes value at first, which must have kFloatRoom characters of room; returns the end.
    // Inline for the tables of hundreds of thousands of samples, whose values are all small.
    static char* WriteFloat(char* first, float value) {
        const double magnitude = std::fabs(static_cast<double>(value));
        // Not taken by nan either.
        if (magnitude < 1e12) [[likely]]
            return WriteMicros(first, std::signbit(value), RoundedMicros(magnitude));
        return WriteLargeFloat(first, value);
    }
    // A whole number of millionths as "%f" writes it: units, the point, six decimals.
    static char* WriteMicros(char* first, bool negative, uint64_t micros) {
        char* out = first;
        *out = '-';
        out += negative ? 1 : 0;
        const uint64_t units = micros / 1000000u;
        if (units < 10)
            *out++ = static_cast<char>('0' + units);
        else
            out = WriteUnits(out, units);
        *out++ = '.';
        const auto fraction = static_cast<uint32_t>(micros % 1000000u);
        out = WritePair(out, fraction / 10000u);
        out = WritePair(out, fraction / 100u % 100u);
        return WritePair(out, fraction % 100u);
    }
    static char* WriteDouble(char* first, double value);
    static void AppendFloat(std::string& out, float value);
    static void AppendDouble(std::string& out, double value);
    static void AppendInt(std::string& out, long long value);
    // printf "%.<decimals>f" in the C locale; decimals from 0 to 17.
    static std::string Text(double value, int decimals = 6);

    // value rounded to that many decimals, '.' whatever the locale, never an exponent and
    // never "-0.0"; "nan", "inf" or "-inf" for a value that is not finite.
    static std::string Rounded(double value, int decimals);

private:
    // A float below 1e12 in magnitude times 10^6, rounded as printf rounds: a float has 24
    // significant bits and 10^6 needs 20, so the product is exact in a double, and adding and
    // taking away 2^52 rounds it to an integer, ties to even.
    static uint64_t RoundedMicros(double magnitude) {
        constexpr double kRounder = 4503599627370496.0;
        return static_cast<uint64_t>((magnitude * 1e6 + kRounder) - kRounder);
    }
    static char* WritePair(char* out, uint32_t pair) {
        std::memcpy(out, kDigitPairs + 2 * pair, 2);
        return out + 2;
    }
    static char* WriteUnits(char* out, uint64_t units);
    static char* WriteLargeFloat(char* first, float value);

    // "00" to "99", for writing two digits at a time.
    static constexpr char kDigitPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
};

} // namespace korvane
