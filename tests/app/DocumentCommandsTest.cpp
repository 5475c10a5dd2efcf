// File > Open, Close, the recent documents, Save, Save As, Exit and Ctrl+N through the GUI.
#include "AppFixture.h"

#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "app/DocumentCommands.h"
#include "app/RecentFileList.h"
#include "ui/ProfileSettings.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>

namespace korvane {
namespace {

using DocumentCommandsTest = AppFixture;

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST_F(DocumentCommandsTest, NewKeepsTheLoadedSounding) {
    LoadThreeRecords();
    prompts->saveChangesAnswers.push_back(SaveChangesAnswer::No);
    ASSERT_TRUE(Dispatch(cmd::FileNew));
    EXPECT_EQ(app->Document().recordCount, 3);
    EXPECT_EQ(app->Document().displayMode, FilteredWaves);
    EXPECT_FALSE(app->Document().IsModified());
    EXPECT_EQ(app->Frame().windowTitle(), "Untitled[*] - Korvane");
    EXPECT_FALSE(app->Frame().isWindowModified());
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
    EXPECT_FALSE(doc.IsModified());
    // The window changed after the run: the save warns, once for the same results.
    EXPECT_EQ(prompts->messages, QStringList{DocumentCommands::kStaleSaveWarning});
    ASSERT_TRUE(Dispatch(cmd::FileSave));
    EXPECT_EQ(prompts->messages.size(), 1);
    prompts->messages.clear();

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
    EXPECT_EQ(doc.windows[1].last, 4000);
    EXPECT_EQ(doc.filteredWaves, saved.filteredWaves);
    EXPECT_EQ(doc.ccVelocities, saved.ccVelocities);
    EXPECT_EQ(app->Frame().windowTitle(), "sounding.kvn[*] - Korvane");
    // Stored results are taken as they are, and the interval analysis comes back with them.
    EXPECT_FALSE(app->Frame().findChild<QLabel*>("resultsNote")->isVisible());
    EXPECT_TRUE(doc.analysisResults.valid);
    EXPECT_EQ(doc.analysisResults.intervals.size(), 2u);

    // Bytes after the data: the document opens, and the user hears about them.
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("tail");
    }
    doc.ReleaseSounding();
    prompts->openFileNameAnswers.push_back(path);
    ASSERT_TRUE(Dispatch(cmd::FileOpen));
    ASSERT_EQ(prompts->messages.size(), 1);
    EXPECT_TRUE(prompts->messages[0].contains("4 bytes after the document's data"));
    EXPECT_EQ(doc.ccVelocities, saved.ccVelocities);
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
    LoadThreeRecords();
    prompts->saveChangesAnswers.push_back(SaveChangesAnswer::No);
    prompts->openFileNameAnswers.push_back(truncated);
    ASSERT_TRUE(Dispatch(cmd::FileOpen));
    EXPECT_EQ(prompts->messages.size(), 1);
    EXPECT_EQ(app->Frame().windowTitle(), "Untitled[*] - Korvane");
    EXPECT_FALSE(app->RecentFiles().Files().contains(QFileInfo(truncated).absoluteFilePath()));
    EXPECT_EQ(app->Document().recordCount, 3);
}

TEST_F(DocumentCommandsTest, FailedSaveIsReportedAndKeepsTheOldFileAndTheModifiedFlag) {
    QTemporaryDir dir;
    const QString path = dir.filePath("kept.kvn");
    prompts->saveFileNameAnswers.push_back(path);
    ASSERT_TRUE(Dispatch(cmd::FileSaveAs));
    const QByteArray before = ReadAll(path);
    ASSERT_EQ(before.size(), 28);

    // A load replaces the document: the new sounding is untitled and modified.
    LoadThreeRecords();
    EXPECT_EQ(app->Frame().windowTitle(), "Untitled[*] - Korvane");
    EXPECT_TRUE(app->Frame().isWindowModified());
    // A file standing where the target's folder should be makes the save fail.
    const QString blocked = dir.filePath("not-a-folder");
    QFile(blocked).open(QIODevice::WriteOnly);
    prompts->saveFileNameAnswers.push_back(blocked + "/sounding.kvn");
    ASSERT_TRUE(Dispatch(cmd::FileSaveAs));
    ASSERT_EQ(prompts->messages.size(), 1);
    EXPECT_TRUE(app->Document().IsModified());
    EXPECT_TRUE(app->Frame().isWindowModified());
    EXPECT_EQ(ReadAll(path), before);
}

TEST_F(DocumentCommandsTest, CloseEmptiesTheDocumentAndRecentDocumentsReopenIt) {
    LoadThreeRecords();
    // Cancel at the save prompt keeps everything.
    prompts->saveChangesAnswers.push_back(SaveChangesAnswer::Cancel);
    ASSERT_TRUE(Dispatch(cmd::FileClose));
    EXPECT_EQ(app->Document().recordCount, 3);
    EXPECT_TRUE(app->Frame().isWindowModified());

    QTemporaryDir dir;
    const QString path = dir.filePath("a&b.kvn");
    prompts->saveChangesAnswers.push_back(SaveChangesAnswer::Yes);
    prompts->saveFileNameAnswers.push_back(path);
    ASSERT_TRUE(Dispatch(cmd::FileClose));
    ASSERT_TRUE(QFileInfo::exists(path)) << Messages();
    EXPECT_EQ(app->Document().recordCount, 0);
    EXPECT_EQ(app->Document().displayMode, Credits);
    EXPECT_EQ(app->Frame().windowTitle(), "Untitled[*] - Korvane");
    EXPECT_FALSE(app->Frame().isWindowModified());

    // The File menu lists it first, and opens it from there.
    app->Frame().onMenuAboutToShow();
    QAction* first = app->Registry().Action(cmd::FileMru1);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->text(), "&1 " + QFileInfo(path).absoluteFilePath().replace("&", "&&"));
    first->trigger();
    EXPECT_EQ(app->Document().recordCount, 3);
    EXPECT_EQ(app->Frame().windowTitle(), "a&b.kvn[*] - Korvane");

    // A recent document that is gone is reported and leaves the list.
    ASSERT_TRUE(Dispatch(cmd::FileClose));
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(Dispatch(cmd::FileMru1));
    EXPECT_EQ(prompts->messages.size(), 1);
    EXPECT_FALSE(app->RecentFiles().Files().contains(QFileInfo(path).absoluteFilePath()));
    EXPECT_EQ(app->Document().recordCount, 0);
}

TEST_F(DocumentCommandsTest, TheWindowComesBackWhereItWasClosed) {
    app->Frame().showNormal();
    app->Frame().setGeometry(40, 60, 700, 500);
    QCoreApplication::processEvents();
    ASSERT_TRUE(Dispatch(cmd::AppExit));
    EXPECT_FALSE(app->Frame().isVisible());
    app.reset();
    SetUp();
    EXPECT_EQ(app->Frame().size(), QSize(700, 500));
    ProfileSettings::Open()->remove("Settings/WindowGeometry"); // later tests start maximised
}

} // namespace
} // namespace korvane
