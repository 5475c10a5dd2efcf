#pragma once

#include "sounding/AtomicFile.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace korvane {

class CKorvaneDoc;

// The ".kvn" document file: a 28-byte little-endian header (display mode, record count,
// samples per record, the two distances in metres, the two flags), then per record the depth,
// the window and the interleaved raw/filtered samples, then per interval the 8-byte peak
// coefficient and the velocity in m/s. No signature, no padding, no alignment. Analysis
// settings and metadata other than the defaults, and entries kept for later versions, follow in
// an optional DocumentExtension block; without them the file ends after the fixed content.
class DocumentFile {
public:
    using SaveFaults = AtomicFile::Faults;

    static constexpr uint64_t kHeaderSize = 28;
    static constexpr uint32_t kMinSamplesPerRecord = 512;
    static constexpr uint32_t kMaxSamplesPerRecord = 1048576;

    // Writes the persistent members. Throws KorvaneError when the document's arrays do not
    // match its counts or the stream fails.
    static void Write(const CKorvaneDoc& doc, std::ostream& out);

    // Reads a whole document of fileSize bytes. The header is checked against fileSize before
    // anything is allocated; a file that is refused or ends early throws KorvaneError and
    // leaves doc empty (as freshly constructed, arrays released). The modified flag is left
    // alone. Bytes after the fixed content are read as the extension block; when that block
    // is damaged the document still opens, with default analysis settings and metadata, and a
    // warning saying why is added to warnings (when given).
    static void Read(CKorvaneDoc& doc, std::istream& in, uint64_t fileSize,
                     std::vector<std::string>* warnings = nullptr);

    // Writes a temporary file beside path and renames it over path only once every byte is on
    // the disk, so a failed save keeps the previous file. Clears the modified flag on success.
    static void Save(CKorvaneDoc& doc, const std::filesystem::path& path);
    static void Save(CKorvaneDoc& doc, const std::filesystem::path& path, const SaveFaults& faults);

    // Opens and reads path, clears the modified flag and announces the change. A file that
    // cannot be opened leaves doc untouched; a refused file leaves it empty. Warnings as Read.
    static void Load(CKorvaneDoc& doc, const std::filesystem::path& path,
                     std::vector<std::string>* warnings = nullptr);

    // The extension block Write appends: empty when the analysis settings and the metadata are
    // the defaults and no other entries are kept. Throws KorvaneError for settings out of range
    // or metadata that is not valid.
    static std::string ExtensionBytes(const CKorvaneDoc& doc);

    // Size in bytes of the fixed content that Write produces for these header values; the
    // extension block, if any, follows.
    static uint64_t ExpectedSize(int32_t recordCount, uint32_t samplesPerRecord, int32_t dataLoaded,
                                 int32_t resultsValid);
};

} // namespace korvane
