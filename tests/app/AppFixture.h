#pragma once

#include "ScriptedPrompts.h"
#include "app/CKorvaneApp.h"

#include <QTemporaryDir>

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
    // Copies the command line tool's three sample records (tip depths 4.18, 2.18 and 3.18 m) to
    // `waveDir`, where the diagnostics of a load may go, and returns their paths.
    QStringList ThreeRecords();
    void LoadThreeRecords();
    // Drops the files on the main window as a file manager would.
    void Drop(const QStringList& paths);
    bool Dispatch(int id) { return app->Router().Dispatch(id); }
    bool Enabled(int id) const { return app->Router().IsEnabled(id); }
    bool ActionEnabled(int id) const;
    // Checks the router's answer and the action's state of every command.
    void ExpectEnabled(std::initializer_list<int> ids, bool enabled) const;
    std::string Messages() const { return prompts->messages.join("|").toStdString(); }

    std::unique_ptr<CKorvaneApp> app;
    ScriptedPrompts* prompts = nullptr; // owned by app
    QTemporaryDir waveDir;
};

} // namespace korvane
