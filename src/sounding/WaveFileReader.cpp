#include "sounding/WaveFileReader.h"

#include "dsp/CSpectralFilter.h"
#include "dsp/KorvaneError.h"
#include "sounding/DecimalScan.h"
#include "sounding/InputFile.h"
#include "sounding/WaveLineSource.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <new>
#include <string_view>
#include <type_traits>
#include <vector>

namespace korvane {

namespace {

constexpr int kHeaderLines = 7;

using Scan = DecimalScan::Result;

// "%s": a run of non-blank characters after optional white space.
bool ScanWord(const char*& p, const char* end) {
    while (p < end && DecimalScan::IsSpace(*p))
        ++p;
    const char* start = p;
    while (p < end && !DecimalScan::IsSpace(*p))
        ++p;
    return p > start;
}

// A data line: time, then `count` amplitudes; the time only has to be a number (read as a
// double, which accepts and refuses the same text as a float).
bool ParseDataLine(std::string_view line, double& time, float* amplitudes, int count) {
    const char* p = line.data();
    const char* end = p + line.size();
    if (DecimalScan::Double(p, end, time) == Scan::NotANumber)
        return false;
    for (int c = 0; c < count; ++c)
        if (DecimalScan::Float(p, end, amplitudes[c]) != Scan::Number)
            return false;
    return true;
}

// Data lines read straight from the text, for the runs of plain lines that make up nearly every
// file: the line's LF within the first 199 characters, and the numbers decimals of at most 19
// digits without an exponent after blanks or tabs. They are the numbers DecimalScan reads (digits
// over an exact power of ten), and what follows the last column is ignored as it is there. The
// first line that is anything else is left for the general reader.
class PlainLines {
public:
    static constexpr int kMaxQuickColumns = 16;

    PlainLines(std::string_view text, std::size_t position)
        : p_(text.data() + position), end_(text.data() + text.size()) {}

    // Reads up to `lines` lines of a time and `count` amplitudes, appending them; returns how
    // many it read.
    uint32_t Read(uint32_t lines, int count, std::vector<double>& times,
                  std::vector<std::vector<float>>& amplitudes) {
        uint32_t read = 0;
        for (; read < lines && p_ < end_; ++read) {
            const std::size_t room = std::min<std::size_t>(WaveLineSource::kMaxLineLength,
                                                           static_cast<std::size_t>(end_ - p_));
            const auto* feed = static_cast<const char*>(std::memchr(p_, '\n', room));
            if (feed == nullptr)
                break;
            // The LF stops every scan below: none needs the line's end.
            const char* p = p_;
            double time = 0.0;
            if (!Number(p, time))
                break;
            int c = 0;
            for (; c < count && Number(p, values_[c]); ++c) {
            }
            if (c < count)
                break;
            p_ = feed + 1;
            times.push_back(time);
            for (c = 0; c < count; ++c)
                amplitudes[static_cast<std::size_t>(c)].push_back(values_[c]);
        }
        return read;
    }

    const char* Position() const { return p_; }

private:
    static unsigned Digit(char c) { return static_cast<unsigned char>(c) - unsigned{'0'}; }

    // One number after blanks or tabs, as DecimalScan's quotient of few digits reads it.
    template <class T> static bool Number(const char*& p, T& value) {
        const char* q = p;
        while (*q == ' ' || *q == '\t')
            ++q;
        // Without branches: the signs of a wave come in no order a predictor could learn.
        const unsigned negative = *q == '-' ? 1u : 0u;
        q += negative | (*q == '+' ? 1u : 0u);
        const char* mantissa = q;
        uint64_t whole = 0;
        for (unsigned digit = 0; (digit = Digit(*q)) <= 9; ++q)
            whole = whole * 10 + digit;
        const bool point = *q == '.';
        const char* fractionStart = q + (point ? 1 : 0);
        if (point)
            for (unsigned digit = 0; (digit = Digit(*++q)) <= 9;)
                whole = whole * 10 + digit;
        const std::ptrdiff_t fraction = point ? q - fractionStart : 0;
        const std::ptrdiff_t digits = (q - mantissa) - (point ? 1 : 0);
        // An exponent or a hexadecimal "0x" is not plain.
        const char next = static_cast<char>(*q | 0x20);
        if (digits == 0 || digits > 19 || next == 'e' || next == 'x')
            return false;
        T magnitude = 0;
        if (!DecimalScan::Quotient(whole, fraction, magnitude))
            return false;
        using Bits = std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>;
        value = std::bit_cast<T>(std::bit_cast<Bits>(magnitude) ^
                                 (Bits{negative} << (8 * sizeof(T) - 1)));
        p = q;
        return true;
    }

