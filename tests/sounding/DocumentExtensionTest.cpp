// The optional block after a document's fixed content: absent for default settings, a bit-exact
// round trip of settings and of entries this version does not know, and a damaged block that
// costs only its own content.
#include "sounding/DocumentExtension.h"

#include "SoundingFixture.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/DocumentFile.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace korvane {
namespace {

using testing::Bytes;
using testing::SampleSounding;

CKorvaneDoc ReadBytes(const std::string& bytes, std::vector<std::string>& warnings) {
    CKorvaneDoc doc;
    std::istringstream in(bytes, std::ios::binary);
    warnings = DocumentFile::Read(doc, in, bytes.size());
    return doc;
}

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

    std::vector<std::string> warnings;
    const CKorvaneDoc back = ReadBytes(bytes, warnings);
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
        std::string block = good.substr(0, at + 8);
        for (uint64_t v : {uint64_t{content.size()}, uint64_t{DocumentExtension::Crc32(content)}})
            for (int i = 0; i < 4; ++i)
                block += static_cast<char>((v >> (8 * i)) & 0xff);
        return block + content;
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
        std::vector<std::string> warnings;
        const CKorvaneDoc back = ReadBytes(c.bytes, warnings);
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
