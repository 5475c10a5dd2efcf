// The progress panel: caption percentages, cancel and Escape, position memory, layout.
#include "ui/CProgressPanel.h"

#include "ui/ProfileSettings.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include <gtest/gtest.h>

namespace korvane {
namespace {

class CProgressPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto settings = ProfileSettings::Open();
        settings->remove("Settings");
        owner.resize(300, 200);
        owner.show();
    }
    QWidget owner;
};

TEST_F(CProgressPanelTest, OpensShownOnTopWithoutFocusOrCloseBox) {
    CProgressPanel panel(&owner);
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.windowTitle(), "Progress");
    const Qt::WindowFlags flags = panel.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(flags & Qt::WindowDoesNotAcceptFocus);
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(panel.testAttribute(Qt::WA_ShowWithoutActivating));
    auto* cancel = panel.findChild<QPushButton*>("10");
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text(), " Cancel ");
    EXPECT_NE(panel.findChild<QLabel*>("11"), nullptr);
    EXPECT_NE(panel.findChild<QProgressBar*>("12"), nullptr);
    EXPECT_FALSE(panel.IsCancelled());
}

TEST_F(CProgressPanelTest, StatusAreaHoldsFourUnwrappedLines) {
    CProgressPanel panel(&owner);
    auto* status = panel.findChild<QLabel*>("11");
    ASSERT_NE(status, nullptr);
    const QFontMetrics metrics(status->font());
    EXPECT_EQ(status->height(), 4 * metrics.lineSpacing());
    EXPECT_EQ(status->width(), CProgressPanel::kTextWidth);
    EXPECT_FALSE(status->wordWrap());
    EXPECT_EQ(panel.width(), CProgressPanel::kTextWidth + 20);
    panel.SetStatusText("Files are being processed ...\n");
    EXPECT_EQ(panel.StatusText(), "Files are being processed ...\n");
}

TEST_F(CProgressPanelTest, CaptionShowsThePercentageOnlyOnceItChanges) {
    CProgressPanel panel(&owner);
    panel.SetRange(0, 1000, 1);
    EXPECT_EQ(panel.StepIt(), 0);
    EXPECT_EQ(panel.windowTitle(), "Progress"); // still 0 %
    panel.SetRange(0, 4, 1);                    // leaves position and percentage alone
    EXPECT_EQ(panel.Position(), 1);
    EXPECT_EQ(panel.windowTitle(), "Progress");
    panel.StepIt();
    EXPECT_EQ(panel.windowTitle(), "Progress [50%]");
    EXPECT_EQ(panel.SetPos(3), 2);
    EXPECT_EQ(panel.windowTitle(), "Progress [75%]");
    panel.SetPos(6); // beyond the range: not clamped in the caption
    EXPECT_EQ(panel.windowTitle(), "Progress [150%]");
    panel.SetPos(0);
    EXPECT_EQ(panel.windowTitle(), "Progress [0%]");
}

TEST_F(CProgressPanelTest, EmptyRangeGivesZeroPercent) {
    CProgressPanel panel(&owner);
    panel.SetRange(0, 10, 1);
    panel.SetPos(5);
    EXPECT_EQ(panel.windowTitle(), "Progress [50%]");
    panel.SetRange(7, 7, 1);
    panel.SetPos(9);
    EXPECT_EQ(panel.LastPercent(), 0);
    EXPECT_EQ(panel.windowTitle(), "Progress [0%]");
    panel.SetRange(10, 3, 1);
    panel.SetPos(50);
    EXPECT_EQ(panel.LastPercent(), 0);
}

TEST_F(CProgressPanelTest, CancelHidesThePanelAndTheNextStepShowsItAgain) {
    CProgressPanel panel(&owner);
    panel.SetRange(0, 3, 1);
    panel.findChild<QPushButton*>("10")->click();
    EXPECT_TRUE(panel.IsCancelled());
    EXPECT_FALSE(panel.isVisible());
    EXPECT_TRUE(panel.Checkpoint());
    EXPECT_TRUE(panel.isVisible());
    EXPECT_TRUE(panel.IsCancelled());
}

TEST_F(CProgressPanelTest, EscapeCancelsOnlyWhenAskedTo) {
    CProgressPanel panel(&owner);
    QCoreApplication::postEvent(&owner, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
    panel.PumpMessages(false);
    EXPECT_FALSE(panel.IsCancelled());
    // Other keys do not cancel.
    QCoreApplication::postEvent(&owner, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, {}));
    panel.PumpMessages(true);
    EXPECT_FALSE(panel.IsCancelled());
    QCoreApplication::postEvent(&owner, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
    panel.PumpMessages(true);
    EXPECT_TRUE(panel.IsCancelled());
    EXPECT_FALSE(panel.isVisible());
    // Escape outside a pump is nobody's business.
    CProgressPanel other(&owner);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, {});
    QCoreApplication::sendEvent(&owner, &escape);
    EXPECT_FALSE(other.IsCancelled());
}

TEST_F(CProgressPanelTest, PumpDeliversQueuedWorkWithoutBlocking) {
    CProgressPanel panel(&owner);
    int delivered = 0;
    QMetaObject::invokeMethod(
        &owner, [&] { ++delivered; }, Qt::QueuedConnection);
    panel.PumpMessages(true);
    EXPECT_EQ(delivered, 1);
    panel.PumpMessages(true); // nothing queued: returns at once
    EXPECT_EQ(delivered, 1);
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
