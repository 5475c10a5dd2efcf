#pragma once

#include <QMainWindow>

#include <functional>

class QLabel;
class QToolBar;

namespace korvane {

class ActionRegistry;

// The main window: the menu, the toolbar with its About button (movable, floatable, dockable
// on every edge), the status bar with "Ready" and the CAP/NUM/SCRL indicators, and the view
// as its central widget. It places the registry's actions but handles no command itself; the
// caption is "<document title> - Korvane".
class CMainFrame final : public QMainWindow {
    Q_OBJECT
public:
    // Takes ownership of the view widget.
    CMainFrame(const ActionRegistry& registry, QWidget* view);

    void SetDocumentTitle(const QString& title);
    // What lies under the pointer in the plot, in the message pane; "Ready" when empty.
    void ShowReadout(const QString& text);

    QToolBar* ToolBar() const { return toolBar; }
    QLabel* ReadyLabel() const { return readyLabel; }

    // Asked before the window closes; false keeps it open.
    std::function<bool()> canClose;
    // Called before any menu opens, so the items' states are current.
    std::function<void()> onMenuAboutToShow;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateMenus(const ActionRegistry& registry);
    void CreateToolBar(const ActionRegistry& registry);
    void CreateStatusBar();

    QToolBar* toolBar = nullptr;
    QLabel* readyLabel = nullptr;
};

} // namespace korvane
