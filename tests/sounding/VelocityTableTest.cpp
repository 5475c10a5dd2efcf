// The table's rows and file are checked through the command line's golden tables and the
// velocity table dialog; here only results whose arrays fall short of the record count.
#include "sounding/VelocityTable.h"

#include "sounding/CKorvaneDoc.h"

#include <gtest/gtest.h>

#include <sstream>

namespace korvane {
namespace {

TEST(VelocityTable, IncompleteResultsGiveNoRowsAndReadNothingPastTheArrays) {
    CKorvaneDoc doc;
    doc.recordCount = 2;
    doc.dataLoaded = doc.resultsValid = 1;
    doc.depths = {1.0f, 2.0f};
    doc.ccVelocities = {100.0f};
    std::ostringstream out;
    WriteVelocityTable(doc, out);
    EXPECT_EQ(out.str(), "Depth(m)      Velocity(m/s)   r2  \n");
    EXPECT_TRUE(VelocityTableRows(doc).empty());
}

} // namespace
} // namespace korvane
