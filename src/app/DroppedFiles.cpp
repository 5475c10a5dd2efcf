#include "app/DroppedFiles.h"

#include <QFileInfo>

namespace korvane {

DroppedFiles DroppedFiles::Classify(const QStringList& paths) {
    DroppedFiles drop;
    QStringList documents;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            drop.refusal = kFolder;
            return drop;
        }
        (info.suffix().compare("kvn", Qt::CaseInsensitive) == 0 ? documents : drop.files)
            .append(path);
    }
    if (!documents.isEmpty() && !drop.files.isEmpty()) {
        drop.refusal = kMixed;
    } else if (documents.size() > 1) {
        drop.refusal = kSeveralDocuments;
    } else if (documents.size() == 1) {
        drop.kind = Kind::Document;
        drop.files = documents;
    } else if (!drop.files.isEmpty()) {
        drop.kind = Kind::Recordings;
    }
    return drop;
}

} // namespace korvane
