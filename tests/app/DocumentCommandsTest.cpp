// File > Open, Save, Save As, Exit and Ctrl+N through the GUI, and start-up with a document.
#include "AppFixture.h"

#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "app/DocumentCommands.h"
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

TEST_F(DocumentCommandsTest, StartsUntitledAndNewKeepsTheLoadedSounding) {
    EXPECT_EQ(app->Frame().windowTitle(), "Untitled - Korvane");
    LoadThreeRecords();
    ASSERT_TRUE(app->Document().IsModified());
    prompts->saveChangesAnswers.push_back(SaveChangesAnswer::No);
    ASSERT_TRUE(app->Router().Dispatch(cmd::FileNew));
    EXPECT_EQ(prompts->saveChangesTitles, QStringList{"Untitled"});
    const CKorvaneDoc& doc = app->Document();
    EXPECT_EQ(doc.dataLoaded, 1);
    EXPECT_EQ(doc.recordCount, 3);
    EXPECT_EQ(doc.displayMode, FilteredWaves);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(app->Frame().windowTitle(), "Untitled - Korvane");
    EXPECT_FALSE(ActionEnabled(cmd::Load));
}

TEST_F(DocumentCommandsTest, CancelAtTheSavePromptStopsNewOpenAndExit) {
    LoadThreeRecords();
    // An empty answer queue cancels the prompt.
    ASSERT_TRUE(app->Router().Dispatch(cmd::FileNew));
    ASSERT_TRUE(app->Router().Dispatch(cmd::FileOpen));
    ASSERT_TRUE(app->Router().Dispatch(cmd::AppExit));
    EXPECT_EQ(prompts->saveChangesTitles.size(), 3);
    EXPECT_EQ(prompts->fileDialogs, 1); // only the Load's
    EXPECT_TRUE(app->Frame().isVisible());
    EXPECT_TRUE(app->Document().IsModified());
}

TEST_F(DocumentCommandsTest, SaveAsAddsTheExtensionAndReopensEveryStoredValue) {
    LoadThreeRecords();
    ASSERT_TRUE(app->Router().Dispatch(cmd::RunCrossCorrelation));
    CKorvaneDoc& doc = app->Document();
    doc.windows[1] = {100, 4000};
    ASSERT_TRUE(app->Router().Dispatch(cmd::ViewDetermination));
    const CKorvaneDoc saved = doc;

    QTemporaryDir dir;
    prompts->saveFileNameAnswers.push_back(dir.filePath("sounding"));
    ASSERT_TRUE(app->Router().Dispatch(cmd::FileSaveAs));
    const QString path = dir.filePath("sounding.kvn");
    ASSERT_TRUE(QFileInfo::exists(path)) << prompts->messages.join("|").toStdString();
    EXPECT_EQ(prompts->filters.last(), "Korvane Files(*.kvn)");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(app->Frame().windowTitle(), "sounding.kvn - Korvane");
    EXPECT_EQ(app->RecentFiles().Files().value(0), QFileInfo(path).absoluteFilePath());

    // Forget it, then open it again.
    ASSERT_TRUE(app->Router().Dispatch(cmd::FileNew));
    doc.ReleaseSounding();
    prompts->openFileNameAnswers.push_back(path);
    ASSERT_TRUE(app->Router().Dispatch(cmd::FileOpen));
    EXPECT_TRUE(prompts->messages.isEmpty()) << prompts->messages.join("|").toStdString();
    EXPECT_EQ(doc.displayMode, DeterminationProfile);
    EXPECT_EQ(doc.recordCount, 3);
    EXPECT_EQ(doc.dataLoaded, 1);
    EXPECT_EQ(doc.resultsValid, 1);
    EXPECT_EQ(doc.depths, saved.depths);
    EXPECT_EQ(doc.windows[1].first, 100);
    EXPECT_EQ(doc.windows[1].last, 4000);
    EXPECT_EQ(doc.filteredWaves, saved.filteredWaves);
    EXPECT_EQ(doc.ccVelocities, saved.ccVelocities);
    EXPECT_EQ(doc.correlationCoefficients, saved.correlationCoefficients);
    EXPECT_EQ(app->Frame().windowTitle(), "sounding.kvn - Korvane");
    EXPECT_TRUE(ActionEnabled(cmd::ViewVelocityData));

    // Save writes to the same file without asking; replacing another file asks first.
    doc.SetModifiedFlag(true);
    ASSERT_TRUE(app->Router().Dispatch(cmd::FileSave));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(prompts->fileDialogs, 3); // load, save as, open
    prompts->saveFileNameAnswers.push_back(path);
    prompts->confirmAnswers.push_back(false);
    ASSERT_TRUE(app->Router().Dispatch(cmd::FileSaveAs));
    ASSERT_EQ(prompts->confirmTexts.size(), 1);
    EXPECT_TRUE(prompts->confirmTexts[0].contains("sounding.kvn already exists."));
}

