// Command enabling in each state of the Sounding, the long commands driven through the
// router, and the display-mode commands.
#include "AppFixture.h"

#include "app/CommandIds.h"
#include "dsp/CommandResult.h"
#include "ui/CProgressPanel.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QTreeWidget>

namespace korvane {
namespace {

using CommandRoutingTest = AppFixture;

const char* const kDiagnostics[] = {"phase.txt", "original_data.txt", "recovered_data.txt"};

TEST_F(CommandRoutingTest, LoadAndCrossCorrelationShowTheirResultsAndEnableWhatFollows) {
    const auto expectState = [this](const char* state, bool load, bool data, bool results) {
        SCOPED_TRACE(state);
        ExpectEnabled({cmd::Load}, load);
        ExpectEnabled({cmd::ViewOriginalWaves, cmd::ViewFilteredWaves, cmd::RunCrossCorrelation},
                      data);
        ExpectEnabled(
            {cmd::ViewCrossCorrelationVelocity, cmd::ViewVelocityData, cmd::ViewDetermination},
            results);
        ExpectEnabled({cmd::Configurations, cmd::FileOpen, cmd::FileSave, cmd::AppAbout}, true);
    };
    expectState("fresh", true, false, false);
    // A disabled command sent by id is refused, and so are runs without records.
    for (int id :
         {cmd::RunCrossCorrelation, cmd::AutocorrelateRawWaves, cmd::AutocorrelateFilteredWaves})
        EXPECT_FALSE(Dispatch(id)) << id;
    EXPECT_EQ(prompts->progressPanels, 0);

    LoadThreeRecords();
    CKorvaneDoc& doc = app->Document();
    EXPECT_EQ(prompts->filters, QStringList{"All Files (*)"});
    EXPECT_EQ(prompts->progressPanels, 1);
    EXPECT_EQ(doc.displayMode, FilteredWaves);
    ASSERT_EQ(doc.recordCount, 3); // shallowest first, less the geophone distance
    EXPECT_NEAR(doc.depths[0], 1.0f - 0.18f, 1e-5);
    EXPECT_NEAR(doc.depths[2], 3.0f - 0.18f, 1e-5);
    EXPECT_TRUE(doc.IsModified());
    for (const char* name : kDiagnostics) // beside the wave files
        EXPECT_TRUE(QDir(waves->Folder()).exists(name)) << name;
    expectState("loaded", false, true, false);
    EXPECT_FALSE(Dispatch(cmd::Load));

    doc.SetModifiedFlag(false);
    ASSERT_TRUE(Dispatch(cmd::RunCrossCorrelation));
    EXPECT_EQ(doc.displayMode, CrossCorrelationVelocity);
    EXPECT_EQ(doc.resultsValid, 1);
    EXPECT_EQ(doc.ccVelocities.size(), 2u);
    EXPECT_TRUE(doc.IsModified());
    expectState("correlated", false, true, true);
    EXPECT_TRUE(prompts->messages.isEmpty()) << Messages();

    int rows = -1;
    prompts->dialogScript = [&](QDialog& dialog) {
        rows = dialog.findChild<QTreeWidget*>("1003")->topLevelItemCount();
        return QDialog::Accepted;
    };
    ASSERT_TRUE(Dispatch(cmd::ViewVelocityData));
    EXPECT_EQ(prompts->dialogTitles, QStringList{"Wave Velocity"});
    EXPECT_EQ(rows, 2);
}

TEST_F(CommandRoutingTest, ModeCommandsSwitchAtOnceWithoutMarkingModified) {
    LoadThreeRecords();
    CKorvaneDoc& doc = app->Document();
    ASSERT_TRUE(Dispatch(cmd::AutocorrelateFilteredWaves));
    EXPECT_EQ(doc.filteredAutocorrelations.size(), 3u);
    ASSERT_TRUE(Dispatch(cmd::RunCrossCorrelation));
    doc.SetModifiedFlag(false);
    // Including the commands without a menu item: they act when their id reaches the view.
    const std::pair<int, int> commands[] = {
        {cmd::ViewOriginalWaves, OriginalWaves},
        {cmd::ViewDetermination, DeterminationProfile},
        {cmd::ShowRawAutocorrelations, RawAutocorrelations},
        {cmd::ShowCorrelationFunctions, CorrelationFunctions},
        {cmd::ShowSpareWaves, SpareWaves},
        {cmd::ShowSpareTable, SpareTable},
        {cmd::ShowAlignedWindows, AlignedWindows},
        {cmd::ShowPhaseVelocity, PhaseVelocity},
        {cmd::ViewFilteredWaves, FilteredWaves},
        {cmd::ViewCrossCorrelationVelocity, CrossCorrelationVelocity},
        {cmd::Nothing32784, CrossCorrelationVelocity},
    };
    for (auto [id, mode] : commands) {
        EXPECT_TRUE(Dispatch(id)) << id;
        EXPECT_EQ(doc.displayMode, mode) << id;
    }
    EXPECT_FALSE(doc.IsModified());
    // Edit and pane commands have no handler.
    for (int id :
         {cmd::EditUndo, cmd::EditCut, cmd::EditCopy, cmd::EditPaste, cmd::NextPane, cmd::PrevPane})
        EXPECT_FALSE(Dispatch(id)) << id;
    // The autocorrelation runs (no menu item) show their results and mark the document.
    ASSERT_TRUE(Dispatch(cmd::AutocorrelateRawWaves));
    EXPECT_EQ(doc.displayMode, RawAutocorrelations);
    ASSERT_EQ(doc.rawAutocorrelations.size(), 3u);
    EXPECT_NEAR(doc.rawAutocorrelations[0][0], 1.0f, 1e-4);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(prompts->messages.isEmpty()) << Messages();
}

TEST_F(CommandRoutingTest, CancelledOrFailedLoadLeavesTheDocumentEmpty) {
    ASSERT_TRUE(Dispatch(cmd::Load)); // no answer queued: the file dialog is cancelled
    EXPECT_EQ(prompts->progressPanels, 0);
    EXPECT_FALSE(app->Document().IsModified());

    waves = std::make_unique<WaveFiles>(std::vector<double>{1.0, 2.0, 3.0});
    QStringList withDefective = waves->Paths();
    withDefective.insert(2, waves->WriteDefective("broken.txt"));
    struct Case {
        const char* name;
        QStringList files;
        int escapeAt; // checkpoint at which Escape is pressed; 0: never
    };
    for (const Case& c : {Case{"Escape during the second file", waves->Paths(), 2},
                          Case{"defective third file", withDefective, 0}}) {
        SCOPED_TRACE(c.name);
        prompts->messages.clear();
        prompts->onCheckpoint = [&c](int n, CProgressPanel& panel) {
            if (n == c.escapeAt)
                QCoreApplication::postEvent(panel.parentWidget(),
                                            new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
        };
        ASSERT_TRUE(LoadFiles(c.files));
        ASSERT_EQ(prompts->messages.size(), 1) << Messages();
        EXPECT_FALSE(prompts->messages[0].isEmpty());
        EXPECT_EQ(prompts->messages[0] == kProgressCancelled, c.escapeAt != 0);
        EXPECT_EQ(app->Document().dataLoaded, 0);
        EXPECT_EQ(app->Document().displayMode, Credits);
        EXPECT_FALSE(QDir(waves->Folder()).exists("original_data.txt"));
        ExpectEnabled({cmd::Load}, true);
    }

    // Diagnostic files that cannot be written are reported, but the load stands.
    for (const char* name : kDiagnostics) // folders in their way
        ASSERT_TRUE(QDir(waves->Folder()).mkdir(name));
    prompts->messages.clear();
    prompts->onCheckpoint = nullptr;
    ASSERT_TRUE(LoadFiles(waves->Paths()));
    EXPECT_EQ(prompts->messages.size(), 1);
    EXPECT_EQ(app->Document().dataLoaded, 1);
    EXPECT_EQ(app->Document().displayMode, FilteredWaves);
}

TEST_F(CommandRoutingTest, CancelButtonDuringCrossCorrelationKeepsPreviousState) {
    LoadThreeRecords();
    app->Document().SetModifiedFlag(false);
    prompts->onCheckpoint = [](int n, CProgressPanel& panel) {
        if (n == 2)
            panel.OnCancelButton();
    };
    ASSERT_TRUE(Dispatch(cmd::RunCrossCorrelation));
    EXPECT_EQ(prompts->messages, QStringList{kProgressCancelled});
    EXPECT_EQ(app->Document().resultsValid, 0);
    EXPECT_EQ(app->Document().displayMode, FilteredWaves);
    EXPECT_FALSE(app->Document().IsModified());
}

} // namespace
} // namespace korvane
