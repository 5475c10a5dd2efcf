#pragma once

#include "sounding/Recording.h"

#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// Reads the text container that the data loggers of cone penetration tests write (".GRU"): a
// [TEST] section of "key=value" lines, calibration sections, the cone readings of [DATA] and,
// between those readings, one section per seismic test:
//
//     [SEISMIC TEST=n  DEPTH=d]          d: the cone tip depth, metres
//     *E:t#17:a#18:b!                    t: milliseconds after the trigger; channel:value pairs
//     [SEISMIC TEST END]
//
// Every seismic test that holds samples becomes a section "test n" whose strings are the fields
// of its header line and then the [TEST] entries. Its traces are the file's channel numbers in
// the order they first appear (the two strikes of the shear-wave hammer, channels 17 and 18 in
// the files seen, are traces 1 and 2), each sampled as the test's time column says. Seismic tests
// without samples are left out with one note; dissipation tests and the cone readings are not
// read. Samples are taken as written: the file's scaling factors name the shear channels but no
// channel number, so a note says when they are not 1 and 0.
//
// Lines may end in LF or CR LF. A defect throws KorvaneError naming the line and the test (a
// sample line outside a seismic test or cut short, a channel missing from a line, a time column
// that does not step uniformly, a test without its end line); the caller names the file.
class GruReader {
public:
    // text: the whole file. Keeps the samples of the 0-based traces in `decode`; notes name
    // `path`.
    static Recording Read(std::string_view text, const std::vector<int>& decode,
                          const std::string& path);

    // Channels a sample line may hold.
    static constexpr std::size_t kMaxChannels = 64;
};

} // namespace korvane
