// Run > Propose Windows and Run > Analysis Settings as undo steps, and the interval analysis
// that follows the cross-correlation run.
#include "AppFixture.h"

#include "analysis/StaleResults.h"
#include "app/CommandIds.h"
#include "app/DocumentHistory.h"
#include "view/PlotReadout.h"
#include "view/ProfilePlot.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>

#include <gmock/gmock.h>

#include <limits>

namespace korvane {
namespace {

class AnalysisCommandsTest : public AppFixture {
protected:
    // Loads the three records and saves them, so the document is at its clean state.
    void LoadAndSave(bool run) {
        LoadThreeRecords();
        if (run) {
            ASSERT_TRUE(Dispatch(cmd::RunCrossCorrelation));
        }
        prompts->saveFileNameAnswers.push_back(dir.filePath("saved.kvn"));
        ASSERT_TRUE(Dispatch(cmd::FileSaveAs));
        ASSERT_FALSE(app->Document().IsModified());
    }
    std::string UndoText() const {
        return app->Registry().Action(cmd::EditUndo)->text().toStdString();
    }
    bool Stale() const { return StaleResults::OutOfDate(app->Document()); }

    QTemporaryDir dir;
};

TEST_F(AnalysisCommandsTest, ProposeWindowsIsOneUndoStepWithinTheLimits) {
    LoadAndSave(false);
    CKorvaneDoc& doc = app->Document();
    const std::vector<SampleWindow> saved = doc.windows;
    doc.displayMode = OriginalWaves;
    ASSERT_TRUE(Dispatch(cmd::RunProposeWindows));
    const std::vector<SampleWindow> proposed = doc.windows;
    EXPECT_NE(proposed, saved);
    EXPECT_EQ(doc.displayMode, FilteredWaves);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(UndoText(), "&Undo Propose Windows");
    ASSERT_TRUE(Dispatch(cmd::EditUndo));
    EXPECT_EQ(doc.windows, saved);
    EXPECT_FALSE(doc.IsModified());
    ASSERT_TRUE(Dispatch(cmd::EditRedo));
    EXPECT_EQ(doc.windows, proposed);
    // Proposing what is there already adds no step.
    ASSERT_TRUE(Dispatch(cmd::RunProposeWindows));
    EXPECT_EQ(app->History().Stack().count(), 1);

    // The shortest and the longest windows the settings allow stay inside the records.
    const int32_t last = static_cast<int32_t>(doc.samplesPerRecord) - 1;
    for (const auto& [before, after] : {std::pair{0.0, 1.25}, {1000.0, 1000.0}}) {
        doc.analysisSettings.windowBeforeMs = before;
        doc.analysisSettings.windowAfterMs = after;
        ASSERT_TRUE(Dispatch(cmd::RunProposeWindows));
        for (const SampleWindow& w : doc.windows) {
            EXPECT_GE(w.first, 0);
            EXPECT_LE(w.last, last);
            EXPECT_GE(w.last - w.first, 50);
        }
    }
    EXPECT_EQ(doc.windows.back(), (SampleWindow{0, last}));
    EXPECT_TRUE(prompts->messages.isEmpty()) << Messages();

    // A depth that is no number (a damaged document) has no arrival time to look after.
    const std::vector<SampleWindow> kept = doc.windows;
    const int steps = app->History().Stack().count();
    doc.depths[1] = std::numeric_limits<float>::quiet_NaN();
    ASSERT_TRUE(Dispatch(cmd::RunProposeWindows));
    EXPECT_EQ(Messages(), "The window of record 2 cannot be proposed: its depth or the "
                          "hammer-to-rod distance is not a finite number.");
    EXPECT_EQ(doc.windows, kept);
    EXPECT_EQ(app->History().Stack().count(), steps);
}

TEST_F(AnalysisCommandsTest, SettingsDialogRefusesBadValuesAndAppliesGoodOnesAsAnUndoStep) {
    LoadAndSave(true);
    CKorvaneDoc& doc = app->Document();
    ASSERT_TRUE(doc.analysisResults.valid); // the defaults repeat the run's velocities
    ASSERT_EQ(doc.analysisResults.intervals.size(), 2u);
    EXPECT_FLOAT_EQ(doc.analysisResults.intervals[1].velocity, doc.ccVelocities[1]);
    EXPECT_EQ(ProfilePlot::SeriesOf(doc, CrossCorrelationVelocity).size(), 1u);

    QStringList focused;
    bool stillOpen = false;
    // Types into the edits and chooses the methods given, then clicks OK.
    const auto script = [&](std::vector<std::pair<const char*, const char*>> edits, const char* lag,
                            const char* fit) {
        prompts->dialogScript = [&, edits, lag, fit](QDialog& dialog) {
            for (const auto& [name, text] : edits)
                dialog.findChild<QLineEdit*>(name)->setText(text);
            for (const auto& [name, choice] : {std::pair{"lag", lag}, {"fit", fit}}) {
                auto* box = dialog.findChild<QComboBox*>(name);
                box->setCurrentIndex(box->findData(QString(choice)));
            }
            dialog.findChild<QPushButton*>("1")->click();
            stillOpen = dialog.isVisible();
            focused << (dialog.focusWidget() ? dialog.focusWidget()->objectName() : QString());
            if (stillOpen)
                dialog.reject();
            return dialog.result();
        };
        ASSERT_TRUE(Dispatch(cmd::RunAnalysisSettings));
    };
    script({{"min_r2", "1.5"}}, "subsample", "lsq3");
    script({{"fast_m_s", "fast"}}, "subsample", "lsq3");
    EXPECT_EQ(prompts->messages,
              (QStringList{"The analysis settings are not valid: min_r2 1.5 is outside 0 to 1.",
                           "Please enter a number."}));
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(focused, (QStringList{"min_r2", "fast_m_s"}));
    EXPECT_TRUE(doc.analysisSettings.IsDefault());
    EXPECT_FALSE(doc.IsModified());

    // Where one and a half is written 1,5 both spellings are numbers.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    script({{"min_r2", "0,95"}, {"window_after_ms", "20.5"}}, "subsample", "lsq3");
    QLocale::setDefault(QLocale::system());
    EXPECT_FALSE(stillOpen);
    AnalysisSettings chosen;
    chosen.minR2 = 0.95;
    chosen.windowAfterMs = 20.5;
    chosen.lag = LagMethod::Subsample;
    chosen.fit = FitMethod::Lsq3;
    EXPECT_EQ(doc.analysisSettings, chosen);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(UndoText(), "&Undo Change Analysis Settings");
    EXPECT_TRUE(Stale()); // nothing ran again
    ASSERT_TRUE(Dispatch(cmd::EditUndo));
    EXPECT_TRUE(doc.analysisSettings.IsDefault());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(Stale());
    ASSERT_TRUE(Dispatch(cmd::EditRedo));

    // The next run analyses with the settings; the profile draws the second series.
    ASSERT_TRUE(Dispatch(cmd::RunCrossCorrelation));
    EXPECT_FALSE(Stale());
    EXPECT_EQ(doc.analysisResults.settings, chosen);
    const auto series = ProfilePlot::SeriesOf(doc, CrossCorrelationVelocity);
    ASSERT_EQ(series.size(), 2u);
    EXPECT_TRUE(std::isfinite(series[1].errors[0]));
    EXPECT_THAT(PlotReadout::AnalysisNote(doc, CrossCorrelationVelocity, 0),
                ::testing::StartsWith("subsample/lsq3 Vs "));
    // Only the window lengths differ from the run's settings: the results stay current.
    doc.analysisSettings.windowBeforeMs = 5.0;
    EXPECT_FALSE(Stale());

    // Defaults fills the edits in; Cancel keeps the settings.
    QString shown;
    prompts->dialogScript = [&](QDialog& dialog) {
        dialog.findChild<QPushButton*>("defaults")->click();
        shown = dialog.findChild<QLineEdit*>("window_before_ms")->text() + " " +
                dialog.findChild<QComboBox*>("fit")->currentData().toString();
        dialog.findChild<QPushButton*>("2")->click();
        return dialog.result();
    };
    ASSERT_TRUE(Dispatch(cmd::RunAnalysisSettings));
    EXPECT_EQ(shown, "12 pairs");
    EXPECT_EQ(doc.analysisSettings.fit, FitMethod::Lsq3);
    EXPECT_EQ(prompts->messages.size(), 2) << Messages();
}

} // namespace
} // namespace korvane
