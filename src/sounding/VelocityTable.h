#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace korvane {

class CKorvaneDoc;

// One interval of the velocity table as the dialog shows it.
struct VelocityTableRow {
    std::string midDepth; // metres, mean of the two record depths, two decimals
    std::string velocity; // m/s, cross-correlation velocity, two decimals
    // Square of the peak correlation coefficient, four decimals: good intervals lie between
    // 0.99 and 1, where two decimals would show most of them as 1.00.
    std::string r2;
};

// Rows from the shallowest interval down; none unless the document holds a depth per record
// and a velocity and coefficient per interval.
std::vector<VelocityTableRow> VelocityTableRows(const CKorvaneDoc& doc);

// The text export: a header line, then one line per interval with six decimals.
void WriteVelocityTable(const CKorvaneDoc& doc, std::ostream& out);

// Creates or truncates path and writes the export. Throws KorvaneError with "Can't open the
// selected file!" or "The file can't be closed!".
void SaveVelocityTable(const CKorvaneDoc& doc, const std::filesystem::path& path);

} // namespace korvane
