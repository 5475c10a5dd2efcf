// The progress panel: caption percentages and position memory.
#include "ui/CProgressPanel.h"

#include "ui/ProfileSettings.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

class CProgressPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ProfileSettings::Open()->remove("Settings");
        owner.resize(300, 200);
        owner.show();
    }
    QWidget owner;
};

TEST_F(CProgressPanelTest, CaptionShowsThePercentageOnceItChanges) {
    CProgressPanel panel(&owner);
    panel.SetRange(0, 1000, 1);
    EXPECT_EQ(panel.StepIt(), 0);
    EXPECT_EQ(panel.windowTitle(), "Progress"); // still 0 %
    panel.SetRange(0, 4, 1);                    // leaves the position alone
    EXPECT_EQ(panel.StepIt(), 1);
    EXPECT_EQ(panel.windowTitle(), "Progress [50%]");
    EXPECT_EQ(panel.SetPos(3), 2);
    // Beyond the range the percentage is not clamped; an empty or reversed range gives 0 %.
    const struct {
        int lower, upper, position;
        const char* caption;
    } steps[] = {
        {0, 4, 6, "Progress [150%]"},
        {7, 7, 9, "Progress [0%]"},
        {10, 3, 50, "Progress [0%]"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(::testing::Message()
                     << step.lower << ".." << step.upper << ": " << step.position);
        panel.SetRange(step.lower, step.upper, 1);
        panel.SetPos(step.position);
        EXPECT_EQ(panel.windowTitle(), step.caption);
    }
}

TEST_F(CProgressPanelTest, ReopensWhereItWasLeft) {
    {
        CProgressPanel panel(&owner);
        panel.move(100, 120);
    }
    const auto settings = ProfileSettings::Open();
    EXPECT_EQ(settings->value("Settings/X").toInt(), 100);
    EXPECT_EQ(settings->value("Settings/Y").toInt(), 120);
    {
        CProgressPanel panel(&owner);
        EXPECT_EQ(panel.pos(), QPoint(100, 120));
    }
}

} // namespace
} // namespace korvane
