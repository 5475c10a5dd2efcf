#include "sounding/WaveFileReader.h"

#include "dsp/CSpectralFilter.h"
#include "dsp/KorvaneError.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <string_view>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane {

namespace {

constexpr int kHeaderLines = 7;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Opens a file for reading without waiting for a writer: a FIFO nobody writes to would block
// open() forever, so it is opened non-blocking and then read normally, which then sees the end
// of the data at once. Folders are refused.
std::FILE* OpenForReading(const std::string& path) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr)
        ::close(fd);
    return file;
}

// The beginning of a file that the reader can possibly use: a read takes at most 199
// characters and a CR LF and there are at most 8 + n reads, so anything past that is never
// seen. One byte more than that tells "more follows" from "the file ends here".
std::string ReadUsablePart(std::FILE* file, const std::string& path, uint32_t n) {
    const std::size_t limit =
        (static_cast<std::size_t>(n) + kHeaderLines + 1) * (WaveFileReader::kMaxLineLength + 2) + 1;
    std::error_code error;
    const auto fileSize = std::filesystem::file_size(path, error);
    std::size_t chunk = 64 * 1024;
    if (!error && fileSize < limit)
        chunk = static_cast<std::size_t>(fileSize) + 1;

    std::string data;
    while (data.size() < limit) {
        const std::size_t want = std::min(chunk, limit - data.size());
        const std::size_t used = data.size();
        data.resize(used + want);
        const std::size_t got = std::fread(data.data() + used, 1, want, file);
        data.resize(used + got);
        if (got < want) {
            if (std::ferror(file))
                throw KorvaneError(WaveFileReader::kCantOpen);
            break;
        }
        chunk = std::max<std::size_t>(chunk, 64 * 1024);
    }
    return data;
}

// fgets with a 200-byte buffer over the file's text: each read takes up to 199 characters and
// stops after a line feed; the LF or CR LF that ends a line of 199 characters is taken with it
// rather than left for a read of its own. A read that meets the end of the data sets the
// end-of-file indicator; a read that finds nothing left fails and leaves the previous line in
// place.
class LineSource {
public:
    explicit LineSource(std::string_view text) : text_(text) {}

    bool Read(std::string_view& line) {
        if (position_ >= text_.size()) {
            atEnd_ = true;
            return false;
        }
        const std::size_t room = std::min(WaveFileReader::kMaxLineLength, text_.size() - position_);
        const char* start = text_.data() + position_;
        const void* feed = std::memchr(start, '\n', room);
        std::size_t length = room;
        if (feed != nullptr)
            length = static_cast<std::size_t>(static_cast<const char*>(feed) - start) + 1;
        else if (room < WaveFileReader::kMaxLineLength)
            atEnd_ = true; // ran into the end of the data before the buffer was full
        else
            length += LineEndAt(position_ + room);
        // sscanf sees the line only up to a NUL.
        const void* nul = std::memchr(start, '\0', length);
        const std::size_t visible =
            nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - start)
                           : length;
        line = std::string_view(start, visible);
        position_ += length;
        return true;
    }

    bool AtEnd() const { return atEnd_; }

private:
    // Bytes of an LF or CR LF at offset: the line end of a full-length line belongs to it.
    std::size_t LineEndAt(std::size_t offset) const {
        if (offset < text_.size() && text_[offset] == '\n')
            return 1;
        if (offset + 1 < text_.size() && text_[offset] == '\r' && text_[offset + 1] == '\n')
            return 2;
        return 0;
    }

    std::string_view text_;
    std::size_t position_ = 0;
    bool atEnd_ = false;
};

bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

enum class Scan { Number, NotANumber, OutOfRange };

// One sscanf "%f" conversion on decimal text, from p; advances p past what was consumed.
// OutOfRange: a number too large for a float. Values too small for one become a signed zero.
Scan ScanFloat(const char*& p, const char* end, float& value) {
    while (p < end && IsSpace(*p))
        ++p;
    const bool negative = p < end && *p == '-';
    if (p < end && (*p == '+' || *p == '-'))
        ++p;
    const char* mantissa = p;
    while (p < end && IsDigit(*p))
        ++p;
    const char* point = p;
    if (p < end && *p == '.') {
        ++p;
        while (p < end && IsDigit(*p))
            ++p;
    }
    const std::ptrdiff_t digits = (p - mantissa) - (point < p ? 1 : 0);
    if (digits == 0)
        return Scan::NotANumber;
    // sscanf would read "0x..." as a hexadecimal number; refuse it rather than read a zero.
    if (p - mantissa == 1 && *mantissa == '0' && p < end && (*p == 'x' || *p == 'X'))
        return Scan::NotANumber;
    const char* numberEnd = p;
    long long exponent = 0;
    if (p < end && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        const bool negativeExponent = q < end && *q == '-';
        if (q < end && (*q == '+' || *q == '-'))
            ++q;
        if (q < end && IsDigit(*q)) {
            while (q < end && IsDigit(*q)) {
                if (exponent < 1000000)
                    exponent = exponent * 10 + (*q - '0');
                ++q;
            }
            if (negativeExponent)
                exponent = -exponent;
            numberEnd = q;
        }
        // glibc swallows a dangling 'e' and its sign; the number ends before them.
        p = q;
    }
    float magnitude = 0.0f;
    const auto result = std::from_chars(mantissa, numberEnd, magnitude, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Overflow or underflow: the decimal exponent of the leading digit tells which.
        const char* first = mantissa;
        while (first < numberEnd && (*first == '0' || *first == '.'))
            ++first;
        const long long leadingPosition =
            first < point ? point - first : -(first - point - 1); // digits before/after the point
        if (leadingPosition + exponent > 0)
            return Scan::OutOfRange;
        magnitude = 0.0f;
    } else if (result.ec != std::errc() || result.ptr != numberEnd) {
        return Scan::NotANumber;
    }
    value = negative ? -magnitude : magnitude;
    return Scan::Number;
}

