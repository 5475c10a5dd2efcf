#pragma once

#include <string>
#include <vector>

namespace korvane {

// The text of a wave file of Korvane's own format: line 1 a title, line 2 "Depth: <tip> m",
// lines 3 to 6 the caller's notes, line 7 "Time(s)<TAB>Amplitude", then one line per sample,
// 25 µs apart. Depth and samples are written in the shortest text that reads back as the same
// float, so the file loads into exactly the record it was written from.
class WaveFileWriter {
public:
    // notes: up to four lines for lines 3 to 6 (missing ones are left empty).
    static std::string Text(const std::string& title, float tipDepth,
                            const std::vector<std::string>& notes,
                            const std::vector<float>& samples);
};

} // namespace korvane
