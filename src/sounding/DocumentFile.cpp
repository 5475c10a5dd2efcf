#include "sounding/DocumentFile.h"

#include "dsp/KorvaneError.h"
#include "sounding/AtomicFile.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/DocumentExtension.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <fstream>
#include <istream>
#include <new>
#include <optional>
#include <ostream>
#include <string>
#include <system_error>
#include <variant>
#include <vector>

namespace korvane {

namespace fs = std::filesystem;

namespace {

constexpr const char* kNotADocument = "The file is not a Korvane document: ";
constexpr const char* kNotSaved = "The document could not be saved: ";
constexpr const char* kNotOpened = "The document could not be opened: ";
constexpr uint64_t kIntervalBlockSize = 12;

uint64_t RecordBlockSize(uint32_t samplesPerRecord) {
    return 12 + 8 * static_cast<uint64_t>(samplesPerRecord);
}

// Little-endian byte assembly; never relies on the host's order or alignment.
void PutU32(char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<char>((v >> (8 * i)) & 0xffu);
}
void PutI32(char* p, int32_t v) {
    PutU32(p, static_cast<uint32_t>(v));
}
void PutF32(char* p, float v) {
    PutU32(p, std::bit_cast<uint32_t>(v));
}
void PutF64(char* p, double v) {
    const auto bits = std::bit_cast<uint64_t>(v);
    PutU32(p, static_cast<uint32_t>(bits & 0xffffffffu));
    PutU32(p + 4, static_cast<uint32_t>(bits >> 32));
}

uint32_t GetU32(const char* p) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(static_cast<unsigned char>(p[i])) << (8 * i);
    return v;
}
int32_t GetI32(const char* p) {
    return static_cast<int32_t>(GetU32(p));
}
float GetF32(const char* p) {
    return std::bit_cast<float>(GetU32(p));
}
double GetF64(const char* p) {
    const uint64_t bits = GetU32(p) | (static_cast<uint64_t>(GetU32(p + 4)) << 32);
    return std::bit_cast<double>(bits);
}

bool IsValidSamplesPerRecord(uint32_t s) {
    return s >= DocumentFile::kMinSamplesPerRecord && s <= DocumentFile::kMaxSamplesPerRecord &&
           std::has_single_bit(s);
}

[[noreturn]] void Refuse(const std::string& why) {
    throw KorvaneError(std::string(kNotADocument) + why + ".");
}

void CheckWritable(const CKorvaneDoc& doc) {
    if (doc.dataLoaded == 0 || doc.recordCount <= 0)
        return;
    const auto n = static_cast<std::size_t>(doc.recordCount);
    bool ok = doc.depths.size() >= n && doc.windows.size() >= n && doc.rawWaves.size() >= n &&
              doc.filteredWaves.size() >= n;
    for (std::size_t k = 0; ok && k < n; ++k)
        ok = doc.rawWaves[k].size() >= doc.samplesPerRecord &&
             doc.filteredWaves[k].size() >= doc.samplesPerRecord;
    if (ok && doc.resultsValid != 0 && n > 1)
        ok = doc.correlationCoefficients.size() >= n - 1 && doc.ccVelocities.size() >= n - 1;
    if (!ok)
        throw KorvaneError(std::string(kNotSaved) + "its arrays do not match its record count.");
}

void ReadExactly(std::istream& in, char* data, std::size_t size) {
    in.read(data, static_cast<std::streamsize>(size));
    if (static_cast<std::size_t>(in.gcount()) != size)
        Refuse("it ends before the data its header announces");
}

// The record blocks and, when the flags say so, the interval blocks.
void ReadBlocks(CKorvaneDoc& doc, std::istream& in, int32_t recordCount,
                uint32_t samplesPerRecord) {
    const auto n = static_cast<std::size_t>(recordCount);
    const std::size_t s = samplesPerRecord;
    doc.depths.resize(n);
    doc.windows.resize(n);
    doc.rawWaves.resize(n);
    doc.filteredWaves.resize(n);
    std::vector<char> block(static_cast<std::size_t>(RecordBlockSize(samplesPerRecord)));
    for (std::size_t k = 0; k < n; ++k) {
        ReadExactly(in, block.data(), block.size());
        doc.depths[k] = GetF32(block.data());
        SampleWindow& w = doc.windows[k];
        w.first = GetI32(block.data() + 4);
        w.last = GetI32(block.data() + 8);
        // The renderer and the runs index the waves with these; a bad one would read outside.
        if (w.first < 0 || w.last < w.first || static_cast<uint32_t>(w.last) >= samplesPerRecord)
            Refuse("record " + std::to_string(k + 1) + " has a window out of range (" +
                   std::to_string(w.first) + " to " + std::to_string(w.last) + ")");
        std::vector<float>& raw = doc.rawWaves[k];
        std::vector<float>& filtered = doc.filteredWaves[k];
        raw.resize(s);
        filtered.resize(s);
        const char* p = block.data() + 12;
        for (std::size_t j = 0; j < s; ++j, p += 8) {
            raw[j] = GetF32(p);
            filtered[j] = GetF32(p + 4);
        }
    }
    if (doc.resultsValid == 0)
        return;
    const std::size_t intervals = n - 1;
    doc.correlationCoefficients.resize(intervals);
    doc.ccVelocities.resize(intervals);
    char interval[kIntervalBlockSize];
    for (std::size_t m = 0; m < intervals; ++m) {
        ReadExactly(in, interval, sizeof interval);
        doc.correlationCoefficients[m] = GetF64(interval);
        doc.ccVelocities[m] = GetF32(interval + 8);
    }
}

constexpr std::string_view kSourceIntervalsKey = "records.sample_interval_s";

// The recordings' own sample intervals, one per record; empty (25 µs) when the block holds none
// that fit the records.
std::vector<double> TakeSourceIntervals(DocumentExtension& block, int32_t records) {
    const std::optional<DocumentExtension::Value> value = block.Take(kSourceIntervalsKey);
    const auto* intervals = value ? std::get_if<std::vector<double>>(&*value) : nullptr;
    if (intervals == nullptr || intervals->size() != static_cast<std::size_t>(records) ||
        !std::all_of(intervals->begin(), intervals->end(),
                     [](double v) { return std::isfinite(v) && v > 0.0; }))
        return {};
    return *intervals;
}

std::string UnreadBytesWarning(uint64_t size) {
    return "The file holds " + std::to_string(size) +
           " bytes after the document's data; they were not read, and saving the document "
           "does not keep them.";
}

// The bytes after the blocks the header announces. Past the largest block this program could
// have written they cannot be its settings, so they are not even read.
void ReadTrailing(CKorvaneDoc& doc, std::istream& in, uint64_t size,
                  DocumentFile::Warnings& warnings) {
    std::string warning;
    if (size > DocumentExtension::kHeaderSize + DocumentExtension::kMaxPayload) {
        warning = UnreadBytesWarning(size);
    } else {
        std::string bytes(static_cast<std::size_t>(size), '\0');
        ReadExactly(in, bytes.data(), bytes.size());
        warning = DocumentFile::TrailingBytes(doc, bytes);
    }
    if (!warning.empty())
        warnings.push_back(std::move(warning));
}

// Reads into a document of its own, so that a refusal never leaves partial data behind.
void ReadInto(CKorvaneDoc& doc, std::istream& in, uint64_t fileSize,
              DocumentFile::Warnings& warnings) {
    if (fileSize < DocumentFile::kHeaderSize)
        Refuse("it is shorter than the 28-byte header");
    char header[DocumentFile::kHeaderSize];
    ReadExactly(in, header, sizeof header);
    const int32_t displayMode = GetI32(header);
    const int32_t recordCount = GetI32(header + 4);
    const uint32_t samplesPerRecord = GetU32(header + 8);
    const float geophoneToTip = GetF32(header + 12);
    const float hammerToRod = GetF32(header + 16);
    const int32_t dataLoaded = GetI32(header + 20);
    const int32_t resultsValid = GetI32(header + 24);

    if (recordCount < 0)
        Refuse("its record count is negative (" + std::to_string(recordCount) + ")");
    if (!IsValidSamplesPerRecord(samplesPerRecord))
        Refuse("its samples per record (" + std::to_string(samplesPerRecord) +
               ") is not a power of two from 512 to 1048576");
    const uint64_t expected =
        DocumentFile::ExpectedSize(recordCount, samplesPerRecord, dataLoaded, resultsValid);
    if (fileSize < expected)
        Refuse("it is shorter than its header announces (" + std::to_string(fileSize) +
               " bytes instead of " + std::to_string(expected) + ")");

    doc.displayMode = displayMode;
    doc.recordCount = recordCount;
    doc.samplesPerRecord = samplesPerRecord;
    doc.geophoneToTip = geophoneToTip;
    doc.hammerToRod = hammerToRod;
    // Records need at least one record, results need records: flags the blocks do not back
    // are cleared, the others keep their stored values.
    doc.dataLoaded = recordCount > 0 ? dataLoaded : 0;
    doc.resultsValid = doc.dataLoaded != 0 ? resultsValid : 0;
    if (doc.dataLoaded != 0)
        ReadBlocks(doc, in, recordCount, samplesPerRecord);
    if (fileSize > expected)
        ReadTrailing(doc, in, fileSize - expected, warnings);
}

// What a refused file leaves: the Empty state of a freshly constructed document.
void ResetToEmpty(CKorvaneDoc& doc) {
    const CKorvaneDoc fresh;
    doc.ReleaseSounding();
    doc.displayMode = fresh.displayMode;
    doc.samplesPerRecord = fresh.samplesPerRecord;
    doc.geophoneToTip = fresh.geophoneToTip;
    doc.hammerToRod = fresh.hammerToRod;
    doc.analysisSettings = fresh.analysisSettings;
    doc.metadata = fresh.metadata;
    doc.extensionEntries = fresh.extensionEntries;
}

void MoveSounding(CKorvaneDoc& from, CKorvaneDoc& to) {
    to.ReleaseSounding();
    to.correlationCoefficients = std::move(from.correlationCoefficients);
    to.rawWaves = std::move(from.rawWaves);
    to.filteredWaves = std::move(from.filteredWaves);
    to.windows = std::move(from.windows);
    to.depths = std::move(from.depths);
    to.sourceIntervals = std::move(from.sourceIntervals);
    to.ccVelocities = std::move(from.ccVelocities);
    to.displayMode = from.displayMode;
    to.recordCount = from.recordCount;
    to.samplesPerRecord = from.samplesPerRecord;
    to.geophoneToTip = from.geophoneToTip;
    to.hammerToRod = from.hammerToRod;
    to.dataLoaded = from.dataLoaded;
    to.resultsValid = from.resultsValid;
    to.analysisSettings = from.analysisSettings;
    to.metadata = std::move(from.metadata);
    to.extensionEntries = std::move(from.extensionEntries);
}

} // namespace

