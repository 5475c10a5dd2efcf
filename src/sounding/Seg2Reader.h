#pragma once

#include "sounding/Recording.h"

#include <string_view>
#include <vector>

namespace korvane {

// Reads SEG-2 files (the SEG standard of 1990, revision 1) as engineering seismographs write
// them: either byte order, data format codes 1 (int16), 2 (int32), 3 (20-bit packed: per four
// samples a 16-bit word of four 4-bit exponents, lowest nibble first, then four 16-bit
// one's-complement mantissas; value = mantissa * 2^exponent), 4 (float32) and 5 (float64);
// DESCALING_FACTOR applied; SAMPLE_INTERVAL and DELAY in seconds (a trace without an interval
// takes the file's, a negative delay means samples before the trigger). Tolerates what real
// files carry: pointer blocks larger than the traces need, padded trace descriptors, NOTE
// values of several lines with terminators of one or two bytes, empty values, non-printable
// characters (read as blanks); dates and other keywords are kept as text.
//
// Every count, pointer and size is checked against the file's size before anything is
// allocated; a defect throws KorvaneError with a text such as "trace 3 starts beyond the end of
// the file" (the caller names the file). Traces are numbered from 1 in the messages.
class Seg2Reader {
public:
    // bytes: the whole file. Decodes the samples of the traces in `decode` (0-based indices
    // below the trace count); the others come with their descriptions only.
    static Recording Read(std::string_view bytes, const std::vector<int>& decode);
};

} // namespace korvane
