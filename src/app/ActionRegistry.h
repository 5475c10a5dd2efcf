#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class QAction;

namespace korvane {

// When a command may run, judged from the document's flags.
enum class EnableRule {
    Always,
    NeedsData,    // records are loaded
    NeedsResults, // cross-correlation results exist
    DisplayData,  // the data of the command's display mode exist
    CanUndo,      // the undo history has a step to undo
    CanRedo,      // or to redo
};

// Everything the program knows about one command id.
struct CommandSpec {
    int id = 0;
    QString text;                  // menu text; empty for commands without a menu item
    QList<QKeySequence> shortcuts; // accelerators
    QString prompt;                // "status tip\ntooltip"
    EnableRule rule = EnableRule::Always;
    bool allowedWhileBusy = false; // may run while a long command pumps events
    int displayMode = -1;          // what the command shows, for EnableRule::DisplayData
    bool checkable = false;        // an on/off item; its owner keeps the check mark
};

// The one place where commands are declared: ids with their texts, keys, status tips,
// tooltips and enabling rules. Commands with a menu text or a key get a QAction that sends
// the id to the dispatcher; the registry owns those actions, the frame places them.
class ActionRegistry {
public:
    ActionRegistry();
    ~ActionRegistry();
    ActionRegistry(const ActionRegistry&) = delete;
    ActionRegistry& operator=(const ActionRegistry&) = delete;

    void Register(const CommandSpec& spec);
    const CommandSpec* Find(int id) const;
    // The command's action, or null for a command reached only by id.
    QAction* Action(int id) const;
    std::vector<int> Ids() const;

    // Where triggered actions send their id.
    void SetDispatcher(std::function<void(int)> dispatch) { dispatch_ = std::move(dispatch); }
    // Enables or disables every action.
    void UpdateEnabled(const std::function<bool(int)>& isEnabled);

    // Status tip and tooltip of a prompt string.
    static QString StatusTip(const QString& prompt);
    static QString ToolTip(const QString& prompt);

private:
    struct Entry {
        CommandSpec spec;
        std::unique_ptr<QAction> action;
    };
    std::map<int, Entry> commands_;
    std::function<void(int)> dispatch_;
};

} // namespace korvane
