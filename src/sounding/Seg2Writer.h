#pragma once

#include "sounding/Recording.h"

#include <string>
#include <vector>

namespace korvane {

// Writes SEG-2 files as a small seismograph would: little-endian, revision 1, one-byte string
// and line terminators (NUL, line feed), every trace with SAMPLE_INTERVAL, DELAY and, for the
// integer formats, a DESCALING_FACTOR that maps the trace's largest magnitude to the top of the
// integer range. Owns nothing; the bytes come back as a string.
class Seg2Writer {
public:
    struct Trace {
        std::vector<float> samples;
        double interval = 25e-6;          // seconds
        double delay = 0.0;               // seconds; negative: samples before the trigger
        std::vector<HeaderEntry> strings; // further "KEYWORD value" strings of the trace
    };

    // formatCode 1 (int16), 2 (int32) or 4 (float32).
    static std::string Write(const std::vector<HeaderEntry>& fileStrings,
                             const std::vector<Trace>& traces, int formatCode);
};

} // namespace korvane
