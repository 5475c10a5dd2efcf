// One sounding after another: Load over an open sounding, failed and cancelled loads, the
// program's own files in a selection, dropped files, and results that go out of date.
#include "AppFixture.h"

#include "../view/RecordingCanvas.h"
#include "analysis/StaleResults.h"
#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "app/DroppedFiles.h"
#include "ui/CProgressPanel.h"
#include "view/PlotRenderer.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

namespace korvane {
namespace {

class SoundingCommandsTest : public AppFixture {
protected:
    QString Title() const { return app->Frame().windowTitle(); }
};

TEST_F(SoundingCommandsTest, LoadReplacesTheOpenSoundingOnlyWhenItCompletes) {
    LoadThreeRecords(); // leaves the three diagnostic files beside the records
    ASSERT_TRUE(Dispatch(cmd::RunCrossCorrelation));
    const CKorvaneDoc& doc = app->Document();
    const std::vector<float> velocities = doc.ccVelocities;
    prompts->saveChangesAnswers = {SaveChangesAnswer::Cancel, SaveChangesAnswer::No,
                                   SaveChangesAnswer::No, SaveChangesAnswer::No};
    ASSERT_TRUE(Dispatch(cmd::Load));
    EXPECT_EQ(prompts->fileDialogs, 1); // no file dialog after Cancel

    // Data record 12 of a file cannot be read: the file is named, the sounding stays.
    QTemporaryDir other;
    QFile source(waveDir.filePath("r2.txt"));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = source.readAll().split('\n');
    lines[7 + 11] = "0.000275 twelve";
    QFile defective(other.filePath("shot_07.txt"));
    ASSERT_TRUE(defective.open(QIODevice::WriteOnly) && defective.write(lines.join('\n')) > 0);
    defective.close();
    ASSERT_TRUE(LoadFiles({waveDir.filePath("r1.txt"), defective.fileName()}));
    EXPECT_EQ(Messages(), "shot_07.txt: The file is wrong in 12 data record!");
    EXPECT_TRUE(prompts->dialogTitles.isEmpty()); // wave files load without the import dialog
    EXPECT_EQ(doc.ccVelocities, velocities);
    EXPECT_EQ(doc.displayMode, CrossCorrelationVelocity);
    EXPECT_TRUE(doc.IsModified());

    // The program's own files alone: nothing to load.
    prompts->messages.clear();
    const QString note = "Left out, as this program writes them and they are not wave "
                         "recordings: ";
    ASSERT_TRUE(LoadFiles({waveDir.filePath("phase.txt")}));
    EXPECT_EQ(prompts->messages, QStringList{note + "phase.txt\nNo wave files were chosen."});
    EXPECT_EQ(doc.resultsValid, 1);

    // "Select all" in the folder, and a cancel at the last checkpoint, which keeps the new
    // sounding: only the note is shown.
    prompts->messages.clear();
    QFile(waveDir.filePath("ConfigData.txt")).open(QIODevice::WriteOnly);
    QStringList all;
    for (const QString& name : QDir(waveDir.path()).entryList(QDir::Files, QDir::Name))
        all.append(waveDir.filePath(name));
    prompts->onCheckpoint = [](int n, CProgressPanel& panel) {
        if (n == 6) // before reading, three files, after sorting, at the end
            panel.OnCancelButton();
    };
    ASSERT_TRUE(LoadFiles(all));
    EXPECT_EQ(prompts->messages, QStringList{note + "ConfigData.txt, original_data.txt, "
                                                    "phase.txt, recovered_data.txt"});
    EXPECT_EQ(doc.dataLoaded, 1);
    EXPECT_EQ(doc.resultsValid, 0);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(Title(), "Untitled[*] - Korvane");
}

TEST_F(SoundingCommandsTest, DropsLoadRecordingsOpenOneDocumentAndRefuseTheRest) {
    const QStringList three = ThreeRecords();
    Drop(three);
    EXPECT_EQ(app->Document().recordCount, 3);
    EXPECT_TRUE(prompts->saveChangesTitles.isEmpty()); // nothing to save before
    QTemporaryDir dir;
    const QString saved = dir.filePath("s.kvn");
    prompts->saveFileNameAnswers.push_back(saved);
    ASSERT_TRUE(Dispatch(cmd::FileSaveAs));

    Drop({saved, three[0]});
    Drop({saved, saved});
    Drop({dir.path()});
    EXPECT_EQ(prompts->messages, (QStringList{DroppedFiles::kMixed, DroppedFiles::kSeveralDocuments,
                                              DroppedFiles::kFolder}));

    Drop(three.mid(0, 2)); // the saved document needs no prompt
    EXPECT_EQ(app->Document().recordCount, 2);
    prompts->saveChangesAnswers.push_back(SaveChangesAnswer::No);
    Drop({saved});
    EXPECT_EQ(app->Document().recordCount, 3);
    EXPECT_EQ(Title(), "s.kvn[*] - Korvane");
    EXPECT_EQ(prompts->saveChangesTitles, QStringList{"Untitled"});
}

TEST_F(SoundingCommandsTest, ResultsSayTheyAreOutOfDateUntilTheNextRun) {
    LoadThreeRecords();
    ASSERT_TRUE(Dispatch(cmd::RunCrossCorrelation));
    CKorvaneDoc& doc = app->Document();
    const auto* note = app->Frame().findChild<QLabel*>("resultsNote");
    const auto profileNote = [&doc] {
        RecordingCanvas canvas;
        ViewGeometry geometry = ViewGeometry::ForClient(800, 600);
        PlotRenderer(doc, canvas, geometry).DrawPlot();
        return canvas.LabelWithText(StaleResults::kNote) != nullptr;
    };
    bool tableNote = false;
    prompts->dialogScript = [&](QDialog& dialog) {
        tableNote = dialog.findChild<QLabel*>("staleNote") != nullptr;
        return int(QDialog::Accepted);
    };
    const auto expectStale = [&](bool stale) {
        EXPECT_EQ(note->isVisible(), stale);
        EXPECT_EQ(profileNote(), stale);
        ASSERT_TRUE(Dispatch(cmd::ViewVelocityData));
        EXPECT_EQ(tableNote, stale);
    };
    expectStale(false);
    doc.windows[2].first += 40; // as a marker drag leaves it
    doc.NotifyChanged();
    expectStale(true);
    ASSERT_TRUE(Dispatch(cmd::RunCrossCorrelation));
    expectStale(false);
}

} // namespace
} // namespace korvane
