#include "sounding/DiagnosticFiles.h"

#include "sounding/FixedDecimal.h"
#include "sounding/GeometryFile.h"

#include <cstdio>
#include <memory>

namespace korvane {

namespace {

constexpr double kMillisecondsPerSample = 0.025;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

char* WriteSeparated(char* out, float value) {
    out = FixedDecimal::WriteFloat(out, value);
    *out++ = ' ';
    *out++ = ' ';
    return out;
}

} // namespace

std::string DiagnosticFiles::WaveTable(const std::vector<float>& depths,
                                       const std::vector<std::vector<float>>& waves,
                                       uint32_t samples) {
    const std::size_t columns = waves.size();
    std::string text;
    text.reserve((static_cast<std::size_t>(samples) + 1) * (columns + 1) * 12);
    std::vector<char> line(FixedDecimal::kDoubleRoom +
                           (columns + 1) * (FixedDecimal::kFloatRoom + 2));

    char* out = line.data();
    for (const float depth : depths)
        out = WriteSeparated(out, depth);
    text += "depth ";
    text.append(line.data(), out);
    text += '\n';

    for (uint32_t t = 0; t < samples; ++t) {
        out = FixedDecimal::WriteDouble(line.data(), t * kMillisecondsPerSample);
        *out++ = ' ';
        *out++ = ' ';
        for (const auto& wave : waves)
            out = WriteSeparated(out, wave[t]);
        *out++ = '\n';
        text.append(line.data(), out);
    }
    return text;
}

bool DiagnosticFiles::WriteText(const std::filesystem::path& file, std::string_view text) {
    // A new file rather than the old one truncated: file systems such as ext4 flush a file that
    // was truncated and written again when it is closed, and make the load wait for the disk.
    std::error_code ignored;
    if (std::filesystem::is_regular_file(std::filesystem::symlink_status(file, ignored)))
        std::filesystem::remove(file, ignored);
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
