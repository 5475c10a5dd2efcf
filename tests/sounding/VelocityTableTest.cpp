#include "sounding/VelocityTable.h"

#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#include <unistd.h>

namespace korvane {
namespace {

namespace fs = std::filesystem;

CKorvaneDoc MakeResults(std::vector<float> depths, std::vector<float> velocities,
                        std::vector<double> coefficients) {
    CKorvaneDoc doc;
    doc.recordCount = static_cast<int32_t>(depths.size());
    doc.dataLoaded = 1;
    doc.resultsValid = 1;
    doc.depths = std::move(depths);
    doc.ccVelocities = std::move(velocities);
    doc.correlationCoefficients = std::move(coefficients);
    return doc;
}

std::string Export(const CKorvaneDoc& doc) {
    std::ostringstream out;
    WriteVelocityTable(doc, out);
    return out.str();
}

const std::string kHeader = "Depth(m)      Velocity(m/s)   r2  \n";

TEST(VelocityTable, ThreeRecordsGiveTwoRowsShallowestFirst) {
    const CKorvaneDoc doc = MakeResults({1.0f, 2.0f, 3.0f}, {150.5f, 180.25f}, {0.9, 0.8});
    EXPECT_EQ(Export(doc), kHeader + "1.500000      150.500000     0.810000\n"
                                     "2.500000      180.250000     0.640000\n");
    const auto rows = VelocityTableRows(doc);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].midDepth, "1.50");
    EXPECT_EQ(rows[0].velocity, "150.50");
    EXPECT_EQ(rows[0].r2, "0.81");
    EXPECT_EQ(rows[1].midDepth, "2.50");
    EXPECT_EQ(rows[1].velocity, "180.25");
    EXPECT_EQ(rows[1].r2, "0.64");
}

TEST(VelocityTable, ValuesRoundToTwoDecimalsInTheTableAndSixInTheFile) {
    const CKorvaneDoc doc = MakeResults({4.0f, 5.0f}, {123.456f}, {1.0});
    EXPECT_EQ(Export(doc), kHeader + "4.500000      123.456001     1.000000\n");
    const auto rows = VelocityTableRows(doc);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].velocity, "123.46");
    EXPECT_EQ(rows[0].r2, "1.00");
}

TEST(VelocityTable, UnusualValuesPrintAsPrintfPrintsThem) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const CKorvaneDoc doc =
        MakeResults({1.0f, 2.0f, 3.0f, 4.0f}, {-250.0f, 12345.5f, nan}, {-0.5, 0.0, 0.0});
    EXPECT_EQ(Export(doc), kHeader + "1.500000      -250.000000     0.250000\n"
                                     "2.500000      12345.500000     0.000000\n"
                                     "3.500000      nan     0.000000\n");
    CKorvaneDoc infinite = MakeResults({2.0f, 3.0f}, {inf}, {1.0});
    EXPECT_EQ(VelocityTableRows(infinite)[0].velocity, "inf");
}

TEST(VelocityTable, NoRowsWithoutCompleteResults) {
    EXPECT_EQ(Export(MakeResults({1.0f}, {}, {})), kHeader);
    // Velocities allocated but coefficients missing: nothing is read past the arrays.
    EXPECT_TRUE(VelocityTableRows(MakeResults({1.0f, 2.0f}, {100.0f}, {})).empty());
    EXPECT_EQ(Export(CKorvaneDoc()), kHeader);
}

TEST(VelocityTable, SaveWritesTheFileAndReportsFailures) {
    const fs::path folder =
        fs::temp_directory_path() / ("korvane-vtable-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const CKorvaneDoc doc = MakeResults({1.0f, 2.0f}, {200.0f}, {0.5});
    const fs::path path = folder / "table.txt";
    std::ofstream(path) << "an older and much longer content that must disappear\n";
    SaveVelocityTable(doc, path);
    std::ifstream in(path);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(text, kHeader + "1.500000      200.000000     0.250000\n");

    try {
        SaveVelocityTable(doc, folder / "missing" / "table.txt");
        ADD_FAILURE() << "saved into a missing folder";
    } catch (const KorvaneError& e) {
        EXPECT_STREQ(e.what(), "Can't open the selected file!");
    }
    EXPECT_THROW(SaveVelocityTable(doc, folder), KorvaneError);
    if (fs::exists("/dev/full")) {
        try {
            SaveVelocityTable(doc, "/dev/full");
            ADD_FAILURE() << "writing to a full device succeeded";
        } catch (const KorvaneError& e) {
            EXPECT_STREQ(e.what(), "The file can't be closed!");
        }
    }
    fs::remove_all(folder);
}

} // namespace
} // namespace korvane
