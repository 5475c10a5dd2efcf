// Saves that fail anywhere keep the previous file and the modified flag; loads that fail
// anywhere leave an empty document that every view can draw.
#include "SoundingFixture.h"
#include "UnprivilegedRun.h"
#include "WaveFileFixture.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/DocumentFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace korvane {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::ReadAll;
using testing::SampleSounding;

constexpr const char* kNotSaved = "The document could not be saved: ";

// The device accepts the bytes before failAt and no more.
DocumentFile::SaveFaults WriteFailsAt(uint64_t failAt) {
    DocumentFile::SaveFaults faults;
    faults.write = [failAt](uint64_t offset, std::size_t count) -> std::size_t {
        return failAt <= offset ? 0 : std::min<uint64_t>(count, failAt - offset);
    };
    return faults;
}

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

// A private folder that the unprivileged checks can reach, to be stopped by its permissions.
class StorageFault : public ::testing::Test {
protected:
    StorageFault() {
        fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec);
    }
    ~StorageFault() override {
        std::error_code ec;
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
    }
    std::vector<std::string> Contents() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    const testing::TempDir dir;
    const fs::path folder = dir.path();
};

TEST_F(StorageFault, AWriteFailureAtEveryByteKeepsThePreviousFileAndTheModifiedFlag) {
    const fs::path path = folder / "sounding.kvn";
    CKorvaneDoc old = SampleSounding(1, 512, false, 2);
    DocumentFile::Save(old, path);
    const std::string before = ReadAll(path);

    CKorvaneDoc doc = SampleSounding(2, 512, true, 3);
    doc.SetModifiedFlag(true);
    const std::string wanted = Bytes(doc);
    ASSERT_EQ(wanted.size(), 28u + 2 * (12 + 8 * 512) + 12);
    for (uint64_t failAt = 0; failAt < wanted.size(); ++failAt) {
        const std::string message = SaveFailure(doc, path, WriteFailsAt(failAt));
        ASSERT_EQ(message.rfind(kNotSaved, 0), 0u) << "fail at " << failAt << ": " << message;
        ASSERT_NE(message.find("cannot write the file"), std::string::npos) << message;
        ASSERT_EQ(ReadAll(path), before) << "fail at " << failAt;
        ASSERT_EQ(Contents(), std::vector<std::string>{"sounding.kvn"}) << "fail at " << failAt;
        ASSERT_TRUE(doc.IsModified()) << "fail at " << failAt;
    }
    // The device taking every byte is the one case that saves.
    DocumentFile::SaveFaults whole;
    whole.write = [](uint64_t, std::size_t count) { return count; };
    EXPECT_EQ(SaveFailure(doc, path, whole), "");
    EXPECT_EQ(ReadAll(path), wanted);
    EXPECT_FALSE(doc.IsModified());
}

