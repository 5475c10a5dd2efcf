#include "ui/ProfileSettings.h"

namespace korvane {

std::unique_ptr<QSettings> ProfileSettings::Open() {
    return std::make_unique<QSettings>(QSettings::UserScope, QString::fromLatin1(kOrganisation),
                                       QString::fromLatin1(kApplication));
}

} // namespace korvane
