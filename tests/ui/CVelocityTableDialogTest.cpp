// The velocity table: rows as shown, and the export through its Save button.
#include "ui/CVelocityTableDialog.h"

#include "../app/ScriptedPrompts.h"
#include "sounding/CKorvaneDoc.h"
#include "ui/ProfileSettings.h"

#include <QCoreApplication>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cmath>

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
    EXPECT_EQ(list->columnCount(), 3); // no interval analysis to show
    EXPECT_FALSE(dialog.findChild<QPushButton*>("exportCsv")->isEnabled());
    const QStringList rows[] = {{"1.50", "150.50", "0.8100"}, {"2.50", "180.25", "0.6400"}};
    for (int i = 0; i < 2; ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        EXPECT_EQ((QStringList{item->text(0), item->text(1), item->text(2)}), rows[i]);
    }

    dialog.OnSaveTable(); // no answer: cancelled
    const QString path = dir.filePath("velocities.txt");
    prompts.saveFileNameAnswers.push_back(dir.filePath("velocities")); // gets ".txt"
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

TEST(CVelocityTableDialogTest, ShowsTheIntervalAnalysisBesideTheRunAndExportsItsCsv) {
    CKorvaneDoc doc; // two records at 2 m: the analysis makes one depth of them
    doc.recordCount = 4;
    doc.depths = {1, 2, 2, 3};
    doc.ccVelocities = {150.0f, -0.0f, 180.0f};
    doc.correlationCoefficients = {0.9, 0.1, 0.8};
    doc.dataLoaded = doc.resultsValid = 1;
    AnalysisResults& analysis = doc.analysisResults;
    analysis.valid = true;
    analysis.settings.lag = LagMethod::Subsample;
    analysis.settings.fit = FitMethod::Lsq3;
    analysis.intervals = {{1, 2, 1.5, 5.125, 152.5, 3.25, 0.81, 0},
                          {2, 3, 2.5, 4.5, 178, std::nan(""), 0.64, kLowR2 | kJump}};
    ScriptedPrompts prompts;
    QTemporaryDir dir;
    CVelocityTableDialog dialog(doc, prompts);
    dialog.show();
    auto* list = dialog.findChild<QTreeWidget*>("1003");
    ASSERT_EQ(list->columnCount(), 7);
    EXPECT_EQ(list->headerItem()->text(4), "Vs subsample/lsq3 (m/s)");
    ASSERT_EQ(list->topLevelItemCount(), 3);
    const QStringList rows[] = {
        {"1.50", "150.00", "0.8100", "5.125", "152.50", "3.25", ""},
        {"2.00", "-0.00", "0.0100", "", "", "", ""},
        {"2.50", "180.00", "0.6400", "4.500", "178.00", "", "LOW_R2, JUMP"}};
    for (int i = 0; i < 3; ++i) {
        QStringList texts;
        for (int column = 0; column < 7; ++column)
            texts << list->topLevelItem(i)->text(column);
        EXPECT_EQ(texts, rows[i]);
    }

    prompts.saveFileNameAnswers.push_back(dir.filePath("analysis")); // gets ".csv"
    dialog.findChild<QPushButton*>("exportCsv")->click();
    EXPECT_EQ(prompts.filters, QStringList{"CSV Files (*.csv)"});
    EXPECT_EQ(Read(dir.filePath("analysis.csv")),
              "top_m,bottom_m,mid_m,lag_ms,vs_m_s,vs_se_m_s,r2,flags,gmax_mpa\n"
              "1.000000,2.000000,1.500000,5.125000,152.500000,3.250000,0.810000,,42.686595\n"
              "2.000000,3.000000,2.500000,4.500000,178.000000,nan,0.640000,LOW_R2|JUMP,"
              "58.155639\n"); // Gmax = 18 kN/m3 / 9.80665 m/s2 * Vs^2
    prompts.saveFileNameAnswers.push_back(dir.filePath("missing/folder/a.csv"));
    dialog.OnExportCsv();
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_TRUE(prompts.messages[0].startsWith("The file could not be written: "))
        << prompts.messages[0].toStdString();
}

TEST(CVelocityTableDialogTest, OpensWithEveryRowOfAnOrdinarySoundingAndKeepsItsSize) {
    ProfileSettings::Open()->remove(CVelocityTableDialog::kSizeKey);
    CKorvaneDoc doc; // 24 records, 23 intervals
    doc.recordCount = 24;
    for (int k = 0; k < 24; ++k)
        doc.depths.push_back(1.0f + static_cast<float>(k));
    doc.ccVelocities.assign(23, 200.0f);
    doc.correlationCoefficients.assign(23, 0.99);
    doc.dataLoaded = doc.resultsValid = 1;
    ScriptedPrompts prompts;
    {
        CVelocityTableDialog dialog(doc, prompts);
        dialog.show();
        QCoreApplication::processEvents();
        auto* list = dialog.findChild<QTreeWidget*>("1003");
        ASSERT_EQ(list->topLevelItemCount(), 23);
        EXPECT_LE(list->visualItemRect(list->topLevelItem(22)).bottom(),
                  list->viewport()->height());
        EXPECT_EQ(list->topLevelItem(0)->text(2), "0.9801");
        dialog.resize(520, 300);
        dialog.reject();
    }
    CVelocityTableDialog again(doc, prompts);
    EXPECT_EQ(again.size(), QSize(520, 300));
}

} // namespace
} // namespace korvane
