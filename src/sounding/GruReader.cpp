#include "sounding/GruReader.h"

#include "dsp/KorvaneError.h"
#include "sounding/DecimalScan.h"
#include "sounding/TimeColumn.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <utility>

namespace korvane {

namespace {

constexpr std::string_view kTestStart = "SEISMIC TEST";
constexpr std::string_view kTestEnd = "SEISMIC TEST END";
constexpr std::string_view kSampleLine = "*E:";
static_assert(GruReader::kMaxChannels <= 64, "a test's channels are bits of a 64-bit mask");
// Scaled channels the file names only by their role.
constexpr std::string_view kSeismicChannels[] = {"Shear left", "Shear right", "Compression"};

std::string_view Trim(std::string_view text) {
    while (!text.empty() && DecimalScan::IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && DecimalScan::IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// A whole field as a number, nothing before or after it.
bool WholeNumber(std::string_view field, float& value) {
    const char* p = field.data();
    const char* end = p + field.size();
    return !field.empty() && !DecimalScan::IsSpace(field.front()) &&
           DecimalScan::Float(p, end, value) == DecimalScan::Result::Number && p == end;
}

// "key=value", either side trimmed; a line in double quotes loses them.
HeaderEntry Entry(std::string_view line) {
    if (line.size() >= 2 && line.front() == '"' && line.back() == '"')
        line = Trim(line.substr(1, line.size() - 2));
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return {std::string(line), ""};
    return {std::string(Trim(line.substr(0, equals))), std::string(Trim(line.substr(equals + 1)))};
}

// One seismic test as it is read.
struct Test {
    std::string number;   // as a plain decimal
    std::size_t line = 0; // of its header
    std::optional<float> tipDepth;
    std::vector<HeaderEntry> strings;
    std::vector<int> channels;       // channel numbers of its first sample line, in their order
    std::vector<std::size_t> traces; // per channel: its trace, counted over the file
    std::vector<bool> keep;          // per channel: its samples are decoded
    std::vector<std::vector<float>> values; // per channel, when kept
    std::vector<double> times;              // milliseconds; freed once the test is complete
    std::vector<std::size_t> lines;         // of every sample, for messages; freed likewise
    uint32_t sampleCount = 0;
    double interval = 0.0; // seconds
    double delay = 0.0;    // seconds from the trigger to the first sample

    std::string Name() const { return "seismic test " + number; }
    std::string Where(std::size_t at) const {
        return "line " + std::to_string(at) + " of " + Name();
    }
};

// "SEISMIC TEST=n  DEPTH=d ..." inside the brackets; false when it is not of that form.
bool ReadTestHeader(std::string_view inside, Test& test) {
    inside = Trim(inside.substr(kTestStart.size()));
    if (inside.empty() || inside.front() != '=')
        return false;
    inside = Trim(inside.substr(1));
    std::size_t digits = 0;
    while (digits < inside.size() && DecimalScan::IsDigit(inside[digits]))
        ++digits;
    if (digits == 0 || digits > 9 ||
        (digits < inside.size() && !DecimalScan::IsSpace(inside[digits])))
        return false;
    test.number = std::to_string(std::stoul(std::string(inside.substr(0, digits))));
    test.strings.push_back({std::string(kTestStart), test.number});
    std::string_view rest = Trim(inside.substr(digits));
    while (!rest.empty()) {
        std::size_t end = 0;
        while (end < rest.size() && !DecimalScan::IsSpace(rest[end]))
            ++end;
        const std::string_view field = rest.substr(0, end);
        rest = Trim(rest.substr(end));
        const std::size_t equals = field.find('=');
        if (equals == 0 || equals == std::string_view::npos)
            return false;
        const HeaderEntry entry = Entry(field);
        if (entry.keyword == "DEPTH") {
            float depth = 0.0f;
            if (test.tipDepth || !WholeNumber(entry.value, depth))
                return false;
            test.tipDepth = depth;
        }
        test.strings.push_back(entry);
    }
    return true;
}

// "*E:t#c:v#c:v!": the time in milliseconds and the channel:value pairs; an empty text, or what
// is wrong with the line.
std::string ReadSampleLine(std::string_view line, double& time,
                           std::vector<std::pair<int, float>>& pairs) {
    constexpr const char* kNotASampleLine = " is not a sample line \"*E:time#channel:value...!\"";
    pairs.clear();
    const char* p = line.data() + kSampleLine.size();
    const char* end = line.data() + line.size();
    if (DecimalScan::Double(p, end, time) != DecimalScan::Result::Number)
        return kNotASampleLine;
    while (p < end && *p == '#') {
        ++p;
        int channel = 0;
        int digits = 0;
        for (; p < end && DecimalScan::IsDigit(*p) && digits < 7; ++p, ++digits)
            channel = channel * 10 + (*p - '0');
        float value = 0.0f;
        if (digits == 0 || p == end || *p != ':')
            return kNotASampleLine;
        ++p;
        const DecimalScan::Result result = DecimalScan::Float(p, end, value);
        if (result == DecimalScan::Result::OutOfRange)
            return " holds a value beyond the range of a float";
        if (result != DecimalScan::Result::Number)
            return kNotASampleLine;
        if (pairs.size() == GruReader::kMaxChannels)
            return " holds more than " + std::to_string(GruReader::kMaxChannels) + " channels";
        for (const auto& [other, ignored] : pairs)
            if (other == channel)
                return " holds channel " + std::to_string(channel) + " twice";
        pairs.emplace_back(channel, value);
    }
    if (pairs.empty() || p + 1 != end || *p != '!')
        return kNotASampleLine;
    return {};
}

// Takes the channels of the test's first sample line, giving new channel numbers the next
// traces of the file.
void TakeChannels(Test& test, const std::vector<std::pair<int, float>>& pairs,
                  std::vector<int>& fileChannels, const std::vector<int>& decode) {
    for (const auto& [channel, ignored] : pairs) {
        auto found = std::find(fileChannels.begin(), fileChannels.end(), channel);
        if (found == fileChannels.end())
            found = fileChannels.insert(fileChannels.end(), channel);
        const auto trace = static_cast<std::size_t>(found - fileChannels.begin());
        test.channels.push_back(channel);
        test.traces.push_back(trace);
        test.keep.push_back(std::find(decode.begin(), decode.end(), static_cast<int>(trace)) !=
                            decode.end());
    }
    test.values.resize(test.channels.size());
}

// Keeps one sample line, which must hold the channels of the test's first.
void AddSamples(Test& test, std::size_t at, double time,
                const std::vector<std::pair<int, float>>& pairs) {
    uint64_t seen = 0; // a bit per channel of the test
    for (const auto& [channel, value] : pairs) {
        const auto found = std::find(test.channels.begin(), test.channels.end(), channel);
        if (found == test.channels.end())
            throw KorvaneError(test.Where(at) + " holds channel " + std::to_string(channel) +
                               ", which the first sample line of the test does not");
        const auto c = static_cast<std::size_t>(found - test.channels.begin());
        seen |= uint64_t{1} << c;
        if (test.keep[c])
            test.values[c].push_back(value);
    }
    for (std::size_t c = 0; c < test.channels.size(); ++c)
        if (!(seen >> c & 1))
            throw KorvaneError(test.Where(at) + " holds no sample of channel " +
                               std::to_string(test.channels[c]));
    test.times.push_back(time);
    test.lines.push_back(at);
}

// Sets the interval and delay of a complete test from its time column, which must step
// uniformly: a lost or repeated sample line would shift every later sample.
void Complete(Test& test, const std::string& path) {
    const std::vector<double>& times = test.times;
    const std::size_t n = times.size();
    test.sampleCount = static_cast<uint32_t>(n);
    if (n == 1)
        throw KorvaneError(test.Name() + " (line " + std::to_string(test.line) +
                           ") holds a single sample line, which gives no sample interval");
    if (n > 1) {
        const double first = times.front();
        const double step = (times.back() - first) / static_cast<double>(n - 1);
        if (!(step > 0.0 && std::isfinite(step)))
            throw KorvaneError(test.Name() + " (line " + std::to_string(test.line) +
                               "): its times do not increase");
        // Each step and each time near its place: a lost line makes one step of two, a
        // repeated one a step of none.
        for (std::size_t k = 1; k < n; ++k) {
            const double due = first + static_cast<double>(k) * step;
            if (std::abs(times[k] - times[k - 1] - step) > 0.5 * step ||
                std::abs(times[k] - due) > 0.5 * step)
                throw KorvaneError(test.Where(test.lines[k]) + ": the time " + Number(times[k]) +
                                   " ms follows " + Number(times[k - 1]) +
                                   " ms, out of step with the time column (a sample line is "
                                   "missing, repeated or out of order)");
        }
        const TimeColumn::Reading reading =
            TimeColumn::Read(times, TimeUnit::Milliseconds, TimeUnit::Unknown, true, path);
        test.interval = reading.interval;
        test.delay = reading.delay;
    }
    test.times = {};
    test.lines = {};
}

std::string Listing(const std::vector<std::string>& numbers) {
    std::string text;
    for (std::size_t k = 0; k < numbers.size(); ++k) {
        if (k > 0)
            text += k + 1 == numbers.size() ? " and " : ", ";
        text += numbers[k];
    }
    return text;
}

} // namespace

Recording GruReader::Read(std::string_view text, const std::vector<int>& decode,
                          const std::string& path) {
    enum class Part { Other, Test, Factors, Offsets, Seismic };
    Part part = Part::Other;
    std::vector<HeaderEntry> fileStrings;
    std::vector<std::string> scaled; // "<Shear left>=2" of factors and offsets that scale
    std::vector<int> fileChannels;
    std::vector<Test> tests;
    std::map<std::string, std::size_t> firstLines; // test number -> line of its header
    std::vector<std::pair<int, float>> pairs;
    bool ended = false;
    std::size_t number = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t stop = text.find('\n', start);
        if (stop == std::string_view::npos)
            stop = text.size();
        const std::string_view line = Trim(text.substr(start, stop - start));
        start = stop + 1;
        ++number;
        if (line.empty())
            continue;
        const auto at = [&] { return "line " + std::to_string(number); };

        if (line.front() == '[' && line.back() == ']') {
            const std::string_view name = Trim(line.substr(1, line.size() - 2));
            if (part == Part::Seismic) {
                Test& test = tests.back();
                if (name != kTestEnd)
                    throw KorvaneError(test.Name() + " (line " + std::to_string(test.line) +
                                       ") ends at " + at() + " without [SEISMIC TEST END]");
                Complete(test, path);
                part = Part::Other;
            } else if (name == kTestEnd) {
                throw KorvaneError(at() + ": [SEISMIC TEST END] without a seismic test");
            } else if (name.starts_with(kTestStart)) {
                Test& test = tests.emplace_back();
                test.line = number;
                if (!ReadTestHeader(name, test))
                    throw KorvaneError(at() +
                                       ": expected [SEISMIC TEST=number  DEPTH=metres], got " +
                                       std::string(line));
                const auto [first, added] = firstLines.emplace(test.number, number);
                if (!added)
                    throw KorvaneError(at() + ": " + test.Name() +
                                       " appears a second time (first at line " +
                                       std::to_string(first->second) + ")");
                part = Part::Seismic;
            } else {
                part = name == "TEST"              ? Part::Test
                       : name == "SCALING FACTORS" ? Part::Factors
                       : name == "SCALING OFFSETS" ? Part::Offsets
                                                   : Part::Other;
                ended = ended || name == "END";
            }
            continue;
        }

        if (part == Part::Seismic) {
            Test& test = tests.back();
            double time = 0.0;
            const std::string defect = line.starts_with(kSampleLine)
                                           ? ReadSampleLine(line, time, pairs)
                                           : " is neither a sample line nor [SEISMIC TEST END]";
            if (!defect.empty())
                throw KorvaneError(test.Where(number) + defect);
            if (test.channels.empty())
                TakeChannels(test, pairs, fileChannels, decode);
            AddSamples(test, number, time, pairs);
        } else if (line.starts_with(kSampleLine)) {
            throw KorvaneError(at() + ": a seismic sample line outside a seismic test");
        } else if (part == Part::Test) {
            if (line.front() != '<') // "<GORILLA! header>", "<user header>" mark parts of it
                fileStrings.push_back(Entry(line));
        } else if (part == Part::Factors || part == Part::Offsets) {
            const HeaderEntry entry = Entry(line);
            for (std::string_view channel : kSeismicChannels) {
                const std::string_view name(entry.keyword);
                if (name.size() != channel.size() + 2 || !name.starts_with('<') ||
                    !name.ends_with('>') || name.substr(1, channel.size()) != channel)
                    continue;
                float value = 0.0f;
                const float identity = part == Part::Factors ? 1.0f : 0.0f;
                if (!WholeNumber(std::string_view(entry.value), value) || value != identity)
                    scaled.push_back(entry.keyword + "=" + entry.value);
            }
        }
    }
    if (part == Part::Seismic)
        throw KorvaneError(tests.back().Name() + " (line " + std::to_string(tests.back().line) +
                           ") has no [SEISMIC TEST END]: the file is cut short after line " +
                           std::to_string(number));

    Recording recording;
    recording.format = RecordFormat::Gru;
    std::vector<std::string> empty;
    for (Test& test : tests) {
        if (test.sampleCount == 0) {
            empty.push_back(test.number);
            continue;
        }
        RecordedSection& section = recording.sections.emplace_back();
        section.name = "test " + test.number;
        section.tipDepth = test.tipDepth;
        section.strings = std::move(test.strings);
        section.strings.insert(section.strings.end(), fileStrings.begin(), fileStrings.end());
        section.traces.resize(fileChannels.size());
        for (std::size_t t = 0; t < fileChannels.size(); ++t)
            section.traces[t].strings = {{"CHANNEL", std::to_string(fileChannels[t])}};
        for (std::size_t c = 0; c < test.channels.size(); ++c) {
            RecordedTrace& trace = section.traces[test.traces[c]];
            trace.sampleCount = test.sampleCount;
            trace.interval = test.interval;
            trace.delay = test.delay;
            trace.samples = std::move(test.values[c]);
        }
        for (int index : decode)
            if (index >= 0 && static_cast<std::size_t>(index) < fileChannels.size() &&
                section.traces[static_cast<std::size_t>(index)].sampleCount == 0)
                throw KorvaneError(test.Name() + " (line " + std::to_string(test.line) +
                                   ") holds no samples of channel " +
                                   std::to_string(fileChannels[static_cast<std::size_t>(index)]) +
                                   ", the file's trace " + std::to_string(index + 1));
    }
    if (recording.sections.empty())
        throw KorvaneError("the file holds no seismic test with samples");
    if (!empty.empty())
        recording.notes.push_back(path + ": seismic test" + (empty.size() > 1 ? "s " : " ") +
                                  Listing(empty) + (empty.size() > 1 ? " hold" : " holds") +
                                  " no samples; left out");
    if (!scaled.empty())
        recording.notes.push_back(path + ": the file scales its seismic channels (" +
                                  Listing(scaled) +
                                  ") without naming their channel numbers; the samples are taken "
                                  "as written");
    if (!ended)
        recording.notes.push_back(path + ": the file ends without [END] after line " +
                                  std::to_string(number) + "; it may be cut short");
    return recording;
}

} // namespace korvane
