#include "app/CMainFrame.h"

#include "app/ActionRegistry.h"
#include "app/AppIcon.h"
#include "app/CommandIds.h"
#include "ui/ProfileSettings.h"

#include <QAction>
#include <QCloseEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>

namespace korvane {

namespace {

constexpr int kSeparator = 0;

struct MenuSpec {
    const char* title;
    std::initializer_list<int> ids;
};

// Submenus, placed in a menu by the item Submenu(index).
const MenuSpec kSubmenus[] = {
    {"More &Displays",
     {cmd::ShowPhaseVelocity, cmd::ShowCorrelationFunctions, cmd::ShowAlignedWindows,
      cmd::ShowRawAutocorrelations, cmd::ShowFilteredAutocorrelations}},
};
constexpr int Submenu(int index) {
    return -1 - index;
}

const MenuSpec kMenus[] = {
    {"&File",
     {cmd::Configurations, cmd::FileSoundingProperties, kSeparator, cmd::Load, cmd::FileOpen,
      cmd::FileClose, cmd::FileSave, cmd::FileSaveAs, kSeparator, cmd::FileExportPlot,
      cmd::FileExportAgs, cmd::FileExportReport, kSeparator, cmd::FileMru1, cmd::FileMru2,
      cmd::FileMru3, cmd::FileMru4, kSeparator, cmd::AppExit}},
    {"&Edit", {cmd::EditUndo, cmd::EditRedo}},
    {"&View",
     {cmd::ViewOriginalWaves, cmd::ViewFilteredWaves, cmd::ViewCrossCorrelationVelocity,
      cmd::ViewDetermination, cmd::ViewVelocityData, kSeparator, Submenu(0), kSeparator,
      cmd::ViewZoomToFit, cmd::ViewScaleEachRow}},
    {"&Run",
     {cmd::RunCrossCorrelation, kSeparator, cmd::RunProposeWindows, cmd::RunAnalysisSettings,
      kSeparator, cmd::AutocorrelateRawWaves, cmd::AutocorrelateFilteredWaves}},
    {"&Help", {cmd::AppAbout}},
};

constexpr const char* kGeometryKey = "Settings/WindowGeometry";
constexpr const char* kStateKey = "Settings/WindowState";

} // namespace

CMainFrame::CMainFrame(const ActionRegistry& registry, QWidget* view) {
    setObjectName("mainFrame");
    setWindowIcon(AppIcon::Application());
    setCentralWidget(view);
    CreateMenus(registry);
    CreateToolBar(registry);
    CreateStatusBar();
    setAcceptDrops(true);
}

void CMainFrame::CreateMenus(const ActionRegistry& registry) {
    std::set<int> placed;
    for (const MenuSpec& spec : kMenus)
        FillMenu(menuBar()->addMenu(spec.title), spec.ids, registry, placed);
    // Keys without a menu item (Ctrl+N, Ctrl+P, the edit and pane keys) act through the frame.
    for (int id : registry.Ids())
        if (QAction* action = registry.Action(id); action && !placed.count(id))
            addAction(action);
}

void CMainFrame::FillMenu(QMenu* menu, std::initializer_list<int> ids,
                          const ActionRegistry& registry, std::set<int>& placed) {
    connect(menu, &QMenu::aboutToShow, this, [this] {
        if (onMenuAboutToShow)
            onMenuAboutToShow();
    });
    for (int id : ids) {
        if (id == kSeparator) {
            menu->addSeparator();
        } else if (id < 0) {
            const MenuSpec& sub = kSubmenus[-1 - id];
            FillMenu(menu->addMenu(sub.title), sub.ids, registry, placed);
        } else if (QAction* action = registry.Action(id)) {
            menu->addAction(action);
            placed.insert(id);
        }
    }
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
    resultsNote = new QLabel(this);
    resultsNote->setObjectName("resultsNote");
    resultsNote->setStyleSheet("color: #b00000");
    resultsNote->hide();
    statusBar()->addPermanentWidget(resultsNote);
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
    // "[*]" shows as "*" while the window is marked modified; one in a file name is doubled.
    QString escaped = title;
    escaped.replace("[*]", "[*][*]");
    setWindowTitle(QString("%1[*] - Korvane").arg(escaped));
}

void CMainFrame::SetResultsNote(const QString& note) {
    resultsNote->setText(note);
    resultsNote->setVisible(!note.isEmpty());
}

bool CMainFrame::RestoreWindowGeometry() {
    const auto settings = ProfileSettings::Open();
    if (!restoreGeometry(settings->value(kGeometryKey).toByteArray()))
        return false;
    restoreState(settings->value(kStateKey).toByteArray());
    return true;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (canClose && !canClose()) {
        event->ignore();
        return;
    }
    const auto settings = ProfileSettings::Open();
    settings->setValue(kGeometryKey, saveGeometry());
    settings->setValue(kStateKey, saveState());
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QStringList files = LocalFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    // Loading runs its own event loop; the drag source gets its answer first.
    QMetaObject::invokeMethod(
        this,
        [this, files] {
            if (onFilesDropped)
                onFilesDropped(files);
        },
        Qt::QueuedConnection);
}

QStringList CMainFrame::LocalFiles(const QMimeData* data) {
    QStringList files;
    if (!data)
        return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    return files;
}

} // namespace korvane
