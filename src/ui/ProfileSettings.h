#pragma once

#include <QSettings>
#include <QString>

#include <memory>

namespace korvane {

// The per-user profile store: the progress panel's position and the recent-file list.
class ProfileSettings {
public:
    static constexpr const char* kOrganisation = "Local AppWizard-Generated Applications";
    static constexpr const char* kApplication = "Korvane";

    // A store on the user's profile under the organisation and application names, whatever
    // names the running QCoreApplication carries.
    static std::unique_ptr<QSettings> Open();
};

} // namespace korvane
