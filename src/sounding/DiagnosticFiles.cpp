#include "sounding/DiagnosticFiles.h"

#include "sounding/FixedDecimal.h"
#include "sounding/GeometryFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

namespace korvane {

namespace {

// The time column in millionths of a millisecond per sample.
constexpr uint64_t kMicrosPerSample = 25000;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

char* WriteWord(char* out, std::string_view word) {
    std::memcpy(out, word.data(), word.size());
    return out + word.size();
}

char* WriteSeparated(char* out, float value) {
    out = FixedDecimal::WriteFloat(out, value);
    *out++ = ' ';
    *out++ = ' ';
    return out;
}

} // namespace

namespace {

// The wave table in pieces: text of whole lines is handed to take(const std::string&) whenever
// it reaches about block bytes, and the rest at the end; take answers false to stop.
template <class Take>
bool FormatWaveTable(const std::vector<float>& depths, const std::vector<std::vector<float>>& waves,
                     uint32_t samples, std::size_t block, Take&& take) {
    const std::size_t columns = waves.size();
    const std::size_t lineRoom =
        FixedDecimal::kDoubleRoom + (columns + 1) * (FixedDecimal::kFloatRoom + 2);
    // Lines are formatted straight into the block, which always has room for one more.
    std::string text(std::max(block, lineRoom) + lineRoom, '\0');
    char* const first = text.data();
    char* out = first;
    const auto hand = [&] {
        text.resize(static_cast<std::size_t>(out - first));
        const bool taken = take(text);
        text.resize(text.capacity());
        out = first;
        return taken;
    };

    out = WriteWord(out, "depth ");
    for (const float depth : depths)
        out = WriteSeparated(out, depth);
    *out++ = '\n';

    const char* const full = first + block;
    // A line takes one sample of every record: the records are copied into a small table of
    // lines a few at a time, so that memory is read along each record rather than across all.
    constexpr uint32_t kLinesAtOnce = 64;
    std::vector<float> lines(kLinesAtOnce * columns);
    for (uint32_t t0 = 0; t0 < samples; t0 += kLinesAtOnce) {
        const uint32_t count = std::min(kLinesAtOnce, samples - t0);
        for (std::size_t c = 0; c < columns; ++c) {
            const float* wave = waves[c].data() + t0;
            for (uint32_t k = 0; k < count; ++k)
                lines[k * columns + c] = wave[k];
        }
        const float* value = lines.data();
        for (uint32_t t = t0; t < t0 + count; ++t) {
            // t times 0.025 ms in millionths: the "%f" text of the double t * 0.025, whose
            // rounding error is far below half a millionth for every t of 32 bits.
            out = FixedDecimal::WriteMicros(out, false, uint64_t{t} * kMicrosPerSample);
            *out++ = ' ';
            *out++ = ' ';
            for (std::size_t c = 0; c < columns; ++c)
                out = WriteSeparated(out, *value++);
            *out++ = '\n';
            if (out >= full && !hand())
                return false;
        }
    }
    return out == first || hand();
}

// Removes a regular file, so that it is made anew: file systems such as ext4 flush a file that
// was truncated and written again when it is closed, and make the writer wait for the disk.
void RemoveOldFile(const std::filesystem::path& file) {
    std::error_code ignored;
    if (std::filesystem::is_regular_file(std::filesystem::symlink_status(file, ignored)))
        std::filesystem::remove(file, ignored);
}

} // namespace

std::string DiagnosticFiles::WaveTable(const std::vector<float>& depths,
                                       const std::vector<std::vector<float>>& waves,
                                       uint32_t samples) {
    std::string whole;
    FormatWaveTable(depths, waves, samples, std::size_t{1} << 20,
                    [&whole](const std::string& part) {
                        whole += part;
                        return true;
                    });
    return whole;
}

bool DiagnosticFiles::WriteWaveTable(const std::filesystem::path& file,
                                     const std::vector<float>& depths,
                                     const std::vector<std::vector<float>>& waves,
                                     uint32_t samples) {
    RemoveOldFile(file);
    std::unique_ptr<std::FILE, FileCloser> stream(std::fopen(file.c_str(), "wb"));
    if (!stream)
        return false;
    // The blocks go to the file as they are, not through the stream's small buffer.
    std::setvbuf(stream.get(), nullptr, _IONBF, 0);
    // Blocks small enough to stay in the cache, large enough to be few writes.
    const bool written =
        FormatWaveTable(depths, waves, samples, 256 * 1024, [&stream](const std::string& part) {
            return std::fwrite(part.data(), 1, part.size(), stream.get()) == part.size();
        });
    return std::fclose(stream.release()) == 0 && written;
}

bool DiagnosticFiles::WriteText(const std::filesystem::path& file, std::string_view text) {
    RemoveOldFile(file);
    std::unique_ptr<std::FILE, FileCloser> stream(std::fopen(file.c_str(), "wb"));
    if (!stream)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), stream.get()) == text.size();
    return std::fclose(stream.release()) == 0 && written;
}

bool DiagnosticFiles::IsOwnOutput(std::string_view fileName) {
    for (std::string_view own :
         {kPhaseFile, kOriginalFile, kRecoveredFile, GeometryFile::kFileName})
        if (fileName == own)
            return true;
    return false;
}

} // namespace korvane
