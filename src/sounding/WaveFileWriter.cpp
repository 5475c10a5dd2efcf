#include "sounding/WaveFileWriter.h"

#include <charconv>
#include <cstdio>

namespace korvane {

namespace {

void AppendFloat(std::string& text, float value) {
    char digits[32];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    text.append(digits, result.ptr);
}

} // namespace

std::string WaveFileWriter::Text(const std::string& title, float tipDepth,
                                 const std::vector<std::string>& notes,
                                 const std::vector<float>& samples) {
    std::string text;
    text.reserve(samples.size() * 24 + 256);
    text += title + "\nDepth: ";
    AppendFloat(text, tipDepth);
    text += " m\n";
    for (std::size_t k = 0; k < 4; ++k)
        text += (k < notes.size() ? notes[k] : std::string()) + "\n";
    text += "Time(s)\tAmplitude\n";
    char time[32];
    for (std::size_t j = 0; j < samples.size(); ++j) {
        std::snprintf(time, sizeof time, "%.6f\t", static_cast<double>(j) * 25e-6);
        text += time;
        AppendFloat(text, samples[j]);
        text += '\n';
    }
    return text;
}

} // namespace korvane
