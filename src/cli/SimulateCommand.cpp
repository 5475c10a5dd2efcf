#include "cli/SimulateCommand.h"

#include "cli/CliError.h"
#include "cli/CliOptions.h"
#include "cli/SyntheticSounding.h"

#include <ostream>

namespace korvane {

void SimulateCommand::Run(const CliOptions& options, std::ostream& out) {
    SyntheticSounding::Settings settings;
    settings.depthCount = options.depthCount;
    settings.seed = options.seed;
    settings.depthStep = options.depthStep;
    settings.strikes = options.strikes;
    if (options.noiseLevel)
        settings.noiseLevel = *options.noiseLevel;
    settings.triggerJitter = options.triggerJitterMs / 1000.0;
    if (options.hammerToRod)
        settings.hammerToRod = *options.hammerToRod;
    if (options.geophoneToTip)
        settings.geophoneToTip = *options.geophoneToTip;
    settings.seg2 = options.format == "seg2";
    settings.sampleInterval = options.sampleInterval;
    if (!options.layers.empty())
        settings.layers = SyntheticSounding::ParseLayers(options.layers);

    const SyntheticSounding sounding(settings);
    if (sounding.GeophoneDepth(0) <= 0.0)
        throw CliError(CliError::kUsage, "--geophone-to-tip puts the first geophone above ground");
    sounding.WriteTo(options.outDir);
    out << "Wrote " << sounding.shotCount() << (settings.seg2 ? " SEG-2" : " wave") << " files to "
        << (std::filesystem::path(options.outDir) / sounding.FolderName()).string()
        << ", windows.txt and model.txt to " << options.outDir << '\n';
}

} // namespace korvane
