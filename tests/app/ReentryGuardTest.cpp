// While a long command pumps events, no other command may change the Sounding under it.
#include "AppFixture.h"

#include "app/CommandIds.h"
#include "ui/CProgressPanel.h"

#include <QMetaObject>

namespace korvane {
namespace {

using ReentryGuardTest = AppFixture;

TEST_F(ReentryGuardTest, CommandsQueuedDuringLoadAreRefused) {
    // Commands that would change or replace the Sounding, or end the program.
    const int guarded[] = {cmd::Load,
                           cmd::FileOpen,
                           cmd::AppExit,
                           cmd::Configurations,
                           cmd::RunCrossCorrelation,
                           cmd::RunProposeWindows,
                           cmd::RunAnalysisSettings};
    std::vector<std::pair<int, bool>> dispatched;
    prompts->onCheckpoint = [&](int n, CProgressPanel& panel) {
        if (n != 2)
            return;
        for (int id : guarded) // delivered by the panel's pump, as a menu command would be
            QMetaObject::invokeMethod(
                &panel, [&, id] { dispatched.emplace_back(id, Dispatch(id)); },
                Qt::QueuedConnection);
    };
    ASSERT_TRUE(LoadFiles(ThreeRecords()));

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

} // namespace
} // namespace korvane
