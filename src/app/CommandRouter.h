#pragma once

#include "app/ActionRegistry.h"

#include <functional>
#include <vector>

namespace korvane {

class CommandTarget;

// Sends a command id to the first target that handles it: the view, then the sounding
// commands, the document commands and the application. It refuses commands that are disabled
// (by their enabling rule, or because a long command is running and pumping events, when
// only commands marked harmless may run), and keeps the actions' enabled state up to date.
class CommandRouter {
public:
    explicit CommandRouter(ActionRegistry& registry);

    // Targets are asked in the order added; not owned.
    void AddTarget(CommandTarget* target) { targets_.push_back(target); }
    // Answers a command's enabling rule from the document (the view's update handlers).
    void SetRuleCheck(std::function<bool(const CommandSpec&)> check) {
        ruleCheck_ = std::move(check);
    }
    // Told when a long command starts or ends.
    void SetBusyListener(std::function<void(bool)> listener) {
        busyListener_ = std::move(listener);
    }

    // Runs a command; false when it was refused or no target handles it.
    bool Dispatch(int id);
    bool IsEnabled(int id) const;
    // Enables and disables the actions; before a menu opens and after every change of flags.
    void UpdateCommandUI();

    bool IsBusy() const { return busy_ > 0; }

    // Marks a long command as running for its lifetime.
    class BusyScope {
    public:
        explicit BusyScope(CommandRouter& router);
        ~BusyScope();
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        CommandRouter& router_;
    };

private:
    void SetBusy(int delta);

    ActionRegistry& registry_;
    std::vector<CommandTarget*> targets_;
    std::function<bool(const CommandSpec&)> ruleCheck_;
    std::function<void(bool)> busyListener_;
    int busy_ = 0;
};

} // namespace korvane
