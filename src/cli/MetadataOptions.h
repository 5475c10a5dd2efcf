#pragma once

#include <string>

namespace CLI {
class App;
class Option;
} // namespace CLI

namespace korvane {

class CKorvaneDoc;

// The sounding's details on the command line of process, open and ags: --project-id,
// --project-name, --location-id, --client, --test-date, --source, --receiver, --unit-weight G
// and --unit-weights FILE. Owns the texts as typed until they are applied.
class MetadataOptions {
public:
    // Registers the options on command; the values land in this object, which must outlive
    // the parse.
    void AddTo(CLI::App& command);

    bool Given() const;

    // Puts the given values into doc.metadata. Throws CliError (usage) naming the option for a
    // value that is not valid, and for a unit weight file that cannot be read or holds a fault
    // (with its line number); doc is unchanged then.
    void ApplyTo(CKorvaneDoc& doc) const;

private:
    // One option as typed; given once the parse has seen it (an empty text counts).
    struct Field {
        std::string text;
        const CLI::Option* option = nullptr;
        bool Given() const;
    };

    Field projectId_;
    Field projectName_;
    Field locationId_;
    Field client_;
    Field testDate_;
    Field source_;
    Field receiver_;
    Field unitWeight_;
    Field unitWeightsFile_;
};

} // namespace korvane
