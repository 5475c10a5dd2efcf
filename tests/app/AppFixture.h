#pragma once

#include "ScriptedPrompts.h"
#include "WaveFiles.h"
#include "app/CKorvaneApp.h"

#include <gtest/gtest.h>

#include <memory>

namespace korvane {

// A started application with scripted prompts.
class AppFixture : public ::testing::Test {
protected:
    void SetUp() override;

    // Loads files through File > Load...; the diagnostics go beside them.
    bool LoadFiles(const QStringList& paths);
    // Loads three records (tip depths 3, 1, 2 m) and returns their folder.
    void LoadThreeRecords();
    bool Enabled(int id) const;
    bool ActionEnabled(int id) const;

    std::unique_ptr<CKorvaneApp> app;
    ScriptedPrompts* prompts = nullptr; // owned by app
    std::unique_ptr<WaveFiles> waves;
};

} // namespace korvane
