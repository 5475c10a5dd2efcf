#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// Turns one wave record file into one record: reads the tip depth and the amplitudes, completes
// a short record with the mean of its samples, band-filters it with CSpectralFilter and copies
// bins 0..99 of the filtered spectrum. All work happens in the constructor, on arrays the caller
// owns; the object holds nothing afterwards. Every defect of the file is thrown as a KorvaneError
// with one of the fixed messages below; outputs written before the defect stay written.
//
// File layout: line 1 anything; line 2 "word number word" (the number is the tip depth in
// metres); lines 3-7 anything; from line 8 one "time amplitude" line per sample. The time column
// is ignored (samples are 25 microseconds apart), text after the two numbers too.
//
// Lines are read like fgets with a 200-byte buffer in text mode: at most 199 characters at a
// time, not counting the line end (LF or CR LF), so a longer line counts as several lines; a CR
// before the LF stays in the line and counts as white space. Reading looks one line ahead and stops
// at end of file before parsing, so a final data line without a line break is not taken. Parsing
// stops at a NUL character.
//
// Numbers follow sscanf "%f" on decimal text: optional sign, digits with an optional point,
// optional exponent; an 'e' (and sign) with no exponent digits is swallowed and the number ends
// before it, as glibc does. Deliberately refused, so that no file can slip a non-finite value
// into a record: "inf", "nan", hexadecimal spellings ("0x...") and amplitudes or depths beyond
// the float range. Values too small for a float read as zero. Time values are only checked for
// being numbers.
//
// The words of line 2 may be of any length (they are skipped, never copied). A file from which
// no sample is taken (line 8 is its last line and lacks a line break) has no mean: its record
// is filled with zeros, which the filter leaves at zero.
class WaveFileReader {
public:
    // raw and filtered hold n floats, spectrumReal and spectrumImag 100 each. depth receives the
    // geophone depth in metres: the file's tip depth minus geophoneToTip, as a float.
    WaveFileReader(const std::string& path, float* raw, float* filtered, uint32_t n, float& depth,
                   float geophoneToTip, float* spectrumReal, float* spectrumImag);

    // The reading half of the job, without the filter: depth and up to n samples into raw, the
    // rest of raw filled with the mean. Returns the number of samples taken from the file.
    static uint32_t ReadSamples(const std::string& path, float* raw, uint32_t n, float& depth,
                                float geophoneToTip);

    // What the reader takes from the text of a wave file: the tip depth, up to maxSamples
    // samples of amplitude columns 1 to `channels` (column 1 is the wave of the format) with
    // their times, and line 7, which may name the unit of the time column. Same rules and
    // messages as ReadSamples; geophoneToTip only serves the depth check.
    struct Text {
        float tipDepth = 0.0f;                      // metres
        bool hasDepth = false;                      // line 2 was read
        std::vector<double> times;                  // seconds or whatever unit the file uses
        std::vector<std::vector<float>> amplitudes; // per channel, the samples taken
        uint32_t columns = 0;                       // amplitude columns of the first data line
        std::string lastHeaderLine;
        bool endOfData = false; // no further sample would have been taken
    };
    // Fills result as far as the text goes before a defect.
    static void Parse(std::string_view text, uint32_t maxSamples, int channels, float geophoneToTip,
                      Text& result);
    // The first bytes of a file that Parse can use for maxSamples samples.
    static std::size_t UsableBytes(uint64_t maxSamples);
    // Line 2: a word, a number and a word; number receives the tip depth.
    static bool IsDepthLine(std::string_view line, float& number);

    // Copies up to n samples into raw and fills the rest with their mean (a float sum in file
    // order, as the format has always been read; in double precision when that sum overflows);
    // zeros when there is no sample.
    static void FillRecord(const std::vector<float>& samples, float* raw, uint32_t n);
    // The band filter of a raw record: the filtered wave and bins 0..99 of its spectrum.
    static void FilterRecord(const float* raw, float* filtered, uint32_t n, float* spectrumReal,
                             float* spectrumImag);

    static constexpr std::size_t kMaxLineLength = 199;
    static constexpr int kCopiedBins = 100;

    static constexpr const char* kCantOpen = "Can't open the data file!";
    static constexpr const char* kBadHeader = "The file is wrong in the header lines!";
    static constexpr const char* kNoFirstRecord = "The file is wrong in the first data record!";
    static constexpr const char* kCantClose = "The file can't be closed!";
    // "The file is wrong in <sample> data record!", sample counted from 1.
    static std::string BadRecordMessage(uint32_t sampleNumber);
};

} // namespace korvane
