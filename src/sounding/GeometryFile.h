#pragma once

#include <filesystem>
#include <string>

namespace korvane {

// "ConfigData.txt": the two test distances as one text line, written when the user confirms
// them. Nothing reads it back; the document holds the values in use.
class GeometryFile {
public:
    static constexpr const char* kFileName = "ConfigData.txt";

    // The line written: geophone-to-tip and hammer-to-rod distances in metres.
    static std::string Format(float geophoneToTip, float hammerToRod);

    // Creates or truncates path and writes the line. False when the file cannot be created or
    // written.
    static bool Write(const std::filesystem::path& path, float geophoneToTip, float hammerToRod);
};

} // namespace korvane
