#pragma once

#include <iosfwd>
#include <string>

namespace korvane {

struct CliOptions;

// korvane-cli batch: every sounding (a folder of recordings or a .kvn document) processed with
// the same options, several at once (one per worker, each on one thread), into
// <out>/<name>/ (see BatchSounding), then <out>/site.csv, every interval of every sounding,
// and <out>/site-summary.csv, one line per sounding with the error of one that failed. A failed
// sounding does not stop the others; the command then ends with CliError (failure) after
// writing both tables. Only finished soundings' rows are kept, never their waves.
class BatchCommand {
public:
    static constexpr const char* kSiteTable = "site.csv";
    static constexpr const char* kSiteSummary = "site-summary.csv";

    static void Run(const CliOptions& options, std::ostream& out, std::ostream& err);

    // The output folder's name of a sounding: the folder's name, or the document's without
    // ".kvn".
    static std::string SoundingName(const std::string& argument);
};

} // namespace korvane