// "%s": a run of non-blank characters after optional white space.
bool ScanWord(const char*& p, const char* end) {
    while (p < end && IsSpace(*p))
        ++p;
    const char* start = p;
    while (p < end && !IsSpace(*p))
        ++p;
    return p > start;
}

// Line 2: word, number, word. Returns false unless all three are there.
bool ParseDepthLine(std::string_view line, float& number) {
    const char* p = line.data();
    const char* end = p + line.size();
    if (!ScanWord(p, end))
        return false;
    if (ScanFloat(p, end, number) != Scan::Number)
        return false;
    return ScanWord(p, end);
}

// A data line: time and amplitude; the time only has to be a number.
bool ParseDataLine(std::string_view line, float& amplitude) {
    const char* p = line.data();
    const char* end = p + line.size();
    float time = 0.0f;
    if (ScanFloat(p, end, time) == Scan::NotANumber)
        return false;
    return ScanFloat(p, end, amplitude) == Scan::Number;
}

uint32_t ParseRecord(std::string_view text, float* raw, uint32_t n, float& depth,
                     float geophoneToTip) {
    LineSource lines(text);
    std::string_view line;
    if (!lines.Read(line) || !lines.Read(line))
        throw KorvaneError(WaveFileReader::kBadHeader);
    float tipDepth = 0.0f;
    if (!ParseDepthLine(line, tipDepth))
        throw KorvaneError(WaveFileReader::kBadHeader);
    const float geophoneDepth = tipDepth - geophoneToTip;
    if (!std::isfinite(geophoneDepth))
        throw KorvaneError(WaveFileReader::kBadHeader);
    depth = geophoneDepth;
    for (int header = 3; header <= kHeaderLines; ++header) {
        if (!lines.Read(line))
            throw KorvaneError(WaveFileReader::kBadHeader);
    }
    if (!lines.Read(line))
        throw KorvaneError(WaveFileReader::kNoFirstRecord);

    float sum = 0.0f;
    uint32_t count = 0;
    for (uint32_t j = 0; j < n; ++j) {
        if (lines.AtEnd())
            break;
        if (!ParseDataLine(line, raw[j]))
            throw KorvaneError(WaveFileReader::BadRecordMessage(j + 1));
        count = j + 1;
        sum += raw[j];
        // A failed read keeps the previous line; the end-of-file test above stops the loop.
        lines.Read(line);
    }
    if (count < n) {
        const float mean = count > 0 ? sum / static_cast<float>(count) : 0.0f;
        std::fill(raw + count, raw + n, mean);
    }
    return count;
}

} // namespace

std::string WaveFileReader::BadRecordMessage(uint32_t sampleNumber) {
    return "The file is wrong in " + std::to_string(sampleNumber) + " data record!";
}

uint32_t WaveFileReader::ReadSamples(const std::string& path, float* raw, uint32_t n, float& depth,
                                     float geophoneToTip) {
    FileHandle file(OpenForReading(path));
    if (!file)
        throw KorvaneError(kCantOpen);
    const std::string text = ReadUsablePart(file.get(), path, n);
    const uint32_t taken = ParseRecord(text, raw, n, depth, geophoneToTip);
    if (std::fclose(file.release()) != 0)
        throw KorvaneError(kCantClose);
    return taken;
}

WaveFileReader::WaveFileReader(const std::string& path, float* raw, float* filtered, uint32_t n,
                               float& depth, float geophoneToTip, float* spectrumReal,
                               float* spectrumImag) {
    std::vector<float> imagIn;
    std::vector<float> imagOut;
    try {
        imagIn.assign(n, 0.0f);
        imagOut.resize(n);
    } catch (const std::bad_alloc&) {
        throw KorvaneError("Memory allocation fails!");
    }
    ReadSamples(path, raw, n, depth, geophoneToTip);
    const CSpectralFilter filter(raw, imagIn.data(), filtered, imagOut.data(), n);
    for (int bin = 0; bin < kCopiedBins; ++bin) {
        spectrumReal[bin] = filter.GetRealBin(bin);
        spectrumImag[bin] = filter.GetImagBin(bin);
    }
}

} // namespace korvane