std::string DocumentFile::TrailingBytes(CKorvaneDoc& doc, std::string_view trailing) {
    if (trailing.empty())
        return {};
    if (trailing.substr(0, sizeof DocumentExtension::kTag) !=
        std::string_view(DocumentExtension::kTag, sizeof DocumentExtension::kTag))
        return UnreadBytesWarning(trailing.size());
    // Damage in the block costs only what the block holds.
    try {
        DocumentExtension block = DocumentExtension::Decode(trailing);
        doc.analysisSettings = AnalysisSettings::TakeFrom(block);
        doc.metadata = SoundingMetadata::TakeFrom(block);
        doc.sourceIntervals = TakeSourceIntervals(block, doc.dataLoaded ? doc.recordCount : 0);
        doc.extensionEntries = std::move(block);
        return {};
    } catch (const KorvaneError& e) {
        doc.analysisSettings = {};
        doc.metadata = {};
        doc.sourceIntervals = {};
        doc.extensionEntries = {};
        std::string why = e.what();
        if (!why.empty() && why.back() == '.')
            why.pop_back();
        return "The settings stored after the document were ignored (" + why +
               "); the analysis settings and the sounding details are the defaults.";
    }
}

uint64_t DocumentFile::ExpectedSize(int32_t recordCount, uint32_t samplesPerRecord,
                                    int32_t dataLoaded, int32_t resultsValid) {
    uint64_t size = kHeaderSize;
    if (dataLoaded == 0 || recordCount <= 0)
        return size;
    const auto n = static_cast<uint64_t>(recordCount);
    size += n * RecordBlockSize(samplesPerRecord);
    if (resultsValid != 0)
        size += (n - 1) * kIntervalBlockSize;
    return size;
}

