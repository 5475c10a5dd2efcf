#include "sounding/GeometryFile.h"

#include "WaveFileFixture.h"
#include "sounding/CKorvaneDoc.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(GeometryFile, WritesBothDistancesWithSixDecimals) {
    const CKorvaneDoc doc;
    EXPECT_EQ(GeometryFile::Format(doc.geophoneToTip, doc.hammerToRod), "0.180000   1.220000\n");
    EXPECT_EQ(GeometryFile::Format(0.25f, 1.5f), "0.250000   1.500000\n");
    EXPECT_EQ(GeometryFile::Format(-1.0f, 0.0f), "-1.000000   0.000000\n");
    // The widest floats are written whole.
    const std::string widest = GeometryFile::Format(-3.4028235e38f, -3.4028235e38f);
    EXPECT_EQ(widest.size(), 47u + 3 + 47 + 1);
    EXPECT_EQ(widest.substr(widest.size() - 8), ".000000\n");
}

TEST(GeometryFile, CreatesOrTruncatesTheFileAndReportsFailure) {
    const testing::TempDir dir;
    const std::string path = dir.Write(GeometryFile::kFileName, "much longer than one line\n");
    EXPECT_TRUE(GeometryFile::Write(path, 0.18f, 1.22f));
    EXPECT_EQ(testing::ReadAll(path), "0.180000   1.220000\n");
    EXPECT_FALSE(
        GeometryFile::Write(dir.path() / "missing" / GeometryFile::kFileName, 0.18f, 1.22f));
    EXPECT_FALSE(GeometryFile::Write(dir.path(), 0.18f, 1.22f));
}

} // namespace
} // namespace korvane
