// Feeds arbitrary bytes to the wave file reader through a real file, as a load would.
#include "dsp/KorvaneError.h"
#include "sounding/WaveFileReader.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string ScratchPath() {
    return "/tmp/korvane-wave-fuzz-" + std::to_string(::getpid()) + ".txt";
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
    constexpr uint32_t n = 512; // small records keep the filter cheap; the parser is the target
    std::vector<float> raw(n), filtered(n), re(100), im(100);
    float depth = 0.0f;
    try {
        korvane::WaveFileReader reader(path, raw.data(), filtered.data(), n, depth, 0.18f,
                                       re.data(), im.data());
    } catch (const korvane::KorvaneError&) {
    }
    return 0;
}
