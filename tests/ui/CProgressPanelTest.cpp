// The progress panel: caption percentages, cancel and Escape, position memory.
#include "ui/CProgressPanel.h"

#include "ui/ProfileSettings.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

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
    void PostKey(Qt::Key key) {
        QCoreApplication::postEvent(&owner, new QKeyEvent(QEvent::KeyPress, key, {}));
    }
    QWidget owner;
};

TEST_F(CProgressPanelTest, CaptionShowsThePercentageOnceItChanges) {
    CProgressPanel panel(&owner);
    EXPECT_TRUE(panel.isVisible());
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
        {0, 4, 3, "Progress [75%]"},  {0, 4, 6, "Progress [150%]"}, {0, 4, 0, "Progress [0%]"},
        {0, 10, 5, "Progress [50%]"}, {7, 7, 9, "Progress [0%]"},   {0, 10, 5, "Progress [50%]"},
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
