#include "app/CommandRouter.h"

#include "app/CommandTarget.h"

namespace korvane {

CommandRouter::CommandRouter(ActionRegistry& registry) : registry_(registry) {
    registry_.SetDispatcher([this](int id) { Dispatch(id); });
}

bool CommandRouter::IsEnabled(int id) const {
    const CommandSpec* spec = registry_.Find(id);
    if (busy_ > 0 && !(spec && spec->allowedWhileBusy))
        return false;
    if (!spec || !ruleCheck_)
        return true;
    return ruleCheck_(*spec);
}

bool CommandRouter::Dispatch(int id) {
    // The state is checked again here: a disabled command can still arrive by id, or from a
    // key press queued before the state changed.
    if (!IsEnabled(id))
        return false;
    for (CommandTarget* target : targets_)
        if (target->OnCommand(id))
            return true;
    return false;
}

void CommandRouter::UpdateCommandUI() {
    registry_.UpdateEnabled([this](int id) { return IsEnabled(id); });
}

void CommandRouter::SetBusy(int delta) {
    const bool was = IsBusy();
    busy_ += delta;
    if (was != IsBusy()) {
        UpdateCommandUI();
        if (busyListener_)
            busyListener_(IsBusy());
    }
}

CommandRouter::BusyScope::BusyScope(CommandRouter& router) : router_(router) {
    router_.SetBusy(1);
}

CommandRouter::BusyScope::~BusyScope() {
    router_.SetBusy(-1);
}

} // namespace korvane
