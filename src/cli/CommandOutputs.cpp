#include "cli/CommandOutputs.h"

#include "cli/CliError.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/DocumentFile.h"
#include "sounding/FixedDecimal.h"
#include "sounding/VelocityTable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <ostream>

namespace korvane {

void CommandOutputs::Require(const CommandResult& result, std::ostream& err) {
    std::size_t start = 0;
    while (start < result.warning.size()) {
        const std::size_t end = std::min(result.warning.find('\n', start), result.warning.size());
        err << "warning: " << result.warning.substr(start, end - start) << '\n';
        start = end + 1;
    }
    if (result.ok())
        return;
    const std::string message =
        result.failedPath.empty() ? result.message : result.failedPath + ": " + result.message;
    throw CliError(CliError::kFailure, message);
}

void CommandOutputs::WarnUnresolvedIntervals(const CKorvaneDoc& doc, std::ostream& err) {
    for (size_t i = 0; i < doc.ccVelocities.size() && i + 1 < doc.depths.size(); ++i) {
        const float velocity = doc.ccVelocities[i];
        if (std::isfinite(velocity))
            continue;
        const double z0 = doc.depths[i];
        const double z1 = doc.depths[i + 1];
        const double h = doc.hammerToRod;
        // A peak at lag 0 between records with equal slant paths is 0 m / 0 s.
        const bool peak =
            i < doc.correlationCoefficients.size() && doc.correlationCoefficients[i] > 0.0;
        const bool samePath = std::sqrt(z1 * z1 + h * h) == std::sqrt(z0 * z0 + h * h);
        const char* why = "has no delay between its records; its velocity is infinite";
        if (std::isnan(velocity))
            why = peak && samePath
                      ? "has equal depths: no distance between the records; its velocity is not "
                        "a number"
                      : "has no correlation peak; its velocity is not a number";
        err << "warning: interval " << i + 1 << " (" << FixedDecimal::Text(doc.depths[i])
            << " m to " << FixedDecimal::Text(doc.depths[i + 1]) << " m) " << why << '\n';
    }
}

void CommandOutputs::WriteTable(const CKorvaneDoc& doc, const std::string& target,
                                std::ostream& out) {
    if (target == "-") {
        WriteVelocityTable(doc, out);
        out.flush();
        if (!out)
            throw CliError(CliError::kFailure, "cannot write the velocity table");
        return;
    }
    try {
        SaveVelocityTable(doc, target);
    } catch (const KorvaneError& error) {
        throw CliError(CliError::kFailure, target + ": " + error.what());
    }
}

void CommandOutputs::Save(CKorvaneDoc& doc, const std::string& path) {
    try {
        DocumentFile::Save(doc, path);
    } catch (const KorvaneError& error) {
        throw CliError(CliError::kFailure, path + ": " + error.what());
    }
}

void CommandOutputs::CheckFolderOf(const std::string& path, const char* option) {
    if (path.empty() || path == "-")
        return;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code error;
    if (!folder.empty() && !std::filesystem::is_directory(folder, error))
        throw CliError(CliError::kUsage, std::string(option) + " " + path + ": the folder " +
                                             folder.string() + " does not exist");
}

} // namespace korvane
