// The frame as the user meets it: menus, keys, toolbar, status bar, About box, profile.
#include "AppFixture.h"

#include "app/CAboutDialog.h"
#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "app/RecentFileList.h"
#include "ui/ProfileSettings.h"

#include <QAction>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>

namespace korvane {
namespace {

using MainFrameTest = AppFixture;

QStringList MenuItems(QMenu* menu) {
    QStringList items;
    for (QAction* action : menu->actions())
        items.append(action->isSeparator() ? "-" : action->text());
    return items;
}

TEST_F(MainFrameTest, MenusHoldTheProgramsCommandsInOrder) {
    QStringList titles;
    std::vector<QStringList> items;
    for (QAction* top : app->Frame().menuBar()->actions()) {
        titles.append(top->text());
        items.push_back(MenuItems(top->menu()));
    }
    EXPECT_EQ(titles, (QStringList{"&File", "&View", "&Run", "&Help"}));
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0], (QStringList{"Configurations", "-", "Load...", "&Open...", "&Save",
                                     "Save As...", "Export &Plot...", "-", "E&xit"}));
    EXPECT_EQ(items[1], (QStringList{"&Original Waves", "&Filtered Waves",
                                     "&Wave Velocity from Cross-Correlation",
                                     "&Coef. of Determination", "&Velocity Data"}));
    EXPECT_EQ(items[2], QStringList{"&Cross-Correlation"});
    EXPECT_EQ(items[3], QStringList{"&About Korvane..."});
}

TEST_F(MainFrameTest, KeysStatusTipsAndTooltipsFollowTheStringTable) {
    const ActionRegistry& registry = app->Registry();
    EXPECT_EQ(registry.Action(cmd::FileNew)->shortcut(), QKeySequence("Ctrl+N"));
    EXPECT_EQ(registry.Action(cmd::FileOpen)->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(registry.Action(cmd::FileSave)->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_EQ(registry.Action(cmd::FilePrint)->shortcut(), QKeySequence("Ctrl+P"));
    EXPECT_EQ(registry.Action(cmd::FileOpen)->statusTip(), "Open an existing document");
    EXPECT_EQ(registry.Action(cmd::FileOpen)->toolTip(), "Open");
    EXPECT_EQ(registry.Action(cmd::FileSaveAs)->statusTip(),
              "Save the active document with a new name");
    EXPECT_EQ(registry.Action(cmd::AppExit)->statusTip(),
              "Quit the application; prompts to save documents");
    EXPECT_EQ(registry.Action(cmd::AppAbout)->toolTip(), "About");
    // Keys without a menu item act through the frame; the edit keys reach no handler.
    for (int id : {cmd::FileNew, cmd::FilePrint, cmd::EditUndo, cmd::EditCopy, cmd::NextPane})
        EXPECT_TRUE(app->Frame().actions().contains(registry.Action(id))) << id;
    EXPECT_FALSE(app->Router().Dispatch(cmd::EditPaste));
}

TEST_F(MainFrameTest, ToolbarDocksAnywhereAndItsOnlyButtonOpensAbout) {
    QToolBar* bar = app->Frame().ToolBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isMovable());
    EXPECT_TRUE(bar->isFloatable());
    EXPECT_EQ(bar->allowedAreas(), Qt::AllToolBarAreas);
    ASSERT_EQ(bar->actions().size(), 1);
    QAction* button = bar->actions().first();
    EXPECT_EQ(button, app->Registry().Action(cmd::AppAbout));

    QStringList versions;
    prompts->dialogScript = [&](QDialog& dialog) {
        for (QLabel* label : dialog.findChildren<QLabel*>())
            versions.append(label->text());
        dialog.accept();
        return int(QDialog::Accepted);
    };
    button->trigger();
    ASSERT_TRUE(app->Router().Dispatch(cmd::AppAbout));
    EXPECT_EQ(prompts->dialogTitles, (QStringList{"About Korvane", "About Korvane"}));
    EXPECT_EQ(versions.count("Korvane Version 1.4"), 2);
    EXPECT_EQ(versions.count(CAboutDialog::kCreditLine), 2);
}

TEST_F(MainFrameTest, AboutBoxShowsIconVersionAndCreditWithDefaultOk) {
    CAboutDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "About Korvane");
    auto* icon = dialog.findChild<QLabel*>("icon");
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());
    auto* ok = dialog.findChild<QPushButton*>("1");
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
}

TEST_F(MainFrameTest, StatusBarShowsReadyAndTheLockIndicatorsAndTipsReplaceReady) {
    QStatusBar* status = app->Frame().statusBar();
    EXPECT_EQ(app->Frame().ReadyLabel()->text(), "Ready");
    for (const char* name : {"CAP", "NUM", "SCRL"}) {
        auto* label = status->findChild<QLabel*>(name);
        ASSERT_NE(label, nullptr) << name;
        EXPECT_EQ(label->text(), name);
    }
    QStatusTipEvent tip("Open an existing document");
    QCoreApplication::sendEvent(&app->Frame(), &tip);
    EXPECT_EQ(status->currentMessage(), "Open an existing document");
    QStatusTipEvent none{QString()};
    QCoreApplication::sendEvent(&app->Frame(), &none);
    EXPECT_TRUE(status->currentMessage().isEmpty());
    EXPECT_TRUE(app->Frame().ReadyLabel()->isVisible());
}

TEST_F(MainFrameTest, MenusRefreshTheirStateBeforeOpening) {
    QAction* run = app->Registry().Action(cmd::RunCrossCorrelation);
    EXPECT_FALSE(run->isEnabled());
    // A change of flags made behind the router's back shows the next time the menu opens.
    app->Document().dataLoaded = 1;
    EXPECT_FALSE(run->isEnabled());
    QMenu* runMenu = app->Frame().menuBar()->actions().at(2)->menu();
    emit runMenu->aboutToShow();
    EXPECT_TRUE(run->isEnabled());
    app->Document().dataLoaded = 0;
    app->Document().NotifyChanged();
    EXPECT_FALSE(run->isEnabled());
}

TEST_F(MainFrameTest, ProfileUsesTheOrganisationAndApplicationNames) {
    EXPECT_EQ(QCoreApplication::organizationName(), "Local AppWizard-Generated Applications");
    EXPECT_EQ(QCoreApplication::applicationName(), "Korvane");
    const auto settings = ProfileSettings::Open();
    EXPECT_EQ(settings->organizationName(), "Local AppWizard-Generated Applications");
    EXPECT_EQ(settings->applicationName(), "Korvane");
}

TEST_F(MainFrameTest, RecentFileListKeepsFourNewestFirst) {
    RecentFileList& recent = app->RecentFiles();
    for (int i = 0; i < 6; ++i)
        recent.Add(QString("/tmp/recent%1.kvn").arg(i));
    recent.Add("/tmp/recent3.kvn");
    EXPECT_EQ(recent.Files(), (QStringList{"/tmp/recent3.kvn", "/tmp/recent5.kvn",
                                           "/tmp/recent4.kvn", "/tmp/recent2.kvn"}));
    RecentFileList reread;
    EXPECT_EQ(reread.Files(), recent.Files());
}

} // namespace
} // namespace korvane
