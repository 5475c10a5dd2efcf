// File > Sounding Properties, Export AGS and Export Report through the real commands.
#include "AppFixture.h"

#include "app/CommandIds.h"
#include "app/DocumentHistory.h"

#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace korvane {
namespace {

class ExportCommandsTest : public AppFixture {
protected:
    // A script that types the texts into the named edits, sets the layer table's cells
    // (row, column, text), clicks OK and records whether the dialog stayed open and where
    // the focus went; a dialog still open is cancelled.
    void ScriptProperties(std::vector<std::pair<const char*, const char*>> texts,
                          std::vector<std::tuple<int, int, const char*>> cells = {}) {
        prompts->dialogScript = [this, texts, cells](QDialog& dialog) {
            for (const auto& [name, text] : texts)
                dialog.findChild<QLineEdit*>(name)->setText(text);
            auto* table = dialog.findChild<QTableWidget*>("unit_weights");
            for (const auto& [row, column, text] : cells) {
                while (table->rowCount() <= row)
                    dialog.findChild<QPushButton*>("add_layer")->click();
                table->item(row, column)->setText(text);
            }
            dialog.findChild<QPushButton*>("1")->click();
            stillOpen = dialog.isVisible();
            focused = dialog.focusWidget() ? dialog.focusWidget()->objectName() : QString();
            if (stillOpen)
                dialog.findChild<QPushButton*>("2")->click();
            return dialog.result();
        };
    }
    QString Written(const QString& name) const {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
    }

    QTemporaryDir dir;
    bool stillOpen = false;
    QString focused;
};

TEST_F(ExportCommandsTest, PropertiesRefuseBadValuesAndOkIsOneUndoStep) {
    LoadThreeRecords();
    CKorvaneDoc& doc = app->Document();
    const int steps = app->History().Stack().count();

    ScriptProperties({{"project_id", "KV-1"}, {"test_date", "2024-02-30"}});
    ASSERT_TRUE(Dispatch(cmd::FileSoundingProperties));
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(focused, "test_date");
    EXPECT_NE(Messages().find("test date"), std::string::npos) << Messages();
    ScriptProperties({{"project_id", "KV-1"}}, {{1, 0, "3"}, {1, 1, "heavy"}});
    ASSERT_TRUE(Dispatch(cmd::FileSoundingProperties));
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(prompts->messages.last(), "Please enter a number.");
    ScriptProperties({{"project_id", "KV-1"}}, {{1, 0, "0.0"}, {1, 1, "20"}});
    ASSERT_TRUE(Dispatch(cmd::FileSoundingProperties));
    EXPECT_TRUE(stillOpen);
    EXPECT_NE(prompts->messages.last().indexOf("do not ascend"), -1) << Messages();
    EXPECT_TRUE(doc.metadata.IsDefault());
    EXPECT_EQ(app->History().Stack().count(), steps);

    ScriptProperties({{"project_id", " KV-1 "}, {"test_date", "2024-02-29"}},
                     {{0, 1, "19.5"}, {1, 0, "3"}, {1, 1, "20"}});
    ASSERT_TRUE(Dispatch(cmd::FileSoundingProperties));
    EXPECT_FALSE(stillOpen);
    SoundingMetadata expected;
    expected.projectId = "KV-1";
    expected.testDate = "2024-02-29";
    expected.unitWeights = {{0.0, 19.5}, {3.0, 20.0}};
    EXPECT_EQ(doc.metadata, expected);
    EXPECT_EQ(app->History().Stack().count(), steps + 1);
    ASSERT_TRUE(Dispatch(cmd::EditUndo));
    EXPECT_TRUE(doc.metadata.IsDefault());
    ASSERT_TRUE(Dispatch(cmd::EditRedo));
    EXPECT_EQ(doc.metadata, expected);
}

// The exports are enabled by results, refuse results out of date before asking for a file,
// run an interval analysis that is missing, and AGS asks for the identifiers it needs.
TEST_F(ExportCommandsTest, ExportsOfCurrentResultsWithTheirIdentifiers) {
    LoadThreeRecords();
    CKorvaneDoc& doc = app->Document();
    ExpectEnabled({cmd::FileExportAgs, cmd::FileExportReport}, false);
    ASSERT_TRUE(Dispatch(cmd::RunCrossCorrelation));
    ExpectEnabled({cmd::FileExportAgs, cmd::FileExportReport}, true);

    ASSERT_TRUE(Dispatch(cmd::RunProposeWindows));
    prompts->messages.clear();
    ASSERT_TRUE(Dispatch(cmd::FileExportReport));
    EXPECT_EQ(Messages(),
              "The results are out of date: run Cross-Correlation again before exporting them.");
    EXPECT_EQ(prompts->fileDialogs, 1); // the load's
    ASSERT_TRUE(Dispatch(cmd::EditUndo));

    // An interval analysis cancelled after its cross-correlation: the export runs it for the
    // quality flags.
    doc.analysisResults = {};
    prompts->messages.clear();
    prompts->saveFileNameAnswers.push_back(dir.filePath("report.PDF"));
    ASSERT_TRUE(Dispatch(cmd::FileExportReport));
    EXPECT_TRUE(doc.analysisResults.valid);
    EXPECT_TRUE(Written("report.PDF").startsWith("%PDF-")) << Messages();
    EXPECT_TRUE(prompts->messages.isEmpty()) << Messages();

    // Missing identifiers are named; cancelling the properties writes nothing.
    ASSERT_TRUE(Dispatch(cmd::FileExportAgs));
    EXPECT_EQ(Messages(), "The AGS file needs the sounding's project id and location id: enter "
                          "them in the Sounding Properties.");
    EXPECT_EQ(prompts->fileDialogs, 2);
    ScriptProperties({{"project_id", "KV-1"}});
    ASSERT_TRUE(Dispatch(cmd::FileExportAgs));
    EXPECT_EQ(prompts->messages.last(),
              "The AGS file was not written: the sounding has no location id.");
    EXPECT_EQ(prompts->fileDialogs, 2);

    ScriptProperties({{"location_id", "SCPT-1"}});
    prompts->saveFileNameAnswers.push_back(dir.filePath("out"));
    ASSERT_TRUE(Dispatch(cmd::FileExportAgs));
    const QString ags = Written("out.ags");
    EXPECT_TRUE(ags.startsWith("\"GROUP\",\"PROJ\"\r\n")) << Messages();
    EXPECT_EQ(ags.count("\"DATA\",\"KV-1\""), 1);
}

} // namespace
} // namespace korvane
