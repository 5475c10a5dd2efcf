#include "cli/AgsCommand.h"

#include "analysis/AgsExport.h"
#include "cli/CliError.h"
#include "cli/CliOptions.h"
#include "cli/CommandOutputs.h"
#include "cli/SoundingInput.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"

#include <chrono>
#include <cstdio>
#include <ostream>

namespace korvane {

namespace {

// The identifiers every AGS file needs, asked for by their options.
void RequireIdentifiers(const CKorvaneDoc& doc) {
    if (doc.metadata.projectId.empty())
        throw CliError(CliError::kUsage, "ags: the sounding has no project id; give --project-id");
    if (doc.metadata.locationId.empty())
        throw CliError(CliError::kUsage,
                       "ags: the sounding has no location id; give --location-id");
}

} // namespace

std::string AgsCommand::Today() {
    using namespace std::chrono;
    const year_month_day date{floor<days>(system_clock::now())};
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

void AgsCommand::Run(const CliOptions& options, std::ostream& out, std::ostream& err) {
    AgsOptions ags;
    ags.fileDate = options.fileDate.empty() ? Today() : options.fileDate;
    if (!SoundingMetadata::IsDate(ags.fileDate))
        throw CliError(CliError::kUsage,
                       "--file-date " + ags.fileDate + ": expected a date written YYYY-MM-DD");
    CKorvaneDoc doc;
    // The interval analysis runs also with the default settings: it gives the quality flags
    // behind ISTA_IVAL.
    SoundingInput::Analysed(doc, options, err, RequireIdentifiers);

    try {
        if (options.outFile == "-") {
            out << AgsExport::Text(doc, ags);
            out.flush();
            if (!out)
                throw CliError(CliError::kFailure, "cannot write the AGS file");
        } else {
            AgsExport::Save(doc, ags, options.outFile);
        }
    } catch (const KorvaneError& error) {
        throw CliError(CliError::kFailure, options.outFile + ": " + error.what());
    }
    if (!options.saveFile.empty())
        CommandOutputs::Save(doc, options.saveFile);
}

} // namespace korvane
