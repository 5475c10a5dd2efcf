#pragma once

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

    static bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
};

} // namespace korvane
