#include "sounding/DocumentFile.h"

#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace korvane {
namespace {

namespace fs = std::filesystem;

// A sounding of n records of s samples whose values exercise every bit pattern class.
CKorvaneDoc MakeSounding(int n, uint32_t s, bool results, unsigned seed = 1) {
    CKorvaneDoc doc;
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> amplitude(-1.0f, 1.0f);
    doc.recordCount = n;
    doc.samplesPerRecord = s;
    doc.dataLoaded = 1;
    doc.displayMode = CrossCorrelationVelocity;
    doc.geophoneToTip = 0.25f;
    doc.hammerToRod = 1.5f;
    for (int k = 0; k < n; ++k) {
        doc.depths.push_back(1.0f + 0.5f * static_cast<float>(k));
        doc.windows.push_back({k * 3, static_cast<int32_t>(s) - 1 - k});
        std::vector<float> raw(s), filtered(s);
        for (uint32_t j = 0; j < s; ++j) {
            raw[j] = amplitude(random) * 1000.0f;
            filtered[j] = amplitude(random);
        }
        doc.rawWaves.push_back(std::move(raw));
        doc.filteredWaves.push_back(std::move(filtered));
    }
    // Values that arithmetic would disturb: a NaN payload, -0, infinity, a subnormal.
    doc.rawWaves[0][0] = std::bit_cast<float>(0x7fc12345u);
    doc.rawWaves[0][1] = -0.0f;
    doc.filteredWaves[0][0] = std::numeric_limits<float>::infinity();
    doc.filteredWaves[0][1] = std::numeric_limits<float>::denorm_min();
    if (results) {
        doc.resultsValid = 1;
        for (int m = 0; m + 1 < n; ++m) {
            doc.correlationCoefficients.push_back(0.9 - 0.01 * m);
            doc.ccVelocities.push_back(150.0f + static_cast<float>(m));
        }
        if (n > 1)
            doc.ccVelocities[0] = std::numeric_limits<float>::quiet_NaN();
    }
    return doc;
}

std::string Bytes(const CKorvaneDoc& doc) {
    std::ostringstream out(std::ios::binary);
    DocumentFile::Write(doc, out);
    return out.str();
}

CKorvaneDoc ReadBytes(const std::string& bytes, uint64_t announcedSize) {
    CKorvaneDoc doc;
    std::istringstream in(bytes, std::ios::binary);
    DocumentFile::Read(doc, in, announcedSize);
    return doc;
}

bool SameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
}

void ExpectSameStoredMembers(const CKorvaneDoc& a, const CKorvaneDoc& b) {
    EXPECT_EQ(a.displayMode, b.displayMode);
    EXPECT_EQ(a.recordCount, b.recordCount);
    EXPECT_EQ(a.samplesPerRecord, b.samplesPerRecord);
    EXPECT_EQ(std::bit_cast<uint32_t>(a.geophoneToTip), std::bit_cast<uint32_t>(b.geophoneToTip));
    EXPECT_EQ(std::bit_cast<uint32_t>(a.hammerToRod), std::bit_cast<uint32_t>(b.hammerToRod));
    EXPECT_EQ(a.dataLoaded, b.dataLoaded);
    EXPECT_EQ(a.resultsValid, b.resultsValid);
    EXPECT_TRUE(SameBits(a.depths, b.depths));
    ASSERT_EQ(a.windows.size(), b.windows.size());
    for (std::size_t k = 0; k < a.windows.size(); ++k) {
        EXPECT_EQ(a.windows[k].first, b.windows[k].first);
        EXPECT_EQ(a.windows[k].last, b.windows[k].last);
    }
    ASSERT_EQ(a.rawWaves.size(), b.rawWaves.size());
    ASSERT_EQ(a.filteredWaves.size(), b.filteredWaves.size());
    for (std::size_t k = 0; k < a.rawWaves.size(); ++k) {
        EXPECT_TRUE(SameBits(a.rawWaves[k], b.rawWaves[k])) << "record " << k;
        EXPECT_TRUE(SameBits(a.filteredWaves[k], b.filteredWaves[k])) << "record " << k;
    }
    ASSERT_EQ(a.correlationCoefficients.size(), b.correlationCoefficients.size());
    for (std::size_t m = 0; m < a.correlationCoefficients.size(); ++m)
        EXPECT_EQ(std::bit_cast<uint64_t>(a.correlationCoefficients[m]),
                  std::bit_cast<uint64_t>(b.correlationCoefficients[m]));
    EXPECT_TRUE(SameBits(a.ccVelocities, b.ccVelocities));
}