TEST_F(DocumentCommandsTest, RefusedDocumentIsReportedAndNothingIsDrawnFromIt) {
    QTemporaryDir dir;
    const QString path = dir.filePath("truncated.kvn");
    {
        // A header announcing one record of 8192 samples, and nothing after it.
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const int32_t header[7] = {2, 1, 8192, 0, 0, 1, 0};
        file.write(reinterpret_cast<const char*>(header), sizeof header);
    }
    prompts->openFileNameAnswers.push_back(path);
    ASSERT_TRUE(app->Router().Dispatch(cmd::FileOpen));
    ASSERT_EQ(prompts->messages.size(), 1);
    EXPECT_FALSE(prompts->messages[0].isEmpty());
    const CKorvaneDoc& doc = app->Document();
    EXPECT_EQ(doc.dataLoaded, 0);
    EXPECT_EQ(doc.recordCount, 0);
    EXPECT_EQ(doc.displayMode, Credits);
    EXPECT_TRUE(doc.rawWaves.empty());
    EXPECT_EQ(app->Frame().windowTitle(), "Untitled - Korvane");
    EXPECT_TRUE(app->RecentFiles().Files().isEmpty() ||
                app->RecentFiles().Files().value(0) != QFileInfo(path).absoluteFilePath());
}

TEST_F(DocumentCommandsTest, RefusedDocumentKeepsTheSoundingShownBefore) {
    LoadThreeRecords();
    QTemporaryDir dir;
    const QString path = dir.filePath("empty.kvn");
    QFile(path).open(QIODevice::WriteOnly);
    prompts->saveChangesAnswers.push_back(SaveChangesAnswer::No);
    prompts->openFileNameAnswers.push_back(path);
    ASSERT_TRUE(app->Router().Dispatch(cmd::FileOpen));
    EXPECT_EQ(prompts->messages.size(), 1);
    EXPECT_EQ(app->Document().dataLoaded, 1);
    EXPECT_EQ(app->Document().recordCount, 3);
}

TEST_F(DocumentCommandsTest, FailedSaveIsReportedAndKeepsTheOldFileAndTheModifiedFlag) {
    QTemporaryDir dir;
    const QString path = dir.filePath("kept.kvn");
    prompts->saveFileNameAnswers.push_back(path);
    ASSERT_TRUE(app->Router().Dispatch(cmd::FileSaveAs));
    const QByteArray before = ReadAll(path);
    ASSERT_EQ(before.size(), 28);

    LoadThreeRecords();
    // A folder standing where the temporary file's folder should be makes the save fail.
    const QString blocked = dir.filePath("not-a-folder");
    QFile(blocked).open(QIODevice::WriteOnly);
    prompts->saveFileNameAnswers.push_back(blocked + "/sounding.kvn");
    ASSERT_TRUE(app->Router().Dispatch(cmd::FileSaveAs));
    ASSERT_EQ(prompts->messages.size(), 1);
    EXPECT_TRUE(app->Document().IsModified());
    EXPECT_EQ(app->Frame().windowTitle(), "kept.kvn - Korvane");
    EXPECT_EQ(ReadAll(path), before);
}

TEST_F(DocumentCommandsTest, ExitAfterSavingClosesTheFrame) {
    LoadThreeRecords();
    QTemporaryDir dir;
    prompts->saveChangesAnswers.push_back(SaveChangesAnswer::Yes);
    prompts->saveFileNameAnswers.push_back(dir.filePath("exit.kvn"));
    ASSERT_TRUE(app->Router().Dispatch(cmd::AppExit));
    EXPECT_FALSE(app->Frame().isVisible());
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("exit.kvn")));
}

TEST(StartUpTest, OpensTheDocumentNamedOnTheCommandLine) {
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
    auto prompts = std::make_unique<ScriptedPrompts>();
    CKorvaneApp app(std::move(prompts));
    ASSERT_TRUE(app.InitInstance({path}));
    EXPECT_EQ(app.Document().displayMode, DeterminationProfile);
    EXPECT_EQ(app.Document().hammerToRod, 2.5f);
    EXPECT_EQ(app.Frame().windowTitle(), "start.kvn - Korvane");
    EXPECT_TRUE(app.Frame().isVisible());
    EXPECT_TRUE(app.Frame().windowState() & Qt::WindowMaximized);
}

TEST(StartUpTest, FailsWithAMessageWhenTheDocumentCannotBeOpened) {
    auto scripted = std::make_unique<ScriptedPrompts>();
    ScriptedPrompts* prompts = scripted.get();
    CKorvaneApp app(std::move(scripted));
    EXPECT_FALSE(app.InitInstance({"/nonexistent/folder/missing.kvn"}));
    EXPECT_EQ(prompts->messages.size(), 1);
}

} // namespace
} // namespace korvane
