#include "AppFixture.h"

#include "app/CommandIds.h"

#include <QAction>

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

void AppFixture::LoadThreeRecords() {
    waves = std::make_unique<WaveFiles>(std::vector<double>{3.0, 1.0, 2.0});
    ASSERT_TRUE(LoadFiles(waves->Paths()));
    ASSERT_EQ(app->Document().dataLoaded, 1) << Messages();
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
