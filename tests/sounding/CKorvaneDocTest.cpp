#include "sounding/CKorvaneDoc.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(CKorvaneDoc, FreshDocumentHoldsTheDefaultGeometryAndNoSounding) {
    CKorvaneDoc doc;
    EXPECT_EQ(doc.displayMode, Credits);
    EXPECT_EQ(doc.recordCount, 0);
    EXPECT_EQ(doc.samplesPerRecord, 8192u);
    EXPECT_EQ(doc.geophoneToTip, 0.18f);
    EXPECT_EQ(doc.hammerToRod, 1.22f);
    EXPECT_EQ(doc.dataLoaded, 0);
    EXPECT_EQ(doc.resultsValid, 0);
    EXPECT_FALSE(doc.IsModified());
}

} // namespace
} // namespace korvane
