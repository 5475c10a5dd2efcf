// Command enabling in each state of the Sounding, the long commands driven through the
// router, and the display-mode commands.
#include "AppFixture.h"

#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "dsp/CommandResult.h"
#include "ui/CProgressPanel.h"
#include "view/CKorvaneView.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QDialog>
#include <QKeyEvent>
#include <QPushButton>
#include <QTreeWidget>

namespace korvane {
namespace {

using CommandRoutingTest = AppFixture;

TEST_F(CommandRoutingTest, FreshDocumentEnablesOnlyLoadConfigurationsAndFileCommands) {
    for (int id :
         {cmd::ViewOriginalWaves, cmd::ViewFilteredWaves, cmd::RunCrossCorrelation,
          cmd::ViewCrossCorrelationVelocity, cmd::ViewVelocityData, cmd::ViewDetermination}) {
        EXPECT_FALSE(Enabled(id)) << id;
        EXPECT_FALSE(ActionEnabled(id)) << id;
    }
    for (int id : {cmd::Load, cmd::Configurations, cmd::FileOpen, cmd::FileSave, cmd::FileSaveAs,
                   cmd::AppExit, cmd::AppAbout}) {
        EXPECT_TRUE(Enabled(id)) << id;
        EXPECT_TRUE(ActionEnabled(id)) << id;
    }
    // A disabled command sent by id is refused, and runs without records are refused too.
    EXPECT_FALSE(app->Router().Dispatch(cmd::RunCrossCorrelation));
    EXPECT_FALSE(app->Router().Dispatch(cmd::AutocorrelateRawWaves));
    EXPECT_FALSE(app->Router().Dispatch(cmd::AutocorrelateFilteredWaves));
    EXPECT_EQ(prompts->progressPanels, 0);
    EXPECT_EQ(app->Document().displayMode, Credits);
}

TEST_F(CommandRoutingTest, LoadShowsFilteredWavesInDepthOrderAndDisablesLoad) {
    LoadThreeRecords();
    const CKorvaneDoc& doc = app->Document();
    EXPECT_EQ(prompts->filters.value(0), "All Files (*)");
    EXPECT_EQ(prompts->progressPanels, 1);
    EXPECT_TRUE(prompts->messages.isEmpty()) << prompts->messages.join("|").toStdString();
    EXPECT_EQ(doc.recordCount, 3);
    EXPECT_EQ(doc.displayMode, FilteredWaves);
    ASSERT_EQ(doc.depths.size(), 3u);
    EXPECT_NEAR(doc.depths[0], 1.0f - 0.18f, 1e-5);
    EXPECT_NEAR(doc.depths[2], 3.0f - 0.18f, 1e-5);
    EXPECT_TRUE(doc.IsModified());
    // The diagnostic files go beside the wave files.
    const QDir folder(waves->Folder());
    for (const char* name : {"phase.txt", "original_data.txt", "recovered_data.txt"})
        EXPECT_TRUE(folder.exists(name)) << name;

    EXPECT_FALSE(Enabled(cmd::Load));
    EXPECT_FALSE(ActionEnabled(cmd::Load));
    for (int id : {cmd::ViewOriginalWaves, cmd::ViewFilteredWaves, cmd::RunCrossCorrelation})
        EXPECT_TRUE(ActionEnabled(id)) << id;
    for (int id :
         {cmd::ViewCrossCorrelationVelocity, cmd::ViewVelocityData, cmd::ViewDetermination})
        EXPECT_FALSE(ActionEnabled(id)) << id;
    EXPECT_FALSE(app->Router().Dispatch(cmd::Load));
    EXPECT_EQ(prompts->fileDialogs, 1);
}

TEST_F(CommandRoutingTest, CrossCorrelationShowsVelocityProfileAndEnablesResults) {
    LoadThreeRecords();
    app->Document().SetModifiedFlag(false);
    ASSERT_TRUE(app->Router().Dispatch(cmd::RunCrossCorrelation));
    const CKorvaneDoc& doc = app->Document();
    EXPECT_TRUE(prompts->messages.isEmpty()) << prompts->messages.join("|").toStdString();
    EXPECT_EQ(doc.displayMode, CrossCorrelationVelocity);
    EXPECT_EQ(doc.resultsValid, 1);
    EXPECT_EQ(doc.ccVelocities.size(), 2u);
    EXPECT_TRUE(doc.IsModified());
    for (int id : {cmd::ViewCrossCorrelationVelocity, cmd::ViewVelocityData, cmd::ViewDetermination,
                   cmd::ViewOriginalWaves, cmd::RunCrossCorrelation})
        EXPECT_TRUE(ActionEnabled(id)) << id;
    EXPECT_FALSE(ActionEnabled(cmd::Load));
}

TEST_F(CommandRoutingTest, VelocityDataOpensTheTableOfTheResults) {
    LoadThreeRecords();
    ASSERT_TRUE(app->Router().Dispatch(cmd::RunCrossCorrelation));
    int rows = -1;
    prompts->dialogScript = [&](QDialog& dialog) {
        rows = dialog.findChild<QTreeWidget*>("1003")->topLevelItemCount();
        dialog.findChild<QPushButton*>("1")->click();
        return dialog.result();
    };
    ASSERT_TRUE(app->Router().Dispatch(cmd::ViewVelocityData));
    EXPECT_EQ(prompts->dialogTitles, QStringList{"Wave Velocity"});
    EXPECT_EQ(rows, 2);
}

TEST_F(CommandRoutingTest, PrintKeyOpensThePrintDialog) {
    app->Registry().Action(cmd::FilePrint)->trigger();
    ASSERT_EQ(prompts->dialogTitles.size(), 1);
    EXPECT_FALSE(prompts->dialogTitles[0].isEmpty());
}

TEST_F(CommandRoutingTest, UnwritableDiagnosticFilesWarnButKeepTheLoad) {
    waves = std::make_unique<WaveFiles>(std::vector<double>{1.0, 2.0});
    // Folders standing where the files should go make every write fail.
    for (const char* name : {"phase.txt", "original_data.txt", "recovered_data.txt"})
        ASSERT_TRUE(QDir(waves->Folder()).mkdir(name));
    ASSERT_TRUE(LoadFiles(waves->Paths()));
    ASSERT_EQ(prompts->messages.size(), 1);
    EXPECT_FALSE(prompts->messages[0].isEmpty());
    EXPECT_EQ(app->Document().dataLoaded, 1);
    EXPECT_EQ(app->Document().displayMode, FilteredWaves);
}

TEST_F(CommandRoutingTest, ModeCommandsSwitchAtOnceWithoutMarkingModified) {
    LoadThreeRecords();
    ASSERT_TRUE(app->Router().Dispatch(cmd::RunCrossCorrelation));
    CKorvaneDoc& doc = app->Document();
    doc.SetModifiedFlag(false);
    ASSERT_TRUE(app->Router().Dispatch(cmd::ViewOriginalWaves));
    EXPECT_EQ(doc.displayMode, OriginalWaves);
    ASSERT_TRUE(app->Router().Dispatch(cmd::ViewDetermination));
    EXPECT_EQ(doc.displayMode, DeterminationProfile);
    // The commands without a menu item act when their id reaches the view.
    const std::pair<int, int> hidden[] = {
        {cmd::ShowRawAutocorrelations, RawAutocorrelations},
        {cmd::ShowCorrelationFunctions, CorrelationFunctions},
        {cmd::ShowSpareWaves, SpareWaves},
        {cmd::ShowSpareTable, SpareTable},
        {cmd::ShowAlignedWindows, AlignedWindows},
        {cmd::ShowPhaseVelocity, PhaseVelocity},
        {cmd::ViewFilteredWaves, FilteredWaves},
        {cmd::ViewCrossCorrelationVelocity, CrossCorrelationVelocity},
    };
    for (auto [id, mode] : hidden) {
        EXPECT_TRUE(app->Router().Dispatch(id)) << id;
        EXPECT_EQ(doc.displayMode, mode) << id;
    }
    EXPECT_TRUE(app->Router().Dispatch(cmd::Nothing32784));
    EXPECT_EQ(doc.displayMode, CrossCorrelationVelocity);
    EXPECT_FALSE(doc.IsModified());
    // Edit and pane commands have no handler.
    for (int id :
         {cmd::EditUndo, cmd::EditCut, cmd::EditCopy, cmd::EditPaste, cmd::NextPane, cmd::PrevPane})
        EXPECT_FALSE(app->Router().Dispatch(id)) << id;
}

TEST_F(CommandRoutingTest, AutocorrelationRunsSetTheirDisplayModes) {
    LoadThreeRecords();
    app->Document().SetModifiedFlag(false);
    ASSERT_TRUE(app->Router().Dispatch(cmd::AutocorrelateFilteredWaves));
    EXPECT_EQ(app->Document().displayMode, FilteredAutocorrelations);
    EXPECT_EQ(app->Document().filteredAutocorrelations.size(), 3u);
    EXPECT_TRUE(app->Document().IsModified());
    ASSERT_TRUE(app->Router().Dispatch(cmd::AutocorrelateRawWaves));
    EXPECT_EQ(app->Document().displayMode, RawAutocorrelations);
    ASSERT_EQ(app->Document().rawAutocorrelations.size(), 3u);
    EXPECT_NEAR(app->Document().rawAutocorrelations[0][0], 1.0f, 1e-4);
    EXPECT_EQ(app->Document().resultsValid, 0);
    EXPECT_TRUE(prompts->messages.isEmpty()) << prompts->messages.join("|").toStdString();
}

TEST_F(CommandRoutingTest, EscapeDuringLoadCancelsAndLeavesDocumentEmpty) {
    waves = std::make_unique<WaveFiles>(std::vector<double>{1.0, 2.0, 3.0});
    prompts->onCheckpoint = [](int n, CProgressPanel& panel) {
        if (n == 2) // while the second file is read
            QCoreApplication::postEvent(panel.parentWidget(),
                                        new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
    };
    ASSERT_TRUE(LoadFiles(waves->Paths()));
    EXPECT_EQ(prompts->messages, QStringList{kProgressCancelled});
    EXPECT_EQ(app->Document().dataLoaded, 0);
    EXPECT_EQ(app->Document().displayMode, Credits);
    EXPECT_FALSE(QDir(waves->Folder()).exists("original_data.txt"));
    EXPECT_TRUE(ActionEnabled(cmd::Load));
}

TEST_F(CommandRoutingTest, CancelButtonDuringCrossCorrelationKeepsPreviousState) {
    LoadThreeRecords();
    app->Document().SetModifiedFlag(false);
    prompts->onCheckpoint = [](int n, CProgressPanel& panel) {
        if (n == 2)
            panel.OnCancelButton();
    };
    ASSERT_TRUE(app->Router().Dispatch(cmd::RunCrossCorrelation));
    EXPECT_EQ(prompts->messages, QStringList{kProgressCancelled});
    EXPECT_EQ(app->Document().resultsValid, 0);
    EXPECT_EQ(app->Document().displayMode, FilteredWaves);
    EXPECT_FALSE(app->Document().IsModified());
}

TEST_F(CommandRoutingTest, DefectiveFileShowsItsMessageOnceAndLoadStaysAvailable) {
    waves = std::make_unique<WaveFiles>(std::vector<double>{1.0, 2.0, 3.0, 4.0});
    QStringList files = waves->Paths();
    files.insert(2, waves->WriteDefective("broken.txt"));
    ASSERT_TRUE(LoadFiles(files));
    ASSERT_EQ(prompts->messages.size(), 1);
    EXPECT_FALSE(prompts->messages[0].isEmpty());
    EXPECT_NE(prompts->messages[0], kProgressCancelled);
    EXPECT_EQ(app->Document().dataLoaded, 0);
    EXPECT_TRUE(ActionEnabled(cmd::Load));
}

TEST_F(CommandRoutingTest, CancelledFileDialogChangesNothing) {
    ASSERT_TRUE(app->Router().Dispatch(cmd::Load)); // no answer queued: cancelled
    EXPECT_EQ(prompts->progressPanels, 0);
    EXPECT_TRUE(prompts->messages.isEmpty());
    EXPECT_FALSE(app->Document().IsModified());
}

} // namespace
} // namespace korvane
