#include "AppFixture.h"

#include "app/CMainFrame.h"
#include "app/CommandIds.h"

#include <QAction>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>

namespace korvane {

void AppFixture::SetUp() {
    auto scripted = std::make_unique<ScriptedPrompts>();
    prompts = scripted.get();
    app = std::make_unique<CKorvaneApp>(std::move(scripted));
    ASSERT_TRUE(app->InitInstance({}));
}

bool AppFixture::LoadFiles(const QStringList& paths) {
    prompts->openFileNamesAnswers.push_back(paths);
    return Dispatch(cmd::Load);
}

QStringList AppFixture::ThreeRecords() {
    QStringList paths;
    for (const char* name : {"r1.txt", "r2.txt", "r3.txt"}) {
        paths.append(waveDir.filePath(name));
        QFile::copy(QString(KORVANE_SOURCE_DIR "/tests/cli/golden/inputs/three/") + name,
                    paths.last());
    }
    return paths;
}

void AppFixture::LoadThreeRecords() {
    ASSERT_TRUE(LoadFiles(ThreeRecords()));
    ASSERT_EQ(app->Document().dataLoaded, 1) << Messages();
}

void AppFixture::Drop(const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(path));
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&app->Frame(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&app->Frame(), &drop);
    QCoreApplication::processEvents();
}

bool AppFixture::ActionEnabled(int id) const {
    QAction* action = app->Registry().Action(id);
    return action && action->isEnabled();
}

void AppFixture::ExpectEnabled(std::initializer_list<int> ids, bool enabled) const {
    for (int id : ids) {
        EXPECT_EQ(Enabled(id), enabled) << id;
        EXPECT_EQ(ActionEnabled(id), enabled) << id;
    }
}

} // namespace korvane
