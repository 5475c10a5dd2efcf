#include "sounding/LoadPipeline.h"

#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/DepthSorter.h"
#include "sounding/DiagnosticFiles.h"
#include "sounding/PhaseVelocity.h"
#include "sounding/WaveFileReader.h"

#include <cstddef>
#include <limits>
#include <new>
#include <stdexcept>

namespace korvane {

namespace {

constexpr const char* kNoFiles = "No wave files were chosen.";
constexpr const char* kBadRecordLength =
    "The record length must be a power of two of at least 512 samples.";
constexpr const char* kStatusText = "Files are being processed ...\n";

bool IsUsableRecordLength(uint32_t n) {
    return n >= 512 && (n & (n - 1)) == 0;
}

// Allocates the tables of every record and interval; the record buffers come per file.
void AllocateSounding(CKorvaneDoc& doc, std::size_t records) {
    doc.rawWaves.resize(records);
    doc.filteredWaves.resize(records);
    doc.spareWaves.resize(records);
    doc.spectrumReal.resize(records);
    doc.spectrumImag.resize(records);
    doc.phaseSpectra.resize(records);
    doc.depths.assign(records, 0.0f);
    doc.ccVelocities.assign(records - 1, 0.0f);
    doc.phaseVelocities.assign(records - 1, 0.0f);
    const SampleWindow whole{0, static_cast<int32_t>(doc.samplesPerRecord - 1)};
    doc.windows.assign(records, whole);
}

// Reads, filters and phases one record. Touches only record r, so records may be loaded on
// several threads at once.
void LoadRecord(CKorvaneDoc& doc, std::size_t r, const std::string& path) {
    const uint32_t n = doc.samplesPerRecord;
    doc.rawWaves[r].assign(n, 0.0f);
    doc.filteredWaves[r].assign(n, 0.0f);
    doc.spectrumReal[r].assign(kSpectrumBins, 0.0f);
    doc.spectrumImag[r].assign(kSpectrumBins, 0.0f);
    doc.phaseSpectra[r].assign(kSpectrumBins, 0.0f);
    doc.spareWaves[r].assign(n, 0.0f);
    const WaveFileReader reader(path, doc.rawWaves[r].data(), doc.filteredWaves[r].data(), n,
                                doc.depths[r], doc.geophoneToTip, doc.spectrumReal[r].data(),
                                doc.spectrumImag[r].data());
    PhaseVelocity::ComputePhaseAngles(doc.spectrumReal[r].data(), doc.spectrumImag[r].data(),
                                      doc.phaseSpectra[r].data());
}

// Writes the three diagnostic files; false when any of them could not be written.
bool WriteDiagnostics(const CKorvaneDoc& doc, const std::string& phaseText,
                      const std::filesystem::path& dir) {
    bool written = DiagnosticFiles::WriteText(dir / DiagnosticFiles::kPhaseFile, phaseText);
    written &= DiagnosticFiles::WriteText(
        dir / DiagnosticFiles::kOriginalFile,
        DiagnosticFiles::WaveTable(doc.depths, doc.rawWaves, doc.samplesPerRecord));
    written &= DiagnosticFiles::WriteText(
        dir / DiagnosticFiles::kRecoveredFile,
        DiagnosticFiles::WaveTable(doc.depths, doc.filteredWaves, doc.samplesPerRecord));
    return written;
}

CommandResult Cancelled() {
    CommandResult result;
    result.outcome = CommandOutcome::Cancelled;
    result.message = kProgressCancelled;
    return result;
}

CommandResult Failed(std::string message, std::string path = {}) {
    CommandResult result;
    result.outcome = CommandOutcome::Failed;
    result.message = std::move(message);
    result.failedPath = std::move(path);
    return result;
}

// Tells the document's observers when the flags they act on have changed.
class FlagWatch {
public:
    explicit FlagWatch(CKorvaneDoc& doc) : doc_(doc) { Remember(); }

