// The velocity table: rows as shown, and the export through its Save button.
#include "ui/CVelocityTableDialog.h"

#include "../app/ScriptedPrompts.h"
#include "sounding/CKorvaneDoc.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace korvane {
namespace {

QString Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

TEST(CVelocityTableDialogTest, ListsTheIntervalsAndSavesTheTable) {
    CKorvaneDoc doc; // three records 1 m apart, and their two intervals
    doc.recordCount = 3;
    doc.depths = {1, 2, 3};
    doc.ccVelocities = {150.5f, 180.25f};
    doc.correlationCoefficients = {0.9, 0.8};
    doc.dataLoaded = doc.resultsValid = 1;
    ScriptedPrompts prompts;
    QTemporaryDir dir;
    CVelocityTableDialog dialog(doc, prompts);
    dialog.show();
    // Interval midpoints, shallowest first, with two decimals.
    auto* list = dialog.findChild<QTreeWidget*>("1003");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->topLevelItemCount(), 2);
    const QStringList rows[] = {{"1.50", "150.50", "0.81"}, {"2.50", "180.25", "0.64"}};
    for (int i = 0; i < 2; ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        EXPECT_EQ((QStringList{item->text(0), item->text(1), item->text(2)}), rows[i]);
    }

    dialog.OnSaveTable(); // no answer: cancelled
    const QString path = dir.filePath("velocities.txt");
    prompts.saveFileNameAnswers.push_back(path);
    dialog.findChild<QPushButton*>("1005")->click();
    EXPECT_EQ(prompts.filters.value(0), "Text Files (*.txt)");
    EXPECT_TRUE(prompts.confirmTexts.isEmpty());
    const QString expected = "Depth(m)      Velocity(m/s)   r2  \n"
                             "1.500000      150.500000     0.810000\n"
                             "2.500000      180.250000     0.640000\n";
    EXPECT_EQ(Read(path), expected);

    // Declining the replacement leaves the file as it is.
    doc.ccVelocities[0] = 99.0f;
    prompts.saveFileNameAnswers.push_back(path);
    dialog.OnSaveTable();
    EXPECT_EQ(prompts.confirmTexts.size(), 1);
    EXPECT_EQ(Read(path), expected);

    prompts.saveFileNameAnswers.push_back(dir.filePath("missing/folder/v.txt"));
    dialog.OnSaveTable();
    EXPECT_EQ(prompts.messages, QStringList{"Can't open the selected file!"});
    EXPECT_TRUE(dialog.isVisible());
}

} // namespace
} // namespace korvane
