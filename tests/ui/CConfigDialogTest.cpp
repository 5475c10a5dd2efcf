// The Configurations dialog, run through the command as the user does.
#include "ui/CConfigDialog.h"

#include "../app/AppFixture.h"
#include "app/CommandIds.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
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
    EXPECT_TRUE(ConfigFile().isEmpty());
    RunDialog(nullptr, nullptr);
    EXPECT_EQ(shown, "0.18 1.22");
    EXPECT_EQ(ConfigFile(), "0.180000   1.220000\n");
    RunDialog("0.25", " 1.5 ");
    EXPECT_FALSE(stillOpen);
    EXPECT_EQ(app->Document().geophoneToTip, 0.25f);
    EXPECT_EQ(app->Document().hammerToRod, 1.5f);
    EXPECT_EQ(ConfigFile(), "0.250000   1.500000\n");
    EXPECT_FALSE(app->Document().IsModified());

    // Where one and a half is written 1,5 both spellings are numbers; the file keeps points.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    RunDialog("0,3", "1.75");
    QLocale::setDefault(QLocale::system());
    EXPECT_FALSE(stillOpen);
    EXPECT_EQ(app->Document().geophoneToTip, 0.3f);
    EXPECT_EQ(app->Document().hammerToRod, 1.75f);
    EXPECT_EQ(ConfigFile(), "0.300000   1.750000\n");
}

TEST_F(CConfigDialogTest, CancelOrTextThatIsNoNumberChangesNothing) {
    RunDialog(nullptr, "9", "2");
    EXPECT_FALSE(stillOpen);
    EXPECT_EQ(app->Document().hammerToRod, 1.22f);
    EXPECT_TRUE(ConfigFile().isEmpty());
    EXPECT_TRUE(prompts->messages.isEmpty());

    for (const char* text : {"1.5x", "1e40"}) {
        SCOPED_TRACE(text);
        prompts->messages.clear();
        RunDialog(nullptr, text);
        EXPECT_TRUE(stillOpen);
        EXPECT_EQ(prompts->messages, QStringList{"Please enter a number."});
        EXPECT_EQ(focused, "1006");
        EXPECT_EQ(app->Document().hammerToRod, 1.22f);
        EXPECT_TRUE(ConfigFile().isEmpty());
    }
}

} // namespace
} // namespace korvane
