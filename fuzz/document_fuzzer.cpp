// Feeds arbitrary bytes to the document reader, as File > Open would.
#include "analysis/AgsExport.h"
#include "analysis/SelectedIntervals.h"
#include "analysis/SiteClassification.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/DocumentFile.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

std::string Bytes(const korvane::CKorvaneDoc& doc) {
    std::ostringstream out(std::ios::binary);
    korvane::DocumentFile::Write(doc, out);
    return out.str();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    korvane::CKorvaneDoc doc;
    try {
        korvane::DocumentFile::Read(doc, in, size);
    } catch (const korvane::KorvaneError&) {
        // A refused file must leave nothing behind.
        if (doc.dataLoaded != 0 || doc.resultsValid != 0 || doc.recordCount != 0 ||
            !doc.rawWaves.empty() || !doc.filteredWaves.empty() || !doc.depths.empty() ||
            !doc.windows.empty() || !doc.ccVelocities.empty() ||
            !doc.correlationCoefficients.empty())
            std::abort();
        return 0;
    }
    // An accepted file keeps the promises the view and the runs rely on.
    const auto n = static_cast<size_t>(doc.recordCount);
    if (doc.dataLoaded) {
        if (doc.recordCount < 1 || doc.rawWaves.size() != n || doc.filteredWaves.size() != n ||
            doc.windows.size() != n || doc.depths.size() != n)
            std::abort();
        for (size_t k = 0; k < n; ++k)
            if (doc.rawWaves[k].size() != doc.samplesPerRecord ||
                doc.filteredWaves[k].size() != doc.samplesPerRecord)
                std::abort();
        for (const auto& w : doc.windows)
            if (w.first < 0 || w.last < w.first || uint32_t(w.last) >= doc.samplesPerRecord)
                std::abort();
        if (doc.resultsValid &&
            (doc.ccVelocities.size() != n - 1 || doc.correlationCoefficients.size() != n - 1))
            std::abort();
    } else if (doc.resultsValid || !doc.rawWaves.empty()) {
        std::abort();
    }
    // What was accepted saves to a file of the announced size (and its extension block) that
    // reads back the same.
    const std::string once = Bytes(doc);
    if (once.size() != korvane::DocumentFile::ExpectedSize(doc.recordCount, doc.samplesPerRecord,
                                                           doc.dataLoaded, doc.resultsValid) +
                           korvane::DocumentFile::ExtensionBytes(doc).size())
        std::abort();
    korvane::CKorvaneDoc again;
    std::istringstream back(once);
    korvane::DocumentFile::Read(again, back, once.size());
    if (Bytes(again) != once)
        std::abort();
    // Whatever was accepted can be reported; a refusal is a KorvaneError, never a crash.
    korvane::SiteClassification::Of(korvane::SelectedIntervals::Of(doc).intervals).SummaryLines();
    doc.metadata.projectId = "P";
    doc.metadata.locationId = "L";
    try {
        korvane::AgsExport::Text(doc, korvane::AgsOptions{"2025-01-31"});
    } catch (const korvane::KorvaneError&) {
    }
    return 0;
}
