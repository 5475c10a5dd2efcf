#include "sounding/FormatRecognizer.h"

#include "sounding/DecimalScan.h"
#include "sounding/WaveFileReader.h"
#include "sounding/WaveLineSource.h"

#include <algorithm>
#include <cstddef>

namespace korvane {

namespace {

bool IsSeparator(char c) {
    return DecimalScan::IsSpace(c) || c == ',' || c == ';';
}

bool IsBlank(std::string_view line) {
    return std::all_of(line.begin(), line.end(), [](char c) { return DecimalScan::IsSpace(c); });
}

bool StartsWithNumber(std::string_view line) {
    const char* p = line.data();
    float value = 0.0f;
    return DecimalScan::Float(p, p + line.size(), value) != DecimalScan::Result::NotANumber;
}

bool LooksLikeSeg2(std::string_view head) {
    if (head.size() < 2)
        return false;
    const auto b0 = static_cast<unsigned char>(head[0]);
    const auto b1 = static_cast<unsigned char>(head[1]);
    if (!((b0 == 0x55 && b1 == 0x3A) || (b0 == 0x3A && b1 == 0x55)))
        return false;
    const std::size_t end = std::min<std::size_t>(head.size(), 32);
    for (std::size_t k = 2; k < end; ++k) {
        const auto c = static_cast<unsigned char>(head[k]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
            return true;
    }
    return false;
}

std::string_view TrimmedLine(std::string_view head, std::size_t& start) {
    if (start >= head.size())
        return {};
    std::size_t stop = head.find('\n', start);
    if (stop == std::string_view::npos)
        stop = head.size();
    std::string_view line = head.substr(start, stop - start);
    start = stop + 1;
    while (!line.empty() && DecimalScan::IsSpace(line.back()))
        line.remove_suffix(1);
    return line;
}

// "[TEST]" on line 1, and the logger's header on line 2 or a seismic test further on.
bool LooksLikeGru(std::string_view head) {
    std::size_t start = 0;
    if (TrimmedLine(head, start) != "[TEST]")
        return false;
    if (TrimmedLine(head, start).starts_with("<GORILLA!"))
        return true;
    return head.find("\n[SEISMIC TEST=") != std::string_view::npos;
}

} // namespace

bool FormatRecognizer::IsNumberToken(std::string_view token) {
    std::size_t p = 0;
    const auto digits = [&] {
        const std::size_t start = p;
        while (p < token.size() && DecimalScan::IsDigit(token[p]))
            ++p;
        return p - start;
    };
    if (p < token.size() && (token[p] == '+' || token[p] == '-'))
        ++p;
    std::size_t mantissa = digits();
    if (p < token.size() && token[p] == '.') {
        ++p;
        mantissa += digits();
    }
    if (mantissa == 0)
        return false;
    if (p < token.size() && (token[p] == 'e' || token[p] == 'E')) {
        ++p;
        if (p < token.size() && (token[p] == '+' || token[p] == '-'))
            ++p;
        if (digits() == 0)
            return false;
    }
    return p == token.size();
}

bool FormatRecognizer::IsNumberRow(std::string_view line) {
    int tokens = 0;
    std::size_t p = 0;
    while (p < line.size()) {
        while (p < line.size() && IsSeparator(line[p]))
            ++p;
        const std::size_t start = p;
        while (p < line.size() && !IsSeparator(line[p]))
            ++p;
        if (p == start)
            break;
        if (!IsNumberToken(line.substr(start, p - start)))
            return false;
        ++tokens;
    }
    return tokens >= 2;
}

RecordFormat FormatRecognizer::Recognise(std::string_view head) {
    if (LooksLikeSeg2(head))
        return RecordFormat::Seg2;
    if (LooksLikeGru(head))
        return RecordFormat::Gru;

    WaveLineSource lines(head);
    std::string_view line;
    std::string_view second;
    bool hasSecond = false;
    int number = 0;   // 1-based number of `line`
    int run = 0;      // rows of numbers in a row, ending at `line`
    int runStart = 0; // first line of the first run of three; 0: none yet
    bool seventhIsRow = false;
    while (lines.Read(line)) {
        ++number;
        const bool row = IsNumberRow(line);
        if (number == 2) {
            second = line;
            hasSecond = true;
        }
        if (number == 7)
            seventhIsRow = row;
        if (number == 8 && !seventhIsRow && (IsBlank(line) || StartsWithNumber(line)))
            return RecordFormat::Wave;
        run = row ? run + 1 : 0;
        if (run == 3 && runStart == 0) {
            runStart = number - 2;
            if (number >= 8)
                break;
        }
    }
    if (number == 7 && !seventhIsRow)
        return RecordFormat::Wave; // seven lines and no data: the wave reader says so
    if (runStart == 0)
        return RecordFormat::Wave;
    float depth = 0.0f;
    if (runStart == 7 && hasSecond && WaveFileReader::IsDepthLine(second, depth))
        return RecordFormat::Wave;
    return RecordFormat::Columns;
}

} // namespace korvane