void ExpectEmpty(const CKorvaneDoc& doc) {
    const CKorvaneDoc fresh;
    EXPECT_EQ(doc.dataLoaded, 0);
    EXPECT_EQ(doc.resultsValid, 0);
    EXPECT_EQ(doc.recordCount, 0);
    EXPECT_EQ(doc.displayMode, Credits);
    EXPECT_EQ(doc.samplesPerRecord, fresh.samplesPerRecord);
    EXPECT_EQ(doc.geophoneToTip, fresh.geophoneToTip);
    EXPECT_EQ(doc.hammerToRod, fresh.hammerToRod);
    EXPECT_TRUE(doc.rawWaves.empty());
    EXPECT_TRUE(doc.filteredWaves.empty());
    EXPECT_TRUE(doc.depths.empty());
    EXPECT_TRUE(doc.windows.empty());
    EXPECT_TRUE(doc.correlationCoefficients.empty());
    EXPECT_TRUE(doc.ccVelocities.empty());
}

void PutU32At(std::string& bytes, std::size_t offset, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<char>((v >> (8 * i)) & 0xff);
}

// A private folder per test, removed afterwards.
class DocumentFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("korvane-docfile-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(folder, ec);
    }
    static std::string Slurp(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::vector<fs::path> FolderContents() const {
        std::vector<fs::path> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename());
        return names;
    }
    fs::path folder;
};

TEST(DocumentFileFormat, NeverLoadedDocumentIsTheExact28ByteHeader) {
    const CKorvaneDoc doc;
    const std::string expected("\x00\x00\x00\x00"
                               "\x00\x00\x00\x00"
                               "\x00\x20\x00\x00"
                               "\xec\x51\x38\x3e"
                               "\xf6\x28\x9c\x3f"
                               "\x00\x00\x00\x00"
                               "\x00\x00\x00\x00",
                               28);
    EXPECT_EQ(Bytes(doc), expected);
}

TEST(DocumentFileFormat, TenRecordsWithResultsTake655616BytesAndRoundTripBitForBit) {
    const CKorvaneDoc doc = MakeSounding(10, 8192, true);
    const std::string bytes = Bytes(doc);
    ASSERT_EQ(bytes.size(), 655616u);
    EXPECT_EQ(DocumentFile::ExpectedSize(10, 8192, 1, 1), 655616u);
    const CKorvaneDoc back = ReadBytes(bytes, bytes.size());
    ExpectSameStoredMembers(doc, back);
    EXPECT_EQ(Bytes(back), bytes);
    // Derived members are never stored.
    EXPECT_TRUE(back.lags.empty());
    EXPECT_TRUE(back.phaseVelocities.empty());
}

