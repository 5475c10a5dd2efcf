#pragma once

#include "sounding/FileSink.h"

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

namespace korvane {

// Replaces a file safely: the content goes to a temporary file beside the target, is forced to
// the disk and only then renamed over the target, so a failure at any step leaves the previous
// file as it was and no temporary file behind. A replaced file keeps its permissions. Owns
// nothing between calls.
class AtomicFile {
public:
    // Ways to make a write fail on purpose, so tests can check that a failure anywhere keeps
    // the previous file.
    struct Faults {
        FileSink::WriteGate write;    // bytes the device takes at an offset
        std::function<bool()> sync;   // false: forcing the file to the disk fails
        std::function<bool()> rename; // false: replacing the target fails
    };

    // produce writes the whole content to the stream it is given and may throw KorvaneError
    // (which passes through unchanged unless the file itself failed). Any failure of the file
    // throws KorvaneError "<prefix><why>.", for example "The file could not be written: cannot
    // create /x/.a.csv.12.0.tmp (Permission denied)."
    static void Write(const std::filesystem::path& path,
                      const std::function<void(std::ostream&)>& produce, const std::string& prefix,
                      const Faults& faults = {});

    // Writes bytes as they are.
    static void Write(const std::filesystem::path& path, std::string_view bytes,
                      const std::string& prefix);
};

} // namespace korvane
