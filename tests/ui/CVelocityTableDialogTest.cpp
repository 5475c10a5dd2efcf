// The velocity table: rows as shown, and the export through its Save button.
#include "ui/CVelocityTableDialog.h"

#include "../app/ScriptedPrompts.h"
#include "sounding/CKorvaneDoc.h"

#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace korvane {
namespace {

class CVelocityTableDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        doc.recordCount = 3;
        doc.depths = {1.0f, 2.0f, 3.0f};
        doc.ccVelocities = {150.5f, 180.25f};
        doc.correlationCoefficients = {0.9, 0.8};
        doc.dataLoaded = 1;
        doc.resultsValid = 1;
    }

    QString Read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
    }

    CKorvaneDoc doc;
    ScriptedPrompts prompts;
    QTemporaryDir dir;
};

TEST_F(CVelocityTableDialogTest, ListsIntervalsShallowestFirstWithTwoDecimals) {
    CVelocityTableDialog dialog(doc, prompts);
    EXPECT_EQ(dialog.windowTitle(), "Wave Velocity");
    auto* list = dialog.findChild<QTreeWidget*>("1003");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->columnCount(), 3);
    EXPECT_EQ(list->headerItem()->text(0), "Depth (m)");
    EXPECT_EQ(list->headerItem()->text(1), "Velocity (m/s)");
    EXPECT_EQ(list->headerItem()->text(2), "Coef. of Determination");
    EXPECT_EQ(list->columnWidth(0), 120);
    EXPECT_EQ(list->columnWidth(1), 120);
    EXPECT_EQ(list->columnWidth(2), 100);
    ASSERT_EQ(list->topLevelItemCount(), 2);
    const QTreeWidgetItem* first = list->topLevelItem(0);
    EXPECT_EQ(first->text(0), "1.50");
    EXPECT_EQ(first->text(1), "150.50");
    EXPECT_EQ(first->text(2), "0.81");
    const QTreeWidgetItem* second = list->topLevelItem(1);
    EXPECT_EQ(second->text(0), "2.50");
    EXPECT_EQ(second->text(1), "180.25");
    EXPECT_EQ(second->text(2), "0.64");
    auto* close = dialog.findChild<QPushButton*>("1");
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->text(), "Cancel");
    EXPECT_TRUE(close->isDefault());
}

TEST_F(CVelocityTableDialogTest, SaveWritesTheTableAndAsksBeforeReplacing) {
    CVelocityTableDialog dialog(doc, prompts);
    dialog.show();
    const QString path = dir.filePath("velocities.txt");
    prompts.saveFileNameAnswers.push_back(path);
    dialog.findChild<QPushButton*>("1005")->click();
    EXPECT_EQ(prompts.filters.value(0), "Text Files (*.txt)");
    EXPECT_TRUE(prompts.confirmTexts.isEmpty());
    const QString expected = "Depth(m)      Velocity(m/s)   r2  \n"
                             "1.500000      150.500000     0.810000\n"
                             "2.500000      180.250000     0.640000\n";
    EXPECT_EQ(Read(path), expected);
    EXPECT_TRUE(dialog.isVisible());

    // Declining the replacement leaves the file as it is.
    doc.ccVelocities[0] = 99.0f;
    prompts.saveFileNameAnswers.push_back(path);
    prompts.confirmAnswers.push_back(false);
    dialog.OnSaveTable();
    ASSERT_EQ(prompts.confirmTexts.size(), 1);
    EXPECT_EQ(Read(path), expected);
    // Accepting rewrites it completely.
    prompts.saveFileNameAnswers.push_back(path);
    prompts.confirmAnswers.push_back(true);
    dialog.OnSaveTable();
    EXPECT_TRUE(Read(path).contains("99.000000"));
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(CVelocityTableDialogTest, CancelledFileDialogWritesNothingAndErrorsAreShown) {
    CVelocityTableDialog dialog(doc, prompts);
    dialog.show();
    dialog.OnSaveTable(); // no answer: cancelled
    EXPECT_TRUE(prompts.messages.isEmpty());
    prompts.saveFileNameAnswers.push_back(dir.filePath("missing/folder/v.txt"));
    dialog.OnSaveTable();
    EXPECT_EQ(prompts.messages, QStringList{"Can't open the selected file!"});
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(CVelocityTableDialogTest, TwoRecordsGiveOneRowAndEmptyResultsNone) {
    doc.recordCount = 2;
    doc.depths = {4.0f, 5.0f};
    doc.ccVelocities = {123.456f};
    doc.correlationCoefficients = {1.0};
    {
        CVelocityTableDialog dialog(doc, prompts);
        auto* list = dialog.findChild<QTreeWidget*>("1003");
        ASSERT_EQ(list->topLevelItemCount(), 1);
        EXPECT_EQ(list->topLevelItem(0)->text(1), "123.46");
        EXPECT_EQ(list->topLevelItem(0)->text(2), "1.00");
    }
    CKorvaneDoc empty;
    CVelocityTableDialog dialog(empty, prompts);
    EXPECT_EQ(dialog.findChild<QTreeWidget*>("1003")->topLevelItemCount(), 0);
}

} // namespace
} // namespace korvane
