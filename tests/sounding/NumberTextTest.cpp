// The number text of every file the program reads and writes, against the C library it stands
// in for: FixedDecimal writes what printf "%f" writes, and DecimalScan reads what strtof and
// strtod read, for edge values and many random ones.
#include "sounding/DecimalScan.h"
#include "sounding/FixedDecimal.h"

#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

namespace korvane {
namespace {

std::string Printf(double value) {
    char text[400];
    std::snprintf(text, sizeof text, "%f", value);
    return text;
}

TEST(NumberText, FixedDecimalWritesWhatPrintfWrites) {
    std::setlocale(LC_NUMERIC, "C");
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<float> values = {0.0f,     -0.0f,      1.0f,       -1.0f, 0.5e-6f,      1.5e-6f,
                                 2.5e-6f,  9.9999995f, 999999.94f, 1e12f, 1.1e12f,      3.4e38f,
                                 -3.4e38f, 1e-45f,     inf,        -inf,  std::nanf("")};
    std::mt19937 random(7);
    for (int i = 0; i < 200000; ++i) {
        const float any = std::bit_cast<float>(static_cast<uint32_t>(random()));
        const float wave = static_cast<float>(std::ldexp(static_cast<double>(random()), -31)) *
                           (i % 2 == 0 ? 1.0f : -3000.0f);
        values.push_back(any);
        values.push_back(wave);
    }
    for (const float value : values) {
        std::string text;
        FixedDecimal::AppendFloat(text, value);
        ASSERT_EQ(text, Printf(value)) << std::bit_cast<uint32_t>(value);
        text.clear();
        FixedDecimal::AppendDouble(text, value * 1.0000001);
        ASSERT_EQ(text, Printf(value * 1.0000001)) << std::bit_cast<uint32_t>(value);
    }
    // The wave tables' time column, t * 0.025 ms, written from whole millionths.
    std::vector<uint32_t> samples(70000);
    for (uint32_t t = 0; t < 65536; ++t)
        samples[t] = t;
    for (std::size_t k = 65536; k < samples.size(); ++k)
        samples[k] = static_cast<uint32_t>(random());
    samples.back() = UINT32_MAX;
    for (const uint32_t t : samples) {
        char text[FixedDecimal::kFloatRoom];
        char* end = FixedDecimal::WriteMicros(text, false, uint64_t{t} * 25000);
        ASSERT_EQ(std::string(text, end), Printf(t * 0.025)) << t;
    }
}

TEST(NumberText, DecimalScanReadsWhatStrtodReads) {
    std::setlocale(LC_NUMERIC, "C");
    std::mt19937_64 random(11);
    std::vector<std::string> texts = {
        "0",          "-0",           "0.000000",         "-0.000025", "16777217",
        "16777216.5", "0.1",          "9007199254740993", "1e-50",     "123456789012345678901234.5",
        "2.5e3",      "0.00000000001"};
    for (int i = 0; i < 200000; ++i) {
        const int digits = 1 + static_cast<int>(random() % 20);
        const int point = static_cast<int>(random() % (digits + 1));
        std::string text = random() % 2 == 0 ? "-" : "";
        for (int d = 0; d < digits; ++d) {
            if (d == point && d > 0)
                text += '.';
            text += static_cast<char>('0' + random() % 10);
        }
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        const char* p = text.data();
        float f = 0.0f;
        ASSERT_EQ(DecimalScan::Float(p, text.data() + text.size(), f), DecimalScan::Result::Number)
            << text;
        EXPECT_EQ(std::bit_cast<uint32_t>(f),
                  std::bit_cast<uint32_t>(std::strtof(text.c_str(), nullptr)))
            << text;
        p = text.data();
        double d = 0.0;
        ASSERT_EQ(DecimalScan::Double(p, text.data() + text.size(), d), DecimalScan::Result::Number)
            << text;
        EXPECT_EQ(std::bit_cast<uint64_t>(d),
                  std::bit_cast<uint64_t>(std::strtod(text.c_str(), nullptr)))
            << text;
    }
}

} // namespace
} // namespace korvane
