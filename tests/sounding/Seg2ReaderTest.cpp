#include "sounding/Seg2Reader.h"

#include "Seg2TestFile.h"
#include "dsp/KorvaneError.h"
#include "sounding/TipDepthRules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace korvane {
namespace {

using testing::Seg2TestFile;
using testing::Seg2TestTrace;

Seg2TestTrace Trace(int code, std::vector<double> values,
                    std::vector<std::string> strings = {"SAMPLE_INTERVAL 0.000125"}) {
    Seg2TestTrace trace;
    trace.code = code;
    trace.values = std::move(values);
    trace.strings = std::move(strings);
    return trace;
}

TEST(Seg2Reader, DecodesEveryFormatCodeInBothByteOrders) {
    const struct {
        int code;
        std::vector<double> values;
    } formats[] = {
        {1, {0, 1, -1, 32767, -32768, 1234}},
        {2, {0, 2147483647, -2147483648.0, 77, -5}},
        // Mantissas of one's complement with exponents up to 15, a partial last group.
        {3, {0, -1, 32767 * 32768.0, -40, 12, -32767, 3 * 1024.0}},
        {4, {1.5, -0.00225, 3.0e38, -0.0}},
        {5, {0.125, -7.0, 1e30}},
    };
    for (const bool bigEndian : {false, true}) {
        for (const auto& format : formats) {
            SCOPED_TRACE(std::to_string(format.code) + (bigEndian ? " big-endian" : ""));
            Seg2TestFile file;
            file.bigEndian = bigEndian;
            file.traces = {
                Trace(format.code, format.values,
                      {"SAMPLE_INTERVAL 0.000125", "DELAY -0.002", "DESCALING_FACTOR 0.5"}),
                Trace(4, {9, 8}, {"SAMPLE_INTERVAL 2.5E-5"})};
            const Recording recording = Seg2Reader::Read(file.Bytes(), {0, 1});
            ASSERT_EQ(recording.sections.size(), 1u);
            const std::vector<RecordedTrace>& traces = recording.sections[0].traces;
            ASSERT_EQ(traces.size(), 2u);
            EXPECT_EQ(traces[0].sampleCount, format.values.size());
            EXPECT_EQ(traces[0].interval, 0.000125);
            EXPECT_EQ(traces[0].delay, -0.002);
            ASSERT_EQ(traces[0].samples.size(), format.values.size());
            for (std::size_t k = 0; k < format.values.size(); ++k)
                EXPECT_EQ(traces[0].samples[k], static_cast<float>(format.values[k] * 0.5)) << k;
            EXPECT_EQ(traces[1].samples, (std::vector<float>{9, 8}));
            EXPECT_EQ(traces[1].interval, 2.5e-5);
        }
    }
}

TEST(Seg2Reader, ToleratesWhatRealRecordersWrite) {
    Seg2TestFile file;
    file.bigEndian = true;
    file.extraPointerBytes = 12; // room for more traces than there are
    file.stringTerminator = std::string(2, '\0');
    file.lineTerminator = "\r\n";
    file.fileStrings = {
        "ACQUISITION_DATE 07/JAN/1998", "ACQUISITION_DATE 1998-01-07",
        "ACQUISITION_TIME 13:05:33.25", "CLIENT",
        "COMPANY ACME\x01\x02GmbH",     "NOTE Sounding 7\r\nTIP_DEPTH 12.75 m\r\n\r\nlast line",
        "SAMPLE_INTERVAL 0.0002"}; // traces without their own take this
    Seg2TestTrace first = Trace(2, {1, 2, 3}, {"CHANNEL_NUMBER 1", "DELAY 0"});
    first.descriptorPadding = 40; // zeros after the strings
    file.traces = {first, Trace(1, {4, 5}, {"NOTE\r\nDEPTH 3.5", "SAMPLE_INTERVAL 0.000125"})};
    const Recording recording = Seg2Reader::Read(file.Bytes(), {0, 1});
    const RecordedSection& section = recording.sections[0];
    EXPECT_EQ(section.traces[0].samples, (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(section.traces[0].interval, 0.0002);
    EXPECT_EQ(section.traces[1].samples, (std::vector<float>{4, 5}));
    EXPECT_EQ(section.traces[1].interval, 0.000125);

    const auto value = [&](const std::string& keyword) {
        for (const HeaderEntry& entry : section.strings)
            if (entry.keyword == keyword)
                return entry.value;
        return std::string("(missing)");
    };
    EXPECT_EQ(value("CLIENT"), "");
    EXPECT_EQ(value("COMPANY"), "ACME  GmbH");
    EXPECT_EQ(value("TIP_DEPTH"), "12.75 m"); // a NOTE line reads as a keyword of its own
    EXPECT_EQ(value("last"), "line");
    EXPECT_EQ(TipDepthRules::FromKeyword({&section.strings}, "tip_depth"), 12.75f);
    EXPECT_EQ(TipDepthRules::FromKeyword({&section.traces[1].strings, &section.strings}, "DEPTH"),
              3.5f);
}

TEST(Seg2Reader, RefusesEveryDefectWithItsMessage) {
    Seg2TestFile good;
    good.traces = {Trace(4, {1, 2, 3}), Trace(4, {4, 5, 6})};
    const std::string bytes = good.Bytes();
    const auto patch = [&](std::size_t at, std::string with) {
        return std::string(bytes).replace(at, with.size(), with);
    };
    const auto changed = [&](const std::function<void(std::vector<Seg2TestTrace>&)>& change) {
        Seg2TestFile file = good;
        change(file.traces);
        return file.Bytes();
    };
    const std::size_t second = static_cast<unsigned char>(bytes[36]); // trace 2 starts here
    const std::pair<std::string, std::string> cases[] = {
        {bytes.substr(0, 20), "the file is too short for a SEG-2 file descriptor (20 bytes)"},
        {patch(4, std::string("\x04\x00", 2)),
         "the trace pointer block of 4 bytes cannot hold 2 traces"},
        {patch(8, "\x03"), "the string terminator size 3 is not 1 or 2"},
        {patch(36, std::string("\xff\xff\x00\x00", 4)),
         "trace 2 starts beyond the end of the file"},
        {patch(36, std::string("\x24\x00\x00\x00", 4)),
         "trace 2 has no trace descriptor at byte 36"},
        {bytes.substr(0, bytes.size() - 4),
         "the data block of trace 2 runs beyond the end of the file"},
        {patch(second + 2, std::string("\x10\x00", 2)),
         "the descriptor of trace 2 declares 16 bytes, fewer than 32"},
        {patch(40, std::string("\xff\x00", 2)),
         "a string of the file descriptor runs beyond the end of its block"},
        {changed([](auto& t) { t[1].code = 7; }), "data format code 7 is not supported"},
        {changed([](auto& t) { t[0].declaredSamples = 0xFFFFFFF0; }),
         "trace 1 declares 4294967280 samples of data format code 4, more than its data block of "
         "12 bytes holds"},
        {changed([](auto& t) { t[0].declaredDataBytes = 0x7FFFFFFF; }),
         "the data block of trace 1 runs beyond the end of the file"},
        {changed([](auto& t) { t[1].strings = {"DELAY 0"}; }), "trace 2 gives no SAMPLE_INTERVAL"},
        {changed([](auto& t) { t[0].strings.push_back("DESCALING_FACTOR 0"); }),
         "trace 1 has a DESCALING_FACTOR of \"0\", not a number other than zero"},
        {changed([](auto& t) { t[0].strings = {"SAMPLE_INTERVAL -1"}; }),
         "trace 1 has a SAMPLE_INTERVAL of \"-1\", not a positive number of seconds"},
        {changed([](auto& t) {
             t[0] = Trace(4, {1, NAN, 3});
         }),
         "sample 2 of trace 1 is not a finite number within the range of a float"},
        {changed([](auto& t) {
             t[0] = Trace(5, {1, 2, 1e39});
         }), // beyond a float
         "sample 3 of trace 1 is not a finite number within the range of a float"},
    };
    for (const auto& [file, message] : cases) {
        try {
            Seg2Reader::Read(file, {0, 1});
            ADD_FAILURE() << "no error for: " << message;
        } catch (const KorvaneError& error) {
            EXPECT_EQ(error.what(), message);
        }
    }
}

} // namespace
} // namespace korvane
