#include "sounding/ColumnTextReader.h"

#include "dsp/KorvaneError.h"
#include "sounding/DecimalScan.h"
#include "sounding/FormatRecognizer.h"
#include "sounding/TimeColumn.h"

#include <algorithm>
#include <string>

namespace korvane {

namespace {

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool IsBlank(std::string_view line) {
    return std::all_of(line.begin(), line.end(), [](char c) { return DecimalScan::IsSpace(c); });
}

// The fields of a row, separated by blanks, tabs, semicolons and (unless they are decimal
// commas) commas.
void Fields(std::string_view line, bool decimalComma, std::vector<std::string_view>& fields) {
    fields.clear();
    const auto separator = [&](char c) {
        return DecimalScan::IsSpace(c) || c == ';' || (c == ',' && !decimalComma);
    };
    std::size_t p = 0;
    while (p < line.size()) {
        while (p < line.size() && separator(line[p]))
            ++p;
        const std::size_t start = p;
        while (p < line.size() && !separator(line[p]))
            ++p;
        if (p > start)
            fields.push_back(line.substr(start, p - start));
    }
}

template <class T> bool Number(std::string_view field, bool decimalComma, T& value) {
    std::string copy;
    if (decimalComma) {
        copy.assign(field);
        std::replace(copy.begin(), copy.end(), ',', '.');
        field = copy;
    }
    if (!FormatRecognizer::IsNumberToken(field))
        return false;
    const char* p = field.data();
    DecimalScan::Result result;
    if constexpr (std::is_same_v<T, double>)
        result = DecimalScan::Double(p, p + field.size(), value);
    else
        result = DecimalScan::Float(p, p + field.size(), value);
    return result == DecimalScan::Result::Number;
}

HeaderEntry Entry(std::string_view line) {
    std::size_t begin = 0;
    while (begin < line.size() && DecimalScan::IsSpace(line[begin]))
        ++begin;
    std::size_t end = begin;
    while (end < line.size() && !DecimalScan::IsSpace(line[end]))
        ++end;
    std::size_t rest = end;
    while (rest < line.size() && DecimalScan::IsSpace(line[rest]))
        ++rest;
    std::string value(line.substr(rest));
    while (!value.empty() && DecimalScan::IsSpace(value.back()))
        value.pop_back();
    return {std::string(line.substr(begin, end - begin)), value};
}

} // namespace

Recording ColumnTextReader::Read(std::string_view text, const std::vector<int>& decode,
                                 TimeUnit unit, const std::string& path) {
    const std::vector<std::string_view> lines = SplitLines(text);
    std::size_t first = lines.size();
    for (std::size_t k = 0, run = 0; k < lines.size(); ++k) {
        run = FormatRecognizer::IsNumberRow(lines[k]) ? run + 1 : 0;
        if (run == 3) {
            first = k - 2;
            break;
        }
    }
    if (first == lines.size())
        throw KorvaneError("the file holds no rows of numbers (time, then a column per channel)");

    const std::string_view firstRow = lines[first];
    const bool decimalComma = firstRow.find(';') != std::string_view::npos &&
                              firstRow.find(',') != std::string_view::npos &&
                              firstRow.find('.') == std::string_view::npos;
    std::vector<std::string_view> fields;
    Fields(firstRow, decimalComma, fields);
    const std::size_t width = fields.size();
    if (width < 2)
        throw KorvaneError("line " + std::to_string(first + 1) +
                           " holds no channel beside the time column");

    std::vector<double> times;
    std::vector<std::vector<float>> channels(decode.size());
    times.reserve(lines.size() - first);
    for (std::size_t k = first; k < lines.size(); ++k) {
        if (IsBlank(lines[k]))
            continue;
        Fields(lines[k], decimalComma, fields);
        double time = 0.0;
        bool good = fields.size() == width && Number(fields[0], decimalComma, time);
        for (std::size_t column = 1; good && column < width; ++column) {
            float value = 0.0f;
            good = Number(fields[column], decimalComma, value);
            for (std::size_t c = 0; good && c < decode.size(); ++c)
                if (static_cast<std::size_t>(decode[c]) + 1 == column)
                    channels[c].push_back(value);
        }
        if (!good)
            throw KorvaneError("line " + std::to_string(k + 1) + " is not a row of " +
                               std::to_string(width) + " numbers like line " +
                               std::to_string(first + 1));
        times.push_back(time);
    }

    Recording recording;
    recording.format = RecordFormat::Columns;
    RecordedSection& section = recording.sections.emplace_back();
    for (std::size_t k = 0; k < first; ++k)
        if (!IsBlank(lines[k]))
            section.strings.push_back(Entry(lines[k]));
    const TimeUnit header =
        first > 0 ? TimeColumn::UnitOfHeader(lines[first - 1]) : TimeUnit::Unknown;
    const TimeColumn::Reading reading = TimeColumn::Read(times, unit, header, true, path);
    if (!reading.note.empty())
        recording.notes.push_back(reading.note);
    recording.timeUnitNeeded = reading.unitNeeded;
    section.traces.resize(width - 1);
    for (RecordedTrace& trace : section.traces) {
        trace.sampleCount = static_cast<uint32_t>(times.size());
        trace.interval = reading.interval;
        trace.delay = reading.delay;
    }
    for (std::size_t c = 0; c < decode.size(); ++c) {
        const auto index = static_cast<std::size_t>(decode[c]);
        if (index < section.traces.size())
            section.traces[index].samples = std::move(channels[c]);
    }
    return recording;
}

} // namespace korvane
