#include "cli/MetadataOptions.h"

#include "cli/CliError.h"
#include "cli/NumberText.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"

#include <CLI/CLI.hpp>

#include <fstream>
#include <sstream>

namespace korvane {

namespace {} // namespace

bool MetadataOptions::Field::Given() const {
    return option != nullptr && option->count() > 0;
}

void MetadataOptions::AddTo(CLI::App& command) {
    const auto add = [&](const char* name, Field& field, const char* type,
                         const char* description) {
        CLI::Option* option = command.add_option(name, field.text, description)->type_name(type);
        field.option = option;
        return option;
    };
    add("--project-id", projectId_, "ID", "Project identifier");
    add("--project-name", projectName_, "TEXT", "Project title");
    add("--location-id", locationId_, "ID", "Name of the sounding's location");
    add("--client", client_, "TEXT", "Client organisation");
    add("--test-date", testDate_, "YYYY-MM-DD", "Date of the test");
    add("--source", source_, "TEXT", "Seismic source, e.g. \"7 kg sledgehammer\"");
    add("--receiver", receiver_, "TEXT", "Receiver details, e.g. the geophone's model");
    CLI::Option* single = add("--unit-weight", unitWeight_, "G",
                              "One unit weight for the whole sounding, kN/m3 (default 18), for "
                              "Gmax");
    CLI::Option* file = add("--unit-weights", unitWeightsFile_, "FILE",
                            "Unit weight profile: one line \"TOP_M GAMMA_KN_M3\" per layer, tops "
                            "ascending from 0");
    single->excludes(file);
}

bool MetadataOptions::Given() const {
    for (const Field* field : {&projectId_, &projectName_, &locationId_, &client_, &testDate_,
                               &source_, &receiver_, &unitWeight_, &unitWeightsFile_})
        if (field->Given())
            return true;
    return false;
}

void MetadataOptions::ApplyTo(CKorvaneDoc& doc) const {
    SoundingMetadata m = doc.metadata;
    const auto take = [](const Field& from, std::string& to) {
        if (from.Given())
            to = from.text;
    };
    take(projectId_, m.projectId);
    take(projectName_, m.projectName);
    take(locationId_, m.locationId);
    take(client_, m.client);
    take(testDate_, m.testDate);
    take(source_, m.source);
    take(receiver_, m.receiver);
    if (testDate_.Given() && !testDate_.text.empty() && !SoundingMetadata::IsDate(testDate_.text))
        throw CliError(CliError::kUsage,
                       "--test-date " + testDate_.text + ": expected a date written YYYY-MM-DD");
    if (unitWeight_.Given()) {
        const std::optional<double> gamma = NumberText::ToDouble(unitWeight_.text);
        if (!gamma || *gamma <= 0.0 || *gamma > 100.0)
            throw CliError(CliError::kUsage, "--unit-weight " + unitWeight_.text +
                                                 ": expected kN/m3 above 0 and up to 100");
        m.unitWeights = {{0.0, *gamma}};
    }
    if (unitWeightsFile_.Given()) {
        const std::string& path = unitWeightsFile_.text;
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        if (!in)
            throw CliError(CliError::kUsage, path + ": cannot read the unit weight file");
        try {
            m.unitWeights = SoundingMetadata::ParseUnitWeights(text.str());
        } catch (const KorvaneError& error) {
            throw CliError(CliError::kUsage, path + ": " + error.what());
        }
    }
    try {
        m.Check();
    } catch (const KorvaneError& error) {
        throw CliError(CliError::kUsage, error.what());
    }
    doc.metadata = std::move(m);
}

} // namespace korvane
