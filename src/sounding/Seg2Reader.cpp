#include "sounding/Seg2Reader.h"

#include "dsp/KorvaneError.h"
#include "sounding/DecimalScan.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace korvane {

namespace {

constexpr uint16_t kFileBlockId = 0x3A55;
constexpr uint16_t kTraceBlockId = 0x4422;

// The file's bytes in its byte order. Callers check every range before they read.
class Bytes {
public:
    Bytes(std::string_view data, bool little) : data_(data), little_(little) {}

    uint64_t size() const { return data_.size(); }
    uint8_t U8(uint64_t at) const { return static_cast<uint8_t>(data_[at]); }
    uint16_t U16(uint64_t at) const {
        return static_cast<uint16_t>(little_ ? U8(at) | U8(at + 1) << 8 : U8(at) << 8 | U8(at + 1));
    }
    uint32_t U32(uint64_t at) const {
        const uint32_t a = U16(at);
        const uint32_t b = U16(at + 2);
        return little_ ? a | b << 16 : a << 16 | b;
    }
    uint64_t U64(uint64_t at) const {
        const uint64_t a = U32(at);
        const uint64_t b = U32(at + 4);
        return little_ ? a | b << 32 : a << 32 | b;
    }
    std::string_view Text(uint64_t at, uint64_t length) const {
        return data_.substr(static_cast<std::size_t>(at), static_cast<std::size_t>(length));
    }

private:
    std::string_view data_;
    bool little_;
};

struct Terminators {
    std::string string; // ends the text of a string
    std::string line;   // separates the lines of a NOTE; empty: CR and LF
};

std::string TraceName(std::size_t trace) {
    return "trace " + std::to_string(trace + 1);
}

std::string Trim(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && DecimalScan::IsSpace(text[begin]))
        ++begin;
    while (end > begin && DecimalScan::IsSpace(text[end - 1]))
        --end;
    return std::string(text.substr(begin, end - begin));
}

HeaderEntry Entry(std::string_view text) {
    const std::string trimmed = Trim(text);
    const auto space = std::find_if(trimmed.begin(), trimmed.end(), DecimalScan::IsSpace);
    const auto blank = static_cast<std::size_t>(space - trimmed.begin());
    if (space == trimmed.end())
        return {trimmed, {}};
    return {trimmed.substr(0, blank), Trim(std::string_view(trimmed).substr(blank + 1))};
}

// The lines of a NOTE value.
std::vector<std::string> NoteLines(std::string_view value, const std::string& terminator) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= value.size()) {
        std::size_t end = std::string_view::npos;
        std::size_t skip = 1;
        if (terminator.empty()) {
            end = value.find_first_of("\r\n", start);
        } else {
            end = value.find(terminator, start);
            skip = terminator.size();
        }
        if (end == std::string_view::npos)
            end = value.size();
        lines.push_back(std::string(value.substr(start, end - start)));
        start = end + skip;
    }
    return lines;
}

// The strings of a block [begin, end): each a 16-bit length that counts itself, the text
// "KEYWORD value" and its terminator; a zero length ends the block early.
std::vector<HeaderEntry> ReadStrings(const Bytes& bytes, uint64_t begin, uint64_t end,
                                     const Terminators& terminators, const std::string& block) {
    std::vector<HeaderEntry> entries;
    std::vector<HeaderEntry> noteLines; // after the block's own keywords, which they never hide
    uint64_t at = begin;
    while (at + 2 <= end) {
        const uint16_t length = bytes.U16(at);
        if (length == 0)
            break;
        if (length < 2)
            throw KorvaneError("a string of " + block + " has a length of " +
                               std::to_string(length) + " bytes");
        if (at + length > end)
            throw KorvaneError("a string of " + block + " runs beyond the end of its block");
        std::string text(bytes.Text(at + 2, length - 2u));
        if (!terminators.string.empty()) {
            const std::size_t stop = text.find(terminators.string);
            if (stop != std::string::npos)
                text.resize(stop);
        }
        // Non-printable characters read as blanks; the NOTE line separators stay.
        for (char& c : text) {
            const auto u = static_cast<unsigned char>(c);
            const bool separator = terminators.line.empty()
                                       ? (c == '\r' || c == '\n')
                                       : terminators.line.find(c) != std::string::npos;
            if ((u < 0x20 || u == 0x7F) && !separator)
                c = ' ';
            else if (c == '\t')
                c = ' ';
        }
        HeaderEntry entry = Entry(text);
        if (entry.keyword == "NOTE") {
            // Each line of a note may itself read "KEYWORD value".
            for (const std::string& line : NoteLines(entry.value, terminators.line))
                if (!Trim(line).empty())
                    noteLines.push_back(Entry(line));
        }
        if (!entry.keyword.empty())
            entries.push_back(std::move(entry));
        at += length;
    }
    entries.insert(entries.end(), noteLines.begin(), noteLines.end());
    return entries;
}

