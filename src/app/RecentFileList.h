#pragma once

#include <QString>
#include <QStringList>

namespace korvane {

// The most recently opened or saved documents, newest first, kept in the profile under
// "Recent File List" ("File1" to "File4") and shown in the File menu.
class RecentFileList {
public:
    static constexpr int kSize = 4;

    RecentFileList(); // reads the profile

    void Add(const QString& path);
    void Remove(const QString& path);
    const QStringList& Files() const { return files_; }

private:
    void Save() const;

    QStringList files_;
};

} // namespace korvane
