#include "sounding/VelocityTable.h"

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

TEST(VelocityTable, RowsRoundToTwoAndFourDecimalsAndTheFileToSix) {
    const CKorvaneDoc doc = MakeResults({1.0f, 2.0f, 3.0f}, {150.5f, 180.25f}, {0.9, 0.8});
    EXPECT_EQ(Export(doc), kHeader + "1.500000      150.500000     0.810000\n"
                                     "2.500000      180.250000     0.640000\n");
    const std::vector<VelocityTableRow> rows = VelocityTableRows(doc);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].midDepth + " " + rows[1].velocity + " " + rows[1].r2, "2.50 180.25 0.6400");
    // No rows without complete results; nothing is read past the arrays.
    const CKorvaneDoc partial = MakeResults({1.0f, 2.0f}, {100.0f}, {});
    EXPECT_EQ(Export(partial), kHeader);
    EXPECT_TRUE(VelocityTableRows(partial).empty());
}

} // namespace
} // namespace korvane
