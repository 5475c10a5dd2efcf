// Feeds arbitrary bytes to the document reader, as File > Open would.
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/DocumentFile.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    korvane::CKorvaneDoc doc;
    try {
        korvane::DocumentFile::Read(doc, in, size);
    } catch (const korvane::KorvaneError&) {
        // A refused file must leave nothing behind.
        if (doc.dataLoaded != 0 || doc.resultsValid != 0 || !doc.rawWaves.empty() ||
            !doc.depths.empty())
            std::abort();
        return 0;
    }
    // An accepted file keeps the promises the view and the runs rely on.
    if (doc.dataLoaded) {
        if (doc.recordCount < 1 || doc.rawWaves.size() != size_t(doc.recordCount) ||
            doc.windows.size() != size_t(doc.recordCount))
            std::abort();
        for (const auto& w : doc.windows)
            if (w.first < 0 || w.last < w.first || uint32_t(w.last) >= doc.samplesPerRecord)
                std::abort();
    } else if (doc.resultsValid) {
        std::abort();
    }
    return 0;
}
