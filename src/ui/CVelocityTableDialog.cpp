#include "ui/CVelocityTableDialog.h"

#include "dsp/KorvaneError.h"
#include "sounding/VelocityTable.h"
#include "ui/UserPrompts.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <new>

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
    layout->addWidget(list_);
    layout->addLayout(buttons);

    connect(saveButton, &QPushButton::clicked, this, &CVelocityTableDialog::OnSaveTable);
    connect(closeButton, &QPushButton::clicked, this, &CVelocityTableDialog::accept);
    FillTable();
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
        const QString path = prompts_.AskSaveFileName(kFilter, QString());
        if (path.isEmpty())
            return;
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
