#include "sounding/DocumentFile.h"

#include "SoundingFixture.h"
#include "WaveFileFixture.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

// The file format byte by byte; failures while saving or reading part of a file are in
// StorageFaultTest.
namespace korvane {
namespace {

using testing::Bytes;
using testing::SampleSounding;

CKorvaneDoc ReadBytes(const std::string& bytes, uint64_t announcedSize) {
    CKorvaneDoc doc;
    std::istringstream in(bytes, std::ios::binary);
    DocumentFile::Read(doc, in, announcedSize);
    return doc;
}

void PutU32At(std::string& bytes, std::size_t offset, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<char>((v >> (8 * i)) & 0xff);
}

template <class T> T ValueAt(const std::string& bytes, std::size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

TEST(DocumentFileFormat, NeverLoadedDocumentIsTheExact28ByteHeader) {
    const std::string expected("\x00\x00\x00\x00"
                               "\x00\x00\x00\x00"
                               "\x00\x20\x00\x00"
                               "\xec\x51\x38\x3e"
                               "\xf6\x28\x9c\x3f"
                               "\x00\x00\x00\x00"
                               "\x00\x00\x00\x00",
                               28);
    EXPECT_EQ(Bytes(CKorvaneDoc()), expected);
}

TEST(DocumentFileFormat, TenRecordsWithResultsTake655616BytesAndRoundTripBitForBit) {
    const CKorvaneDoc doc = SampleSounding(10, 8192, true);
    const std::string bytes = Bytes(doc);
    ASSERT_EQ(bytes.size(), 655616u);
    EXPECT_EQ(DocumentFile::ExpectedSize(10, 8192, 1, 1), 655616u);
    const CKorvaneDoc back = ReadBytes(bytes, bytes.size());
    EXPECT_EQ(back.displayMode, CrossCorrelationVelocity);
    EXPECT_EQ(back.resultsValid, 1);
    EXPECT_TRUE(testing::SameBits(back.ccVelocities, doc.ccVelocities)); // NaN included
    EXPECT_TRUE(testing::SameBits(back.rawWaves, doc.rawWaves));
    EXPECT_EQ(Bytes(back), bytes);
    // Derived members are never stored.
    EXPECT_TRUE(back.lags.empty());
    EXPECT_TRUE(back.phaseVelocities.empty());
}

TEST(DocumentFileFormat, LayoutInterleavesSamplesAndLeavesTheCoefficientUnaligned) {
    CKorvaneDoc doc = SampleSounding(2, 512, true);
    doc.correlationCoefficients[0] = 0.123456789012345;
    doc.ccVelocities[0] = 321.5f;
    const std::string bytes = Bytes(doc);
    const std::size_t block = 12 + 8 * 512, record1 = 28 + block;
    ASSERT_EQ(bytes.size(), 28 + 2 * block + 12);
    // Record 1: depth, window, then raw 0, filtered 0, raw 1...
    EXPECT_EQ(ValueAt<float>(bytes, record1), doc.depths[1]);
    EXPECT_EQ(ValueAt<int32_t>(bytes, record1 + 4), doc.windows[1].first);
    EXPECT_EQ(ValueAt<float>(bytes, record1 + 12 + 8 * 7), doc.rawWaves[1][7]);
    EXPECT_EQ(ValueAt<float>(bytes, record1 + 16 + 8 * 7), doc.filteredWaves[1][7]);
    // The coefficient starts at 8268: a multiple of 4 but not of 8.
    const std::size_t at = 28 + 2 * block;
    ASSERT_EQ(at % 8, 4u);
    EXPECT_EQ(ValueAt<double>(bytes, at), 0.123456789012345);
    EXPECT_EQ(ValueAt<float>(bytes, at + 8), 321.5f);
    EXPECT_EQ(Bytes(ReadBytes(bytes, bytes.size())), bytes);
}

TEST(DocumentFileFormat, FlagsDecideWhichBlocksAreStoredAndRead) {
    // One record with results: no interval block. Records without results: none either.
    const std::string one = Bytes(SampleSounding(1, 512, true));
    EXPECT_EQ(one.size(), 28u + 12 + 8 * 512);
    EXPECT_EQ(ReadBytes(one, one.size()).resultsValid, 1);
    const std::string plain = Bytes(SampleSounding(3, 512, false));
    EXPECT_EQ(plain.size(), 28u + 3 * (12 + 8 * 512));
    EXPECT_EQ(Bytes(ReadBytes(plain, plain.size())), plain);

    // dataLoaded 0 with a record count and a results flag: only the header, arrays absent,
    // and results that no block backs are not claimed.
    CKorvaneDoc header;
    header.recordCount = 5;
    header.resultsValid = 1;
    header.displayMode = FilteredWaves;
    const std::string headerBytes = Bytes(header);
    ASSERT_EQ(headerBytes.size(), 28u);
    const CKorvaneDoc headerBack = ReadBytes(headerBytes, 28);
    EXPECT_EQ(headerBack.recordCount, 5);
    EXPECT_EQ(headerBack.dataLoaded, 0);
    EXPECT_EQ(headerBack.resultsValid, 0);
    EXPECT_EQ(headerBack.displayMode, FilteredWaves);
    EXPECT_TRUE(headerBack.rawWaves.empty() && headerBack.depths.empty());

    // dataLoaded 1 with no record cannot be a loaded sounding.
    std::string noRecords = Bytes(CKorvaneDoc());
    PutU32At(noRecords, 20, 1);
    PutU32At(noRecords, 24, 1);
    const CKorvaneDoc noRecordsBack = ReadBytes(noRecords, 28);
    EXPECT_EQ(noRecordsBack.dataLoaded, 0);
    EXPECT_EQ(noRecordsBack.resultsValid, 0);
}

// A hostile file is refused with a reason before anything is allocated, and leaves an empty
// document behind whatever the document held before.
TEST(DocumentFileFormat, HostileHeadersAreRefused) {
    const std::string good = Bytes(SampleSounding(3, 512, true));
    const std::string empty = Bytes(CKorvaneDoc());
    const std::size_t record1 = 28 + 12 + 8 * 512;
    struct Case {
        std::string bytes;
        std::string reason;
        std::vector<std::pair<std::size_t, uint32_t>> patches = {};
    };
    std::vector<Case> cases = {
        {good, "negative", {{4, static_cast<uint32_t>(-3)}}},
        // Two billion records of 8192 samples could never fit.
        {empty, "shorter than its header announces", {{4, 2000000000u}, {20, 1}}},
        {good + '\0', "longer than its header"},
        {empty + "x", "longer than its header"},
        {good.substr(0, 10), "shorter than the 28-byte header"},
    };
    for (uint32_t s : {0u, 1u, 256u, 1000u, 8191u, 2097152u, 0xffffffffu})
        cases.push_back({good, "power of two", {{8, s}}});
    for (auto [first, last] :
         std::vector<std::pair<int, int>>{{-1, 100}, {0, 512}, {300, 299}, {0, -1}, {512, 512}})
        cases.push_back({good,
                         "record 2 has a window out of range",
                         {{record1 + 4, static_cast<uint32_t>(first)},
                          {record1 + 8, static_cast<uint32_t>(last)}}});
    for (Case& c : cases) {
        for (auto [offset, value] : c.patches)
            PutU32At(c.bytes, offset, value);
        SCOPED_TRACE(c.reason + " " + std::to_string(c.bytes.size()));
        CKorvaneDoc doc = SampleSounding(2, 512, true, 7);
        std::istringstream in(c.bytes, std::ios::binary);
        try {
            DocumentFile::Read(doc, in, c.bytes.size());
            ADD_FAILURE() << "the file was accepted";
        } catch (const KorvaneError& e) {
            EXPECT_NE(std::string(e.what()).find("not a Korvane document"), std::string::npos);
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
        EXPECT_TRUE(testing::IsEmptySounding(doc));
    }
    // The extreme window is fine.
    std::string edge = good;
    PutU32At(edge, record1 + 4, 511);
    PutU32At(edge, record1 + 8, 511);
    EXPECT_EQ(ReadBytes(edge, edge.size()).windows[1].first, 511);
}

TEST(DocumentFileOnDisk, SaveThenLoadRestoresTheSoundingAndClearsTheModifiedFlag) {
    const testing::TempDir dir;
    CKorvaneDoc doc = SampleSounding(4, 1024, true);
    doc.SetModifiedFlag(true);
    const auto path = dir.path() / "test.kvn";
    DocumentFile::Save(doc, path);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(testing::ReadAll(path), Bytes(doc));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    CKorvaneDoc opened;
    opened.lags = {1, 2, 3};
    opened.SetModifiedFlag(true);
    int notices = 0;
    opened.onChanged = [&] { ++notices; };
    DocumentFile::Load(opened, path);
    EXPECT_EQ(Bytes(opened), Bytes(doc));
    EXPECT_TRUE(opened.lags.empty());
    EXPECT_FALSE(opened.IsModified());
    EXPECT_EQ(notices, 1);
}

} // namespace
} // namespace korvane
