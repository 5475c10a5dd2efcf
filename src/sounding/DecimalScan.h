#pragma once

#include <cstddef>
#include <cstdint>

namespace korvane {

// Decimal number text as the readers of recordings take it, one number at a time from a
// character range. Follows sscanf "%f": optional leading white space, optional sign, digits with
// an optional point, optional exponent; an 'e' (and sign) with no exponent digits is swallowed
// and the number ends before it, as glibc does. Refused, so that no file can slip a non-finite
// value into a record: "inf", "nan" and hexadecimal spellings ("0x...").
class DecimalScan {
public:
    enum class Result { Number, NotANumber, OutOfRange };

    // Scans one number from p, advancing p past what was consumed. OutOfRange: a number too
    // large for a float (value untouched). Values too small for one become a signed zero.
    static Result Float(const char*& p, const char* end, float& value);

    // The same syntax read as a double, for sample intervals and delays (seconds).
    static Result Double(const char*& p, const char* end, double& value);

    // digits / 10^fraction when both are exact in T, so that the quotient is the correctly
    // rounded value (false otherwise): how plain decimals of few digits are read.
    static bool Quotient(uint64_t digits, std::ptrdiff_t fraction, float& magnitude) {
        if (digits > (uint64_t{1} << 24) || fraction > 10)
            return false;
        magnitude = static_cast<float>(digits) / kFloatPowers[fraction];
        return true;
    }
    static bool Quotient(uint64_t digits, std::ptrdiff_t fraction, double& magnitude) {
        if (digits > (uint64_t{1} << 53) || fraction > 22)
            return false;
        magnitude = static_cast<double>(digits) / kDoublePowers[fraction];
        return true;
    }

    static bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

private:
    // Exact powers of ten: 10^k is a float up to k = 10 and a double up to k = 22.
    static constexpr float kFloatPowers[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                             1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    static constexpr double kDoublePowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                               1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                               1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
};

} // namespace korvane
