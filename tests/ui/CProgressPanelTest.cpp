// The progress panel: caption percentages, cancel and Escape, position memory.
#include "ui/CProgressPanel.h"

#include "ui/ProfileSettings.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

#include <gtest/gtest.h>

#include <functional>

namespace korvane {
namespace {

class CProgressPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ProfileSettings::Open()->remove("Settings");
        owner.resize(300, 200);
        owner.show();
    }
    void PostKey(Qt::Key key) {
        QCoreApplication::postEvent(&owner, new QKeyEvent(QEvent::KeyPress, key, {}));
    }
    QWidget owner;
};

TEST_F(CProgressPanelTest, CaptionShowsThePercentageOnceItChanges) {
    CProgressPanel panel(&owner);
    EXPECT_TRUE(panel.isVisible());
    struct Step {
        const char* what;
        std::function<int(CProgressPanel&)> act;
        int result;
        const char* caption;
    };
    const Step steps[] = {
        {"first of 1000 steps: still 0 %",
         [](auto& p) {
             p.SetRange(0, 1000, 1);
             return p.StepIt();
         },
         0, "Progress"},
        {"a new range keeps the position",
         [](auto& p) {
             p.SetRange(0, 4, 1);
             return p.Position();
         },
         1, "Progress"},
        {"second of 4", [](auto& p) { return p.StepIt(); }, 1, "Progress [50%]"},
        {"SetPos returns the old position", [](auto& p) { return p.SetPos(3); }, 2,
         "Progress [75%]"},
        {"beyond the range, not clamped", [](auto& p) { return p.SetPos(6); }, 3,
         "Progress [150%]"},
        {"back to the start",
         [](auto& p) {
             p.SetPos(0);
             return p.Position();
         },
         0, "Progress [0%]"},
        {"half of 10",
         [](auto& p) {
             p.SetRange(0, 10, 1);
             return p.SetPos(5);
         },
         0, "Progress [50%]"},
        {"empty range",
         [](auto& p) {
             p.SetRange(7, 7, 1);
             p.SetPos(9);
             return p.LastPercent();
         },
         0, "Progress [0%]"},
        {"half of 10 again",
         [](auto& p) {
             p.SetRange(0, 10, 1);
             p.SetPos(5);
             return p.LastPercent();
         },
         50, "Progress [50%]"},
        {"upper below lower",
         [](auto& p) {
             p.SetRange(10, 3, 1);
             p.SetPos(50);
             return p.LastPercent();
         },
         0, "Progress [0%]"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        EXPECT_EQ(step.act(panel), step.result);
        EXPECT_EQ(panel.windowTitle(), step.caption);
    }
}

TEST_F(CProgressPanelTest, CancelHidesThePanelAndTheNextStepShowsItAgain) {
    CProgressPanel panel(&owner);
    panel.SetRange(0, 3, 1);
    EXPECT_FALSE(panel.IsCancelled());
    panel.findChild<QPushButton*>("10")->click();
    EXPECT_TRUE(panel.IsCancelled());
    EXPECT_FALSE(panel.isVisible());
    EXPECT_TRUE(panel.Checkpoint());
    EXPECT_TRUE(panel.isVisible());
    EXPECT_TRUE(panel.IsCancelled());
}

TEST_F(CProgressPanelTest, PumpDeliversQueuedWorkAndEscapeCancelsOnlyWhenAskedTo) {
    CProgressPanel panel(&owner);
    int delivered = 0;
    QMetaObject::invokeMethod(
        &owner, [&] { ++delivered; }, Qt::QueuedConnection);
    PostKey(Qt::Key_Escape);
    panel.PumpMessages(false);
    EXPECT_EQ(delivered, 1);
    EXPECT_FALSE(panel.IsCancelled());
    PostKey(Qt::Key_A); // other keys do not cancel
    panel.PumpMessages(true);
    EXPECT_FALSE(panel.IsCancelled());
    PostKey(Qt::Key_Escape);
    panel.PumpMessages(true);
    EXPECT_TRUE(panel.IsCancelled());
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(delivered, 1);
    // Escape outside a pump is nobody's business.
    CProgressPanel other(&owner);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, {});
    QCoreApplication::sendEvent(&owner, &escape);
    EXPECT_FALSE(other.IsCancelled());
}

TEST_F(CProgressPanelTest, ReopensWhereItWasLeftAndCentresAnOffScreenPosition) {
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
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    settings->setValue("Settings/X", screen.width() + 50);
    settings->setValue("Settings/Y", 10);
    settings->sync();
    owner.hide();
    CProgressPanel panel(nullptr);
    const QPoint centred = screen.center() - QPoint(panel.width() / 2, panel.height() / 2);
    EXPECT_LE((panel.pos() - centred).manhattanLength(), 2);
}

} // namespace
} // namespace korvane
