#include "sounding/RecordImporter.h"

#include "dsp/KorvaneError.h"
#include "dsp/Resampler.h"
#include "sounding/ColumnTextReader.h"
#include "sounding/FormatRecognizer.h"
#include "sounding/GruReader.h"
#include "sounding/InputFile.h"
#include "sounding/Seg2Reader.h"
#include "sounding/TimeColumn.h"
#include "sounding/TipDepthRules.h"
#include "sounding/WaveFileReader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace korvane {

namespace {

constexpr double kGrid = TimeColumn::kGridInterval;
constexpr double kShortestInterval = 1e-6; // seconds
constexpr double kLongestInterval = 1.0;
// Source samples beyond a record's end that the interpolator reaches into.
constexpr uint64_t kKernelMargin = 4 * Resampler::kZeroCrossings;

constexpr const char* kNoDepth =
    "no tip depth: give it in a depths file (--depths FILE), name the header keyword that holds "
    "it (--depth-keyword KEY), or put it in the file name (scpt_12.50m.sg2)";

std::string TraceWord(RecordFormat format) {
    return format == RecordFormat::Seg2 ? "trace " : "channel ";
}

// "test 5: " before a message about one record of a file that holds several.
std::string SectionPrefix(const RecordedSection& section) {
    return section.name.empty() ? std::string() : section.name + ": ";
}

Recording ReadWave(InputFile& file, uint32_t n, float geophoneToTip, const std::vector<int>& decode,
                   TimeUnit unit, const std::string& path) {
    int channels = 1;
    for (int index : decode)
        channels = std::max(channels, index + 1);
    uint64_t wanted = n;
    WaveFileReader::Text text;
    TimeColumn::Reading reading;
    for (;;) {
        WaveFileReader::Parse(file.bytes(), static_cast<uint32_t>(wanted), channels, geophoneToTip,
                              text);
        reading = TimeColumn::Read(text.times, unit, TimeColumn::UnitOfHeader(text.lastHeaderLine),
                                   false, path);
        // On the grid a wave file gives its first samples as ever; lines after them stay unread.
        if (text.endOfData || reading.interval == kGrid || reading.interval < kShortestInterval)
            break;
        // A record at another interval may need more lines than it has samples on the grid.
        const double span = static_cast<double>(n) * kGrid - std::min(reading.delay, 0.0);
        const uint64_t needed =
            static_cast<uint64_t>(std::ceil(span / reading.interval)) + kKernelMargin;
        if (needed <= text.times.size() || needed > UINT32_MAX)
            break;
        wanted = needed;
        file.ReadUpTo(WaveFileReader::UsableBytes(wanted));
    }

    Recording recording;
    recording.format = RecordFormat::Wave;
    if (!reading.note.empty())
        recording.notes.push_back(reading.note);
    recording.timeUnitNeeded = reading.unitNeeded;
    RecordedSection& section = recording.sections.emplace_back();
    section.tipDepth = text.tipDepth;
    const std::size_t traces =
        std::max<std::size_t>({text.columns, 1u, static_cast<std::size_t>(channels)});
    section.traces.resize(traces);
    for (RecordedTrace& trace : section.traces) {
        trace.sampleCount = static_cast<uint32_t>(text.times.size());
        trace.interval = reading.interval;
        trace.delay = reading.delay;
    }
    for (int index : decode)
        section.traces[static_cast<std::size_t>(index)].samples =
            std::move(text.amplitudes[static_cast<std::size_t>(index)]);
    return recording;
}

// Reads and recognises the file; decodes the 0-based channels.
Recording ReadRecording(const std::string& path, const ImportOptions& options, uint32_t n,
                        float geophoneToTip, const std::vector<int>& decode) {
    InputFile file(path);
    file.ReadUpTo(WaveFileReader::UsableBytes(n));
    const RecordFormat format = FormatRecognizer::Recognise(file.bytes());
    const TimeUnit unit = options.TimeUnitFor(path);
    Recording recording;
    if (format == RecordFormat::Wave) {
        recording = ReadWave(file, n, geophoneToTip, decode, unit, path);
    } else {
        file.ReadUpTo(RecordImporter::kLargestFile + 1);
        if (file.bytes().size() > RecordImporter::kLargestFile)
            throw KorvaneError("the file is larger than 256 MB");
        if (format == RecordFormat::Seg2)
            recording = Seg2Reader::Read(file.bytes(), decode);
        else if (format == RecordFormat::Gru)
            recording = GruReader::Read(file.bytes(), decode, path);
        else
            recording = ColumnTextReader::Read(file.bytes(), decode, unit, path);
    }
    file.Close();
    for (const RecordedSection& section : recording.sections)
        for (std::size_t t = 0; t < section.traces.size(); ++t) {
            const double interval = section.traces[t].interval;
            if (!(interval >= kShortestInterval && interval <= kLongestInterval)) {
                char text[64];
                std::snprintf(text, sizeof text, "%g", interval);
                throw KorvaneError(SectionPrefix(section) + TraceWord(recording.format) +
                                   std::to_string(t + 1) + " has a sample interval of " + text +
                                   " s, outside 1 µs to 1 s");
            }
        }
    return recording;
}

struct Depth {
    std::optional<float> tip;
    DepthSource source = DepthSource::None;
};

Depth FindDepth(const std::string& path, std::size_t index, const Recording& recording,
                const ImportOptions& options, std::size_t channel) {
    const RecordedSection& section = recording.sections[index];
    const std::string name = std::filesystem::path(path).filename().string();
    if (const std::optional<float> edited = options.EditedDepth(path, index))
        return {edited, DepthSource::Edited};
    const std::string key = section.name.empty() ? name : name + ":" + section.name;
    if (const auto listed = options.depths.find(key); listed != options.depths.end())
        return {listed->second, DepthSource::DepthsFile};
    if (section.tipDepth)
        return {section.tipDepth, DepthSource::RecordHeader};
    std::vector<const std::vector<HeaderEntry>*> lists;
    if (channel < section.traces.size())
        lists.push_back(&section.traces[channel].strings);
    lists.push_back(&section.strings);
    if (const std::optional<float> keyed = TipDepthRules::FromKeyword(lists, options.depthKeyword))
        return {keyed, DepthSource::Keyword};
    if (recording.sections.size() == 1)
        if (const std::optional<float> named = TipDepthRules::FromFileName(name))
            return {named, DepthSource::FileName};
    return {};
}

} // namespace

