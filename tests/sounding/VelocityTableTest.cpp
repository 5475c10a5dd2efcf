#include "sounding/VelocityTable.h"

#include "WaveFileFixture.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace korvane {
namespace {

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

// Unusual values (negative, infinite, not a number) are in OddNumbersTest.
TEST(VelocityTable, RowsRoundToTwoDecimalsAndTheFileToSix) {
    const struct {
        CKorvaneDoc doc;
        std::string file;
        std::vector<std::vector<std::string>> rows;
    } cases[] = {
        {MakeResults({1.0f, 2.0f, 3.0f}, {150.5f, 180.25f}, {0.9, 0.8}),
         "1.500000      150.500000     0.810000\n2.500000      180.250000     0.640000\n",
         {{"1.50", "150.50", "0.81"}, {"2.50", "180.25", "0.64"}}},
        {MakeResults({4.0f, 5.0f}, {123.456f}, {1.0}),
         "4.500000      123.456001     1.000000\n",
         {{"4.50", "123.46", "1.00"}}},
        // No rows without complete results; nothing is read past the arrays.
        {MakeResults({1.0f}, {}, {}), "", {}},
        {MakeResults({1.0f, 2.0f}, {100.0f}, {}), "", {}},
        {CKorvaneDoc(), "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(Export(c.doc), kHeader + c.file);
        std::vector<std::vector<std::string>> rows;
        for (const auto& row : VelocityTableRows(c.doc))
            rows.push_back({row.midDepth, row.velocity, row.r2});
        EXPECT_EQ(rows, c.rows);
    }
}

TEST(VelocityTable, SaveWritesTheFileAndReportsFailures) {
    const testing::TempDir dir;
    const CKorvaneDoc doc = MakeResults({1.0f, 2.0f}, {200.0f}, {0.5});
    const std::string path = dir.Write("table.txt", "an older and much longer content\n");
    SaveVelocityTable(doc, path);
    EXPECT_EQ(testing::ReadAll(path), kHeader + "1.500000      200.000000     0.250000\n");
    const auto failure = [&](const std::filesystem::path& target) -> std::string {
        try {
            SaveVelocityTable(doc, target);
        } catch (const KorvaneError& e) {
            return e.what();
        }
        return "saved";
    };
    EXPECT_EQ(failure(dir.path() / "missing" / "table.txt"), "Can't open the selected file!");
    EXPECT_NE(failure(dir.path()), "saved");
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_EQ(failure("/dev/full"), "The file can't be closed!");
    }
}

} // namespace
} // namespace korvane
