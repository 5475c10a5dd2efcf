// Feeds arbitrary bytes to the wave file reader through a real file, as a load would.
// The first byte picks the record length, so the "stop after n samples" and "fill the rest
// with the mean" paths see many lengths; the rest of the input is the file.
#include "dsp/KorvaneError.h"
#include "sounding/WaveFileReader.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string ScratchPath() {
    return "/tmp/korvane-wave-fuzz-" + std::to_string(::getpid()) + ".txt";
}

bool AllFinite(const std::vector<float>& values) {
    for (float v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const uint8_t selector = data[0];
    ++data;
    --size;
    static const std::string path = ScratchPath();
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size > 0)
            std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    float depth = 0.0f;
    try {
        if (selector & 1) {
            // The whole reader with the filter: the filter wants a power of two of at least 512.
            const uint32_t n = 512u << ((selector >> 1) & 1);
            std::vector<float> raw(n), filtered(n), re(100), im(100);
            korvane::WaveFileReader reader(path, raw.data(), filtered.data(), n, depth, 0.18f,
                                           re.data(), im.data());
            // The reader refuses non-finite input, so nothing non-finite may come out.
            if (!std::isfinite(depth) || !AllFinite(raw) || !AllFinite(filtered) ||
                !AllFinite(re) || !AllFinite(im))
                std::abort();
        } else {
            // The parser alone, with short records of any length from 1 to 128.
            const uint32_t n = (selector >> 1) + 1u;
            std::vector<float> raw(n);
            const uint32_t taken =
                korvane::WaveFileReader::ReadSamples(path, raw.data(), n, depth, 0.18f);
            if (taken > n || !std::isfinite(depth) || !AllFinite(raw))
                std::abort();
        }
    } catch (const korvane::KorvaneError&) {
    }
    return 0;
}