bool FileInspection::IsPlainWave() const {
    if (format != RecordFormat::Wave || !notes.empty())
        return false;
    for (const RecordSummary& record : records)
        for (const TraceSummary& trace : record.traces)
            if (trace.interval != kGrid || trace.delay != 0.0)
                return false;
    return true;
}

FileInspection RecordImporter::Inspect(const std::string& path, const ImportOptions& options,
                                       uint32_t samplesPerRecord) {
    const Recording recording = ReadRecording(path, options, samplesPerRecord, 0.0f, {});
    FileInspection inspection;
    inspection.path = path;
    inspection.format = recording.format;
    inspection.notes = recording.notes;
    inspection.timeUnitNeeded = recording.timeUnitNeeded;
    const int channel = options.ChannelsFor(path).front();
    for (std::size_t s = 0; s < recording.sections.size(); ++s) {
        const RecordedSection& section = recording.sections[s];
        RecordSummary& record = inspection.records.emplace_back();
        record.section = section.name;
        try {
            const Depth depth =
                FindDepth(path, s, recording, options, static_cast<std::size_t>(channel - 1));
            record.tipDepth = depth.tip;
            record.depthSource = depth.source;
        } catch (const KorvaneError& error) {
            inspection.notes.push_back(path + ": " + error.what());
        }
        for (const RecordedTrace& trace : section.traces)
            record.traces.push_back({trace.sampleCount, trace.interval, trace.delay});
    }
    return inspection;
}

FileImport RecordImporter::Import(const std::string& path, const ImportOptions& options,
                                  uint32_t samplesPerRecord, float geophoneToTip) {
    return Import(path, options, samplesPerRecord, geophoneToTip, options.ChannelsFor(path));
}

