// Command enabling in each state of the Sounding, and the long commands driven through the
// router.
#include "AppFixture.h"

#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "dsp/CommandResult.h"
#include "ui/CProgressPanel.h"
#include "view/CKorvaneView.h"

#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>

namespace korvane {
namespace {

using CommandRoutingTest = AppFixture;

TEST_F(CommandRoutingTest, LoadAndCrossCorrelationShowTheirResultsAndEnableWhatFollows) {
    const auto expectState = [this](const char* state, bool data, bool results) {
        SCOPED_TRACE(state);
        ExpectEnabled({cmd::ViewOriginalWaves, cmd::ViewFilteredWaves, cmd::RunCrossCorrelation,
                       cmd::AutocorrelateRawWaves, cmd::AutocorrelateFilteredWaves,
                       cmd::RunProposeWindows, cmd::RunAnalysisSettings},
                      data);
        ExpectEnabled({cmd::ViewCrossCorrelationVelocity, cmd::ViewVelocityData,
                       cmd::ViewDetermination, cmd::ShowCorrelationFunctions,
                       cmd::ShowAlignedWindows},
                      results);
        ExpectEnabled({cmd::Load, cmd::Configurations, cmd::FileOpen, cmd::FileClose, cmd::FileSave,
                       cmd::AppAbout},
                      true);
    };
    expectState("fresh", false, false);
    ExpectEnabled({cmd::ShowPhaseVelocity}, false);
    EXPECT_FALSE(Dispatch(cmd::RunCrossCorrelation)); // disabled: refused when sent by id

    LoadThreeRecords();
    CKorvaneDoc& doc = app->Document();
    EXPECT_EQ(doc.displayMode, FilteredWaves);
    ASSERT_EQ(doc.recordCount, 3); // shallowest first, less the geophone distance
    EXPECT_NEAR(doc.depths[0], 2.0f, 1e-5);
    EXPECT_NEAR(doc.depths[2], 4.0f, 1e-5);
    EXPECT_TRUE(doc.IsModified());
    expectState("loaded", true, false);
    ExpectEnabled({cmd::ShowPhaseVelocity}, true);

    doc.SetModifiedFlag(false);
    ASSERT_TRUE(Dispatch(cmd::RunCrossCorrelation));
    EXPECT_EQ(doc.displayMode, CrossCorrelationVelocity);
    EXPECT_EQ(doc.resultsValid, 1);
    EXPECT_EQ(doc.ccVelocities.size(), 2u);
    EXPECT_TRUE(doc.IsModified());
    expectState("correlated", true, true);
    EXPECT_TRUE(prompts->messages.isEmpty()) << Messages();
}

TEST_F(CommandRoutingTest, MoreDisplaysOfferWhatExistsAndDrawNothingAbsent) {
    QMenu* more = nullptr;
    for (QMenu* menu : app->Frame().menuBar()->findChildren<QMenu*>())
        more = menu->title() == "More &Displays" ? menu : more;
    ASSERT_NE(more, nullptr);
    EXPECT_EQ(more->actions().size(), 5);
    LoadThreeRecords();
    CKorvaneDoc& doc = app->Document();
    const int autocorrelations[] = {cmd::ShowRawAutocorrelations,
                                    cmd::ShowFilteredAutocorrelations};
    ExpectEnabled({autocorrelations[0], autocorrelations[1]}, false);
    ASSERT_TRUE(Dispatch(cmd::AutocorrelateRawWaves));
    EXPECT_EQ(doc.displayMode, RawAutocorrelations);
    ASSERT_TRUE(Dispatch(cmd::AutocorrelateFilteredWaves));
    EXPECT_EQ(doc.displayMode, FilteredAutocorrelations);
    ExpectEnabled({autocorrelations[0], autocorrelations[1]}, true);
    ASSERT_TRUE(Dispatch(cmd::ShowRawAutocorrelations));
    EXPECT_EQ(doc.displayMode, RawAutocorrelations);
    ASSERT_TRUE(Dispatch(cmd::ShowFilteredAutocorrelations));
    EXPECT_EQ(doc.displayMode, FilteredAutocorrelations);
    ASSERT_TRUE(Dispatch(cmd::RunCrossCorrelation));

    // A document file keeps none of these: reopened, they are offered no more, and every mode
    // draws from what the document holds.
    QTemporaryDir dir;
    prompts->saveFileNameAnswers.push_back(dir.filePath("s.kvn"));
    ASSERT_TRUE(Dispatch(cmd::FileSaveAs));
    prompts->openFileNameAnswers.push_back(dir.filePath("s.kvn"));
    ASSERT_TRUE(Dispatch(cmd::FileOpen));
    ExpectEnabled({cmd::ShowPhaseVelocity, cmd::ShowCorrelationFunctions, cmd::ShowAlignedWindows,
                   autocorrelations[0], autocorrelations[1]},
                  false);
    for (int mode = Credits; mode <= PhaseVelocity; ++mode) {
        doc.displayMode = mode;
        EXPECT_FALSE(app->View().grabFramebuffer().isNull()) << mode;
    }
    EXPECT_TRUE(prompts->messages.isEmpty()) << Messages();
}

TEST_F(CommandRoutingTest, EscapeDuringLoadLeavesTheDocumentEmpty) {
    prompts->onCheckpoint = [](int n, CProgressPanel& panel) {
        if (n == 2)
            QCoreApplication::postEvent(panel.parentWidget(),
                                        new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
    };
    ASSERT_TRUE(LoadFiles(ThreeRecords()));
    EXPECT_EQ(prompts->messages, QStringList{kProgressCancelled});
    EXPECT_EQ(app->Document().dataLoaded, 0);
    EXPECT_EQ(app->Document().displayMode, Credits);
    EXPECT_FALSE(QDir(waveDir.path()).exists("original_data.txt"));
    ExpectEnabled({cmd::Load}, true);
}

} // namespace
} // namespace korvane
