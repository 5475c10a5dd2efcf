#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <vector>

namespace korvane {

// Wave record files for the GUI tests, in a temporary folder: the seven header lines (line 2
// "Depth: <tip depth> m") and "time amplitude" lines of a decaying pulse that arrives later
// at greater depth. Short files are completed with their mean by the reader.
class WaveFiles {
public:
    // One file per tip depth (metres), in the given order.
    explicit WaveFiles(const std::vector<double>& tipDepths, int samples = 2000);

    QString Folder() const { return dir_.path(); }
    const QStringList& Paths() const { return paths_; }
    // A file the reader refuses (no depth on line 2).
    QString WriteDefective(const QString& name);

private:
    QTemporaryDir dir_;
    QStringList paths_;
};

} // namespace korvane
