#pragma once

#include "app/CommandTarget.h"

#include <functional>

class QWidget;

namespace korvane {

class CKorvaneDoc;
class CommandRouter;
class ProgressReporter;
struct CommandResult;
class UserPrompts;

// The view's commands that work on the Sounding: Load, Configurations, the cross-correlation
// and autocorrelation runs, and the velocity table. The long ones run with a progress panel
// over the view and mark the router busy while they pump events, so no other command can
// change the Sounding under them. Owns nothing.
class SoundingCommands final : public CommandTarget {
public:
    SoundingCommands(CKorvaneDoc& doc, QWidget& view, UserPrompts& prompts, CommandRouter& router);

    bool OnCommand(int id) override;

    void LoadCommand();
    void OnConfigurations();
    void OnRunCrossCorrelation();
    void OnAutocorrelateRawWaves();
    void OnAutocorrelateFilteredWaves();
    void OnViewVelocityData();

private:
    // Runs a long command with a progress panel, then tells the user how it ended and has
    // the view repaint.
    void RunLong(const std::function<CommandResult(ProgressReporter&)>& work);

    CKorvaneDoc& doc_;
    QWidget& view_;
    UserPrompts& prompts_;
    CommandRouter& router_;
};

} // namespace korvane
