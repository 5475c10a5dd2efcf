#include "sounding/GeometryFile.h"

#include <cstdio>
#include <fstream>

namespace korvane {

std::string GeometryFile::Format(float geophoneToTip, float hammerToRod) {
    // The widest float in %f takes 47 characters, so two of them always fit.
    char line[128];
    std::snprintf(line, sizeof line, "%f   %f\n", static_cast<double>(geophoneToTip),
                  static_cast<double>(hammerToRod));
    return line;
}

bool GeometryFile::Write(const std::filesystem::path& path, float geophoneToTip,
                         float hammerToRod) {
    std::ofstream out(path, std::ios::out | std::ios::trunc);
    if (!out)
        return false;
    out << Format(geophoneToTip, hammerToRod);
    out.close();
    return !out.fail();
}

} // namespace korvane
