#pragma once

#include "sounding/Recording.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// Where the tip depth of a recording can be found besides the file's own depth field: a depths
// file, a header keyword, the file name. Depths are metres, read as 32-bit floats like the
// depth line of a wave file.
class TipDepthRules {
public:
    // A depths file: one line "NAME TIPDEPTH" per file, NAME the file name without folder (it may
    // hold blanks: the last word is the depth); blank lines and lines starting with '#' are
    // skipped. Throws KorvaneError "<source>:<line>: ..." for a defect.
    static std::map<std::string, float> ParseDepthsFile(std::string_view text,
                                                        const std::string& source);
    // Throws KorvaneError "<path>: cannot read the depths file" when it cannot be read.
    static std::map<std::string, float> ReadDepthsFile(const std::string& path);

    // The first number of the value of `keyword` (compared without case, and matching a header
    // line that starts with it, as "Depth: 12.5 m" matches "depth"), searched in the lists in
    // the order given.
    static std::optional<float>
    FromKeyword(const std::vector<const std::vector<HeaderEntry>*>& lists,
                std::string_view keyword);

    // A number followed by "m" in the file name ("scpt3_12.50m.sg2" gives 12.5). Throws
    // KorvaneError when the name holds several different ones.
    static std::optional<float> FromFileName(std::string_view name);
};

} // namespace korvane
