#pragma once
// SEG-2 files built byte by byte for the tests, independent of the program's own writer: every
// data format code, both byte orders, several traces and the quirks of real recorders.

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace korvane::testing {

struct Seg2TestTrace {
    int code = 4;
    std::vector<double> values;       // exactly representable in the format
    std::vector<std::string> strings; // "KEYWORD value" texts
    int64_t declaredSamples = -1;     // -1: values.size()
    int64_t declaredDataBytes = -1;   // -1: what the samples take
    int descriptorPadding = 0;        // zero bytes after the strings
};

struct Seg2TestFile {
    bool bigEndian = false;
    std::vector<std::string> fileStrings;
    std::vector<Seg2TestTrace> traces;
    int extraPointerBytes = 0; // a pointer block larger than the traces need
    std::string stringTerminator = std::string(1, '\0');
    std::string lineTerminator = "\n";

    std::string Bytes() const {
        std::string out;
        Put(out, 0x3A55, 2);
        Put(out, 1, 2);
        const auto count = static_cast<uint32_t>(traces.size());
        Put(out, 4 * count + static_cast<uint32_t>(extraPointerBytes), 2);
        Put(out, count, 2);
        out += static_cast<char>(stringTerminator.size());
        out += (stringTerminator + std::string(2, '\0')).substr(0, 2);
        out += static_cast<char>(lineTerminator.size());
        out += (lineTerminator + std::string(2, '\0')).substr(0, 2);
        out.resize(32 + 4 * count + static_cast<std::size_t>(extraPointerBytes), '\0');
        out += Strings(fileStrings, 0);
        for (uint32_t i = 0; i < count; ++i) {
            const Seg2TestTrace& trace = traces[i];
            std::string at;
            Put(at, static_cast<uint32_t>(out.size()), 4);
            out.replace(32 + 4 * i, 4, at);
            const std::string strings = Strings(trace.strings, trace.descriptorPadding);
            const std::string data = Data(trace);
            Put(out, 0x4422, 2);
            Put(out, static_cast<uint32_t>(32 + strings.size()), 2);
            Put(out,
                static_cast<uint32_t>(trace.declaredDataBytes >= 0
                                          ? trace.declaredDataBytes
                                          : static_cast<int64_t>(data.size())),
                4);
            Put(out,
                static_cast<uint32_t>(trace.declaredSamples >= 0
                                          ? trace.declaredSamples
                                          : static_cast<int64_t>(trace.values.size())),
                4);
            out += static_cast<char>(trace.code);
            out.resize(out.size() + 19, '\0');
            out += strings + data;
        }
        return out;
    }

    // The file descriptor's trace pointer of trace i.
    static constexpr std::size_t PointerAt(std::size_t i) { return 32 + 4 * i; }

    void Put(std::string& out, uint64_t value, int bytes) const {
        for (int k = 0; k < bytes; ++k) {
            const int shift = 8 * (bigEndian ? bytes - 1 - k : k);
            out += static_cast<char>(value >> shift & 0xFF);
        }
    }

private:
    std::string Strings(const std::vector<std::string>& texts, int padding) const {
        std::string block;
        for (const std::string& text : texts) {
            Put(block, 2 + text.size() + stringTerminator.size(), 2);
            block += text + stringTerminator;
        }
        Put(block, 0, 2);
        block.append(static_cast<std::size_t>(padding), '\0');
        while (block.size() % 4 != 0)
            block += '\0';
        return block;
    }

    std::string Data(const Seg2TestTrace& trace) const {
        std::string data;
        const std::vector<double>& v = trace.values;
        for (std::size_t k = 0; k < v.size(); ++k) {
            switch (trace.code) {
            case 1:
                Put(data, static_cast<uint16_t>(static_cast<int16_t>(v[k])), 2);
                break;
            case 2:
                Put(data, static_cast<uint32_t>(static_cast<int32_t>(v[k])), 4);
                break;
            case 3:
                if (k % 4 == 0)
                    Group(data, v, k);
                break;
            case 4:
                Put(data, std::bit_cast<uint32_t>(static_cast<float>(v[k])), 4);
                break;
            default:
                Put(data, std::bit_cast<uint64_t>(v[k]), 8);
            }
        }
        return data;
    }

    // Four samples as one word of exponents (lowest nibble first) and four one's-complement
    // mantissas; samples past the end are zeros.
    void Group(std::string& data, const std::vector<double>& v, std::size_t first) const {
        uint32_t exponents = 0;
        uint16_t mantissas[4] = {};
        for (int slot = 0; slot < 4; ++slot) {
            const double value = first + slot < v.size() ? v[first + slot] : 0.0;
            int exponent = 0;
            while (std::abs(value) / std::ldexp(1.0, exponent) > 32767.0)
                ++exponent;
            const auto m = static_cast<int32_t>(value / std::ldexp(1.0, exponent));
            mantissas[slot] = m < 0 ? static_cast<uint16_t>(~static_cast<uint16_t>(-m))
                                    : static_cast<uint16_t>(m);
            exponents |= static_cast<uint32_t>(exponent) << (4 * slot);
        }
        Put(data, exponents, 2);
        for (uint16_t m : mantissas)
            Put(data, m, 2);
    }
};

} // namespace korvane::testing
