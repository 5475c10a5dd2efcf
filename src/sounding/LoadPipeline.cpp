#include "sounding/LoadPipeline.h"

#include "dsp/KorvaneError.h"
#include "dsp/ThreadPool.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/DepthSorter.h"
#include "sounding/DiagnosticFiles.h"
#include "sounding/PhaseVelocity.h"
#include "sounding/WaveFileReader.h"

#include <algorithm>
#include <cstddef>
#include <deque>
#include <future>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

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

// One record as read, filtered and phased from its file, before it joins the Sounding.
struct LoadedRecord {
    std::vector<float> raw, filtered, spectrumReal, spectrumImag, phase;
    float depth = 0.0f;
};

// Reads, filters and phases one record. Touches no document, so records may be loaded on several
// threads at once while the document stays with the thread that reports progress.
LoadedRecord LoadRecord(const std::string& path, uint32_t n, float geophoneToTip) {
    LoadedRecord record;
    record.raw.assign(n, 0.0f);
    record.filtered.assign(n, 0.0f);
    record.spectrumReal.assign(kSpectrumBins, 0.0f);
    record.spectrumImag.assign(kSpectrumBins, 0.0f);
    record.phase.assign(kSpectrumBins, 0.0f);
    const WaveFileReader reader(path, record.raw.data(), record.filtered.data(), n, record.depth,
                                geophoneToTip, record.spectrumReal.data(),
                                record.spectrumImag.data());
    PhaseVelocity::ComputePhaseAngles(record.spectrumReal.data(), record.spectrumImag.data(),
                                      record.phase.data());
    return record;
}

void StoreRecord(CKorvaneDoc& doc, std::size_t r, LoadedRecord&& record) {
    doc.rawWaves[r] = std::move(record.raw);
    doc.filteredWaves[r] = std::move(record.filtered);
    doc.spectrumReal[r] = std::move(record.spectrumReal);
    doc.spectrumImag[r] = std::move(record.spectrumImag);
    doc.phaseSpectra[r] = std::move(record.phase);
    doc.spareWaves[r].assign(doc.samplesPerRecord, 0.0f);
    doc.depths[r] = record.depth;
}

// Loads every file into its record with one checkpoint per file, in file order, on every core.
// Records are stored, checked for a defect and checkpointed strictly in order, so progress,
// cancels and the file named by a defect are those of a load one file at a time; files read
// ahead of a cancel or a defect are dropped. current follows the file being stored. Returns
// false when cancelled; a defect is thrown after the workers have stopped.
bool ReadRecords(CKorvaneDoc& doc, const std::vector<std::string>& paths,
                 ProgressReporter& progress, std::size_t& current) {
    const std::size_t records = paths.size();
    const uint32_t n = doc.samplesPerRecord;
    const float geophoneToTip = doc.geophoneToTip;
    const unsigned threads = ThreadPool::HardwareThreads();
    if (threads <= 1 || records <= 1) {
        for (current = 0; current < records; ++current) {
            StoreRecord(doc, current, LoadRecord(paths[current], n, geophoneToTip));
            if (progress.Checkpoint())
                return false;
        }
        return true;
    }
    ThreadPool pool(static_cast<unsigned>(std::min<std::size_t>(threads, records)));
    // A short look-ahead bounds the records read for nothing after a cancel.
    const std::size_t ahead = 2 * pool.Size();
    std::deque<std::future<LoadedRecord>> pending;
    std::size_t next = 0;
    for (current = 0; current < records; ++current) {
        for (; next < records && next <= current + ahead; ++next)
            pending.push_back(pool.Submit([&path = paths[next], n, geophoneToTip] {
                return LoadRecord(path, n, geophoneToTip);
            }));
        LoadedRecord record = pending.front().get();
        pending.pop_front();
        StoreRecord(doc, current, std::move(record));
        if (progress.Checkpoint())
            return false;
    }
    return true;
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
        // The workers have stopped when this returns or throws: only then may Abandon release.
        if (!ReadRecords(doc, paths, progress, current))
            return Abandon(doc, watch, Cancelled());

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
