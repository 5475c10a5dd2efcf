#pragma once

#include <cstddef>
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
    static char* WriteFloat(char* first, float value);
    static char* WriteDouble(char* first, double value);
    static void AppendFloat(std::string& out, float value);
    static void AppendDouble(std::string& out, double value);
    static void AppendInt(std::string& out, long long value);
    // printf "%.<decimals>f" in the C locale; decimals from 0 to 17.
    static std::string Text(double value, int decimals = 6);

    // value rounded to that many decimals, '.' whatever the locale, never an exponent and
    // never "-0.0"; "nan", "inf" or "-inf" for a value that is not finite.
    static std::string Rounded(double value, int decimals);
};

} // namespace korvane