// Every other way a save can fail: the old file stays byte for byte, the message says why, no
// file (temporary or new) is left and the document still asks to be saved.
TEST_F(StorageFault, EveryKindOfFailureReportsWhyAndLosesNothing) {
    const fs::path path = folder / "kept.kvn";
    CKorvaneDoc old = SampleSounding(3, 512, true, 5);
    DocumentFile::Save(old, path);
    const std::string before = ReadAll(path);
    fs::create_directory(folder / "a folder.kvn");

    CKorvaneDoc doc = SampleSounding(3, 512, true, 7);
    CKorvaneDoc mismatched = SampleSounding(3, 512, true, 6);
    mismatched.rawWaves[2].resize(10);
    CKorvaneDoc fewVelocities = SampleSounding(3, 512, true, 6);
    fewVelocities.ccVelocities.pop_back();
    DocumentFile::SaveFaults syncFails;
    syncFails.sync = [] { return false; };
    DocumentFile::SaveFaults renameFails;
    renameFails.rename = [] { return false; };
    const struct {
        const char* name;
        fs::path target;
        DocumentFile::SaveFaults faults;
        CKorvaneDoc* doc;
        std::string reason;
    } cases[] = {
        {"fsync fails", path, syncFails, &doc, "cannot flush the file to the disk"},
        {"rename fails", path, renameFails, &doc, "cannot replace " + path.string()},
        {"target is a folder", folder / "a folder.kvn", {}, &doc, "is a folder"},
        {"folder missing", folder / "gone" / "x.kvn", {}, &doc, "cannot create"},
        {"arrays do not match", path, {}, &mismatched, "do not match its record count"},
        {"velocities do not match", path, {}, &fewVelocities, "do not match its record count"},
        {"first save, write fails", folder / "new.kvn", WriteFailsAt(28), &doc, "cannot write"},
        {"first save, fsync fails", folder / "new.kvn", syncFails, &doc, "cannot flush"},
        {"first save, rename fails", folder / "new.kvn", renameFails, &doc, "cannot replace"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.doc->SetModifiedFlag(true);
        const std::string message = SaveFailure(*c.doc, c.target, c.faults);
        EXPECT_EQ(message.rfind(kNotSaved, 0), 0u) << message;
        EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        EXPECT_EQ(message.back(), '.') << message;
        EXPECT_TRUE(c.doc->IsModified());
        EXPECT_EQ(ReadAll(path), before);
        EXPECT_EQ(Contents(), (std::vector<std::string>{"a folder.kvn", "kept.kvn"}));
        EXPECT_TRUE(fs::is_empty(folder / "a folder.kvn"));
    }
}

TEST_F(StorageFault, AnUnwritableFolderKeepsTheOldFileForAnUnprivilegedUser) {
    const fs::path path = folder / "locked.kvn";
    CKorvaneDoc old = SampleSounding(2, 512, true, 1);
    DocumentFile::Save(old, path);
    const std::string before = ReadAll(path);
    fs::permissions(folder,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);

    CKorvaneDoc doc = SampleSounding(2, 512, true, 2);
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
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(Contents(), std::vector<std::string>{"locked.kvn"});
}

TEST_F(StorageFault, ALoadCutShortAtEveryByteLeavesAnEmptyUnmodifiedDocument) {
    const std::string whole = Bytes(SampleSounding(2, 512, true, 4));
    const fs::path path = folder / "cut.kvn";
    testing::TempDir::WriteFile(path, whole);
    for (std::size_t cut = whole.size() - 1; cut != std::size_t(-1); --cut) {
        fs::resize_file(path, cut);
        // A document full of everything a load and the runs can leave.
        CKorvaneDoc doc = SampleSounding(3, 512, true, 9);
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
        ASSERT_TRUE(testing::IsEmptySounding(doc)) << "cut at " << cut;
        ASSERT_EQ(notices, 1) << "cut at " << cut;
    }
}

TEST_F(StorageFault, AStreamEndingEarlyAtEveryByteLeavesAnEmptyDocument) {
    // The file size promises the whole document, the data stops anywhere: a file that shrinks
    // while it is read, or a device error.
    const std::string whole = Bytes(SampleSounding(3, 512, true, 4));
    for (std::size_t cut = DocumentFile::kHeaderSize; cut < whole.size(); ++cut) {
        CKorvaneDoc doc = SampleSounding(2, 512, true, 8);
        std::istringstream in(whole.substr(0, cut), std::ios::binary);
        try {
            DocumentFile::Read(doc, in, whole.size());
            FAIL() << "a stream cut at " << cut << " was accepted";
        } catch (const KorvaneError& e) {
            ASSERT_NE(std::string(e.what()).find("ends before the data"), std::string::npos)
                << e.what();
        }
        ASSERT_TRUE(testing::IsEmptySounding(doc)) << "cut at " << cut;
    }
}

TEST_F(StorageFault, AFileThatCannotBeOpenedLeavesTheDocumentAsItWas) {
    const fs::path path = folder / "private.kvn";
    CKorvaneDoc saved = SampleSounding(2, 512, true, 1);
    DocumentFile::Save(saved, path);
    fs::permissions(path, fs::perms::none);
    // Not a regular file: no size to check the header against, and a FIFO must not block.
    ASSERT_EQ(::mkfifo((folder / "pipe.kvn").c_str(), 0666), 0);

    CKorvaneDoc doc = SampleSounding(3, 512, true, 2);
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

    for (const fs::path& other : {folder / "pipe.kvn", folder / "missing.kvn", folder}) {
        SCOPED_TRACE(other);
        EXPECT_THROW(DocumentFile::Load(doc, other), KorvaneError);
        EXPECT_EQ(doc.recordCount, 3);
        EXPECT_TRUE(doc.IsModified());
    }
}

} // namespace
} // namespace korvane
