#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <stdlib.h>

namespace korvane::testing {

// A fresh folder under the system's temporary directory, removed with everything in it.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "korvane-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a temporary folder");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Writes bytes to name inside the folder; returns the full path.
    std::string Write(const std::string& name, std::string_view bytes) const {
        std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return (path_ / name).string();
    }

private:
    std::filesystem::path path_;
};

inline std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Seven header lines with depthLine as line 2.
inline std::string Header(std::string_view depthLine = "Depth: 5.00 m") {
    std::string text = "SCPT record\n";
    text += depthLine;
    text += "\nline 3\nline 4\nline 5\nline 6\nTime(ms) Amplitude\n";
    return text;
}

// A wave file: the header, then one "time amplitude" line per value, each ending in a line feed.
inline std::string WaveText(double tipDepth, const std::vector<float>& amplitudes) {
    char line[64];
    std::snprintf(line, sizeof line, "Depth: %.2f m", tipDepth);
    std::string text = Header(line);
    for (std::size_t t = 0; t < amplitudes.size(); ++t) {
        std::snprintf(line, sizeof line, "%.3f\t%.9g\n", static_cast<double>(t) * 0.025,
                      static_cast<double>(amplitudes[t]));
        text += line;
    }
    return text;
}

} // namespace korvane::testing
