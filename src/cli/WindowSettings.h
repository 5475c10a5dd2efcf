#pragma once

#include "sounding/CKorvaneDoc.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace korvane {

// The analysis windows asked for on the command line: none (keep the document's), one window
// for every record (--window FIRST:LAST), windows proposed around each record's S arrival
// (--window auto, with the document's analysis settings), or one per record from a file
// (--windows FILE, one line "first last" per record in ascending depth order; blank lines and
// lines starting with '#' are ignored). Every given window is checked before anything is
// loaded or written.
class WindowSettings {
public:
    WindowSettings() = default;
    // Throws CliError (usage) for text that is neither "auto" nor FIRST:LAST with two integers.
    static WindowSettings Single(const std::string& text);
    // Throws CliError (usage) when the file cannot be read or a line is not two integers.
    static WindowSettings FromFile(const std::filesystem::path& path);

    bool empty() const { return windows_.empty() && !automatic_; }

    // Throws CliError (usage) when a window breaks 0 <= first, first + 50 <= last <=
    // samplesPerRecord - 1, or a file holds another number of windows than records.
    void Check(int recordCount, uint32_t samplesPerRecord) const;
    // Sets the windows of every record; Check first. Throws CliError (failure) when windows
    // cannot be proposed.
    void ApplyTo(CKorvaneDoc& doc) const;

private:
    std::vector<SampleWindow> windows_;
    std::vector<std::string> origins_; // where each window came from, for messages
    bool single_ = false;
    bool automatic_ = false;
    std::string source_;
};

} // namespace korvane
