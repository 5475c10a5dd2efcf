#include "ui/CVelocityTableDialog.h"

#include "analysis/StaleResults.h"
#include "dsp/KorvaneError.h"
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
#include <new>

namespace {
// Rows the dialog opens tall enough for; a longer table scrolls.
constexpr int kRowsShown = 40;
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
    list_->setHeaderLabels({"Depth (m)", "Velocity (m/s)", "Coef. of Determination"});
    list_->header()->setStretchLastSection(false);
    list_->setColumnWidth(0, 120);
    list_->setColumnWidth(1, 120);
    list_->setColumnWidth(2, 100);
    // Room for the three columns and the scroll bar of a long table.
    list_->setMinimumWidth(120 + 120 + 100 + list_->verticalScrollBar()->sizeHint().width() +
                           2 * list_->frameWidth());

    auto* saveButton = new QPushButton("Save", this);
    saveButton->setObjectName("1005");
    saveButton->setAutoDefault(false);
    auto* closeButton = new QPushButton("Cancel", this);
    closeButton->setObjectName("1");
    closeButton->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveButton);
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
    for (const VelocityTableRow& row : VelocityTableRows(doc_)) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, QString::fromStdString(row.midDepth));
        item->setText(1, QString::fromStdString(row.velocity));
        item->setText(2, QString::fromStdString(row.r2));
    }
}

void CVelocityTableDialog::OnSaveTable() {
    try {
        QString path = prompts_.AskSaveFileName(kFilter, "txt");
        if (path.isEmpty())
            return;
        if (QFileInfo(path).suffix().isEmpty())
            path += ".txt";
        if (QFileInfo::exists(path) &&
            !prompts_.Confirm(QString("%1 already exists.\nDo you want to replace it?")
                                  .arg(QFileInfo(path).fileName())))
            return;
        SaveVelocityTable(doc_, QFile::encodeName(path).toStdString());
    } catch (const KorvaneError& error) {
        prompts_.ShowMessage(QString::fromStdString(error.what()));
    } catch (const std::bad_alloc&) {
        prompts_.ShowMessage("Memory allocation fails!");
    }
}

} // namespace korvane
