#pragma once

#include "sounding/ImportOptions.h"
#include "ui/ImportPreview.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTableWidgetItem;

namespace korvane {

class UserPrompts;

// "Import Recordings": lists what a load would take from each chosen file (one row per record:
// format, traces, samples, interval, tip depth and where it comes from, notes) and lets the user
// choose the channel, an opposite-strike trace, the time unit of text files whose time column
// needs one, a depth keyword or a depths file, and type any tip depth. The table is inspected
// again after every change. OK stays disabled, with the reason beside it, while a file is
// defective, lacks a trace asked for or has no tip depth. Owns the preview and the options;
// the time unit is remembered in the user's profile when OK is pressed.
//
// Object names: table "files", spin box "channel", combo boxes "oppositeChannel" and "timeUnit",
// edit "depthKeyword", button "depthsFile", label "problem", buttons "1" (OK) and "2" (Cancel).
class CImportDialog final : public QDialog {
    Q_OBJECT
public:
    CImportDialog(ImportPreview preview, UserPrompts& prompts, QWidget* parent = nullptr);

    // What OK loads with.
    const ImportOptions& Options() const { return options_; }

    enum Column { File, Format, Traces, Samples, Interval, TipDepth, DepthFrom, Notes, Columns };

    void accept() override;

    static constexpr const char* kTimeUnitKey = "Settings/ImportTimeUnit";

private:
    void Refresh();
    void FillTable();
    void AddRow(const QStringList& cells, const QString& problem, int file, int record);
    void OnItemChanged(QTableWidgetItem* item);
    void OnDepthsFile();
    void SetTimeUnit(TimeUnit unit);

    ImportPreview preview_;
    ImportOptions options_;
    UserPrompts& prompts_;
    QTableWidget* table_ = nullptr;
    QSpinBox* channel_ = nullptr;
    QComboBox* opposite_ = nullptr;
    QComboBox* timeUnit_ = nullptr;
    QLineEdit* keyword_ = nullptr;
    QLabel* depthsName_ = nullptr;
    QLabel* problem_ = nullptr;
    QPushButton* okButton_ = nullptr;
};

} // namespace korvane