    void NotifyIfChanged() {
        if (doc_.dataLoaded != dataLoaded_ || doc_.resultsValid != resultsValid_ ||
            doc_.displayMode != displayMode_ || doc_.recordCount != recordCount_ ||
            doc_.IsModified() != modified_) {
            Remember();
            doc_.NotifyChanged();
        }
    }

private:
    void Remember() {
        dataLoaded_ = doc_.dataLoaded;
        resultsValid_ = doc_.resultsValid;
        displayMode_ = doc_.displayMode;
        recordCount_ = doc_.recordCount;
        modified_ = doc_.IsModified();
    }

    CKorvaneDoc& doc_;
    int32_t dataLoaded_ = 0;
    int32_t resultsValid_ = 0;
    int32_t displayMode_ = 0;
    int32_t recordCount_ = 0;
    bool modified_ = false;
};

// A load that did not complete leaves nothing behind: no half-filled arrays, no record count.
CommandResult Abandon(CKorvaneDoc& doc, FlagWatch& watch, CommandResult result) {
    doc.ReleaseSounding();
    watch.NotifyIfChanged();
    return result;
}

// Everything up to the loaded state: reading, ordering, velocities, diagnostic files. Any way
// out other than success leaves an empty Sounding.
CommandResult BuildSounding(CKorvaneDoc& doc, const std::vector<std::string>& paths,
                            const std::filesystem::path& diagnosticsDir, ProgressReporter& progress,
                            FlagWatch& watch) {
    const std::size_t records = paths.size();
    std::size_t current = records; // the file being read, if any
    const auto failedPath = [&] { return current < records ? paths[current] : std::string(); };
    try {
        progress.SetRange(0, doc.recordCount + 3);
        progress.SetStatusText(kStatusText);
        if (progress.Checkpoint())
            return Abandon(doc, watch, Cancelled());

        AllocateSounding(doc, records);
        for (current = 0; current < records; ++current) {
            LoadRecord(doc, current, paths[current]);
            if (progress.Checkpoint())
                return Abandon(doc, watch, Cancelled());
        }

        const DepthSorter sorter(doc);
        if (progress.Checkpoint())
            return Abandon(doc, watch, Cancelled());

        const std::string phaseText = PhaseVelocity::ComputeIntervalVelocities(doc);
        CommandResult result;
        if (!WriteDiagnostics(doc, phaseText, diagnosticsDir))
            result.warning =
                "The diagnostic files could not be written to " + diagnosticsDir.string() + ".";
        return result;
    } catch (const KorvaneError& error) {
        return Abandon(doc, watch, Failed(error.what(), failedPath()));
    } catch (const std::bad_alloc&) {
        return Abandon(doc, watch, Failed("Memory allocation fails!", failedPath()));
    } catch (const std::exception& error) {
        return Abandon(doc, watch, Failed(error.what(), failedPath()));
    } catch (...) {
        // Not ours to report, but the half-built Sounding must not stay behind.
        doc.ReleaseSounding();
        watch.NotifyIfChanged();
        throw;
    }
}

} // namespace

CommandResult LoadSounding(CKorvaneDoc& doc, const std::vector<std::string>& paths,
                           const std::filesystem::path& diagnosticsDir,
                           ProgressReporter& progress) {
    if (paths.empty())
        return Failed(kNoFiles);
    if (paths.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max() - 3))
        return Failed("Too many wave files were chosen.");
    if (!IsUsableRecordLength(doc.samplesPerRecord))
        return Failed(kBadRecordLength);

    FlagWatch watch(doc);
    doc.ReleaseSounding();
    doc.recordCount = static_cast<int32_t>(paths.size());
    watch.NotifyIfChanged();

    CommandResult result = BuildSounding(doc, paths, diagnosticsDir, progress, watch);
    if (!result.ok())
        return result;
    doc.dataLoaded = 1;
    doc.displayMode = FilteredWaves;
    watch.NotifyIfChanged();
    // A cancel now keeps the complete Sounding but leaves it unmodified.
    if (progress.Checkpoint()) {
        result.outcome = CommandOutcome::Cancelled;
        result.message = kProgressCancelled;
        return result;
    }
    doc.SetModifiedFlag(true);
    watch.NotifyIfChanged();
    return result;
}

} // namespace korvane
