// The AGS 4.2 export against a checker of the format's rules, one test per rule family: the
// export passes, and a copy broken in that family's way does not (so the checker can fail).
#include "analysis/AgsExport.h"

#include "../sounding/WaveFileFixture.h"
#include "AgsChecker.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

namespace korvane {
namespace {

using testing::AgsFaults;

// Six records, three of them 1 mm apart (a repeated depth: two intervals of the same range to
// two decimals, one without a velocity), details with quotes and commas, two soil layers.
CKorvaneDoc Sounding() {
    CKorvaneDoc doc;
    doc.recordCount = 6;
    doc.dataLoaded = 1;
    doc.resultsValid = 1;
    doc.depths = {0.82f, 1.82f, 1.821f, 1.822f, 2.82f, 3.82f};
    doc.correlationCoefficients = {0.95, 0.0, 0.99, 0.93, 0.97};
    doc.ccVelocities = {150.0f, std::numeric_limits<float>::quiet_NaN(),
                        std::numeric_limits<float>::infinity(), 200.0f, 250.0f};
    SoundingMetadata& m = doc.metadata;
    m.projectId = "KV-1";
    m.locationId = "SCPT 1";
    m.client = "ACME \"North\", Ltd";
    m.source = "7 kg sledgehammer, steel plate";
    m.testDate = "2024-05-17";
    m.unitWeights = {{0.0, 17.0}, {2.0, 19.5}};
    return doc;
}

std::string Export(const CKorvaneDoc& doc = Sounding()) {
    return AgsExport::Text(doc, AgsOptions{"2025-01-31"});
}

::testing::AssertionResult Holds(const std::string& text, const char* family) {
    const std::vector<std::string> faults = AgsFaults(text, family);
    if (faults.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << family << ": " << faults.front();
}

// Per family: the export holds it, and so do the files the command line writes for the golden
// cases; each copy broken in that family's way does not.
TEST(AgsExport, EveryRuleFamilyHoldsAndItsBreachesAreSeen) {
    const std::string text = Export();
    std::vector<std::string> golden;
    for (const char* name : {"example.ags", "example-lsq3.ags"}) {
        golden.push_back(testing::ReadAll(std::filesystem::path(KORVANE_SOURCE_DIR) /
                                          "tests/cli/golden/cases/ags-export/expected/files" /
                                          name));
        ASSERT_FALSE(golden.back().empty()) << name;
    }
    const std::string proj = "\"DATA\",\"KV-1\",\"ACME \"\"North\"\", Ltd\"\r\n";
    const struct {
        const char* family;
        std::vector<std::pair<std::string, std::string>> breaches; // replace first by second
    } cases[] = {
        {"characters", {{"\r\n", "\n"}, {"Ltd", "L\xc3\xa9"}}},
        {"quoting", {{"\"\"North\"\"", "\"North\""}, {"\"SCPT\",", "SCPT,"}}},
        {"structure",
         {{"\r\n\r\n\"GROUP\",\"LOCA\"", "\r\n\"GROUP\",\"LOCA\""},
          {"\"UNIT\",\"\",\"\",\"\",\"ms\"\r\n", ""},
          {"\"DATA\",\"KV-1\"", "\"DATA\",\"KV-1\",\"\""}}},
        {"order",
         {{"\"ISTA_WATT\",\"ISTA_WATB\"", "\"ISTA_WATB\",\"ISTA_WATT\""},
          {"\"ISTA_WVLM\",\"ISTA_IVAL\",\"ISTA_REM\",\"ISTA_GMAX\"",
           "\"ISTA_WVLM\",\"ISTA_GMAX\",\"ISTA_REM\",\"ISTA_IVAL\""}}},
        {"definitions",
         {{"\"DATA\",\"Hz\",\"hertz\"\r\n", ""},
          {"\"DATA\",\"YN\",\"Yes or No\"\r\n", ""},
          {"\"ISTA_MIVL\",\"PSEUDO\"", "\"ISTA_MIVL\",\"TRUE\""},
          {"\"ISTA\",\"ISTA_GMAX\"", "\"ISTA\",\"ISTA_GMOD\""},
          {"\"1.82\",\"2.82\"", "\"1.8\",\"2.82\""}}},
        {"single", {{proj, proj + proj}}},
        // The two ranges 1.82 to 1.82 m are analyses 1 and 2 of that range.
        {"keys", {{"\"1.82\",\"1.82\",\"2\"", "\"1.82\",\"1.82\",\"1\""}, {"\"Korvane\"", "\"\""}}},
    };
    for (const auto& c : cases) {
        for (const std::string& holds : {text, golden[0], golden[1]})
            EXPECT_TRUE(Holds(holds, c.family));
        for (const auto& [from, to] : c.breaches) {
            const std::size_t at = text.find(from);
            ASSERT_NE(at, std::string::npos) << from;
            EXPECT_FALSE(Holds(std::string(text).replace(at, from.size(), to), c.family)) << from;
        }
    }
    EXPECT_NE(text.find("\"ACME \"\"North\"\", Ltd\""), std::string::npos);
    CKorvaneDoc doc = Sounding();
    doc.metadata.client = "Soci\xc3\xa9t\xc3\xa9";
    EXPECT_THROW(Export(doc), KorvaneError);
}

// Intervals without a positive finite velocity are invalid, with no velocity, modulus or
// later arrival times; the unit weight follows the profile. The first delay, 192 samples, is
// recovered from its velocity: (2.1911 - 1.4700) m / 150 m/s = 4.807 ms.
TEST(AgsExport, IntervalsWithoutAVelocity) {
    const std::string text = Export();
    const std::string ista = text.substr(text.find("\"GROUP\",\"ISTA\""));
    EXPECT_NE(ista.find("\"0.82\",\"1.82\",\"1\",\"1.32\",\"X\",\"PSEUDO\",\"S\",\"BANDPASS\","
                        "\"15\",\"996\",\"0.000\",\"4.800\""),
              std::string::npos)
        << ista;
    EXPECT_NE(ista.find("\"\",\"Straight line slant distance\",\"Y\",\"r2 0.000; quality flags "
                        "not assessed; unit weight 17.0 kN/m3\",\"\""),
              std::string::npos);
    EXPECT_NE(ista.find("\"4.800\",\"\",\"Relative"), std::string::npos);
    EXPECT_NE(ista.find("\"200.0\",\"Straight line slant distance\",\"N\",\"r2 0.865; quality "
                        "flags not assessed; unit weight 19.5 kN/m3\",\"79.5\""),
              std::string::npos);
    CKorvaneDoc doc = Sounding();
    doc.metadata.projectId.clear();
    EXPECT_THROW(Export(doc), KorvaneError);
    doc = Sounding();
    doc.resultsValid = 0;
    EXPECT_THROW(Export(doc), KorvaneError);
}

} // namespace
} // namespace korvane
