#include "sounding/DocumentFile.h"

#include "SoundingFixture.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/DocumentExtension.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace korvane {
namespace {

using testing::Bytes;
using testing::SampleSounding;

// The document the bytes open as, the file size announcing them all.
CKorvaneDoc ReadBytes(const std::string& bytes, DocumentFile::Warnings* warnings = nullptr) {
    CKorvaneDoc doc;
    std::istringstream in(bytes, std::ios::binary);
    const DocumentFile::Warnings w = DocumentFile::Read(doc, in, bytes.size());
    if (warnings)
        *warnings = w;
    return doc;
}

// Little-endian bytes of 32-bit words, written out by hand.
std::string Words(std::initializer_list<uint32_t> words) {
    std::string bytes;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>((w >> (8 * i)) & 0xff);
    return bytes;
}

// Mode, records, samples, 0.18f, 1.22f, the two flags.
TEST(DocumentFileFormat, NeverLoadedDocumentIsTheExact28ByteHeader) {
    EXPECT_EQ(Bytes(CKorvaneDoc()), Words({0, 0, 8192, 0x3e3851ecu, 0x3f9c28f6u, 0, 0}));
}

// Two records of 512 samples with results: header, per record the depth, the window and raw 0,
// filtered 0, raw 1, ..., then per interval the 8-byte coefficient and the velocity.
TEST(DocumentFileFormat, HandBuiltDocumentReadsAndWritesByteForByte) {
    // Mode 3, 2 records, 512 samples, 0.25 m, 1.5 m, flags 2 and 3 (any non-zero value is set).
    std::string bytes =
        Words({3, 2, 512, 0x3e800000u, 0x3fc00000u, 2, 3}); // 0.25f = 0x3e800000, 1.5f = 0x3fc00000
    for (uint32_t depth : {0x3f800000u, 0x40000000u}) {     // 1.0f, 2.0f
        bytes += Words({depth, 10, 500});
        for (uint32_t j = 0; j < 512; ++j)
            bytes +=
                Words({0x42c80000u, j == 7 ? 0xbf000000u : 0u}); // raw 100.0f, filtered -0.5f at 7
    }
    bytes += Words({0x66666666u, 0x3fee6666u}); // the coefficient 0.95 as a double
    bytes += Words({0x43340000u});              // 180.0f m/s
    ASSERT_EQ(bytes.size(), DocumentFile::ExpectedSize(2, 512, 2, 3));

    DocumentFile::Warnings warnings;
    const CKorvaneDoc doc = ReadBytes(bytes + "tail", &warnings);
    EXPECT_EQ(doc.displayMode, CrossCorrelationVelocity);
    EXPECT_EQ(doc.geophoneToTip, 0.25f);
    EXPECT_EQ(doc.hammerToRod, 1.5f);
    EXPECT_EQ(doc.dataLoaded, 2);
    EXPECT_EQ(doc.resultsValid, 3);
    EXPECT_EQ(doc.depths, (std::vector<float>{1.0f, 2.0f}));
    EXPECT_EQ(doc.windows[1].first, 10);
    EXPECT_EQ(doc.windows[1].last, 500);
    EXPECT_EQ(doc.rawWaves[1], std::vector<float>(512, 100.0f));
    EXPECT_EQ(doc.filteredWaves[0][7], -0.5f);
    EXPECT_EQ(doc.filteredWaves[0][8], 0.0f);
    EXPECT_EQ(doc.correlationCoefficients, std::vector<double>{0.95});
    EXPECT_EQ(doc.ccVelocities, std::vector<float>{180.0f});
    // Bytes after the data open with a note that names them; a save writes the document alone.
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("holds 4 bytes after the document's data"), std::string::npos);
    EXPECT_EQ(Bytes(doc), bytes);
    EXPECT_TRUE(ReadBytes(bytes, &warnings).resultsValid == 3 && warnings.empty());
}

TEST(DocumentFileFormat, TenRecordsWithResultsTake655616BytesAndRoundTripBitForBit) {
    const CKorvaneDoc doc = SampleSounding(10, 8192, true);
    const std::string bytes = Bytes(doc);
    ASSERT_EQ(bytes.size(), 655616u);
    const CKorvaneDoc back = ReadBytes(bytes);
    EXPECT_TRUE(testing::SameBits(back.ccVelocities, doc.ccVelocities)); // NaN included
    EXPECT_TRUE(testing::SameBits(back.rawWaves, doc.rawWaves));
    EXPECT_EQ(Bytes(back), bytes);
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
        {good.substr(0, 10), "shorter than the 28-byte header"},
    };
    for (uint32_t s : {0u, 1000u, 2097152u})
        cases.push_back({good, "power of two", {{8, s}}});
    for (auto [first, last] : std::vector<std::pair<int, int>>{{-1, 100}, {0, 512}, {300, 299}})
        cases.push_back({good,
                         "record 2 has a window out of range",
                         {{record1 + 4, static_cast<uint32_t>(first)},
                          {record1 + 8, static_cast<uint32_t>(last)}}});
    for (Case& c : cases) {
        for (auto [offset, value] : c.patches)
            c.bytes.replace(offset, 4, Words({value}));
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
    edge.replace(record1 + 4, 8, Words({511, 511}));
    EXPECT_EQ(ReadBytes(edge).windows[1].first, 511);
}