// The first entry of the keyword, compared without case.
const HeaderEntry* Find(const std::vector<HeaderEntry>& entries, std::string_view keyword) {
    const auto same = [](char a, char b) {
        return (a >= 'a' && a <= 'z' ? a - 'a' + 'A' : a) == b;
    };
    for (const HeaderEntry& entry : entries)
        if (std::equal(entry.keyword.begin(), entry.keyword.end(), keyword.begin(), keyword.end(),
                       same))
            return &entry;
    return nullptr;
}

// The number a keyword's value starts with; false when there is none.
bool LeadingNumber(const std::string& value, double& number) {
    const char* p = value.data();
    return DecimalScan::Double(p, p + value.size(), number) == DecimalScan::Result::Number &&
           std::isfinite(number);
}

struct TraceLayout {
    uint64_t data = 0; // first byte of the samples
    uint32_t count = 0;
    uint8_t code = 0;
    double descale = 1.0;
};

uint64_t DataBytes(uint32_t count, uint8_t code) {
    static constexpr uint64_t kWidth[] = {0, 2, 4, 0, 4, 8};
    if (code == 3)
        return (static_cast<uint64_t>(count) + 3) / 4 * 10;
    return static_cast<uint64_t>(count) * kWidth[code];
}

double Sample(const Bytes& bytes, const TraceLayout& layout, uint32_t k) {
    const uint64_t at = layout.data;
    switch (layout.code) {
    case 1:
        return static_cast<int16_t>(bytes.U16(at + 2ull * k));
    case 2:
        return static_cast<int32_t>(bytes.U32(at + 4ull * k));
    case 3: {
        const uint64_t group = at + k / 4 * 10ull;
        const unsigned slot = k % 4;
        const unsigned exponent = bytes.U16(group) >> (4 * slot) & 0xF;
        const uint16_t word = bytes.U16(group + 2 + 2ull * slot);
        // One's complement: a set sign bit means the magnitude is the inverted bits.
        const int mantissa = word & 0x8000 ? -static_cast<int>(static_cast<uint16_t>(~word))
                                           : static_cast<int>(word);
        return std::ldexp(static_cast<double>(mantissa), static_cast<int>(exponent));
    }
    case 4:
        return std::bit_cast<float>(bytes.U32(at + 4ull * k));
    default:
        return std::bit_cast<double>(bytes.U64(at + 8ull * k));
    }
}

std::vector<float> Decode(const Bytes& bytes, const TraceLayout& layout, std::size_t trace) {
    std::vector<float> samples(layout.count);
    constexpr double kLargest = std::numeric_limits<float>::max();
    for (uint32_t k = 0; k < layout.count; ++k) {
        const double value = Sample(bytes, layout, k) * layout.descale;
        if (!std::isfinite(value) || std::abs(value) > kLargest)
            throw KorvaneError("sample " + std::to_string(k + 1) + " of " + TraceName(trace) +
                               " is not a finite number within the range of a float");
        samples[k] = static_cast<float>(value);
    }
    return samples;
}

} // namespace

