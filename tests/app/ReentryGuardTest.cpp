// While a long command pumps events, no other command may change the Sounding under it.
#include "AppFixture.h"

#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "ui/CProgressPanel.h"
#include "view/CKorvaneView.h"

#include <QAction>
#include <QMetaObject>

namespace korvane {
namespace {

using ReentryGuardTest = AppFixture;

// Commands that would change or replace the Sounding, or end the program.
const int kGuarded[] = {cmd::Load,
                        cmd::FileOpen,
                        cmd::FileNew,
                        cmd::FileSave,
                        cmd::FileSaveAs,
                        cmd::AppExit,
                        cmd::Configurations,
                        cmd::RunCrossCorrelation,
                        cmd::AutocorrelateRawWaves,
                        cmd::AutocorrelateFilteredWaves,
                        cmd::ViewOriginalWaves,
                        cmd::ShowPhaseVelocity};

TEST_F(ReentryGuardTest, CommandsQueuedDuringLoadAreRefusedAndDisabled) {
    waves = std::make_unique<WaveFiles>(std::vector<double>{1.0, 2.0, 3.0});
    std::vector<std::pair<int, bool>> dispatched;
    std::vector<int> enabledDuringLoad;
    prompts->onCheckpoint = [&](int n, CProgressPanel& panel) {
        if (n != 2)
            return;
        for (int id : kGuarded) {
            if (QAction* action = app->Registry().Action(id); action && action->isEnabled())
                enabledDuringLoad.push_back(id);
            // Delivered by the panel's pump, as a menu command or key press would be.
            QMetaObject::invokeMethod(
                &panel, [&, id] { dispatched.emplace_back(id, app->Router().Dispatch(id)); },
                Qt::QueuedConnection);
        }
    };
    ASSERT_TRUE(LoadFiles(waves->Paths()));

    EXPECT_TRUE(enabledDuringLoad.empty());
    ASSERT_EQ(dispatched.size(), std::size(kGuarded));
    for (auto [id, ran] : dispatched)
        EXPECT_FALSE(ran) << id;
    // Nothing was asked: no second file dialog, no configuration dialog, no save prompt.
    EXPECT_EQ(prompts->fileDialogs, 1);
    EXPECT_TRUE(prompts->dialogTitles.isEmpty());
    EXPECT_TRUE(prompts->saveChangesTitles.isEmpty());
    EXPECT_TRUE(prompts->messages.isEmpty()) << prompts->messages.join("|").toStdString();
    // The load itself finished, and the commands are available again.
    EXPECT_EQ(app->Document().dataLoaded, 1);
    EXPECT_EQ(app->Document().recordCount, 3);
    EXPECT_FALSE(app->Router().IsBusy());
    EXPECT_TRUE(ActionEnabled(cmd::RunCrossCorrelation));
    EXPECT_TRUE(ActionEnabled(cmd::FileOpen));
}

TEST_F(ReentryGuardTest, AboutStillOpensAndClosingTheFrameIsRefusedDuringARun) {
    LoadThreeRecords();
    bool closed = true;
    bool aboutEnabled = false;
    prompts->onCheckpoint = [&](int n, CProgressPanel&) {
        if (n != 2)
            return;
        aboutEnabled = app->Router().IsEnabled(cmd::AppAbout);
        closed = app->Frame().close();
    };
    ASSERT_TRUE(app->Router().Dispatch(cmd::RunCrossCorrelation));
    EXPECT_TRUE(aboutEnabled);
    EXPECT_FALSE(closed);
    EXPECT_TRUE(app->Frame().isVisible());
    EXPECT_EQ(app->Document().resultsValid, 1);
}

TEST_F(ReentryGuardTest, ViewRefusesMouseEditsWhileBusy) {
    LoadThreeRecords();
    bool lockedDuringRun = false;
    prompts->onCheckpoint = [&](int, CProgressPanel&) {
        lockedDuringRun = app->View().CommandsLocked();
    };
    ASSERT_TRUE(app->Router().Dispatch(cmd::RunCrossCorrelation));
    EXPECT_TRUE(lockedDuringRun);
    EXPECT_FALSE(app->View().CommandsLocked());
}

} // namespace
} // namespace korvane