std::string DocumentFile::ExtensionBytes(const CKorvaneDoc& doc) {
    doc.analysisSettings.Check();
    doc.metadata.Check();
    DocumentExtension block = doc.extensionEntries;
    doc.analysisSettings.StoreTo(block);
    doc.metadata.StoreTo(block);
    // Only recordings made at another interval than 25 µs add the entry.
    if (doc.dataLoaded != 0 &&
        std::any_of(doc.sourceIntervals.begin(), doc.sourceIntervals.end(),
                    [](double interval) { return interval != kSampleInterval; }))
        block.Set(std::string(kSourceIntervalsKey), doc.sourceIntervals);
    return block.Encode();
}

void DocumentFile::Write(const CKorvaneDoc& doc, std::ostream& out) {
    CheckWritable(doc);
    char header[kHeaderSize];
    PutI32(header, doc.displayMode);
    PutI32(header + 4, doc.recordCount);
    PutU32(header + 8, doc.samplesPerRecord);
    PutF32(header + 12, doc.geophoneToTip);
    PutF32(header + 16, doc.hammerToRod);
    PutI32(header + 20, doc.dataLoaded);
    PutI32(header + 24, doc.resultsValid);
    out.write(header, sizeof header);

    if (doc.dataLoaded != 0 && doc.recordCount > 0) {
        const auto n = static_cast<std::size_t>(doc.recordCount);
        const std::size_t s = doc.samplesPerRecord;
        std::vector<char> block(static_cast<std::size_t>(RecordBlockSize(doc.samplesPerRecord)));
        for (std::size_t k = 0; k < n && out; ++k) {
            PutF32(block.data(), doc.depths[k]);
            PutI32(block.data() + 4, doc.windows[k].first);
            PutI32(block.data() + 8, doc.windows[k].last);
            char* p = block.data() + 12;
            const float* raw = doc.rawWaves[k].data();
            const float* filtered = doc.filteredWaves[k].data();
            for (std::size_t j = 0; j < s; ++j, p += 8) {
                PutF32(p, raw[j]);
                PutF32(p + 4, filtered[j]);
            }
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
        }
        if (doc.resultsValid != 0) {
            char interval[kIntervalBlockSize];
            for (std::size_t m = 0; m + 1 < n && out; ++m) {
                PutF64(interval, doc.correlationCoefficients[m]);
                PutF32(interval + 8, doc.ccVelocities[m]);
                out.write(interval, sizeof interval);
            }
        }
    }
    const std::string extension = ExtensionBytes(doc);
    out.write(extension.data(), static_cast<std::streamsize>(extension.size()));
    out.flush();
    if (!out)
        throw KorvaneError(std::string(kNotSaved) + "the data could not be written.");
}

