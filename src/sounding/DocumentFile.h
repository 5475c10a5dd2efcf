#pragma once

#include "sounding/AtomicFile.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
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
    // Notes about a file that opened all the same, each one sentence for the user.
    using Warnings = std::vector<std::string>;

    using SaveFaults = AtomicFile::Faults;

    static constexpr uint64_t kHeaderSize = 28;
    static constexpr uint32_t kMinSamplesPerRecord = 512;
    static constexpr uint32_t kMaxSamplesPerRecord = 1048576;

    // Writes the persistent members. Throws KorvaneError when the document's arrays do not
    // match its counts or the stream fails.
    static void Write(const CKorvaneDoc& doc, std::ostream& out);

    // Reads a whole document of fileSize bytes. The header is checked against fileSize before
    // anything is allocated; a file that is refused or ends early throws KorvaneError and
    // leaves doc empty (as freshly constructed, arrays released). The flags keep their stored
    // values (non-zero counts as set) unless no blocks back them: records need at least one
    // record, results need records. Bytes after the announced blocks go to TrailingBytes. The
    // modified flag is left alone. Returns the notes for the user about a file that opened.
    static Warnings Read(CKorvaneDoc& doc, std::istream& in, uint64_t fileSize);

    // The bytes that follow the blocks the header announces: the extension block when they
    // carry its tag (its settings, details and entries go into doc), otherwise foreign bytes that
    // are not part of the document and that a save does not keep. Returns the warning about them,
    // empty when there is nothing to say. A damaged block leaves the
    // default settings and details.
    static std::string TrailingBytes(CKorvaneDoc& doc, std::string_view trailing);

    // Writes a temporary file beside path and renames it over path only once every byte is on
    // the disk, so a failed save keeps the previous file. Clears the modified flag on success.
    static void Save(CKorvaneDoc& doc, const std::filesystem::path& path);
    static void Save(CKorvaneDoc& doc, const std::filesystem::path& path, const SaveFaults& faults);

    // Opens and reads path, clears the modified flag and announces the change. A file that
    // cannot be opened leaves doc untouched; a refused file leaves it empty. Returns what Read
    // warns about.
    static Warnings Load(CKorvaneDoc& doc, const std::filesystem::path& path);

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
