#pragma once

#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <set>

class QLabel;
class QMenu;
class QMimeData;
class QToolBar;

namespace korvane {

class ActionRegistry;

// The main window: the menu, the toolbar with its About button (movable, floatable, dockable
// on every edge), the status bar with "Ready", a note on the results and the CAP/NUM/SCRL
// indicators, and the view as its central widget. It places the registry's actions but
// handles no command itself; the caption is "<document title> - Korvane", with "*" after the
// title while the window is marked modified (setWindowModified). It keeps its geometry in the
// profile, and hands files dropped on it to onFilesDropped.
class CMainFrame final : public QMainWindow {
    Q_OBJECT
public:
    // Takes ownership of the view widget.
    CMainFrame(const ActionRegistry& registry, QWidget* view);

    void SetDocumentTitle(const QString& title);
    // A note beside the indicators; empty hides it.
    void SetResultsNote(const QString& note);
    // The size, position and toolbar placement saved when the window last closed; false when
    // the profile holds none.
    bool RestoreWindowGeometry();
    // What lies under the pointer in the plot, in the message pane; "Ready" when empty.
    void ShowReadout(const QString& text);

    QToolBar* ToolBar() const { return toolBar; }
    QLabel* ReadyLabel() const { return readyLabel; }

    // Asked before the window closes; false keeps it open.
    std::function<bool()> canClose;
    // Called before any menu opens, so the items' states are current.
    std::function<void()> onMenuAboutToShow;
    // Local files dropped on the window, once the drop itself has finished.
    std::function<void(const QStringList&)> onFilesDropped;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    static QStringList LocalFiles(const QMimeData* data);
    void CreateMenus(const ActionRegistry& registry);
    void FillMenu(QMenu* menu, std::initializer_list<int> ids, const ActionRegistry& registry,
                  std::set<int>& placed);
    void CreateToolBar(const ActionRegistry& registry);
    void CreateStatusBar();

    QToolBar* toolBar = nullptr;
    QLabel* readyLabel = nullptr;
    QLabel* resultsNote = nullptr;
};

} // namespace korvane