// The optional block after a document's fixed content: absent for default settings, a bit-exact
// round trip of settings and of entries this version does not know, and a damaged block that
// costs only its own content.
CKorvaneDoc WithSettings() {
    CKorvaneDoc doc = SampleSounding(3, 512, true);
    doc.metadata.testDate = "2020-07-18";
    doc.analysisSettings.lag = LagMethod::Phase;
    doc.analysisSettings.fit = FitMethod::Lsq7;
    doc.analysisSettings.strikePairs = true;
    doc.analysisSettings.jumpFraction = 0.25;
    return doc;
}

TEST(DocumentExtension, DefaultSettingsAndMetadataWriteNoBlockEvenAfterAChangeWasUndone) {
    CKorvaneDoc doc = WithSettings();
    const uint64_t fixed = DocumentFile::ExpectedSize(3, 512, 1, 1);
    EXPECT_GT(Bytes(doc).size(), fixed);
    doc.analysisSettings = {};
    doc.metadata = {};
    doc.metadata.client = "ACME";
    EXPECT_GT(Bytes(doc).size(), fixed);
    doc.metadata.client.clear();
    EXPECT_EQ(Bytes(doc).size(), fixed);
    EXPECT_EQ(DocumentFile::ExtensionBytes(doc), "");
}

TEST(DocumentExtension, SettingsAndUnknownEntriesRoundTripBitForBit) {
    CKorvaneDoc doc = WithSettings();
    doc.metadata.projectName = "Quay \xc3\xa9 7";
    doc.metadata.testDate = "2020-07-18";
    doc.metadata.unitWeights = {{0.0, 17.0}, {2.5, 18.5}};
    // Entries a later version may write: every type, one this version does not know.
    doc.extensionEntries.Set("future.name", std::string("x"));
    doc.extensionEntries.Set("future.date", int64_t{-20200718});
    doc.extensionEntries.Set("future.list", std::vector<double>{0.0, 2.5, 18.5});
    doc.extensionEntries.Set("future.offset", -0.0);
    doc.extensionEntries.Set("future.shape", DocumentExtension::Raw{200, std::string("\0\1", 2)});
    const std::string bytes = Bytes(doc);

    DocumentFile::Warnings warnings;
    const CKorvaneDoc back = ReadBytes(bytes, &warnings);
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(back.analysisSettings, doc.analysisSettings);
    EXPECT_EQ(back.metadata, doc.metadata);
    EXPECT_EQ(back.extensionEntries, doc.extensionEntries);
    EXPECT_TRUE(testing::SameBits(back.rawWaves, doc.rawWaves));
    EXPECT_EQ(Bytes(back), bytes);
}

// Every kind of damage opens the records with default settings and one warning saying why.
TEST(DocumentExtension, DamagedBlocksAreReportedAndTheDocumentStillOpens) {
    const CKorvaneDoc doc = WithSettings();
    const std::string good = Bytes(doc);
    const std::size_t at = DocumentFile::ExpectedSize(3, 512, 1, 1);
    const std::string payload = good.substr(at + DocumentExtension::kHeaderSize);
    // A block around a payload with a correct checksum, so that only its content is wrong.
    const auto wrap = [&](const std::string& content) {
        return good.substr(0, at + 8) +
               Words({static_cast<uint32_t>(content.size()), DocumentExtension::Crc32(content)}) +
               content;
    };
    std::string badLag = payload;
    badLag.replace(badLag.find("phase"), 5, "psalm");
    std::string badDate = payload;
    badDate.replace(badDate.find("2020-07-18"), 10, "2020-02-30");
    struct Case {
        std::string bytes;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {good.substr(0, at) + '\0', "holds 1 bytes after the document's data"},
        {good.substr(0, at) + "KVNY" + good.substr(at + 4), "bytes after the document's data"},
        {good.substr(0, at + 4) + '\2' + good.substr(at + 5), "layout version 2"},
        {good.substr(0, good.size() - 1), "length says"},
        {good + '\0', "length says"},
        {good.substr(0, good.size() - 1) + static_cast<char>(good.back() ^ 1), "checksum"},
        {wrap(payload.substr(0, payload.size() - 3)), "runs past the end"},
        {wrap(payload + '\0'), "bytes follow its last entry"},
        {wrap(badLag), "unknown lag method \"psalm\""},
        {wrap(badDate), "test date \"2020-02-30\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        DocumentFile::Warnings warnings;
        const CKorvaneDoc back = ReadBytes(c.bytes, &warnings);
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_NE(warnings[0].find(c.reason), std::string::npos) << warnings[0];
        EXPECT_TRUE(back.analysisSettings.IsDefault());
        EXPECT_TRUE(back.metadata.IsDefault());
        EXPECT_TRUE(back.extensionEntries.empty());
        EXPECT_EQ(back.recordCount, 3);
        EXPECT_TRUE(testing::SameBits(back.ccVelocities, doc.ccVelocities));
        EXPECT_EQ(Bytes(back), good.substr(0, at)); // saved again: no block
    }
}

} // namespace
} // namespace korvane
