// The import dialog, opened by File > Load... and by drops for files that are not plain wave
// files: what it shows, what blocks OK, and what the load takes from its controls.
#include "ui/CImportDialog.h"

#include "../app/AppFixture.h"
#include "app/CommandIds.h"
#include "sounding/Seg2Writer.h"
#include "ui/ProfileSettings.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

#include <cmath>
#include <numbers>

namespace korvane {
namespace {

constexpr int kSamples = 400;

float Trace(int trace, int k) {
    return trace == 1 ? std::sin(0.1f * k) : 2.0f * std::cos(0.05f * k);
}

class CImportDialogTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        ProfileSettings::Open()->remove(CImportDialog::kTimeUnitKey);
    }

    QString Write(const QString& name, const std::string& bytes) {
        QFile file(waveDir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return file.fileName();
    }
    // Two traces at 25 µs without delay, so the load copies their samples.
    QString Seg2(const QString& name) {
        std::vector<Seg2Writer::Trace> traces(2);
        for (int t = 0; t < 2; ++t)
            for (int k = 0; k < kSamples; ++k)
                traces[t].samples.push_back(Trace(t + 1, k));
        return Write(name, Seg2Writer::Write({}, traces, 4));
    }
    // Runs the next import dialog with `script`, which returns the button to click.
    void Script(std::function<const char*(QDialog&)> script) {
        prompts->dialogScript = [this, script](QDialog& dialog) {
            table = dialog.findChild<QTableWidget*>("files");
            problem = dialog.findChild<QLabel*>("problem")->text();
            dialog.findChild<QPushButton*>(script(dialog))->click();
            if (dialog.isVisible())
                dialog.reject();
            return dialog.result();
        };
    }
    QString Cell(int row, int column) const { return table->item(row, column)->text(); }
    static bool OkEnabled(QDialog& dialog) {
        return dialog.findChild<QPushButton*>("1")->isEnabled();
    }

    QTableWidget* table = nullptr;
    QString problem;
};

TEST_F(CImportDialogTest, Seg2FilesNeedADepthAndLoadTheChosenTraces) {
    LoadThreeRecords();
    EXPECT_TRUE(prompts->dialogTitles.isEmpty()); // plain wave files: no questions
    const CKorvaneDoc& doc = app->Document();
    const QStringList files = {Seg2("a_1.00m.sg2"), Seg2("b_2.00m.sg2"), Seg2("c.sg2")};
    const QString defective = Write("bad.sg2", std::string("\x55\x3A\x01\x00", 4));
    prompts->saveChangesAnswers.assign(3, SaveChangesAnswer::No);

    // A defective file blocks OK with its message; Cancel loads nothing.
    Script([&](QDialog& dialog) {
        EXPECT_FALSE(OkEnabled(dialog));
        EXPECT_EQ(table->rowCount(), 4);
        EXPECT_EQ(Cell(3, CImportDialog::Format), "?");
        return "2";
    });
    ASSERT_TRUE(LoadFiles(files + QStringList{defective}));
    EXPECT_EQ(prompts->dialogTitles, QStringList{"Import Recordings"}) << Messages();
    EXPECT_TRUE(problem.startsWith("bad.sg2: ")) << problem.toStdString();
    EXPECT_EQ(doc.recordCount, 3);
    EXPECT_EQ(doc.depths[0], 2.0f);

    // c.sg2 has no depth until one is typed; then the second traces load with it.
    Script([&](QDialog& dialog) {
        EXPECT_EQ(Cell(0, CImportDialog::Format) + " " + Cell(0, CImportDialog::Traces) + " " +
                      Cell(0, CImportDialog::Samples) + " " + Cell(0, CImportDialog::Interval) +
                      " " + Cell(0, CImportDialog::TipDepth) + " " +
                      Cell(0, CImportDialog::DepthFrom),
                  "seg2 2 400 0.025 1 file name");
        EXPECT_EQ(Cell(2, CImportDialog::DepthFrom), "none");
        EXPECT_TRUE(dialog.findChild<QLabel*>("problem")->text().startsWith(
            "c.sg2: no tip depth. Type it in the table"));
        EXPECT_FALSE(OkEnabled(dialog));
        table->item(2, CImportDialog::TipDepth)->setText("3.5");
        QCoreApplication::processEvents();
        EXPECT_EQ(Cell(2, CImportDialog::DepthFrom), "typed");
        EXPECT_TRUE(OkEnabled(dialog));
        dialog.findChild<QSpinBox*>("channel")->setValue(2);
        return "1";
    });
    ASSERT_TRUE(LoadFiles(files));
    ASSERT_EQ(doc.recordCount, 3) << Messages();
    EXPECT_EQ(doc.depths, (std::vector<float>{1.0f - 0.18f, 2.0f - 0.18f, 3.5f - 0.18f}));
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < kSamples; k += 37)
            EXPECT_EQ(doc.rawWaves[r][k], Trace(2, k)) << r << " " << k;
    EXPECT_FALSE(doc.analysisSettings.strikePairs);

