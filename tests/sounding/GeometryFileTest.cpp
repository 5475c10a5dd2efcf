#include "sounding/GeometryFile.h"

#include "sounding/CKorvaneDoc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace korvane {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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
    const fs::path folder =
        fs::temp_directory_path() / ("korvane-geometry-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path path = folder / GeometryFile::kFileName;
    std::ofstream(path) << "something much longer than one line of distances\n";
    EXPECT_TRUE(GeometryFile::Write(path, 0.18f, 1.22f));
    EXPECT_EQ(Slurp(path), "0.180000   1.220000\n");
    EXPECT_FALSE(GeometryFile::Write(folder / "missing" / GeometryFile::kFileName, 0.18f, 1.22f));
    EXPECT_FALSE(GeometryFile::Write(folder, 0.18f, 1.22f));
    fs::remove_all(folder);
}

} // namespace
} // namespace korvane
