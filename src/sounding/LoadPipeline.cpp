#include "sounding/LoadPipeline.h"

#include "dsp/KorvaneError.h"
#include "dsp/ThreadPool.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/DepthSorter.h"
#include "sounding/DiagnosticFiles.h"
#include "sounding/PhaseVelocity.h"
#include "sounding/RecordImporter.h"
#include "sounding/WaveFileReader.h"

#include <algorithm>
#include <cstddef>
#include <deque>
#include <future>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <system_error>
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
    doc.sourceIntervals.assign(records, kSampleInterval);
    doc.ccVelocities.assign(records - 1, 0.0f);
    doc.phaseVelocities.assign(records - 1, 0.0f);
    const SampleWindow whole{0, static_cast<int32_t>(doc.samplesPerRecord - 1)};
    doc.windows.assign(records, whole);
}

// One record as read, filtered and phased from its file, before it joins the Sounding.
struct LoadedRecord {
    std::vector<float> raw, filtered, spectrumReal, spectrumImag, phase;
    float depth = 0.0f;
    double sourceInterval = kSampleInterval; // seconds, of the recording as read
};

// The records of one file (one per trace taken of each of its depths) and the notes of its
// import.
struct LoadedFile {
    std::vector<LoadedRecord> records;
    std::vector<std::string> notes;
};

// Imports, filters and phases the records of one file. Touches no document, so files may be
// loaded on several threads at once while the document stays with the thread that reports
// progress.
LoadedFile LoadFile(const std::string& path, uint32_t n, float geophoneToTip,
                    const ImportOptions& options) {
    FileImport imported = RecordImporter::Import(path, options, n, geophoneToTip);
    LoadedFile file;
    file.notes = std::move(imported.notes);
    // Every trace taken (a strike and its opposite) is a record of the depth.
    for (ImportedRecord& source : imported.records) {
        for (std::size_t t = 0; t < source.traces.size(); ++t) {
            LoadedRecord& record = file.records.emplace_back();
            record.raw = std::move(source.traces[t]);
            if (t < source.intervals.size())
                record.sourceInterval = source.intervals[t];
            record.filtered.assign(n, 0.0f);
            record.spectrumReal.assign(kSpectrumBins, 0.0f);
            record.spectrumImag.assign(kSpectrumBins, 0.0f);
            record.phase.assign(kSpectrumBins, 0.0f);
            record.depth = source.depth;
            WaveFileReader::FilterRecord(record.raw.data(), record.filtered.data(), n,
                                         record.spectrumReal.data(), record.spectrumImag.data());
            PhaseVelocity::ComputePhaseAngles(record.spectrumReal.data(),
                                              record.spectrumImag.data(), record.phase.data());
        }
    }
    return file;
}

// Puts the records of a file at the next places of the Sounding, growing its tables when a file
// holds more than one record.
void StoreFile(CKorvaneDoc& doc, std::size_t& next, LoadedFile&& file,
               std::vector<std::string>& notes) {
    for (LoadedRecord& record : file.records) {
        if (next >= doc.rawWaves.size()) {
            for (auto* table : {&doc.rawWaves, &doc.filteredWaves, &doc.spareWaves,
                                &doc.spectrumReal, &doc.spectrumImag, &doc.phaseSpectra})
                table->emplace_back();
            doc.depths.push_back(0.0f);
            doc.sourceIntervals.push_back(kSampleInterval);
            doc.windows.push_back(doc.windows.front());
        }
        doc.rawWaves[next] = std::move(record.raw);
        doc.filteredWaves[next] = std::move(record.filtered);
        doc.spectrumReal[next] = std::move(record.spectrumReal);
        doc.spectrumImag[next] = std::move(record.spectrumImag);
        doc.phaseSpectra[next] = std::move(record.phase);
        doc.spareWaves[next].assign(doc.samplesPerRecord, 0.0f);
        doc.depths[next] = record.depth;
        doc.sourceIntervals[next] = record.sourceInterval;
        ++next;
    }
    notes.insert(notes.end(), file.notes.begin(), file.notes.end());
}

// Makes the Sounding's tables fit the records stored, when the files held more or fewer than
// one record each.
void FitRecordCount(CKorvaneDoc& doc, std::size_t records) {
    if (records == static_cast<std::size_t>(doc.recordCount) && records == doc.rawWaves.size())
        return;
    if (records == 0)
        throw KorvaneError("The files hold no records.");
    for (auto* table : {&doc.rawWaves, &doc.filteredWaves, &doc.spareWaves, &doc.spectrumReal,
                        &doc.spectrumImag, &doc.phaseSpectra})
        table->resize(records);
    doc.depths.resize(records);
    doc.sourceIntervals.resize(records, kSampleInterval);
    doc.windows.resize(records, doc.windows.front());
    doc.ccVelocities.assign(records - 1, 0.0f);
    doc.phaseVelocities.assign(records - 1, 0.0f);
    doc.recordCount = static_cast<int32_t>(records);
}

