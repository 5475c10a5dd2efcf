#include "app/RecentFileList.h"

#include "ui/ProfileSettings.h"

#include <QFileInfo>

namespace korvane {

namespace {
constexpr const char* kSection = "Recent File List";

QString Key(int i) {
    return QString("%1/File%2").arg(kSection).arg(i + 1);
}
} // namespace

RecentFileList::RecentFileList() {
    const auto settings = ProfileSettings::Open();
    for (int i = 0; i < kSize; ++i) {
        const QString path = settings->value(Key(i)).toString();
        if (!path.isEmpty())
            files_.append(path);
    }
}

void RecentFileList::Add(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    files_.removeAll(absolute);
    files_.prepend(absolute);
    while (files_.size() > kSize)
        files_.removeLast();
    Save();
}

void RecentFileList::Remove(const QString& path) {
    if (files_.removeAll(QFileInfo(path).absoluteFilePath()) > 0)
        Save();
}

void RecentFileList::Save() const {
    const auto settings = ProfileSettings::Open();
    for (int i = 0; i < kSize; ++i) {
        if (i < files_.size())
            settings->setValue(Key(i), files_[i]);
        else
            settings->remove(Key(i));
    }
}

} // namespace korvane
