#include "ui/CVelocityTableDialog.h"

#include "analysis/AnalysisCsv.h"
#include "analysis/StaleResults.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/FixedDecimal.h"
#include "sounding/VelocityTable.h"
#include "ui/ProfileSettings.h"
#include "ui/UserPrompts.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <new>

namespace {
// Rows the dialog opens tall enough for; a longer table scrolls.
constexpr int kRowsShown = 40;
// Widths of the table's columns: the cross-correlation's, then the interval analysis'.
constexpr int kRunWidths[] = {120, 120, 100};
constexpr int kAnalysisWidths[] = {80, 150, 120, 200};
} // namespace

namespace korvane {

CVelocityTableDialog::CVelocityTableDialog(const CKorvaneDoc& doc, UserPrompts& prompts,
                                           QWidget* parent)
    : QDialog(parent), doc_(doc), prompts_(prompts) {
    setWindowTitle("Wave Velocity");

    list_ = new QTreeWidget(this);
    list_->setObjectName("1003");
    list_->setRootIsDecorated(false);
    list_->setSortingEnabled(false);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    QStringList headers{"Depth (m)", "Velocity (m/s)", "Coef. of Determination"};
    std::vector<int> widths(std::begin(kRunWidths), std::end(kRunWidths));
    const AnalysisResults& analysis = doc_.analysisResults;
    if (analysis.valid) {
        headers << "Lag (ms)"
                << QString("Vs %1/%2 (m/s)")
                       .arg(AnalysisSettings::Name(analysis.settings.lag),
                            AnalysisSettings::Name(analysis.settings.fit))
                << "Std. Error (m/s)"
                << "Flags";
        widths.insert(widths.end(), std::begin(kAnalysisWidths), std::end(kAnalysisWidths));
    }
    list_->setHeaderLabels(headers);
    list_->header()->setStretchLastSection(false);
    int totalWidth = 0;
    for (int column = 0; column < static_cast<int>(widths.size()); ++column) {
        list_->setColumnWidth(column, widths[column]);
        totalWidth += widths[column];
    }
    // Room for every column and the scroll bar of a long table.
    list_->setMinimumWidth(totalWidth + list_->verticalScrollBar()->sizeHint().width() +
                           2 * list_->frameWidth());

    auto* saveButton = new QPushButton("Save", this);
    saveButton->setObjectName("1005");
    saveButton->setAutoDefault(false);
    auto* exportButton = new QPushButton("Export CSV...", this);
    exportButton->setObjectName("exportCsv");
    exportButton->setAutoDefault(false);
    exportButton->setEnabled(analysis.valid);
    exportButton->setToolTip("Save the interval analysis as comma-separated values");
    auto* closeButton = new QPushButton("Cancel", this);
    closeButton->setObjectName("1");
    closeButton->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(exportButton);
    buttons->addWidget(closeButton);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    if (StaleResults::OutOfDate(doc_)) {
        auto* note = new QLabel(StaleResults::kNote, this);
        note->setObjectName("staleNote");
        note->setStyleSheet("color: #b00000");
        layout->addWidget(note);
    }
    layout->addWidget(list_);
    layout->addLayout(buttons);

    connect(saveButton, &QPushButton::clicked, this, &CVelocityTableDialog::OnSaveTable);
    connect(exportButton, &QPushButton::clicked, this, &CVelocityTableDialog::OnExportCsv);
    connect(closeButton, &QPushButton::clicked, this, &CVelocityTableDialog::accept);
    FillTable();

    setSizeGripEnabled(true);
    QSize initial = ProfileSettings::Open()->value(kSizeKey).toSize();
    if (!initial.isValid())
        initial = SizeForRows(std::min(list_->topLevelItemCount(), kRowsShown));
    // Within the screen, leaving room for the window frame; a size kept from a larger screen
    // shrinks too.
    if (const QScreen* screen = this->screen()) {
        const QSize available = screen->availableGeometry().size();
        initial = initial.boundedTo(QSize(available.width(), available.height() * 9 / 10));
    }
    resize(initial);
}

void CVelocityTableDialog::done(int result) {
    ProfileSettings::Open()->setValue(kSizeKey, size());
    QDialog::done(result);
}

QSize CVelocityTableDialog::SizeForRows(int rows) const {
    const int rowHeight = list_->topLevelItemCount() > 0 ? list_->sizeHintForRow(0)
                                                         : list_->fontMetrics().height() + 4;
    const int listHeight = list_->header()->sizeHint().height() + rows * rowHeight +
                           2 * list_->frameWidth() +
                           list_->horizontalScrollBar()->sizeHint().height();
    QSize wanted = sizeHint();
    wanted.setHeight(wanted.height() - list_->sizeHint().height() + listHeight);
    return wanted;
}

void CVelocityTableDialog::FillTable() {
    const AnalysisResults& analysis = doc_.analysisResults;
    const std::vector<VelocityTableRow> rows = VelocityTableRows(doc_);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const VelocityTableRow& row = rows[i];
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, QString::fromStdString(row.midDepth));
        item->setText(1, QString::fromStdString(row.velocity));
        item->setText(2, QString::fromStdString(row.r2));
        // The analysis combines records of one depth: rows between them have no interval.
        const IntervalEstimate* estimate =
            analysis.valid ? analysis.Between(doc_.depths[i], doc_.depths[i + 1]) : nullptr;
        if (!estimate)
            continue;
        QString flags = QString::fromStdString(AnalysisResults::FlagNames(estimate->flags));
        flags.replace('|', ", ");
        item->setText(3, QString::fromStdString(FixedDecimal::Text(estimate->lagMs, 3)));
        item->setText(4, QString::fromStdString(FixedDecimal::Text(estimate->velocity, 2)));
        if (std::isfinite(estimate->standardError))
            item->setText(5,
                          QString::fromStdString(FixedDecimal::Text(estimate->standardError, 2)));
        item->setText(6, flags);
    }
}

QString CVelocityTableDialog::AskFileName(const QString& filter, const QString& suffix) {
    QString path = prompts_.AskSaveFileName(filter, suffix);
    if (path.isEmpty())
        return {};
    if (QFileInfo(path).suffix().isEmpty())
        path += "." + suffix;
    if (QFileInfo::exists(path) &&
        !prompts_.Confirm(QString("%1 already exists.\nDo you want to replace it?")
                              .arg(QFileInfo(path).fileName())))
        return {};
    return path;
}

void CVelocityTableDialog::OnExportCsv() {
    if (!doc_.analysisResults.valid)
        return;
    try {
        const QString path = AskFileName(kCsvFilter, "csv");
        if (!path.isEmpty())
            AnalysisCsv::Save(doc_, QFile::encodeName(path).toStdString());
    } catch (const KorvaneError& error) {
        prompts_.ShowMessage(QString::fromStdString(error.what()));
    } catch (const std::bad_alloc&) {
        prompts_.ShowMessage("Memory allocation fails!");
    }
}

void CVelocityTableDialog::OnSaveTable() {
    try {
        const QString path = AskFileName(kFilter, "txt");
        if (!path.isEmpty())
            SaveVelocityTable(doc_, QFile::encodeName(path).toStdString());
    } catch (const KorvaneError& error) {
        prompts_.ShowMessage(QString::fromStdString(error.what()));
    } catch (const std::bad_alloc&) {
        prompts_.ShowMessage("Memory allocation fails!");
    }
}

} // namespace korvane
