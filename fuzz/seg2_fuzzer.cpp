// Feeds arbitrary bytes to the import layer through a real file, as a load would: the format is
// recognised by content, so SEG-2 seeds exercise the SEG-2 reader (every count, pointer and size
// checked before allocating) and the resampler, GRU seeds the logger container's reader with its
// sections and sample lines, while mutations that lose the signature reach the other text
// readers. Whatever is inspected is then imported, with every channel the file offers (up
// to three), and must come out finite and of record length.
#include "dsp/KorvaneError.h"
#include "sounding/RecordImporter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr uint32_t kSamples = 256; // short records keep the resampling cheap

// In memory when the system offers it: writing a disk file per run would cost more than the run.
std::string ScratchPath() {
    const std::string folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return folder + "/korvane-seg2-fuzz-" + std::to_string(::getpid()) + ".sg2";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = ScratchPath();
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size > 0)
            std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    korvane::ImportOptions options;
    options.depths[path.substr(path.rfind('/') + 1)] = 3.0f; // every file gets a depth
    try {
        const korvane::FileInspection inspection =
            korvane::RecordImporter::Inspect(path, options, kSamples);
        std::size_t traces = 1;
        for (const korvane::RecordSummary& record : inspection.records)
            traces = std::max(traces, record.traces.size());
        std::vector<int> channels;
        for (int c = 1; c <= static_cast<int>(std::min<std::size_t>(traces, 3)); ++c)
            channels.push_back(c);
        const korvane::FileImport imported =
            korvane::RecordImporter::Import(path, options, kSamples, 0.18f, channels);
        for (const korvane::ImportedRecord& record : imported.records) {
            if (record.traces.size() != channels.size() || !std::isfinite(record.depth))
                std::abort();
            for (const std::vector<float>& trace : record.traces) {
                if (trace.size() != kSamples)
                    std::abort();
                for (float v : trace)
                    if (!std::isfinite(v))
                        std::abort();
            }
        }
    } catch (const korvane::KorvaneError&) {
    }
    // libFuzzer ends without running exit handlers: leave nothing behind after any run.
    std::remove(path.c_str());
    return 0;
}
