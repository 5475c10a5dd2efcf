#pragma once

namespace korvane {

class ActionRegistry;

// The program's commands: menu texts, accelerators, status-bar prompts, tooltips and enabling
// rules, by id.
class CommandTable {
public:
    static void RegisterAll(ActionRegistry& registry);
};

} // namespace korvane
