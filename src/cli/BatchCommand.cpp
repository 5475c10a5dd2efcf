#include "cli/BatchCommand.h"

#include "analysis/SiteTables.h"
#include "cli/AnalysisOptions.h"
#include "cli/BatchSounding.h"
#include "cli/CliError.h"
#include "cli/CliOptions.h"
#include "cli/SoundingInput.h"
#include "cli/TerminalProgress.h"
#include "cli/WindowSettings.h"
#include "dsp/KorvaneError.h"
#include "dsp/ThreadPool.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/ReplacedFile.h"

#include <algorithm>
#include <cstdio>
#include <future>
#include <map>
#include <ostream>

namespace korvane {

namespace fs = std::filesystem;

namespace {

// Whether path is base or lies inside it (both made absolute and normal first).
bool IsWithin(const fs::path& path, const fs::path& base) {
    std::error_code ec;
    const fs::path p = fs::weakly_canonical(fs::absolute(path, ec), ec);
    const fs::path b = fs::weakly_canonical(fs::absolute(base, ec), ec);
    auto [bEnd, pAt] = std::mismatch(b.begin(), b.end(), p.begin(), p.end());
    return bEnd == b.end() || (std::next(bEnd) == b.end() && bEnd->empty());
}

// The soundings with their names and folders; refuses, before any work, names that two
// soundings share or that the site tables use, and outputs that would replace an input.
std::vector<BatchSounding> Plan(const CliOptions& options) {
    std::vector<BatchSounding> soundings;
    std::map<std::string, std::string> inputOf;
    for (const std::string& input : options.inputs) {
        BatchSounding sounding;
        sounding.input = input;
        sounding.name = BatchCommand::SoundingName(input);
        sounding.folder = fs::path(options.outDir) / sounding.name;
        if (sounding.name.empty() || sounding.name == "." || sounding.name == "..")
            throw CliError(CliError::kUsage, input + ": gives no name for an output folder");
        if (sounding.name == BatchCommand::kSiteTable ||
            sounding.name == BatchCommand::kSiteSummary)
            throw CliError(CliError::kUsage, input + ": the name " + sounding.name +
                                                 " is that of a site table; rename the sounding");
        const auto [at, added] = inputOf.emplace(sounding.name, input);
        if (!added)
            throw CliError(CliError::kUsage,
                           input + " and " + at->second + " would both be written to " +
                               sounding.folder.string() +
                               "; give soundings of one name separately or rename one");
        if (IsWithin(input, sounding.folder) || IsWithin(options.outDir, input))
            throw CliError(CliError::kUsage, input + ": the outputs would be written into it; "
                                                     "choose another --out folder");
        soundings.push_back(std::move(sounding));
    }
    return soundings;
}

void CheckUsage(const CliOptions& options, const WindowSettings& windows) {
    // A window out of range is wrong for every sounding alike.
    windows.Check(1, 8192);
    AnalysisOptions::CheckUsage(options, false);
    // A defect in the depths file is one for every sounding too.
    SoundingInput::Import(options);
}

} // namespace

std::string BatchCommand::SoundingName(const std::string& argument) {
    fs::path path = fs::path(argument).lexically_normal();
    if (!path.has_filename() && path.has_parent_path())
        path = path.parent_path();
    if (path.filename() == "." || path.filename() == "..") {
        std::error_code ec;
        path = fs::weakly_canonical(fs::absolute(path, ec), ec);
    }
    if (BatchSounding::IsDocument(path.string()))
        return path.stem().string();
    return path.filename().string();
}

void BatchCommand::Run(const CliOptions& options, std::ostream& out, std::ostream& err) {
    if (!options.windowsFile.empty())
        throw CliError(CliError::kUsage,
                       "--windows " + options.windowsFile +
                           ": a windows file holds the windows of one sounding; give every "
                           "sounding the same window with --window FIRST:LAST, or let each "
                           "record's window be proposed with --window auto");
    const WindowSettings windows = SoundingInput::Windows(options);
    CheckUsage(options, windows);
    {
        // A bad detail (a unit weight file with a fault) is the same for every sounding.
        CKorvaneDoc probe;
        options.metadata.ApplyTo(probe);
    }
    const std::vector<BatchSounding> soundings = Plan(options);
    std::error_code ec;
    fs::create_directories(options.outDir, ec);
    if (!fs::is_directory(options.outDir, ec))
        throw CliError(CliError::kFailure, options.outDir + ": cannot create the folder");

    const auto count = static_cast<unsigned>(soundings.size());
    const unsigned jobs = options.jobs == 0 ? ThreadPool::HardwareThreads() : options.jobs;
    std::vector<std::future<BatchSounding::Outcome>> outcomes;
    outcomes.reserve(soundings.size());
    std::string siteRows = SiteTables::IntervalHeader();
    std::string summary = SiteTables::SummaryHeader();
    std::size_t failed = 0;
    {
        ThreadPool pool(std::min(jobs, count));
        for (const BatchSounding& sounding : soundings)
            outcomes.push_back(pool.Submit(
                [&sounding, &options, &windows] { return sounding.Process(options, windows); }));
        TerminalProgress progress(stderr, !options.quiet);
        progress.SetRange(0, static_cast<int>(count));
        for (std::size_t i = 0; i < outcomes.size(); ++i) {
            const BatchSounding::Outcome outcome = outcomes[i].get();
            progress.Finish();
            // Each message line says which sounding it is about.
            const std::string& messages = outcome.messages;
            for (std::size_t start = 0; start < messages.size();) {
                const std::size_t end = std::min(messages.find('\n', start), messages.size());
                err << soundings[i].name << ": " << messages.substr(start, end - start) << '\n';
                start = end + 1;
            }
            err.flush();
            progress.SetStatusText("Sounding " + std::to_string(i + 1) + " of " +
                                   std::to_string(count));
            progress.Checkpoint();
            failed += outcome.failed ? 1 : 0;
            siteRows += outcome.intervalRows;
            summary += outcome.summaryRow;
        }
        progress.Finish();
    }
    try {
        ReplacedFile::Write(fs::path(options.outDir) / kSiteTable, siteRows);
        ReplacedFile::Write(fs::path(options.outDir) / kSiteSummary, summary);
    } catch (const KorvaneError& error) {
        throw CliError(CliError::kFailure, error.what());
    }
    out << count - failed << " of " << count << " soundings processed into " << options.outDir
        << '\n';
    if (failed > 0)
        throw CliError(CliError::kFailure, std::to_string(failed) + " of " + std::to_string(count) +
                                               " soundings failed; see " +
                                               (fs::path(options.outDir) / kSiteSummary).string());
}

} // namespace korvane
