#pragma once

#include <iosfwd>
#include <string>

namespace korvane {

class CKorvaneDoc;
struct CliOptions;

// korvane-cli autocorrelate: the raw-wave or the windowed filtered-wave autocorrelation run on
// a document file or on wave files, written as text.
//
// Text format: a line "# <raw|filtered> autocorrelations of <n> records", then per record in
// ascending depth a line "record <k> depth <metres> first <sample> last <sample> values <count>",
// <count> lines "<shift in ms> <coefficient>" and an empty line. For the raw run first and last
// span the whole record.
class AutocorrelateCommand {
public:
    // Throws CliError on failure.
    static void Run(const CliOptions& options, std::ostream& out, std::ostream& err);

    // The whole text, built in one buffer.
    static std::string CurvesText(const CKorvaneDoc& doc, bool rawWaves);
};

} // namespace korvane
