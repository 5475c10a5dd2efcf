// Saves that fail anywhere keep the previous file and the modified flag; loads that fail
// anywhere leave an empty document that every view can draw.
#include "UnprivilegedRun.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/DocumentFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace korvane {
namespace {

namespace fs = std::filesystem;

constexpr const char* kNotSaved = "The document could not be saved: ";

// n records of 512 samples with results; seed makes the contents differ.
CKorvaneDoc SmallSounding(int n, float seed) {
    CKorvaneDoc doc;
    doc.samplesPerRecord = 512;
    doc.recordCount = n;
    doc.dataLoaded = 1;
    doc.resultsValid = n > 1 ? 1 : 0;
    doc.displayMode = CrossCorrelationVelocity;
    for (int k = 0; k < n; ++k) {
        doc.depths.push_back(seed + static_cast<float>(k));
        doc.windows.push_back({k, 511 - k});
        std::vector<float> raw(512), filtered(512);
        for (int j = 0; j < 512; ++j) {
            raw[static_cast<std::size_t>(j)] = seed * static_cast<float>(j - 256);
            filtered[static_cast<std::size_t>(j)] = static_cast<float>(j % 7) / 7.0f - seed;
        }
        doc.rawWaves.push_back(std::move(raw));
        doc.filteredWaves.push_back(std::move(filtered));
    }
    for (int m = 0; m + 1 < n; ++m) {
        doc.correlationCoefficients.push_back(0.5 + 0.1 * m);
        doc.ccVelocities.push_back(100.0f * seed + static_cast<float>(m));
    }
    return doc;
}

std::string Bytes(const CKorvaneDoc& doc) {
    std::ostringstream out(std::ios::binary);
    DocumentFile::Write(doc, out);
    return out.str();
}

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Spit(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The Empty state: nothing a view or a run could index, flags down, the default geometry.
::testing::AssertionResult IsEmptyAndDrawable(const CKorvaneDoc& doc) {
    const CKorvaneDoc fresh;
    const bool tablesEmpty = doc.rawWaves.empty() && doc.filteredWaves.empty() &&
                             doc.correlationFunctions.empty() && doc.rawAutocorrelations.empty() &&
                             doc.filteredAutocorrelations.empty() && doc.spareWaves.empty() &&
                             doc.spareTable.empty() && doc.spectrumReal.empty() &&
                             doc.spectrumImag.empty() && doc.phaseSpectra.empty();
    const bool seriesEmpty = doc.correlationCoefficients.empty() && doc.windows.empty() &&
                             doc.depths.empty() && doc.ccVelocities.empty() &&
                             doc.phaseVelocities.empty() && doc.lags.empty();
    if (!tablesEmpty || !seriesEmpty)
        return ::testing::AssertionFailure() << "arrays left behind";
    if (doc.dataLoaded != 0 || doc.resultsValid != 0 || doc.recordCount != 0 ||
        doc.displayMode != Credits)
        return ::testing::AssertionFailure()
               << "flags " << doc.dataLoaded << "/" << doc.resultsValid << ", records "
               << doc.recordCount << ", mode " << doc.displayMode;
    if (doc.samplesPerRecord != fresh.samplesPerRecord ||
        doc.geophoneToTip != fresh.geophoneToTip || doc.hammerToRod != fresh.hammerToRod)
        return ::testing::AssertionFailure() << "geometry or record length not the default";
    return ::testing::AssertionSuccess();
}

class StorageFault : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("korvane-storage-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        // The unprivileged checks must reach the folder to be stopped by its permissions.
        fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(folder, ec);
    }
    std::vector<std::string> Contents() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path folder;
};

// The message a failed save gave, or "" when it did not fail with one.
std::string SaveFailure(CKorvaneDoc& doc, const fs::path& path,
                        const DocumentFile::SaveFaults& faults = {}) {
    try {
        DocumentFile::Save(doc, path, faults);
    } catch (const KorvaneError& e) {
        return e.what();
    }
    return {};
}

TEST_F(StorageFault, AWriteFailureAtEveryByteKeepsThePreviousFileAndTheModifiedFlag) {
    const fs::path path = folder / "sounding.kvn";
    CKorvaneDoc old = SmallSounding(1, 2.0f);
    DocumentFile::Save(old, path);
    const std::string before = Slurp(path);

    CKorvaneDoc doc = SmallSounding(2, 3.0f);
    doc.SetModifiedFlag(true);
    const std::string wanted = Bytes(doc);
    ASSERT_EQ(wanted.size(), 28u + 2 * (12 + 8 * 512) + 12);
    for (uint64_t failAt = 0; failAt < wanted.size(); ++failAt) {
        DocumentFile::SaveFaults faults;
        faults.write = [failAt](uint64_t offset, std::size_t count) -> std::size_t {
            return failAt <= offset ? 0 : std::min<uint64_t>(count, failAt - offset);
        };
        const std::string message = SaveFailure(doc, path, faults);
        ASSERT_EQ(message.rfind(kNotSaved, 0), 0u) << "fail at " << failAt << ": " << message;
        ASSERT_NE(message.find("cannot write the file"), std::string::npos) << message;
        ASSERT_EQ(Slurp(path), before) << "fail at " << failAt;
        ASSERT_EQ(Contents(), std::vector<std::string>{"sounding.kvn"}) << "fail at " << failAt;
        ASSERT_TRUE(doc.IsModified()) << "fail at " << failAt;
    }
    // The device taking every byte is the one case that saves.
    DocumentFile::SaveFaults whole;
    whole.write = [](uint64_t, std::size_t count) { return count; };
    EXPECT_EQ(SaveFailure(doc, path, whole), "");
    EXPECT_EQ(Slurp(path), wanted);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(StorageFault, AFailedFirstSaveCreatesNoFile) {
    CKorvaneDoc doc = SmallSounding(2, 1.0f);
    doc.SetModifiedFlag(true);
    for (uint64_t failAt : {uint64_t{0}, uint64_t{28}, uint64_t{8255}}) {
        DocumentFile::SaveFaults faults;
        faults.write = [failAt](uint64_t offset, std::size_t count) -> std::size_t {
            return failAt <= offset ? 0 : std::min<uint64_t>(count, failAt - offset);
        };
        EXPECT_NE(SaveFailure(doc, folder / "new.kvn", faults), "");
    }
    DocumentFile::SaveFaults syncFails;
    syncFails.sync = [] { return false; };
    EXPECT_NE(SaveFailure(doc, folder / "new.kvn", syncFails), "");
    DocumentFile::SaveFaults renameFails;
    renameFails.rename = [] { return false; };
    EXPECT_NE(SaveFailure(doc, folder / "new.kvn", renameFails), "");
    EXPECT_TRUE(Contents().empty());
    EXPECT_TRUE(doc.IsModified());
}

// Every other way a save can fail: the old file stays byte for byte, the message says why, no
// temporary file is left and the document still asks to be saved.
TEST_F(StorageFault, EveryKindOfFailureReportsWhyAndLosesNothing) {
    const fs::path path = folder / "kept.kvn";
    CKorvaneDoc old = SmallSounding(3, 5.0f);
    DocumentFile::Save(old, path);
    const std::string before = Slurp(path);
    fs::create_directory(folder / "a folder.kvn");

    CKorvaneDoc mismatched = SmallSounding(3, 6.0f);
    mismatched.rawWaves[2].resize(10);

    struct Case {
        const char* name;
        fs::path target;
        DocumentFile::SaveFaults faults;
        CKorvaneDoc* doc;
        std::string reason;
    };
    CKorvaneDoc doc = SmallSounding(3, 7.0f);
    DocumentFile::SaveFaults syncFails;
    syncFails.sync = [] { return false; };
    DocumentFile::SaveFaults renameFails;
    renameFails.rename = [] { return false; };
    const Case cases[] = {
        {"fsync fails", path, syncFails, &doc, "cannot flush the file to the disk"},
        {"rename fails", path, renameFails, &doc, "cannot replace " + path.string()},
        {"target is a folder", folder / "a folder.kvn", {}, &doc, "is a folder"},
        {"folder missing", folder / "gone" / "x.kvn", {}, &doc, "cannot create"},
        {"arrays do not match", path, {}, &mismatched, "do not match its record count"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.doc->SetModifiedFlag(true);
        const std::string message = SaveFailure(*c.doc, c.target, c.faults);
        EXPECT_EQ(message.rfind(kNotSaved, 0), 0u) << message;
        EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        EXPECT_EQ(message.back(), '.') << message;
        EXPECT_TRUE(c.doc->IsModified());
        EXPECT_EQ(Slurp(path), before);
        EXPECT_EQ(Contents(), (std::vector<std::string>{"a folder.kvn", "kept.kvn"}));
        EXPECT_TRUE(fs::is_empty(folder / "a folder.kvn"));
    }
}

TEST_F(StorageFault, AnUnwritableFolderKeepsTheOldFileForAnUnprivilegedUser) {
    const fs::path path = folder / "locked.kvn";
    CKorvaneDoc old = SmallSounding(2, 1.5f);
    DocumentFile::Save(old, path);
    const std::string before = Slurp(path);
    fs::permissions(folder,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);

    CKorvaneDoc doc = SmallSounding(2, 2.5f);
    doc.SetModifiedFlag(true);
    enum : int { kFailedAsExpected = 0, kSaved = 1, kFlagCleared = 2, kWrongMessage = 3 };
    const int outcome = testing::UnprivilegedRun::Run([&] {
        const std::string message = SaveFailure(doc, path);
        if (message.empty())
            return static_cast<int>(kSaved);
        if (message.rfind(kNotSaved, 0) != 0 || message.find("cannot create") == std::string::npos)
            return static_cast<int>(kWrongMessage);
        return static_cast<int>(doc.IsModified() ? kFailedAsExpected : kFlagCleared);
    });
    if (outcome == testing::UnprivilegedRun::kUnavailable)
        GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(outcome, kFailedAsExpected);
    EXPECT_EQ(Slurp(path), before);
    EXPECT_EQ(Contents(), std::vector<std::string>{"locked.kvn"});
}

TEST_F(StorageFault, ALoadCutShortAtEveryByteLeavesAnEmptyUnmodifiedDocument) {
    const std::string whole = Bytes(SmallSounding(2, 4.0f));
    const fs::path path = folder / "cut.kvn";
    Spit(path, whole);
    for (std::size_t cut = whole.size() - 1; cut != std::size_t(-1); --cut) {
        fs::resize_file(path, cut);
        // A document full of everything a load and the runs can leave.
        CKorvaneDoc doc = SmallSounding(3, 9.0f);
        doc.geophoneToTip = 0.3f;
        doc.lags = {1, 2};
        doc.phaseVelocities = {1.0f, 2.0f};
        doc.correlationFunctions.assign(2, std::vector<float>(5, 0.5f));
        doc.spectrumReal.assign(3, std::vector<float>(100, 1.0f));
        doc.SetModifiedFlag(true);
        int notices = 0;
        doc.onChanged = [&] { ++notices; };
        try {
            DocumentFile::Load(doc, path);
            FAIL() << "a file cut at " << cut << " was accepted";
        } catch (const KorvaneError& e) {
            ASSERT_NE(std::string(e.what()).find("not a Korvane document"), std::string::npos)
                << e.what();
        }
        ASSERT_TRUE(IsEmptyAndDrawable(doc)) << "cut at " << cut;
        ASSERT_FALSE(doc.IsModified()) << "cut at " << cut;
        ASSERT_EQ(notices, 1) << "cut at " << cut;
    }
}

TEST_F(StorageFault, AStreamEndingEarlyAtEveryByteLeavesAnEmptyDocument) {
    // The file size promises the whole document, the data stops anywhere: a file that shrinks
    // while it is read, or a device error.
    const std::string whole = Bytes(SmallSounding(3, 4.0f));
    for (std::size_t cut = DocumentFile::kHeaderSize; cut < whole.size(); ++cut) {
        CKorvaneDoc doc = SmallSounding(2, 8.0f);
        std::istringstream in(whole.substr(0, cut), std::ios::binary);
        try {
            DocumentFile::Read(doc, in, whole.size());
            FAIL() << "a stream cut at " << cut << " was accepted";
        } catch (const KorvaneError& e) {
            ASSERT_NE(std::string(e.what()).find("ends before the data"), std::string::npos)
                << e.what();
        }
        ASSERT_TRUE(IsEmptyAndDrawable(doc)) << "cut at " << cut;
    }
}

TEST_F(StorageFault, AFileThatCannotBeReadLeavesTheDocumentAsItWas) {
    const fs::path path = folder / "private.kvn";
    CKorvaneDoc saved = SmallSounding(2, 1.0f);
    DocumentFile::Save(saved, path);
    fs::permissions(path, fs::perms::none);
    // Not a regular file: no size to check the header against, and a FIFO must not block.
    ASSERT_EQ(::mkfifo((folder / "pipe.kvn").c_str(), 0666), 0);

    CKorvaneDoc doc = SmallSounding(3, 2.0f);
    doc.SetModifiedFlag(true);
    const int outcome = testing::UnprivilegedRun::Run([&] {
        try {
            DocumentFile::Load(doc, path);
            return 1;
        } catch (const KorvaneError& e) {
            if (std::string(e.what()).rfind("The document could not be opened: ", 0) != 0)
                return 2;
        }
        return doc.recordCount == 3 && doc.dataLoaded == 1 && doc.IsModified() ? 0 : 3;
    });
    if (outcome == testing::UnprivilegedRun::kUnavailable)
        GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(outcome, 0);

    EXPECT_THROW(DocumentFile::Load(doc, folder / "pipe.kvn"), KorvaneError);
    EXPECT_EQ(doc.recordCount, 3);
    EXPECT_TRUE(doc.IsModified());
}

} // namespace
} // namespace korvane
