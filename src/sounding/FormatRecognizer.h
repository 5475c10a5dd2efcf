#pragma once

#include "sounding/Recording.h"

#include <string_view>

namespace korvane {

// Tells the format of an input file from its first bytes, never from its name.
//
// SEG-2: the block identifier 0x3A55 in either byte order, with binary bytes in the rest of the
// 32-byte file descriptor (a text line starting "U:" is not SEG-2).
//
// A cone logger's container: "[TEST]" on line 1, then the logger's header ("<GORILLA! header>")
// on line 2 or a line "[SEISMIC TEST=..." further on.
//
// Other text is a wave file when it looks like one, so that a defective wave file keeps the wave
// reader's messages: when line 7 is not a row of numbers and line 8 is missing, blank or starts
// with a number (the seven header lines of the format); when it holds no run of three rows of
// numbers at all (nothing else could read it); or when line 2 is "word number word" and the
// rows of numbers start at line 7. Any other text is a columns file. A text file with seven
// header lines is therefore always read as a wave file.
class FormatRecognizer {
public:
    static RecordFormat Recognise(std::string_view head);

    // Tokens separated by blanks, tabs, commas or semicolons: at least two, all numbers.
    static bool IsNumberRow(std::string_view line);
    static bool IsNumberToken(std::string_view token);
};

} // namespace korvane
