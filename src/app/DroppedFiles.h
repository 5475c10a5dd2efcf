#pragma once

#include <QString>
#include <QStringList>

namespace korvane {

// What files dropped on the main window ask for: one document (".kvn") opens, any other
// files load as one sounding, and anything else is refused with the reason.
struct DroppedFiles {
    enum class Kind { Document, Recordings, Refused };

    Kind kind = Kind::Refused;
    QStringList files; // the document, or the recordings in the order dropped
    QString refusal;   // why, when refused

    static DroppedFiles Classify(const QStringList& paths);

    static constexpr const char* kMixed =
        "Drop either one document (.kvn) or wave files, not both at once.";
    static constexpr const char* kSeveralDocuments = "Drop one document (.kvn) at a time.";
    static constexpr const char* kFolder =
        "Folders cannot be dropped: drop the wave files themselves.";
};

} // namespace korvane
