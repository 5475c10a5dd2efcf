#pragma once

namespace korvane {

// Something that handles commands by id. The router offers each command to its targets in
// turn; the first that answers true has handled it.
class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    virtual bool OnCommand(int id) = 0;
};

} // namespace korvane
