#include "version/BuildVersion.h"

#include "KorvaneBuildCommit.h"

namespace korvane {

const char* BuildVersion::Number() {
    return KORVANE_VERSION;
}

const char* BuildVersion::Commit() {
    return KORVANE_COMMIT;
}

std::string BuildVersion::Text() {
    const std::string commit = Commit();
    return commit.empty() ? std::string(Number()) : std::string(Number()) + " (" + commit + ")";
}

} // namespace korvane