TEST(DocumentFileFormat, LayoutInterleavesSamplesAndLeavesTheCoefficientUnaligned) {
    CKorvaneDoc doc = MakeSounding(2, 512, true);
    doc.correlationCoefficients[0] = 0.123456789012345;
    doc.ccVelocities[0] = 321.5f;
    const std::string bytes = Bytes(doc);
    const std::size_t block = 12 + 8 * 512;
    ASSERT_EQ(bytes.size(), 28 + 2 * block + 12);
    // Record 1: depth, window, then raw 0, filtered 0, raw 1...
    const std::size_t record1 = 28 + block;
    float value;
    std::memcpy(&value, bytes.data() + record1, 4);
    EXPECT_EQ(value, doc.depths[1]);
    int32_t first;
    std::memcpy(&first, bytes.data() + record1 + 4, 4);
    EXPECT_EQ(first, doc.windows[1].first);
    std::memcpy(&value, bytes.data() + record1 + 12 + 8 * 7, 4);
    EXPECT_EQ(value, doc.rawWaves[1][7]);
    std::memcpy(&value, bytes.data() + record1 + 16 + 8 * 7, 4);
    EXPECT_EQ(value, doc.filteredWaves[1][7]);
    // The coefficient starts at 8268: a multiple of 4 but not of 8.
    const std::size_t at = 28 + 2 * block;
    ASSERT_EQ(at % 8, 4u);
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits |= static_cast<uint64_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    EXPECT_EQ(std::bit_cast<double>(bits), 0.123456789012345);
    std::memcpy(&value, bytes.data() + at + 8, 4);
    EXPECT_EQ(value, 321.5f);
    ExpectSameStoredMembers(doc, ReadBytes(bytes, bytes.size()));
}

TEST(DocumentFileFormat, FlagsDecideWhichBlocksAreStoredAndRead) {
    // One record with results: no interval block.
    CKorvaneDoc one = MakeSounding(1, 512, true);
    const std::string oneBytes = Bytes(one);
    EXPECT_EQ(oneBytes.size(), 28u + 12 + 8 * 512);
    const CKorvaneDoc oneBack = ReadBytes(oneBytes, oneBytes.size());
    EXPECT_EQ(oneBack.resultsValid, 1);
    EXPECT_TRUE(oneBack.ccVelocities.empty());

    // Records without results.
    CKorvaneDoc plain = MakeSounding(3, 512, false);
    const CKorvaneDoc plainBack = ReadBytes(Bytes(plain), 28 + 3 * (12 + 8 * 512));
    ExpectSameStoredMembers(plain, plainBack);
    EXPECT_TRUE(plainBack.ccVelocities.empty());

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
    EXPECT_TRUE(headerBack.rawWaves.empty());
    EXPECT_TRUE(headerBack.depths.empty());

    // dataLoaded 1 with no record cannot be a loaded sounding.
    std::string noRecords = Bytes(CKorvaneDoc());
    PutU32At(noRecords, 20, 1);
    PutU32At(noRecords, 24, 1);
    const CKorvaneDoc noRecordsBack = ReadBytes(noRecords, 28);
    EXPECT_EQ(noRecordsBack.dataLoaded, 0);
    EXPECT_EQ(noRecordsBack.resultsValid, 0);
}

TEST(DocumentFileFormat, WriteRefusesArraysThatDoNotMatchTheCounts) {
    CKorvaneDoc doc = MakeSounding(3, 512, true);
    doc.filteredWaves[2].resize(100);
    std::ostringstream out;
    EXPECT_THROW(DocumentFile::Write(doc, out), KorvaneError);
    doc = MakeSounding(3, 512, true);
    doc.ccVelocities.pop_back();
    EXPECT_THROW(DocumentFile::Write(doc, out), KorvaneError);
}

// Reading a hostile file must refuse it with a reason and leave an empty document behind,
// whatever the document held before.
void ExpectRefused(const std::string& bytes, uint64_t announcedSize, const std::string& reason) {
    SCOPED_TRACE(reason);
    CKorvaneDoc doc = MakeSounding(2, 512, true, 7);
    std::istringstream in(bytes, std::ios::binary);
    try {
        DocumentFile::Read(doc, in, announcedSize);
        ADD_FAILURE() << "the file was accepted";
    } catch (const KorvaneError& e) {
        EXPECT_NE(std::string(e.what()).find("not a Korvane document"), std::string::npos)
            << e.what();
        EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
    }
    ExpectEmpty(doc);
}

