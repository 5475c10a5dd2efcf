#pragma once

#include <QGuiApplication>

#include <memory>

namespace korvane {

// The Qt application a drawing command needs for fonts and painters. It only ever draws into
// files, so it never connects to a display, whatever the environment names (a display may be
// missing, or drop new clients for a moment: Xvfb resets when its last client leaves), and
// Qt's notes about the platform (runtime folders, fonts) stay off standard error; only its
// errors reach it. Owns the application for its lifetime.
class OffscreenApplication {
public:
    OffscreenApplication();

private:
    char programName_[12] = "korvane-cli";
    char platformOption_[10] = "-platform";
    char platform_[10] = "offscreen";
    char* argv_[4] = {programName_, platformOption_, platform_, nullptr};
    int argc_ = 3;
    std::unique_ptr<QGuiApplication> application_;
};

} // namespace korvane
