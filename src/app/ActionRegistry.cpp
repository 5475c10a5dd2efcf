#include "app/ActionRegistry.h"

#include <QAction>

namespace korvane {

ActionRegistry::ActionRegistry() = default;
ActionRegistry::~ActionRegistry() = default;

void ActionRegistry::Register(const CommandSpec& spec) {
    Entry entry{spec, nullptr};
    if (!spec.text.isEmpty() || !spec.shortcuts.isEmpty()) {
        entry.action = std::make_unique<QAction>(spec.text);
        entry.action->setShortcuts(spec.shortcuts);
        entry.action->setCheckable(spec.checkable);
        entry.action->setStatusTip(StatusTip(spec.prompt));
        if (!ToolTip(spec.prompt).isEmpty())
            entry.action->setToolTip(ToolTip(spec.prompt));
        const int id = spec.id;
        QObject::connect(entry.action.get(), &QAction::triggered, [this, id] {
            if (dispatch_)
                dispatch_(id);
        });
    }
    commands_.insert_or_assign(spec.id, std::move(entry));
}

const CommandSpec* ActionRegistry::Find(int id) const {
    const auto it = commands_.find(id);
    return it == commands_.end() ? nullptr : &it->second.spec;
}

QAction* ActionRegistry::Action(int id) const {
    const auto it = commands_.find(id);
    return it == commands_.end() ? nullptr : it->second.action.get();
}

std::vector<int> ActionRegistry::Ids() const {
    std::vector<int> ids;
    ids.reserve(commands_.size());
    for (const auto& [id, entry] : commands_)
        ids.push_back(id);
    return ids;
}

void ActionRegistry::UpdateEnabled(const std::function<bool(int)>& isEnabled) {
    for (auto& [id, entry] : commands_)
        if (entry.action)
            entry.action->setEnabled(isEnabled(id));
}

QString ActionRegistry::StatusTip(const QString& prompt) {
    return prompt.section('\n', 0, 0);
}

QString ActionRegistry::ToolTip(const QString& prompt) {
    return prompt.contains('\n') ? prompt.section('\n', 1) : QString();
}

} // namespace korvane
