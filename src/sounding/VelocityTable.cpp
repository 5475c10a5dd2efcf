#include "sounding/VelocityTable.h"

#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/FixedDecimal.h"

#include <fstream>
#include <ostream>

namespace korvane {

namespace {

// Intervals whose three values are all present.
std::size_t IntervalCount(const CKorvaneDoc& doc) {
    if (doc.recordCount < 2)
        return 0;
    const auto n = static_cast<std::size_t>(doc.recordCount) - 1;
    if (doc.depths.size() < n + 1 || doc.ccVelocities.size() < n ||
        doc.correlationCoefficients.size() < n)
        return 0;
    return n;
}

// The sum is taken in single precision, as the depths are stored, then halved in double.
double MidDepth(const CKorvaneDoc& doc, std::size_t i) {
    return static_cast<double>(doc.depths[i + 1] + doc.depths[i]) * 0.5;
}

} // namespace

std::vector<VelocityTableRow> VelocityTableRows(const CKorvaneDoc& doc) {
    std::vector<VelocityTableRow> rows;
    const std::size_t n = IntervalCount(doc);
    rows.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double r = doc.correlationCoefficients[i];
        rows.push_back({FixedDecimal::Text(MidDepth(doc, i), 2),
                        FixedDecimal::Text(static_cast<double>(doc.ccVelocities[i]), 2),
                        FixedDecimal::Text(r * r, 4)});
    }
    return rows;
}

void WriteVelocityTable(const CKorvaneDoc& doc, std::ostream& out) {
    std::string text = "Depth(m)      Velocity(m/s)   r2  \n";
    const std::size_t n = IntervalCount(doc);
    for (std::size_t i = 0; i < n; ++i) {
        const double r = doc.correlationCoefficients[i];
        FixedDecimal::AppendDouble(text, MidDepth(doc, i));
        text += "      ";
        FixedDecimal::AppendDouble(text, doc.ccVelocities[i]);
        text += "     ";
        FixedDecimal::AppendDouble(text, r * r);
        text += '\n';
    }
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void SaveVelocityTable(const CKorvaneDoc& doc, const std::filesystem::path& path) {
    std::ofstream out(path, std::ios::out | std::ios::trunc);
    if (!out)
        throw KorvaneError("Can't open the selected file!");
    WriteVelocityTable(doc, out);
    out.close();
    if (out.fail())
        throw KorvaneError("The file can't be closed!");
}

} // namespace korvane