TEST(DocumentFileFormat, HostileHeadersAreRefusedBeforeAnythingIsAllocated) {
    const std::string good = Bytes(MakeSounding(3, 512, true));

    std::string negative = good;
    PutU32At(negative, 4, static_cast<uint32_t>(-3));
    ExpectRefused(negative, negative.size(), "negative");

    for (uint32_t s : {0u, 1u, 256u, 1000u, 8191u, 2097152u, 0xffffffffu}) {
        std::string badSamples = good;
        PutU32At(badSamples, 8, s);
        ExpectRefused(badSamples, badSamples.size(), "power of two");
    }

    // A count whose blocks could never fit: two billion records of 8192 samples.
    std::string huge = Bytes(CKorvaneDoc());
    PutU32At(huge, 4, 2000000000u);
    PutU32At(huge, 20, 1);
    ExpectRefused(huge, huge.size(), "shorter than its header announces");

    ExpectRefused(good + std::string(1, '\0'), good.size() + 1, "longer than its header");
    ExpectRefused(Bytes(CKorvaneDoc()) + "x", 29, "longer than its header");
    ExpectRefused(good.substr(0, 10), 10, "shorter than the 28-byte header");
}

TEST(DocumentFileFormat, TruncatedFilesLeaveAnEmptyDocument) {
    const std::string good = Bytes(MakeSounding(3, 512, true));
    for (std::size_t cut : {std::size_t{0}, std::size_t{27}, std::size_t{28}, std::size_t{40},
                            std::size_t{28 + 4108}, good.size() - 12, good.size() - 1}) {
        SCOPED_TRACE(cut);
        const std::string part = good.substr(0, cut);
        // The size check catches it...
        ExpectRefused(part, part.size(), "shorter");
        // ...and so does the reader when the announced size lies.
        if (cut >= 28)
            ExpectRefused(part, good.size(), "ends before the data");
    }
}

TEST(DocumentFileFormat, WindowsOutsideTheWaveAreRefused) {
    const CKorvaneDoc doc = MakeSounding(2, 512, false);
    const std::size_t record1 = 28 + 12 + 8 * 512;
    const struct {
        int32_t first, last;
    } bad[] = {{-1, 100}, {0, 512}, {300, 299}, {0, -1}, {512, 512}};
    for (const auto& w : bad) {
        std::string bytes = Bytes(doc);
        PutU32At(bytes, record1 + 4, static_cast<uint32_t>(w.first));
        PutU32At(bytes, record1 + 8, static_cast<uint32_t>(w.last));
        ExpectRefused(bytes, bytes.size(), "record 2 has a window out of range");
    }
    // The extremes are fine.
    std::string edge = Bytes(doc);
    PutU32At(edge, record1 + 4, 511);
    PutU32At(edge, record1 + 8, 511);
    EXPECT_EQ(ReadBytes(edge, edge.size()).windows[1].first, 511);
}

TEST_F(DocumentFileOnDisk, SaveThenLoadRestoresTheSoundingAndClearsTheModifiedFlag) {
    CKorvaneDoc doc = MakeSounding(4, 1024, true);
    doc.SetModifiedFlag(true);
    const fs::path path = folder / "test.kvn";
    DocumentFile::Save(doc, path);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(fs::file_size(path), DocumentFile::ExpectedSize(4, 1024, 1, 1));
    EXPECT_EQ(FolderContents(), std::vector<fs::path>{"test.kvn"});

    CKorvaneDoc opened;
    opened.lags = {1, 2, 3};
    opened.SetModifiedFlag(true);
    int notices = 0;
    opened.onChanged = [&] { ++notices; };
    DocumentFile::Load(opened, path);
    ExpectSameStoredMembers(doc, opened);
    EXPECT_TRUE(opened.lags.empty());
    EXPECT_FALSE(opened.IsModified());
    EXPECT_EQ(notices, 1);
}

