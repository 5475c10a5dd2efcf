#pragma once

#include "dsp/CommandResult.h"

#include <iosfwd>
#include <optional>
#include <string>

namespace korvane {

class CKorvaneDoc;

// The steps every command ends with, shared so that each reports failures the same way:
// checking a core command's result, warning about intervals without a velocity, writing the
// velocity table and saving the document. Failures throw CliError with the exit status.
class CommandOutputs {
public:
    // Throws CliError (failure) with "<path>: <message>" (or the message alone) unless the
    // command completed; prints its warning, if any, to err.
    static void Require(const CommandResult& result, std::ostream& err);

    // Warns on err about each interval whose velocity is not a finite number and says why: no
    // correlation peak, no delay between the two records, or (a peak at lag 0 between) records
    // at equal depths.
    static void WarnUnresolvedIntervals(const CKorvaneDoc& doc, std::ostream& err);

    // Writes the velocity table to the file, or to out when target is "-".
    static void WriteTable(const CKorvaneDoc& doc, const std::string& target, std::ostream& out);

    static void Save(CKorvaneDoc& doc, const std::string& path);

    // Throws CliError (usage) when the folder an output file would go to does not exist, so a
    // mistyped path is refused before any work and before any other output is written. Empty
    // paths and "-" (standard output) pass.
    static void CheckFolderOf(const std::string& path, const char* option);
};

} // namespace korvane