    // Dropped, with the first trace and the second as the opposite strike: two records a depth.
    Script([&](QDialog& dialog) {
        dialog.findChild<QComboBox*>("oppositeChannel")->setCurrentIndex(1); // trace 1
        EXPECT_FALSE(OkEnabled(dialog));
        dialog.findChild<QComboBox*>("oppositeChannel")->setCurrentIndex(2);
        return "1";
    });
    Drop(files.mid(0, 2));
    ASSERT_EQ(doc.recordCount, 4) << Messages();
    EXPECT_EQ(doc.rawWaves[0][10], Trace(1, 10));
    EXPECT_EQ(doc.rawWaves[1][10], Trace(2, 10));
    EXPECT_TRUE(doc.analysisSettings.strikePairs);
}

TEST_F(CImportDialogTest, AColumnFileResamplesInTheChosenUnitWhichIsRemembered) {
    // A 100 Hz sine at 5 kHz whose time column names no unit, beside plain wave files.
    std::string text = "t amplitude\n";
    for (int k = 0; k < 2000; ++k)
        text += QString::asprintf("%.4f %.6f\n", k * 0.0002,
                                  std::sin(2 * std::numbers::pi * 100 * k * 0.0002))
                    .toStdString();
    QStringList files = ThreeRecords();
    files.append(Write("col_5.00m.txt", text));
    QString unitShown;
    Script([&](QDialog& dialog) {
        auto* unit = dialog.findChild<QComboBox*>("timeUnit");
        unitShown = unit->currentText();
        EXPECT_TRUE(unit->isEnabled());
        EXPECT_EQ(Cell(0, CImportDialog::Format), "wave");
        EXPECT_EQ(Cell(3, CImportDialog::Interval), "0.025");
        EXPECT_TRUE(Cell(3, CImportDialog::Notes).contains("choose the time unit below"));
        unit->setCurrentIndex(unit->findText("s"));
        EXPECT_EQ(Cell(3, CImportDialog::Interval), "0.2");
        EXPECT_EQ(Cell(0, CImportDialog::Interval), "0.025"); // files at 25 µs keep theirs
        return "1";
    });
    ASSERT_TRUE(LoadFiles(files));
    const CKorvaneDoc& doc = app->Document();
    ASSERT_EQ(doc.recordCount, 4) << Messages();
    EXPECT_EQ(unitShown, "not given (25 µs apart)");
    const std::vector<float>& wave = doc.rawWaves[3];
    for (int k = 400; k < 8000; k += 123)
        EXPECT_NEAR(wave[k], std::sin(2 * std::numbers::pi * 100 * k * 25e-6), 1e-3) << k;

    prompts->saveChangesAnswers = {SaveChangesAnswer::No};
    Script([&](QDialog& dialog) {
        unitShown = dialog.findChild<QComboBox*>("timeUnit")->currentText();
        return "2";
    });
    ASSERT_TRUE(LoadFiles(files));
    EXPECT_EQ(unitShown, "s");
    EXPECT_EQ(doc.recordCount, 4);
}

} // namespace
} // namespace korvane
