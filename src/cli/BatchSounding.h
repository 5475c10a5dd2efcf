#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

namespace korvane {

class WindowSettings;
struct CliOptions;

// One sounding of korvane-cli batch: a folder of recordings or a .kvn document, processed on
// the calling thread alone (the batch runs several at once) with the batch's options into its
// own output folder: velocity-table.txt, intervals.csv, <name>.kvn and, for recordings, the
// diagnostic files. The folder is built under a temporary name and renamed into place only
// when everything is written, so it holds either the complete outputs or, after a failure, what
// an earlier run left there. Nothing of the sounding's waves outlives Process.
class BatchSounding {
public:
    std::string input;            // as given on the command line
    std::string name;             // the output folder's name
    std::filesystem::path folder; // the output folder: the batch folder / name

    // What processing left for the site tables and the terminal.
    struct Outcome {
        bool failed = false;
        std::string summaryRow;   // of the site summary
        std::string intervalRows; // of the site table
        std::string messages;     // warnings, and the error of a failure, one a line
    };

    // Never throws: a failure is an outcome with its message.
    Outcome Process(const CliOptions& options, const WindowSettings& windows) const;

    // Whether the argument names a document (.kvn, any case) rather than a folder of recordings.
    static bool IsDocument(const std::string& path);

private:
    void Build(const std::filesystem::path& staging, const CliOptions& options,
               const WindowSettings& windows, Outcome& outcome, std::ostream& err) const;
    void MoveIntoPlace(const std::filesystem::path& staging) const;
};

} // namespace korvane