// Loads every file into its records with one checkpoint per file, in file order, on every core.
// Files are stored, checked for a defect and checkpointed strictly in order, so progress,
// cancels and the file named by a defect are those of a load one file at a time; files read
// ahead of a cancel or a defect are dropped. current follows the file being stored. Returns
// false when cancelled; a defect is thrown after the workers have stopped.
bool ReadRecords(CKorvaneDoc& doc, const std::vector<std::string>& paths,
                 const ImportOptions& options, ProgressReporter& progress, unsigned threads,
                 std::size_t& current, std::vector<std::string>& notes) {
    const std::size_t files = paths.size();
    const uint32_t n = doc.samplesPerRecord;
    const float geophoneToTip = doc.geophoneToTip;
    std::size_t stored = 0;
    if (threads <= 1 || files <= 1) {
        for (current = 0; current < files; ++current) {
            StoreFile(doc, stored, LoadFile(paths[current], n, geophoneToTip, options), notes);
            if (progress.Checkpoint())
                return false;
        }
        FitRecordCount(doc, stored);
        return true;
    }
    ThreadPool pool(static_cast<unsigned>(std::min<std::size_t>(threads, files)));
    // A short look-ahead bounds the files read for nothing after a cancel.
    const std::size_t ahead = 2 * pool.Size();
    std::deque<std::future<LoadedFile>> pending;
    std::size_t next = 0;
    for (current = 0; current < files; ++current) {
        for (; next < files && next <= current + ahead; ++next)
            pending.push_back(pool.Submit([&path = paths[next], n, geophoneToTip, &options] {
                return LoadFile(path, n, geophoneToTip, options);
            }));
        LoadedFile file = pending.front().get();
        pending.pop_front();
        StoreFile(doc, stored, std::move(file), notes);
        if (progress.Checkpoint())
            return false;
    }
    FitRecordCount(doc, stored);
    return true;
}

// Writes the three diagnostic files; false when any of them could not be written. The two wave
// tables are the most text a load writes: with threads to spare they are written at once.
bool WriteDiagnostics(const CKorvaneDoc& doc, const std::string& phaseText,
                      const std::filesystem::path& dir, unsigned threads) {
    const auto recoveredTable = [&doc, &dir] {
        return DiagnosticFiles::WriteWaveTable(dir / DiagnosticFiles::kRecoveredFile, doc.depths,
                                               doc.filteredWaves, doc.samplesPerRecord);
    };
    std::unique_ptr<ThreadPool> helper;
    std::future<bool> recovered;
    if (threads > 1) {
        try {
            helper = std::make_unique<ThreadPool>(1);
            recovered = helper->Submit(recoveredTable);
        } catch (const std::system_error&) {
            // No thread to spare after all: written below in turn.
        }
    }
    bool written = DiagnosticFiles::WriteText(dir / DiagnosticFiles::kPhaseFile, phaseText);
    written &= DiagnosticFiles::WriteWaveTable(dir / DiagnosticFiles::kOriginalFile, doc.depths,
                                               doc.rawWaves, doc.samplesPerRecord);
    written &= recovered.valid() ? recovered.get() : recoveredTable();
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
                            const std::filesystem::path& diagnosticsDir,
                            const ImportOptions& options, ProgressReporter& progress,
                            unsigned threads, FlagWatch& watch) {
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
        std::vector<std::string> notes;
        if (!ReadRecords(doc, paths, options, progress, threads, current, notes))
            return Abandon(doc, watch, Cancelled());

        const DepthSorter sorter(doc);
        if (progress.Checkpoint())
            return Abandon(doc, watch, Cancelled());

        const std::string phaseText = PhaseVelocity::ComputeIntervalVelocities(doc);
        CommandResult result;
        if (!WriteDiagnostics(doc, phaseText, diagnosticsDir, threads))
            notes.push_back("The diagnostic files could not be written to " +
                            diagnosticsDir.string() + ".");
        for (const std::string& note : notes)
            result.warning += (result.warning.empty() ? "" : "\n") + note;
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
                           const std::filesystem::path& diagnosticsDir, ProgressReporter& progress,
                           const ImportOptions& options, unsigned threads) {
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

    CommandResult result =
        BuildSounding(doc, paths, diagnosticsDir, options, progress,
                      threads == 0 ? ThreadPool::HardwareThreads() : threads, watch);
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
