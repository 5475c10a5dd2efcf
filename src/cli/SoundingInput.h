#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace korvane {

class CKorvaneDoc;
class TerminalProgress;
class WindowSettings;
struct CliOptions;

// Brings a Sounding into the document for a command: from wave files (with the options'
// geometry, diagnostics folder and windows) or from a document file. Everything that can be
// checked is checked before the first file is read, and the diagnostic files appear only after
// a load that succeeded, so a failure writes nothing. Failures throw CliError.
class SoundingInput {
public:
    static void LoadWaves(CKorvaneDoc& doc, const CliOptions& options,
                          const WindowSettings& windows, TerminalProgress& progress,
                          std::ostream& err);

    // Warnings of the document file (a damaged extension block) go to err as
    // "warning: <path>: <text>".
    static void OpenDocument(CKorvaneDoc& doc, const std::string& path, std::ostream& err);

    // Whether the inputs are one document file (a name ending in ".kvn", any case) rather than
    // wave files and folders.
    static bool IsDocument(const std::vector<std::string>& inputs);

    // The windows of the options: none, --window or --windows.
    static WindowSettings Windows(const CliOptions& options);
};

} // namespace korvane
