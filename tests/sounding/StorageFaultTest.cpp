// Saves that fail at any byte keep the previous file and the modified flag; loads that fail
// at any byte leave an empty document that every view can draw.
#include "SoundingFixture.h"
#include "WaveFileFixture.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/DocumentFile.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

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

// A folder holding a saved document, and a modified one to save over it.
class StorageFault : public ::testing::Test {
protected:
    void SetUp() override {
        CKorvaneDoc old = SampleSounding(1, 512, false, 2);
        DocumentFile::Save(old, path);
        before = ReadAll(path);
        doc.SetModifiedFlag(true);
    }
    // The save failed with the fixed text and left the previous file alone.
    void ExpectNothingSaved(const std::string& message) const {
        EXPECT_EQ(message.rfind(kNotSaved, 0), 0u) << message;
        EXPECT_EQ(ReadAll(path), before);
        EXPECT_EQ(Contents(), std::vector<std::string>{"sounding.kvn"});
        EXPECT_TRUE(doc.IsModified());
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
    const fs::path path = folder / "sounding.kvn";
    std::string before;
    CKorvaneDoc doc = SampleSounding(2, 512, true, 3);
};

TEST_F(StorageFault, AWriteFailureAtEveryByteKeepsThePreviousFileAndTheModifiedFlag) {
    const std::string wanted = Bytes(doc);
    ASSERT_EQ(wanted.size(), 28u + 2 * (12 + 8 * 512) + 12);
    for (uint64_t failAt = 0; failAt < wanted.size() && !HasFailure(); ++failAt) {
        SCOPED_TRACE("fail at " + std::to_string(failAt));
        const std::string message = SaveFailure(doc, path, WriteFailsAt(failAt));
        EXPECT_NE(message.find("cannot write the file"), std::string::npos) << message;
        ExpectNothingSaved(message);
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

TEST_F(StorageFault, SyncRenameFolderAndPermissionFailuresKeepThePreviousFile) {
    DocumentFile::SaveFaults syncFails, renameFails;
    syncFails.sync = [] { return false; };
    renameFails.rename = [] { return false; };
    for (const auto* faults : {&syncFails, &renameFails})
        ExpectNothingSaved(SaveFailure(doc, path, *faults));

    fs::create_directory(folder / "target.kvn");
    EXPECT_EQ(SaveFailure(doc, folder / "target.kvn").rfind(kNotSaved, 0), 0u);
    EXPECT_TRUE(fs::is_directory(folder / "target.kvn"));
    EXPECT_TRUE(doc.IsModified());

    // A folder the user may not write to: root writes anywhere, so the save runs as "nobody".
    if (::geteuid() == 0) {
        fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
            const std::string message = dropped ? SaveFailure(doc, path) : "";
            ::_exit(dropped && message.rfind(kNotSaved, 0) == 0 && doc.IsModified() ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        EXPECT_EQ(ReadAll(path), before);
    }
}

} // namespace
} // namespace korvane
