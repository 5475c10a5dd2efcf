#pragma once

#include "ScriptedPrompts.h"
#include "WaveFiles.h"
#include "app/CKorvaneApp.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

namespace korvane {

// A started application with scripted prompts.
class AppFixture : public ::testing::Test {
protected:
    void SetUp() override;

    // Loads files through File > Load...; the diagnostics go beside them.
    bool LoadFiles(const QStringList& paths);
    // Loads three records (tip depths 3, 1, 2 m) written to `waves`.
    void LoadThreeRecords();
    bool Dispatch(int id) { return app->Router().Dispatch(id); }
    bool Enabled(int id) const { return app->Router().IsEnabled(id); }
    bool ActionEnabled(int id) const;
    // Checks the router's answer and the action's state of every command.
    void ExpectEnabled(std::initializer_list<int> ids, bool enabled) const;
    std::string Messages() const { return prompts->messages.join("|").toStdString(); }

    std::unique_ptr<CKorvaneApp> app;
    ScriptedPrompts* prompts = nullptr; // owned by app
    std::unique_ptr<WaveFiles> waves;
};

} // namespace korvane
