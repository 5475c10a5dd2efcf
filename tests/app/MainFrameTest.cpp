// The frame as the user meets it: keys, toolbar, status bar, menu refresh, recent files.
#include "AppFixture.h"

#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "app/RecentFileList.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>

namespace korvane {
namespace {

using MainFrameTest = AppFixture;

TEST_F(MainFrameTest, KeysWithoutAMenuItemAndTheToolbarButtonReachTheirCommands) {
    const ActionRegistry& registry = app->Registry();
    for (auto [id, key] :
         {std::pair{cmd::FileNew, "Ctrl+N"}, std::pair{cmd::FilePrint, "Ctrl+P"}}) {
        EXPECT_EQ(registry.Action(id)->shortcut(), QKeySequence(key));
        EXPECT_TRUE(app->Frame().actions().contains(registry.Action(id))) << key;
    }
    // Both dialogs are cancelled.
    registry.Action(cmd::FilePrint)->trigger();
    ASSERT_EQ(prompts->dialogTitles.size(), 1);
    EXPECT_FALSE(prompts->dialogTitles[0].isEmpty());
    ASSERT_EQ(app->Frame().ToolBar()->actions().size(), 1);
    app->Frame().ToolBar()->actions().first()->trigger();
    EXPECT_EQ(prompts->dialogTitles.last(), "About Korvane");
}

TEST_F(MainFrameTest, StatusTipsReplaceReadyAndMenusRefreshBeforeOpening) {
    QStatusBar* status = app->Frame().statusBar();
    EXPECT_EQ(app->Frame().ReadyLabel()->text(), "Ready");
    QStatusTipEvent tip("Open an existing document");
    QCoreApplication::sendEvent(&app->Frame(), &tip);
    EXPECT_EQ(status->currentMessage(), "Open an existing document");
    QStatusTipEvent none{QString()};
    QCoreApplication::sendEvent(&app->Frame(), &none);
    EXPECT_TRUE(status->currentMessage().isEmpty());
    EXPECT_TRUE(app->Frame().ReadyLabel()->isVisible());

    // A change of flags made behind the router's back shows the next time the menu opens.
    QAction* run = app->Registry().Action(cmd::RunCrossCorrelation);
    app->Document().dataLoaded = 1;
    EXPECT_FALSE(run->isEnabled());
    emit app->Frame().menuBar()->actions().at(2)->menu()->aboutToShow();
    EXPECT_TRUE(run->isEnabled());
    app->Document().dataLoaded = 0;
    app->Document().NotifyChanged();
    EXPECT_FALSE(run->isEnabled());
}

TEST_F(MainFrameTest, RecentFileListKeepsFourNewestFirst) {
    RecentFileList& recent = app->RecentFiles();
    for (int i = 0; i < 6; ++i)
        recent.Add(QString("/tmp/recent%1.kvn").arg(i));
    recent.Add("/tmp/recent3.kvn");
    EXPECT_EQ(recent.Files(), (QStringList{"/tmp/recent3.kvn", "/tmp/recent5.kvn",
                                           "/tmp/recent4.kvn", "/tmp/recent2.kvn"}));
    EXPECT_EQ(RecentFileList().Files(), recent.Files()); // read back from the profile
}

} // namespace
} // namespace korvane
