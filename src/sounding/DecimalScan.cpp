#include "sounding/DecimalScan.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <system_error>

namespace korvane {

namespace {

template <class T> DecimalScan::Result Scan(const char*& p, const char* end, T& value) {
    while (p < end && DecimalScan::IsSpace(*p))
        ++p;
    const bool negative = p < end && *p == '-';
    if (p < end && (*p == '+' || *p == '-'))
        ++p;
    const char* mantissa = p;
    // The digits as one whole number; it is exact up to 19 digits (more are left to from_chars).
    uint64_t whole = 0;
    unsigned digit = 0;
    while (p < end && (digit = static_cast<unsigned char>(*p) - unsigned{'0'}) <= 9) {
        whole = whole * 10 + digit;
        ++p;
    }
    const char* point = p;
    if (p < end && *p == '.') {
        ++p;
        while (p < end && (digit = static_cast<unsigned char>(*p) - unsigned{'0'}) <= 9) {
            whole = whole * 10 + digit;
            ++p;
        }
    }
    const std::ptrdiff_t digits = (p - mantissa) - (point < p ? 1 : 0);
    if (digits == 0)
        return DecimalScan::Result::NotANumber;
    // sscanf would read "0x..." as a hexadecimal number; refuse it rather than read a zero.
    if (p - mantissa == 1 && *mantissa == '0' && p < end && (*p == 'x' || *p == 'X'))
        return DecimalScan::Result::NotANumber;
    const char* numberEnd = p;
    if (p == end || (*p != 'e' && *p != 'E')) {
        const std::ptrdiff_t fraction = point < p ? p - point - 1 : 0;
        T magnitude = 0;
        if (digits <= 19 && DecimalScan::Quotient(whole, fraction, magnitude)) {
            value = negative ? -magnitude : magnitude;
            return DecimalScan::Result::Number;
        }
    }
    long long exponent = 0;
    if (p < end && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        const bool negativeExponent = q < end && *q == '-';
        if (q < end && (*q == '+' || *q == '-'))
            ++q;
        if (q < end && DecimalScan::IsDigit(*q)) {
            while (q < end && DecimalScan::IsDigit(*q)) {
                if (exponent < 1000000)
                    exponent = exponent * 10 + (*q - '0');
                ++q;
            }
            if (negativeExponent)
                exponent = -exponent;
            numberEnd = q;
        }
        // glibc swallows a dangling 'e' and its sign; the number ends before them.
        p = q;
    }
    T magnitude = 0;
    const auto result = std::from_chars(mantissa, numberEnd, magnitude, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Overflow or underflow: the decimal exponent of the leading digit tells which.
        const char* first = mantissa;
        while (first < numberEnd && (*first == '0' || *first == '.'))
            ++first;
        const long long leadingPosition =
            first < point ? point - first : -(first - point - 1); // digits before/after the point
        if (leadingPosition + exponent > 0)
            return DecimalScan::Result::OutOfRange;
        magnitude = 0;
    } else if (result.ec != std::errc() || result.ptr != numberEnd) {
        return DecimalScan::Result::NotANumber;
    }
    value = negative ? -magnitude : magnitude;
    return DecimalScan::Result::Number;
}

} // namespace

DecimalScan::Result DecimalScan::Float(const char*& p, const char* end, float& value) {
    return Scan(p, end, value);
}

DecimalScan::Result DecimalScan::Double(const char*& p, const char* end, double& value) {
    return Scan(p, end, value);
}

} // namespace korvane
