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

CKorvaneDoc Results(std::vector<float> depths, std::vector<float> velocities,
                    std::vector<double> coefficients) {
    CKorvaneDoc doc;
    doc.recordCount = static_cast<int32_t>(depths.size());
    doc.depths = std::move(depths);
    doc.ccVelocities = std::move(velocities);
    doc.correlationCoefficients = std::move(coefficients);
    doc.dataLoaded = doc.resultsValid = doc.recordCount > 0 ? 1 : 0;
    return doc;
}

QString Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

TEST(CVelocityTableDialogTest, ListsIntervalMidpointsShallowestFirstWithTwoDecimals) {
    struct Case {
        CKorvaneDoc doc;
        std::vector<QStringList> rows; // depth, velocity, r^2
    };
    const Case cases[] = {
        {Results({1, 2, 3}, {150.5f, 180.25f}, {0.9, 0.8}),
         {{"1.50", "150.50", "0.81"}, {"2.50", "180.25", "0.64"}}},
        {Results({4, 5}, {123.456f}, {1.0}), {{"4.50", "123.46", "1.00"}}},
        {Results({}, {}, {}), {}},
    };
    ScriptedPrompts prompts;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.doc.recordCount);
        CVelocityTableDialog dialog(c.doc, prompts);
        auto* list = dialog.findChild<QTreeWidget*>("1003");
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->topLevelItemCount(), static_cast<int>(c.rows.size()));
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list->topLevelItem(i);
            EXPECT_EQ((QStringList{item->text(0), item->text(1), item->text(2)}), c.rows[i]);
        }
    }
}

TEST(CVelocityTableDialogTest, SaveWritesTheTableAndAsksBeforeReplacing) {
    CKorvaneDoc doc = Results({1, 2, 3}, {150.5f, 180.25f}, {0.9, 0.8});
    ScriptedPrompts prompts;
    QTemporaryDir dir;
    CVelocityTableDialog dialog(doc, prompts);
    dialog.show();
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
    EXPECT_TRUE(dialog.isVisible());

    // Declining the replacement leaves the file as it is; accepting rewrites it completely.
    doc.ccVelocities[0] = 99.0f;
    for (bool replace : {false, true}) {
        prompts.saveFileNameAnswers.push_back(path);
        prompts.confirmAnswers.push_back(replace);
        dialog.OnSaveTable();
        EXPECT_EQ(Read(path) == expected, !replace);
    }
    EXPECT_EQ(prompts.confirmTexts.size(), 2);
    EXPECT_TRUE(Read(path).contains("99.000000"));
    EXPECT_TRUE(prompts.messages.isEmpty());

    prompts.saveFileNameAnswers.push_back(dir.filePath("missing/folder/v.txt"));
    dialog.OnSaveTable();
    EXPECT_EQ(prompts.messages, QStringList{"Can't open the selected file!"});
    EXPECT_TRUE(dialog.isVisible());
}

} // namespace
} // namespace korvane