FileImport RecordImporter::Import(const std::string& path, const ImportOptions& options,
                                  uint32_t samplesPerRecord, float geophoneToTip,
                                  const std::vector<int>& channels) {
    std::vector<int> decode;
    for (int channel : channels) {
        if (channel < 1)
            throw KorvaneError("there is no channel " + std::to_string(channel) +
                               "; channels count from 1");
        decode.push_back(channel - 1);
    }
    const Recording recording =
        ReadRecording(path, options, samplesPerRecord, geophoneToTip, decode);
    FileImport result;
    result.format = recording.format;
    result.notes = recording.notes;
    const std::string word = TraceWord(recording.format);
    for (std::size_t s = 0; s < recording.sections.size(); ++s) {
        const RecordedSection& section = recording.sections[s];
        for (int channel : channels)
            if (static_cast<std::size_t>(channel) > section.traces.size())
                throw KorvaneError("there is no " + word + std::to_string(channel) +
                                   "; the file holds " + std::to_string(section.traces.size()));
        const Depth depth =
            FindDepth(path, s, recording, options,
                      static_cast<std::size_t>(channels.empty() ? 0 : channels[0] - 1));
        if (!depth.tip)
            throw KorvaneError(kNoDepth);
        ImportedRecord& record = result.records.emplace_back();
        record.path = path;
        record.section = section.name;
        record.tipDepth = *depth.tip;
        record.depthSource = depth.source;
        record.depth = *depth.tip - geophoneToTip;
        if (!std::isfinite(record.depth))
            throw KorvaneError(recording.format == RecordFormat::Wave
                                   ? WaveFileReader::kBadHeader
                                   : "the geophone depth (the tip depth minus the geophone-to-tip "
                                     "distance) is not a finite number");
        for (int channel : channels) {
            const RecordedTrace& trace = section.traces[static_cast<std::size_t>(channel - 1)];
            record.traces.push_back(OnGrid(
                trace, samplesPerRecord, SectionPrefix(section) + word + std::to_string(channel)));
            record.intervals.push_back(trace.interval);
        }
    }
    return result;
}

std::vector<float> RecordImporter::OnGrid(const RecordedTrace& trace, uint32_t samplesPerRecord,
                                          const std::string& what) {
    const std::vector<float>& source = trace.samples;
    std::vector<float> out(samplesPerRecord, 0.0f);
    if (source.empty() || samplesPerRecord == 0)
        return out;
    const auto count = static_cast<long long>(source.size());
    const auto n = static_cast<long long>(samplesPerRecord);
    const auto nothing = [&] {
        char span[32];
        std::snprintf(span, sizeof span, "%g", static_cast<double>(samplesPerRecord) * kGrid * 1e3);
        return KorvaneError(what +
                            " holds no sample between the trigger and the end of a record (" +
                            span + " ms)");
    };

    const double shift = -trace.delay / kGrid; // grid samples of the trace before the trigger
    const double whole = std::round(shift);
    if (std::abs(trace.interval / kGrid - 1.0) < 1e-9 && std::abs(shift - whole) < 1e-4 &&
        std::abs(whole) < 1e12) {
        // On the grid already: out[k] = source[k + offset].
        const auto offset = static_cast<long long>(whole);
        const long long first = std::max(0LL, -offset);
        const long long last = std::min(n, count - offset);
        if (first >= last)
            throw nothing();
        float sum = 0.0f;
        for (long long k = first; k < last; ++k) {
            out[static_cast<std::size_t>(k)] = source[static_cast<std::size_t>(k + offset)];
            sum += out[static_cast<std::size_t>(k)];
        }
        float mean = sum / static_cast<float>(last - first);
        if (!std::isfinite(mean)) {
            // The float sum overflowed on amplitudes near the float range; their mean does not.
            double wide = 0.0;
            for (long long k = first; k < last; ++k)
                wide += out[static_cast<std::size_t>(k)];
            mean = static_cast<float>(wide / static_cast<double>(last - first));
        }
        std::fill(out.begin(), out.begin() + first, mean);
        std::fill(out.begin() + last, out.end(), mean);
        return out;
    }

    std::size_t first = 0;
    std::size_t last = 0;
    Resampler::CoveredRange(source.size(), trace.delay, trace.interval, kGrid, out.size(), first,
                            last);
    if (first >= last)
        throw nothing();
    // The mean of the source samples within the covered span fills the rest of the record.
    const double begin = (static_cast<double>(first) * kGrid - trace.delay) / trace.interval;
    const double end = (static_cast<double>(last - 1) * kGrid - trace.delay) / trace.interval;
    const auto from = static_cast<long long>(std::max(0.0, std::ceil(begin - 1e-9)));
    const auto to =
        static_cast<long long>(std::min(static_cast<double>(count - 1), std::floor(end + 1e-9)));
    double sum = 0.0;
    for (long long j = from; j <= to; ++j)
        sum += source[static_cast<std::size_t>(j)];
    const double mean = to >= from ? sum / static_cast<double>(to - from + 1) : source[0];
    const Resampler resampler(trace.interval, kGrid);
    resampler.Run(source.data(), source.size(), trace.delay, mean, out.data(), out.size());
    for (float v : out)
        if (!std::isfinite(v))
            throw KorvaneError(what + " has amplitudes too large to resample within the range of "
                                      "a float");
    return out;
}

} // namespace korvane