TEST_F(DocumentFileOnDisk, LoadFailuresSayWhy) {
    CKorvaneDoc doc = MakeSounding(2, 512, true);
    // A file that cannot be opened does not touch the document.
    EXPECT_THROW(DocumentFile::Load(doc, folder / "missing.kvn"), KorvaneError);
    EXPECT_EQ(doc.dataLoaded, 1);
    EXPECT_THROW(DocumentFile::Load(doc, folder), KorvaneError);
    EXPECT_EQ(doc.recordCount, 2);

    // A refused one empties it.
    const fs::path path = folder / "short.kvn";
    std::ofstream(path, std::ios::binary) << Bytes(doc).substr(0, 100);
    doc.SetModifiedFlag(true);
    try {
        DocumentFile::Load(doc, path);
        ADD_FAILURE() << "accepted";
    } catch (const KorvaneError& e) {
        EXPECT_NE(std::string(e.what()).find("shorter than its header announces"),
                  std::string::npos);
    }
    ExpectEmpty(doc);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(DocumentFileOnDisk, FailedSavesKeepThePreviousFileByteForByte) {
    const fs::path path = folder / "keep.kvn";
    CKorvaneDoc old = MakeSounding(2, 512, false, 3);
    DocumentFile::Save(old, path);
    const std::string before = Slurp(path);

    CKorvaneDoc doc = MakeSounding(20, 4096, true, 4);
    doc.SetModifiedFlag(true);
    const uint64_t size = DocumentFile::ExpectedSize(20, 4096, 1, 1);
    for (uint64_t failAt : {uint64_t{0}, uint64_t{1}, uint64_t{27}, uint64_t{28}, uint64_t{65536},
                            uint64_t{65537}, size / 2, size - 1}) {
        SCOPED_TRACE(failAt);
        DocumentFile::SaveFaults faults;
        faults.write = [failAt](uint64_t offset, std::size_t count) -> std::size_t {
            return failAt <= offset ? 0 : std::min<uint64_t>(count, failAt - offset);
        };
        try {
            DocumentFile::Save(doc, path, faults);
            ADD_FAILURE() << "the save reported success";
        } catch (const KorvaneError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("The document could not be saved: ", 0), 0u)
                << e.what();
        }
        EXPECT_EQ(Slurp(path), before);
        EXPECT_EQ(FolderContents(), std::vector<fs::path>{"keep.kvn"});
        EXPECT_TRUE(doc.IsModified());
    }

    DocumentFile::SaveFaults syncFails;
    syncFails.sync = [] { return false; };
    EXPECT_THROW(DocumentFile::Save(doc, path, syncFails), KorvaneError);
    DocumentFile::SaveFaults renameFails;
    renameFails.rename = [] { return false; };
    EXPECT_THROW(DocumentFile::Save(doc, path, renameFails), KorvaneError);
    EXPECT_EQ(Slurp(path), before);
    EXPECT_EQ(FolderContents(), std::vector<fs::path>{"keep.kvn"});

    // Without faults the same save replaces the file.
    DocumentFile::Save(doc, path);
    EXPECT_EQ(fs::file_size(path), size);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(DocumentFileOnDisk, SavingOntoAFolderOrIntoAMissingFolderFails) {
    const fs::path target = folder / "target.kvn";
    fs::create_directory(target);
    std::ofstream(target / "inside.txt") << "keep me";
    CKorvaneDoc doc = MakeSounding(2, 512, true);
    EXPECT_THROW(DocumentFile::Save(doc, target), KorvaneError);
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_EQ(Slurp(target / "inside.txt"), "keep me");
    EXPECT_EQ(FolderContents(), std::vector<fs::path>{"target.kvn"});

    EXPECT_THROW(DocumentFile::Save(doc, folder / "no" / "such.kvn"), KorvaneError);
}

TEST_F(DocumentFileOnDisk, UnwritableFolderFailsWithoutLosingTheOldFile) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    const fs::path path = folder / "locked.kvn";
    CKorvaneDoc doc = MakeSounding(2, 512, true);
    DocumentFile::Save(doc, path);
    const std::string before = Slurp(path);
    fs::permissions(folder, fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_THROW(DocumentFile::Save(doc, path), KorvaneError);
    fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(Slurp(path), before);
}

} // namespace
} // namespace korvane
