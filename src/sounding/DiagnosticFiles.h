#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// The text files a load leaves for inspection: "phase.txt" (the phase-spectrum fit, made by
// PhaseVelocity) and the raw and filtered waves of every record side by side.
class DiagnosticFiles {
public:
    static constexpr const char* kPhaseFile = "phase.txt";
    static constexpr const char* kOriginalFile = "original_data.txt";
    static constexpr const char* kRecoveredFile = "recovered_data.txt";

    // "depth " and each record's depth, then one line per sample: the time in milliseconds and
    // each record's value, every number as "%f" followed by two blanks.
    static std::string WaveTable(const std::vector<float>& depths,
                                 const std::vector<std::vector<float>>& waves, uint32_t samples);

    // True for the name (without folder) of a text file the program writes itself: the three
    // above and the geometry file. A "select all" in a folder the program has written to
    // picks them up, and they are not wave recordings.
    static bool IsOwnOutput(std::string_view fileName);

    // The same table written to a file made anew, in blocks as it is formatted; false when any
    // of it failed.
    static bool WriteWaveTable(const std::filesystem::path& file, const std::vector<float>& depths,
                               const std::vector<std::vector<float>>& waves, uint32_t samples);

    // Makes the file anew and writes text to it; false when any of it failed.
    static bool WriteText(const std::filesystem::path& file, std::string_view text);
};

} // namespace korvane
