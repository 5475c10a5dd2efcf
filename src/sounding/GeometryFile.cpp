#include "sounding/GeometryFile.h"

#include "sounding/FixedDecimal.h"

#include <fstream>

namespace korvane {

std::string GeometryFile::Format(float geophoneToTip, float hammerToRod) {
    std::string line;
    FixedDecimal::AppendFloat(line, geophoneToTip);
    line += "   ";
    FixedDecimal::AppendFloat(line, hammerToRod);
    line += '\n';
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
