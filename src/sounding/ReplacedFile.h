#pragma once

#include <filesystem>
#include <string_view>

namespace korvane {

// Puts a whole text file in place at once: it is written to a temporary file beside the target,
// forced to the disk and renamed over the target, so the target is always either the previous
// file or the complete new one. Owns nothing between calls.
class ReplacedFile {
public:
    // Throws KorvaneError "<path>: <why>" when the file cannot be written; the previous file
    // then stays as it was and no temporary file is left.
    static void Write(const std::filesystem::path& path, std::string_view text);

    // A name beside target that no other file or run uses: ".<name>.<process>.<count><suffix>".
    static std::filesystem::path TemporaryBeside(const std::filesystem::path& target,
                                                 std::string_view suffix = ".tmp");
};

} // namespace korvane
