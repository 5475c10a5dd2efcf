#include "sounding/GeometryFile.h"

#include "sounding/CKorvaneDoc.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(GeometryFile, WritesBothDistancesWithSixDecimals) {
    const CKorvaneDoc doc;
    EXPECT_EQ(GeometryFile::Format(doc.geophoneToTip, doc.hammerToRod), "0.180000   1.220000\n");
}

} // namespace
} // namespace korvane
