// The Configurations dialog, run through the command as the user does.
#include "ui/CConfigDialog.h"

#include "../app/AppFixture.h"
#include "app/CommandIds.h"

#include <QDir>
#include <QFile>
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

    // Opens the dialog through its command, types into the edits that are given a text
    // (nullptr: left alone), then clicks `button`; a dialog still open is cancelled.
    void RunDialog(const char* geophone, const char* hammer, const char* button = "1") {
        prompts->dialogScript = [this, geophone, hammer, button](QDialog& dialog) {
            auto* geophoneEdit = dialog.findChild<QLineEdit*>("1007");
            auto* hammerEdit = dialog.findChild<QLineEdit*>("1006");
            shown = geophoneEdit->text() + " " + hammerEdit->text();
            if (geophone)
                geophoneEdit->setText(geophone);
            if (hammer)
                hammerEdit->setText(hammer);
            dialog.findChild<QPushButton*>(button)->click();
            stillOpen = dialog.isVisible();
            focused = dialog.focusWidget() ? dialog.focusWidget()->objectName() : QString();
            if (stillOpen)
                dialog.findChild<QPushButton*>("2")->click();
            return dialog.result();
        };
        ASSERT_TRUE(Dispatch(cmd::Configurations));
    }

    QString ConfigFile() const {
        QFile file(QDir(workDir.path()).filePath("ConfigData.txt"));
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
    }

    QTemporaryDir workDir;
    QString previous;
    QString shown, focused;
    bool stillOpen = false;
};

TEST_F(CConfigDialogTest, OkStoresAndWritesTheDistancesWithoutMarkingModified) {
    struct Case {
        const char *geophone, *hammer;
        float geophoneToTip, hammerToRod;
        const char *file, *shownNext;
    };
    const Case cases[] = {
        {nullptr, nullptr, 0.18f, 1.22f, "0.180000   1.220000\n", "0.18 1.22"},
        {"0.25", " 1.5 ", 0.25f, 1.5f, "0.250000   1.500000\n", "0.25 1.5"},
        {"0", "-2", 0.0f, -2.0f, "0.000000   -2.000000\n", "0 -2"}, // accepted as they are
        {"2.5e-1", "123.4567", 0.25f, 123.4567f, "0.250000   123.456703\n", "0.25 123.457"},
        // Left alone, an edit gives back the value as shown: 123.457.
        {"1234567", nullptr, 1234567.0f, 123.457f, "1234567.000000   123.457001\n",
         "1.23457e+06 123.457"},
    };
    EXPECT_TRUE(ConfigFile().isEmpty());
    QString shownBefore = "0.18 1.22";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        RunDialog(c.geophone, c.hammer);
        EXPECT_EQ(shown, shownBefore);
        EXPECT_FALSE(stillOpen);
        EXPECT_EQ(app->Document().geophoneToTip, c.geophoneToTip);
        EXPECT_EQ(app->Document().hammerToRod, c.hammerToRod);
        EXPECT_EQ(ConfigFile(), c.file);
        EXPECT_FALSE(app->Document().IsModified());
        shownBefore = c.shownNext;
    }
}

TEST_F(CConfigDialogTest, CancelOrTextThatIsNoNumberChangesNothing) {
    RunDialog(nullptr, "9", "2");
    EXPECT_FALSE(stillOpen);
    EXPECT_EQ(app->Document().hammerToRod, 1.22f);
    EXPECT_TRUE(ConfigFile().isEmpty());
    EXPECT_TRUE(prompts->messages.isEmpty());

    for (const char* text : {"abc", "1.5x", "", "inf", "nan", "1e40", "0x10"}) {
        SCOPED_TRACE(text);
        prompts->messages.clear();
        RunDialog(nullptr, text);
        EXPECT_TRUE(stillOpen);
        EXPECT_EQ(prompts->messages, QStringList{"Please enter a number."});
        EXPECT_EQ(focused, "1006");
        EXPECT_EQ(app->Document().hammerToRod, 1.22f);
        EXPECT_TRUE(ConfigFile().isEmpty());
    }
    // The geophone edit is checked first.
    RunDialog("x", "y");
    EXPECT_EQ(focused, "1007");
}

} // namespace
} // namespace korvane