DocumentFile::Warnings DocumentFile::Read(CKorvaneDoc& doc, std::istream& in, uint64_t fileSize) {
    CKorvaneDoc incoming;
    Warnings warnings;
    try {
        ReadInto(incoming, in, fileSize, warnings);
    } catch (const KorvaneError&) {
        ResetToEmpty(doc);
        throw;
    } catch (const std::bad_alloc&) {
        ResetToEmpty(doc);
        throw KorvaneError(std::string(kNotOpened) + "there is not enough memory.");
    }
    MoveSounding(incoming, doc);
    return warnings;
}

void DocumentFile::Save(CKorvaneDoc& doc, const fs::path& path) {
    Save(doc, path, {});
}

void DocumentFile::Save(CKorvaneDoc& doc, const fs::path& path, const SaveFaults& faults) {
    AtomicFile::Write(
        path, [&doc](std::ostream& out) { Write(doc, out); }, kNotSaved, faults);
    doc.SetModifiedFlag(false);
}

DocumentFile::Warnings DocumentFile::Load(CKorvaneDoc& doc, const fs::path& path) {
    std::error_code ec;
    if (fs::is_directory(path, ec))
        throw KorvaneError(std::string(kNotOpened) + path.string() + " is a folder.");
    const uint64_t size = fs::file_size(path, ec);
    if (ec)
        throw KorvaneError(std::string(kNotOpened) + ec.message() + ".");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw KorvaneError(std::string(kNotOpened) + "the file cannot be read.");
    Warnings warnings;
    try {
        warnings = Read(doc, in, size);
    } catch (const KorvaneError&) {
        doc.SetModifiedFlag(false);
        doc.NotifyChanged();
        throw;
    }
    doc.SetModifiedFlag(false);
    doc.NotifyChanged();
    return warnings;
}

} // namespace korvane
