#include "sounding/Seg2Writer.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace korvane {

namespace {

void Put16(std::string& out, uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8 & 0xFF);
}

void Put32(std::string& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

void Set32(std::string& out, std::size_t at, uint32_t value) {
    for (int k = 0; k < 4; ++k)
        out[at + static_cast<std::size_t>(k)] = static_cast<char>(value >> (8 * k) & 0xFF);
}

// Strings as the format lays them out, ended by a zero length and padded to four bytes.
std::string Strings(const std::vector<HeaderEntry>& entries) {
    std::string block;
    for (const HeaderEntry& entry : entries) {
        const std::string text =
            entry.value.empty() ? entry.keyword : entry.keyword + " " + entry.value;
        Put16(block, static_cast<uint32_t>(text.size() + 3)); // length, text, terminator
        block += text;
        block += '\0';
    }
    Put16(block, 0);
    while (block.size() % 4 != 0)
        block += '\0';
    return block;
}

// As "%.9g" in the C locale, whatever locale the process runs in.
std::string Number(double value) {
    char text[40];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 9);
    return std::string(text, end.ptr);
}

double Parse(const std::string& text) {
    double value = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

} // namespace

std::string Seg2Writer::Write(const std::vector<HeaderEntry>& fileStrings,
                              const std::vector<Trace>& traces, int formatCode) {
    if (formatCode != 1 && formatCode != 2 && formatCode != 4)
        throw std::invalid_argument("Seg2Writer: format code 1, 2 or 4");
    const auto count = static_cast<uint32_t>(traces.size());
    std::string out;
    Put16(out, 0x3A55);
    Put16(out, 1);         // revision
    Put16(out, 4 * count); // trace pointer block
    Put16(out, count);
    out += '\x01';
    out += '\0';
    out += '\0'; // string terminator: NUL
    out += '\x01';
    out += '\n';
    out += '\0'; // line terminator: line feed
    out.resize(32, '\0');
    const std::size_t pointers = out.size();
    out.resize(pointers + 4 * count, '\0');
    out += Strings(fileStrings);

    for (uint32_t i = 0; i < count; ++i) {
        const Trace& trace = traces[i];
        Set32(out, pointers + 4 * i, static_cast<uint32_t>(out.size()));
        float peak = 0.0f;
        for (float s : trace.samples)
            peak = std::max(peak, std::abs(s));
        const double top = formatCode == 1 ? 32767.0 : 2147483647.0;
        const double descale = peak > 0.0f ? static_cast<double>(peak) / top : 1.0;
        std::vector<HeaderEntry> strings = {{"SAMPLE_INTERVAL", Number(trace.interval)},
                                            {"DELAY", Number(trace.delay)}};
        if (formatCode != 4)
            strings.push_back({"DESCALING_FACTOR", Number(descale)});
        strings.insert(strings.end(), trace.strings.begin(), trace.strings.end());
        const std::string block = Strings(strings);
        const int width = formatCode == 1 ? 2 : 4;
        const auto samples = static_cast<uint32_t>(trace.samples.size());
        Put16(out, 0x4422);
        Put16(out, static_cast<uint32_t>(32 + block.size()));
        Put32(out, samples * static_cast<uint32_t>(width));
        Put32(out, samples);
        out += static_cast<char>(formatCode);
        out.resize(out.size() + 19, '\0');
        out += block;
        // The stored descaling factor is what a reader multiplies by.
        const double stored = Parse(Number(descale));
        for (float s : trace.samples) {
            if (formatCode == 4) {
                Put32(out, std::bit_cast<uint32_t>(s));
                continue;
            }
            const double scaled =
                std::clamp(std::round(static_cast<double>(s) / stored), -top, top);
            const auto value = static_cast<int32_t>(scaled);
            if (formatCode == 1)
                Put16(out, static_cast<uint16_t>(value));
            else
                Put32(out, static_cast<uint32_t>(value));
        }
    }
    return out;
}

} // namespace korvane
