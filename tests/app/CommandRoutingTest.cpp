// Command enabling in each state of the Sounding, and the long commands driven through the
// router.
#include "AppFixture.h"

#include "app/CommandIds.h"
#include "dsp/CommandResult.h"
#include "ui/CProgressPanel.h"

#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>

namespace korvane {
namespace {

using CommandRoutingTest = AppFixture;

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
    EXPECT_FALSE(Dispatch(cmd::RunCrossCorrelation)); // disabled: refused when sent by id

    LoadThreeRecords();
    CKorvaneDoc& doc = app->Document();
    EXPECT_EQ(doc.displayMode, FilteredWaves);
    ASSERT_EQ(doc.recordCount, 3); // shallowest first, less the geophone distance
    EXPECT_NEAR(doc.depths[0], 2.0f, 1e-5);
    EXPECT_NEAR(doc.depths[2], 4.0f, 1e-5);
    EXPECT_TRUE(doc.IsModified());
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
