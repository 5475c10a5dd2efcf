// The Configurations dialog, run through the command as the user does.
#include "ui/CConfigDialog.h"

#include "../app/AppFixture.h"
#include "app/CommandIds.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

namespace korvane {
namespace {

class CConfigDialogTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        previous = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(workDir.path()));
    }
    void TearDown() override { QDir::setCurrent(previous); }

    // Opens the dialog through its command, lets edit() work on it, then clicks `button`.
    void RunDialog(const std::function<void(QDialog&)>& edit, const char* button) {
        prompts->dialogScript = [&, button](QDialog& dialog) {
            shownHammer = dialog.findChild<QLineEdit*>("1006")->text();
            shownGeophone = dialog.findChild<QLineEdit*>("1007")->text();
            if (edit)
                edit(dialog);
            dialog.findChild<QPushButton*>(button)->click();
            stillOpen = dialog.isVisible();
            focused = dialog.focusWidget() ? dialog.focusWidget()->objectName() : QString();
            if (stillOpen)
                dialog.findChild<QPushButton*>("2")->click();
            return dialog.result();
        };
        ASSERT_TRUE(app->Router().Dispatch(cmd::Configurations));
    }

    static void Type(QDialog& dialog, const char* edit, const QString& text) {
        dialog.findChild<QLineEdit*>(edit)->setText(text);
    }

    QString ConfigFile() const {
        QFile file(QDir(workDir.path()).filePath("ConfigData.txt"));
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
    }

    QTemporaryDir workDir;
    QString previous;
    QString shownHammer, shownGeophone, focused;
    bool stillOpen = false;
};

TEST_F(CConfigDialogTest, OkWithoutEditsWritesTheDefaultsAndKeepsTheDocument) {
    RunDialog(nullptr, "1");
    EXPECT_EQ(shownGeophone, "0.18");
    EXPECT_EQ(shownHammer, "1.22");
    EXPECT_FALSE(stillOpen);
    EXPECT_EQ(ConfigFile(), "0.180000   1.220000\n");
    EXPECT_EQ(app->Document().geophoneToTip, 0.18f);
    EXPECT_EQ(app->Document().hammerToRod, 1.22f);
    EXPECT_FALSE(app->Document().IsModified());
}

TEST_F(CConfigDialogTest, NewDistancesAreStoredAndWrittenWithoutMarkingModified) {
    RunDialog(
        [](QDialog& dialog) {
            Type(dialog, "1007", "0.25");
            Type(dialog, "1006", " 1.5 ");
        },
        "1");
    EXPECT_EQ(app->Document().geophoneToTip, 0.25f);
    EXPECT_EQ(app->Document().hammerToRod, 1.5f);
    EXPECT_EQ(ConfigFile(), "0.250000   1.500000\n");
    EXPECT_FALSE(app->Document().IsModified());
    // Negative and zero distances are accepted.
    RunDialog(
        [](QDialog& dialog) {
            Type(dialog, "1007", "0");
            Type(dialog, "1006", "-2");
        },
        "1");
    EXPECT_EQ(app->Document().hammerToRod, -2.0f);
    EXPECT_EQ(ConfigFile(), "0.000000   -2.000000\n");
}

TEST_F(CConfigDialogTest, CancelAfterEditingChangesNothing) {
    RunDialog([](QDialog& dialog) { Type(dialog, "1006", "9"); }, "2");
    EXPECT_EQ(app->Document().hammerToRod, 1.22f);
    EXPECT_TRUE(ConfigFile().isEmpty());
}

TEST_F(CConfigDialogTest, TextThatIsNoNumberIsRefusedAndTheDialogStaysOpen) {
    for (const char* text : {"abc", "1.5x", "", "inf", "nan", "1e40", "0x10"}) {
        prompts->messages.clear();
        RunDialog([text](QDialog& dialog) { Type(dialog, "1006", text); }, "1");
        EXPECT_TRUE(stillOpen) << text;
        EXPECT_EQ(prompts->messages, QStringList{"Please enter a number."}) << text;
        EXPECT_EQ(focused, "1006") << text;
        EXPECT_EQ(app->Document().hammerToRod, 1.22f) << text;
        EXPECT_TRUE(ConfigFile().isEmpty()) << text;
    }
    // The geophone edit is checked first.
    RunDialog(
        [](QDialog& dialog) {
            Type(dialog, "1007", "x");
            Type(dialog, "1006", "y");
        },
        "1");
    EXPECT_EQ(focused, "1007");
}

TEST(CConfigDialogLayoutTest, LabelsDefaultButtonAndTabOrder) {
    ScriptedPrompts prompts;
    CConfigDialog dialog(prompts);
    EXPECT_EQ(dialog.windowTitle(), "Configurations");
    QStringList labels;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        labels.append(label->text());
    EXPECT_TRUE(labels.contains("Hammer to Rod Distance (m)"));
    EXPECT_TRUE(labels.contains("Geophone to Tip Distance (m)"));
    auto* ok = dialog.findChild<QPushButton*>("1");
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_EQ(dialog.findChild<QPushButton*>("2")->text(), "Cancel");
    QStringList order;
    QWidget* widget = ok;
    for (int i = 0; i < 4; ++i) {
        order.append(widget->objectName());
        widget = widget->nextInFocusChain();
        while (widget->focusPolicy() == Qt::NoFocus)
            widget = widget->nextInFocusChain();
    }
    EXPECT_EQ(order, (QStringList{"1", "2", "1006", "1007"}));
    dialog.geophoneToTip = 0.18f;
    dialog.hammerToRod = 1.22f;
    dialog.show();
    EXPECT_EQ(dialog.focusWidget(), ok);
}

TEST(CConfigDialogLayoutTest, SixSignificantDigits) {
    EXPECT_EQ(CConfigDialog::FormatDistance(0.18f), "0.18");
    EXPECT_EQ(CConfigDialog::FormatDistance(1.22f), "1.22");
    EXPECT_EQ(CConfigDialog::FormatDistance(123.4567f), "123.457");
    EXPECT_EQ(CConfigDialog::FormatDistance(1234567.0f), "1.23457e+06");
    float value = 0.0f;
    EXPECT_TRUE(CConfigDialog::ParseDistance("2.5e-1", value));
    EXPECT_EQ(value, 0.25f);
}

} // namespace
} // namespace korvane