    const char* p_;
    const char* end_;
    float values_[kMaxQuickColumns];
};

// Amplitude columns of a data line: the numbers after the time, up to the first other text.
uint32_t AmplitudeColumns(std::string_view line) {
    const char* p = line.data();
    const char* end = p + line.size();
    float value = 0.0f;
    if (DecimalScan::Float(p, end, value) == Scan::NotANumber)
        return 0;
    uint32_t columns = 0;
    while (DecimalScan::Float(p, end, value) == Scan::Number)
        ++columns;
    return columns;
}

} // namespace

std::string WaveFileReader::BadRecordMessage(uint32_t sampleNumber) {
    return "The file is wrong in " + std::to_string(sampleNumber) + " data record!";
}

bool WaveFileReader::IsDepthLine(std::string_view line, float& number) {
    const char* p = line.data();
    const char* end = p + line.size();
    if (!ScanWord(p, end))
        return false;
    if (DecimalScan::Float(p, end, number) != Scan::Number)
        return false;
    return ScanWord(p, end);
}

std::size_t WaveFileReader::UsableBytes(uint64_t maxSamples) {
    // A read takes at most 199 characters and a CR LF and there are at most 8 + n reads, so
    // anything past that is never seen. One byte more tells "more follows" from "the file
    // ends here".
    return static_cast<std::size_t>((maxSamples + kHeaderLines + 1) * (kMaxLineLength + 2) + 1);
}

void WaveFileReader::Parse(std::string_view text, uint32_t maxSamples, int channels,
                           float geophoneToTip, Text& result) {
    result = Text();
    WaveLineSource lines(text);
    std::string_view line;
    if (!lines.Read(line) || !lines.Read(line))
        throw KorvaneError(kBadHeader);
    if (!IsDepthLine(line, result.tipDepth))
        throw KorvaneError(kBadHeader);
    if (!std::isfinite(result.tipDepth - geophoneToTip))
        throw KorvaneError(kBadHeader);
    result.hasDepth = true;
    for (int header = 3; header <= kHeaderLines; ++header) {
        if (!lines.Read(line))
            throw KorvaneError(kBadHeader);
    }
    result.lastHeaderLine = std::string(line);
    if (!lines.Read(line))
        throw KorvaneError(kNoFirstRecord);
    result.columns = AmplitudeColumns(line);
    if (channels > 1 && static_cast<uint32_t>(channels) > result.columns)
        throw KorvaneError("there is no channel " + std::to_string(channels) + "; the file holds " +
                           std::to_string(result.columns));

    const int count = std::max(channels, 1);
    result.amplitudes.assign(static_cast<std::size_t>(count), {});
    const std::size_t reserve = std::min<std::size_t>(maxSamples, text.size() / 4 + 1);
    result.times.reserve(reserve);
    for (std::vector<float>& channel : result.amplitudes)
        channel.reserve(reserve);
    std::vector<float> values(static_cast<std::size_t>(count));
    // Lines in a row the quick reader could not take: two say the file is written otherwise
    // (exponents, say), and its lines are no longer scanned twice.
    int misses = count <= PlainLines::kMaxQuickColumns ? 0 : 2;
    for (uint32_t j = 0; j < maxSamples; ++j) {
        if (lines.AtEnd()) {
            result.endOfData = true;
            break;
        }
        if (misses < 2) {
            // line is the one to read next: the quick reader starts there.
            PlainLines plain(text, static_cast<std::size_t>(line.data() - text.data()));
            const uint32_t read =
                plain.Read(maxSamples - j, count, result.times, result.amplitudes);
            if (read > 0) {
                misses = 0;
                j += read - 1;
                lines.SkipTo(static_cast<std::size_t>(plain.Position() - text.data()));
                lines.Read(line);
                continue;
            }
            ++misses;
        }
        double time = 0.0;
        if (!ParseDataLine(line, time, values.data(), count))
            throw KorvaneError(BadRecordMessage(j + 1));
        result.times.push_back(time);
        for (int c = 0; c < count; ++c)
            result.amplitudes[static_cast<std::size_t>(c)].push_back(
                values[static_cast<std::size_t>(c)]);
        // A failed read keeps the previous line; the end-of-file test above stops the loop.
        lines.Read(line);
    }
    if (lines.AtEnd())
        result.endOfData = true;
}

uint32_t WaveFileReader::ReadSamples(const std::string& path, float* raw, uint32_t n, float& depth,
                                     float geophoneToTip) {
    InputFile file(path);
    file.ReadUpTo(UsableBytes(n));
    Text text;
    try {
        Parse(file.bytes(), n, 1, geophoneToTip, text);
    } catch (const KorvaneError&) {
        // The depth is stored before the data records are read.
        if (text.hasDepth)
            depth = text.tipDepth - geophoneToTip;
        throw;
    }
    depth = text.tipDepth - geophoneToTip;
    const std::vector<float>& samples = text.amplitudes.front();
    const auto taken = static_cast<uint32_t>(samples.size());
    FillRecord(samples, raw, n);
    file.Close();
    return taken;
}

void WaveFileReader::FillRecord(const std::vector<float>& samples, float* raw, uint32_t n) {
    float sum = 0.0f;
    uint32_t count = 0;
    for (; count < n && count < samples.size(); ++count) {
        raw[count] = samples[count];
        sum += raw[count];
    }
    if (count < n) {
        float mean = count > 0 ? sum / static_cast<float>(count) : 0.0f;
        if (!std::isfinite(mean)) {
            // The float sum overflowed on amplitudes near the float range; their mean does not.
            double wide = 0.0;
            for (uint32_t k = 0; k < count; ++k)
                wide += raw[k];
            mean = static_cast<float>(wide / count);
        }
        std::fill(raw + count, raw + n, mean);
    }
}

void WaveFileReader::FilterRecord(const float* raw, float* filtered, uint32_t n,
                                  float* spectrumReal, float* spectrumImag) {
    std::vector<float> imagOut;
    try {
        imagOut.resize(n);
    } catch (const std::bad_alloc&) {
        throw KorvaneError("Memory allocation fails!");
    }
    // A record is real: no imaginary input, which the filter reads as zeros.
    const CSpectralFilter filter(raw, nullptr, filtered, imagOut.data(), n, kCopiedBins);
    for (int bin = 0; bin < kCopiedBins; ++bin) {
        spectrumReal[bin] = filter.GetRealBin(bin);
        spectrumImag[bin] = filter.GetImagBin(bin);
    }
}

WaveFileReader::WaveFileReader(const std::string& path, float* raw, float* filtered, uint32_t n,
                               float& depth, float geophoneToTip, float* spectrumReal,
                               float* spectrumImag) {
    ReadSamples(path, raw, n, depth, geophoneToTip);
    FilterRecord(raw, filtered, n, spectrumReal, spectrumImag);
}

} // namespace korvane
