#include "app/CMainFrame.h"

#include "app/ActionRegistry.h"
#include "app/AppIcon.h"
#include "app/CommandIds.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include <initializer_list>
#include <set>

namespace korvane {

namespace {

constexpr int kSeparator = 0;

struct MenuSpec {
    const char* title;
    std::initializer_list<int> ids;
};

const MenuSpec kMenus[] = {
    {"&File",
     {cmd::Configurations, kSeparator, cmd::Load, cmd::FileOpen, cmd::FileSave, cmd::FileSaveAs,
      cmd::FileExportPlot, kSeparator, cmd::AppExit}},
    {"&Edit", {cmd::EditUndo, cmd::EditRedo}},
    {"&View",
     {cmd::ViewOriginalWaves, cmd::ViewFilteredWaves, cmd::ViewCrossCorrelationVelocity,
      cmd::ViewDetermination, cmd::ViewVelocityData, kSeparator, cmd::ViewZoomToFit,
      cmd::ViewScaleEachRow}},
    {"&Run", {cmd::RunCrossCorrelation}},
    {"&Help", {cmd::AppAbout}},
};

} // namespace

CMainFrame::CMainFrame(const ActionRegistry& registry, QWidget* view) {
    setObjectName("mainFrame");
    setWindowIcon(AppIcon::Application());
    setCentralWidget(view);
    CreateMenus(registry);
    CreateToolBar(registry);
    CreateStatusBar();
}

void CMainFrame::CreateMenus(const ActionRegistry& registry) {
    std::set<int> placed;
    for (const MenuSpec& spec : kMenus) {
        QMenu* menu = menuBar()->addMenu(spec.title);
        connect(menu, &QMenu::aboutToShow, this, [this] {
            if (onMenuAboutToShow)
                onMenuAboutToShow();
        });
        for (int id : spec.ids) {
            if (id == kSeparator) {
                menu->addSeparator();
            } else if (QAction* action = registry.Action(id)) {
                menu->addAction(action);
                placed.insert(id);
            }
        }
    }
    // Keys without a menu item (Ctrl+N, Ctrl+P, the edit and pane keys) act through the frame.
    for (int id : registry.Ids())
        if (QAction* action = registry.Action(id); action && !placed.count(id))
            addAction(action);
}

void CMainFrame::CreateToolBar(const ActionRegistry& registry) {
    toolBar = new QToolBar("Standard", this);
    toolBar->setObjectName("toolBar");
    toolBar->setMovable(true);
    toolBar->setFloatable(true);
    toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    toolBar->setIconSize(QSize(16, 15));
    if (QAction* about = registry.Action(cmd::AppAbout)) {
        about->setIcon(AppIcon::About());
        about->setIconVisibleInMenu(false);
        toolBar->addAction(about);
    }
    addToolBar(Qt::TopToolBarArea, toolBar);
}

void CMainFrame::CreateStatusBar() {
    // A plain widget of the bar: status tips hide it while they show, and it comes back after.
    readyLabel = new QLabel("Ready", this);
    statusBar()->addWidget(readyLabel, 1);
    for (const char* indicator : {"CAP", "NUM", "SCRL"}) {
        auto* label = new QLabel(indicator, this);
        label->setObjectName(indicator);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance("SCRL") + 8);
        // Qt does not report the lock keys' state, so the panes never claim a lock is on.
        label->setEnabled(false);
        statusBar()->addPermanentWidget(label);
    }
}

void CMainFrame::ShowReadout(const QString& text) {
    readyLabel->setText(text.isEmpty() ? QStringLiteral("Ready") : text);
}

void CMainFrame::SetDocumentTitle(const QString& title) {
    setWindowTitle(QString("%1 - Korvane").arg(title));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (canClose && !canClose()) {
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace korvane
