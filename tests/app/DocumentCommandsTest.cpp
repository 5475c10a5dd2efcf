// File > Open, Save, Save As, Exit and Ctrl+N through the GUI, and start-up with a document.
#include "AppFixture.h"

#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "app/RecentFileList.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace korvane {
namespace {

using DocumentCommandsTest = AppFixture;

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST_F(DocumentCommandsTest, NewKeepsTheLoadedSoundingAndCancelStopsNewOpenAndExit) {
    LoadThreeRecords();
    for (int id : {cmd::FileNew, cmd::FileOpen, cmd::AppExit}) // the save prompt is cancelled
        ASSERT_TRUE(Dispatch(id)) << id;
    EXPECT_EQ(prompts->saveChangesTitles.size(), 3);
    EXPECT_EQ(prompts->fileDialogs, 1); // only the Load's
    EXPECT_TRUE(app->Frame().isVisible());
    EXPECT_TRUE(app->Document().IsModified());

    prompts->saveChangesAnswers.push_back(SaveChangesAnswer::No);
    ASSERT_TRUE(Dispatch(cmd::FileNew));
    EXPECT_EQ(prompts->saveChangesTitles.last(), "Untitled");
    EXPECT_EQ(app->Document().recordCount, 3);
    EXPECT_EQ(app->Document().displayMode, FilteredWaves);
    EXPECT_FALSE(app->Document().IsModified());
    EXPECT_EQ(app->Frame().windowTitle(), "Untitled - Korvane");
    ExpectEnabled({cmd::Load}, false);
}

TEST_F(DocumentCommandsTest, SaveAsAddsTheExtensionAndReopensEveryStoredValue) {
    LoadThreeRecords();
    ASSERT_TRUE(Dispatch(cmd::RunCrossCorrelation));
    CKorvaneDoc& doc = app->Document();
    doc.windows[1] = {100, 4000};
    ASSERT_TRUE(Dispatch(cmd::ViewDetermination));
    const CKorvaneDoc saved = doc;

    QTemporaryDir dir;
    prompts->saveFileNameAnswers.push_back(dir.filePath("sounding"));
    ASSERT_TRUE(Dispatch(cmd::FileSaveAs));
    const QString path = dir.filePath("sounding.kvn");
    ASSERT_TRUE(QFileInfo::exists(path)) << Messages();
    EXPECT_EQ(prompts->filters.last(), "Korvane Files(*.kvn)");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(app->RecentFiles().Files().value(0), QFileInfo(path).absoluteFilePath());

    // Forget it, then open it again.
    ASSERT_TRUE(Dispatch(cmd::FileNew));
    doc.ReleaseSounding();
    prompts->openFileNameAnswers.push_back(path);
    ASSERT_TRUE(Dispatch(cmd::FileOpen));
    EXPECT_TRUE(prompts->messages.isEmpty()) << Messages();
    EXPECT_EQ(doc.displayMode, DeterminationProfile);
    EXPECT_EQ(doc.dataLoaded, 1);
    EXPECT_EQ(doc.resultsValid, 1);
    EXPECT_EQ(doc.depths, saved.depths);
    EXPECT_EQ(doc.windows[1].first, 100);
    EXPECT_EQ(doc.windows[1].last, 4000);
    EXPECT_EQ(doc.filteredWaves, saved.filteredWaves);
    EXPECT_EQ(doc.ccVelocities, saved.ccVelocities);
    EXPECT_EQ(doc.correlationCoefficients, saved.correlationCoefficients);
    EXPECT_EQ(app->Frame().windowTitle(), "sounding.kvn - Korvane");

    // Save writes to the same file without asking; replacing another file asks first.
    doc.SetModifiedFlag(true);
    ASSERT_TRUE(Dispatch(cmd::FileSave));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(prompts->fileDialogs, 3); // load, save as, open
    prompts->saveFileNameAnswers.push_back(path);
    ASSERT_TRUE(Dispatch(cmd::FileSaveAs));
    EXPECT_TRUE(prompts->confirmTexts.value(0).contains("sounding.kvn already exists."));
}

TEST_F(DocumentCommandsTest, RefusedDocumentIsReportedAndKeepsTheSoundingShownBefore) {
    QTemporaryDir dir;
    const QString truncated = dir.filePath("truncated.kvn");
    {
        // A header announcing one record of 8192 samples, and nothing after it.
        QFile file(truncated);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const int32_t header[7] = {2, 1, 8192, 0, 0, 1, 0};
        file.write(reinterpret_cast<const char*>(header), sizeof header);
    }
    const QString empty = dir.filePath("empty.kvn");
    QFile(empty).open(QIODevice::WriteOnly);

    const CKorvaneDoc& doc = app->Document();
    for (const QString& path : {truncated, empty}) {
        SCOPED_TRACE(path.toStdString());
        prompts->messages.clear();
        prompts->saveChangesAnswers.push_back(SaveChangesAnswer::No);
        prompts->openFileNameAnswers.push_back(path);
        ASSERT_TRUE(Dispatch(cmd::FileOpen));
        EXPECT_EQ(prompts->messages.size(), 1);
        EXPECT_EQ(app->Frame().windowTitle(), "Untitled - Korvane");
        EXPECT_FALSE(app->RecentFiles().Files().contains(QFileInfo(path).absoluteFilePath()));
        if (path == truncated) { // nothing is drawn from it
            EXPECT_EQ(doc.recordCount, 0);
            EXPECT_EQ(doc.displayMode, Credits);
            EXPECT_TRUE(doc.rawWaves.empty());
            LoadThreeRecords();
        }
    }
    EXPECT_EQ(doc.recordCount, 3);
}

TEST_F(DocumentCommandsTest, FailedSaveIsReportedAndKeepsTheOldFileAndTheModifiedFlag) {
    QTemporaryDir dir;
    const QString path = dir.filePath("kept.kvn");
    prompts->saveFileNameAnswers.push_back(path);
    ASSERT_TRUE(Dispatch(cmd::FileSaveAs));
    const QByteArray before = ReadAll(path);
    ASSERT_EQ(before.size(), 28);

    LoadThreeRecords();
    // A file standing where the target's folder should be makes the save fail.
    const QString blocked = dir.filePath("not-a-folder");
    QFile(blocked).open(QIODevice::WriteOnly);
    prompts->saveFileNameAnswers.push_back(blocked + "/sounding.kvn");
    ASSERT_TRUE(Dispatch(cmd::FileSaveAs));
    ASSERT_EQ(prompts->messages.size(), 1);
    EXPECT_TRUE(app->Document().IsModified());
    EXPECT_EQ(app->Frame().windowTitle(), "kept.kvn - Korvane");
    EXPECT_EQ(ReadAll(path), before);

    // Exit saves when asked to, then closes the frame.
    prompts->saveChangesAnswers.push_back(SaveChangesAnswer::Yes);
    ASSERT_TRUE(Dispatch(cmd::AppExit));
    EXPECT_FALSE(app->Frame().isVisible());
    EXPECT_NE(ReadAll(path), before);
}

TEST(StartUpTest, OpensTheDocumentNamedOnTheCommandLineOrFailsWithAMessage) {
    QTemporaryDir dir;
    const QString path = dir.filePath("start.kvn");
    {
        auto prompts = std::make_unique<ScriptedPrompts>();
        prompts->saveFileNameAnswers.push_back(path);
        CKorvaneApp first(std::move(prompts));
        ASSERT_TRUE(first.InitInstance({}));
        first.Document().displayMode = DeterminationProfile;
        first.Document().hammerToRod = 2.5f;
        ASSERT_TRUE(first.Router().Dispatch(cmd::FileSaveAs));
    }
    for (const QString& name : {path, dir.filePath("missing/folder/missing.kvn")}) {
        auto scripted = std::make_unique<ScriptedPrompts>();
        ScriptedPrompts* prompts = scripted.get();
        CKorvaneApp app(std::move(scripted));
        const bool opened = app.InitInstance({name});
        EXPECT_EQ(opened, name == path);
        EXPECT_EQ(prompts->messages.size(), opened ? 0 : 1);
        if (opened) {
            EXPECT_EQ(app.Document().displayMode, DeterminationProfile);
            EXPECT_EQ(app.Document().hammerToRod, 2.5f);
            EXPECT_EQ(app.Frame().windowTitle(), "start.kvn - Korvane");
            EXPECT_TRUE(app.Frame().windowState() & Qt::WindowMaximized);
        }
    }
}

} // namespace
} // namespace korvane
