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

TEST_F(ReentryGuardTest, CommandsQueuedDuringLoadAreRefusedAndDisabled) {
    // Commands that would change or replace the Sounding, or end the program.
    const int guarded[] = {cmd::Load,
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
    waves = std::make_unique<WaveFiles>(std::vector<double>{1.0, 2.0, 3.0});
    std::vector<std::pair<int, bool>> dispatched;
    std::vector<int> enabledDuringLoad;
    prompts->onCheckpoint = [&](int n, CProgressPanel& panel) {
        if (n != 2)
            return;
        for (int id : guarded) {
            if (QAction* action = app->Registry().Action(id); action && action->isEnabled())
                enabledDuringLoad.push_back(id);
            // Delivered by the panel's pump, as a menu command or key press would be.
            QMetaObject::invokeMethod(
                &panel, [&, id] { dispatched.emplace_back(id, Dispatch(id)); },
                Qt::QueuedConnection);
        }
    };
    ASSERT_TRUE(LoadFiles(waves->Paths()));

    EXPECT_TRUE(enabledDuringLoad.empty());
    ASSERT_EQ(dispatched.size(), std::size(guarded));
    for (auto [id, ran] : dispatched)
        EXPECT_FALSE(ran) << id;
    // Nothing was asked: no second file dialog, no configuration dialog, no save prompt.
    EXPECT_EQ(prompts->fileDialogs, 1);
    EXPECT_TRUE(prompts->dialogTitles.isEmpty());
    EXPECT_TRUE(prompts->saveChangesTitles.isEmpty());
    EXPECT_TRUE(prompts->messages.isEmpty()) << Messages();
    // The load itself finished, and the commands are available again.
    EXPECT_EQ(app->Document().recordCount, 3);
    EXPECT_FALSE(app->Router().IsBusy());
    ExpectEnabled({cmd::RunCrossCorrelation, cmd::FileOpen}, true);
}

TEST_F(ReentryGuardTest, DuringARunAboutStaysAvailableButClosingAndMouseEditsAreRefused) {
    LoadThreeRecords();
    bool closed = true;
    bool aboutEnabled = false;
    bool viewLocked = false;
    prompts->onCheckpoint = [&](int n, CProgressPanel&) {
        if (n != 2)
            return;
        aboutEnabled = app->Router().IsEnabled(cmd::AppAbout);
        viewLocked = app->View().CommandsLocked();
        closed = app->Frame().close();
    };
    ASSERT_TRUE(Dispatch(cmd::RunCrossCorrelation));
    EXPECT_TRUE(aboutEnabled);
    EXPECT_TRUE(viewLocked);
    EXPECT_FALSE(closed);
    EXPECT_TRUE(app->Frame().isVisible());
    EXPECT_EQ(app->Document().resultsValid, 1);
    EXPECT_FALSE(app->View().CommandsLocked());
}

} // namespace
} // namespace korvane
