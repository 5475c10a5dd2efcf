#include "sounding/TimeColumn.h"

#include "dsp/KorvaneError.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace korvane {

namespace {

bool Near(double value, double target) {
    return std::abs(value / target - 1.0) <= 0.005;
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string Number9(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

TimeColumn::Reading TimeColumn::Read(const std::vector<double>& times, TimeUnit unit,
                                     TimeUnit header, bool honourStart, const std::string& path) {
    Reading reading;
    const std::size_t n = times.size();
    if (n < 2)
        return reading;
    const double first = times.front();
    const double step = (times.back() - first) / static_cast<double>(n - 1);
    // Uniform: every time within half a step of its place, which coarse printing keeps and a
    // missing, doubled or reversed sample does not.
    bool uniform = step > 0.0 && std::isfinite(step);
    double smallest = times[1] - times[0];
    double largest = smallest;
    for (std::size_t k = 1; k < n; ++k) {
        const double gap = times[k] - times[k - 1];
        smallest = std::min(smallest, gap);
        largest = std::max(largest, gap);
        if (uniform && std::abs(times[k] - (first + static_cast<double>(k) * step)) > 0.5 * step)
            uniform = false;
    }
    if (!uniform) {
        const std::string found = "the time column does not step uniformly (its steps range from " +
                                  Number(smallest) + " to " + Number(largest) + ")";
        if (unit != TimeUnit::Unknown)
            throw KorvaneError(found + "; it cannot be resampled");
        reading.note = path + ": " + found + "; its samples are taken as 25 µs apart";
        return reading;
    }

    TimeUnit used = unit;
    if (unit == TimeUnit::Unknown) {
        // A step of 25 µs in seconds or milliseconds reads as ever, whatever the header says.
        if (Near(step, kGridInterval))
            used = TimeUnit::Seconds;
        else if (Near(step, kGridInterval * 1e3))
            used = TimeUnit::Milliseconds;
        else
            used = header;
    }
    if (used == TimeUnit::Unknown) {
        reading.note = path + ": the time column steps by " + Number(step) +
                       ", not by 25 µs; give --time-unit s or ms to resample it";
        reading.unitNeeded = true;
        return reading;
    }
    const double seconds = SecondsPer(used);
    // Nine significant digits: what the averaging gains beyond them is rounding of the text.
    const double interval = std::stod(Number9(step * seconds));
    const bool onGrid = Near(interval, kGridInterval);
    reading.interval = onGrid ? kGridInterval : interval;
    if (honourStart || !onGrid)
        reading.delay = first * seconds;
    return reading;
}

TimeUnit TimeColumn::UnitOfHeader(std::string_view line) {
    std::size_t p = 0;
    while (p < line.size() && (line[p] == ' ' || line[p] == '\t'))
        ++p;
    const auto take = [&](std::string_view word) {
        if (line.size() - p < word.size())
            return false;
        for (std::size_t k = 0; k < word.size(); ++k)
            if (Lower(line[p + k]) != word[k])
                return false;
        p += word.size();
        return true;
    };
    const auto blanks = [&] {
        while (p < line.size() && line[p] == ' ')
            ++p;
    };
    if (!take("time") && !take("t"))
        return TimeUnit::Unknown;
    blanks();
    if (p >= line.size() || (line[p] != '(' && line[p] != '['))
        return TimeUnit::Unknown;
    const char close = line[p] == '(' ? ')' : ']';
    ++p;
    blanks();
    const std::size_t start = p;
    while (p < line.size() && line[p] != close && line[p] != ' ')
        ++p;
    std::string unit(line.substr(start, p - start));
    std::transform(unit.begin(), unit.end(), unit.begin(), Lower);
    blanks();
    if (p >= line.size() || line[p] != close)
        return TimeUnit::Unknown;
    return ParseTimeUnit(unit).value_or(TimeUnit::Unknown);
}

} // namespace korvane