Recording Seg2Reader::Read(std::string_view data, const std::vector<int>& decode) {
    if (data.size() < 32)
        throw KorvaneError("the file is too short for a SEG-2 file descriptor (" +
                           std::to_string(data.size()) + " bytes)");
    const bool little = static_cast<unsigned char>(data[0]) == 0x55;
    const Bytes bytes(data, little);
    if (bytes.U16(0) != kFileBlockId)
        throw KorvaneError("the file does not start with a SEG-2 file descriptor");
    const uint64_t size = bytes.size();
    const uint32_t pointerBlock = bytes.U16(4);
    const uint32_t traceCount = bytes.U16(6);
    if (traceCount == 0)
        throw KorvaneError("the file descriptor lists no traces");
    if (pointerBlock < 4 * traceCount)
        throw KorvaneError("the trace pointer block of " + std::to_string(pointerBlock) +
                           " bytes cannot hold " + std::to_string(traceCount) + " traces");
    if (32 + pointerBlock > size)
        throw KorvaneError("the trace pointer block runs beyond the end of the file");
    const uint8_t stringTerminator = bytes.U8(8);
    const uint8_t lineTerminator = bytes.U8(11);
    if (stringTerminator > 2)
        throw KorvaneError("the string terminator size " + std::to_string(stringTerminator) +
                           " is not 1 or 2");
    if (lineTerminator > 2)
        throw KorvaneError("the line terminator size " + std::to_string(lineTerminator) +
                           " is not 0, 1 or 2");
    Terminators terminators;
    terminators.string = std::string(bytes.Text(9, stringTerminator));
    terminators.line = std::string(bytes.Text(12, lineTerminator));

    std::vector<uint64_t> pointers(traceCount);
    uint64_t firstTrace = size;
    for (uint32_t i = 0; i < traceCount; ++i) {
        pointers[i] = bytes.U32(32 + 4ull * i);
        firstTrace = std::min(firstTrace, pointers[i]);
    }
    Recording recording;
    recording.format = RecordFormat::Seg2;
    RecordedSection& section = recording.sections.emplace_back();
    const uint64_t stringsStart = 32 + pointerBlock;
    if (firstTrace > stringsStart)
        section.strings =
            ReadStrings(bytes, stringsStart, firstTrace, terminators, "the file descriptor");

    std::vector<TraceLayout> layouts(traceCount);
    section.traces.resize(traceCount);
    for (uint32_t i = 0; i < traceCount; ++i) {
        const std::string name = TraceName(i);
        const uint64_t at = pointers[i];
        if (at >= size)
            throw KorvaneError(name + " starts beyond the end of the file");
        if (at + 32 > size)
            throw KorvaneError("the descriptor of " + name + " runs beyond the end of the file");
        if (bytes.U16(at) != kTraceBlockId)
            throw KorvaneError(name + " has no trace descriptor at byte " + std::to_string(at));
        const uint32_t descriptorSize = bytes.U16(at + 2);
        if (descriptorSize < 32)
            throw KorvaneError("the descriptor of " + name + " declares " +
                               std::to_string(descriptorSize) + " bytes, fewer than 32");
        if (at + descriptorSize > size)
            throw KorvaneError("the descriptor of " + name + " runs beyond the end of the file");
        const uint32_t blockSize = bytes.U32(at + 4);
        TraceLayout& layout = layouts[i];
        layout.count = bytes.U32(at + 8);
        layout.code = bytes.U8(at + 12);
        layout.data = at + descriptorSize;
        if (layout.code < 1 || layout.code > 5)
            throw KorvaneError("data format code " + std::to_string(layout.code) +
                               " is not supported");
        if (layout.data + blockSize > size)
            throw KorvaneError("the data block of " + name + " runs beyond the end of the file");
        if (DataBytes(layout.count, layout.code) > blockSize)
            throw KorvaneError(name + " declares " + std::to_string(layout.count) +
                               " samples of data format code " + std::to_string(layout.code) +
                               ", more than its data block of " + std::to_string(blockSize) +
                               " bytes holds");

        RecordedTrace& trace = section.traces[i];
        trace.sampleCount = layout.count;
        trace.strings = ReadStrings(bytes, at + 32, at + descriptorSize, terminators, name);
        const HeaderEntry* interval = Find(trace.strings, "SAMPLE_INTERVAL");
        if (interval == nullptr)
            interval = Find(section.strings, "SAMPLE_INTERVAL");
        if (interval == nullptr)
            throw KorvaneError(name + " gives no SAMPLE_INTERVAL");
        if (!LeadingNumber(interval->value, trace.interval) || trace.interval <= 0.0)
            throw KorvaneError(name + " has a SAMPLE_INTERVAL of \"" + interval->value +
                               "\", not a positive number of seconds");
        if (const HeaderEntry* delay = Find(trace.strings, "DELAY"))
            if (!LeadingNumber(delay->value, trace.delay))
                throw KorvaneError(name + " has a DELAY of \"" + delay->value +
                                   "\", not a number of seconds");
        if (const HeaderEntry* descale = Find(trace.strings, "DESCALING_FACTOR"))
            if (!LeadingNumber(descale->value, layout.descale) || layout.descale == 0.0)
                throw KorvaneError(name + " has a DESCALING_FACTOR of \"" + descale->value +
                                   "\", not a number other than zero");
    }
    for (int index : decode) {
        const auto i = static_cast<std::size_t>(index);
        if (index >= 0 && i < section.traces.size())
            section.traces[i].samples = Decode(bytes, layouts[i], i);
    }
    return recording;
}

} // namespace korvane
