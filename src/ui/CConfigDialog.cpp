#include "ui/CConfigDialog.h"

#include "sounding/GeometryFile.h"
#include "ui/NumberEntry.h"
#include "ui/UserPrompts.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

namespace korvane {

CConfigDialog::CConfigDialog(UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    setWindowTitle("Configurations");

    // Created in the order that gives the tab order OK, Cancel, 1006, 1007.
    okButton_ = new QPushButton("OK", this);
    okButton_->setObjectName("1");
    okButton_->setDefault(true);
    auto* cancelButton = new QPushButton("Cancel", this);
    cancelButton->setObjectName("2");
    auto* hammerLabel = new QLabel("Hammer to Rod Distance (m)", this);
    auto* geophoneLabel = new QLabel("Geophone to Tip Distance (m)", this);
    hammerEdit_ = new QLineEdit(this);
    hammerEdit_->setObjectName("1006");
    geophoneEdit_ = new QLineEdit(this);
    geophoneEdit_->setObjectName("1007");
    hammerLabel->setBuddy(hammerEdit_);
    geophoneLabel->setBuddy(geophoneEdit_);

    auto* grid = new QGridLayout;
    grid->addWidget(hammerLabel, 0, 0);
    grid->addWidget(hammerEdit_, 0, 1);
    grid->addWidget(geophoneLabel, 1, 0);
    grid->addWidget(geophoneEdit_, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    setTabOrder(okButton_, cancelButton);
    setTabOrder(cancelButton, hammerEdit_);
    setTabOrder(hammerEdit_, geophoneEdit_);
    okButton_->setFocus();

    connect(okButton_, &QPushButton::clicked, this, &CConfigDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &CConfigDialog::reject);
}

bool CConfigDialog::ParseDistance(const QString& text, float& value) {
    double parsed = 0.0;
    // Values beyond the range of the stored float are not distances.
    if (!NumberEntry::Parse(text, parsed) || std::fabs(parsed) > std::numeric_limits<float>::max())
        return false;
    value = static_cast<float>(parsed);
    return true;
}

QString CConfigDialog::FormatDistance(float value) {
    return QString::asprintf("%g", static_cast<double>(value));
}

bool CConfigDialog::UpdateData(bool save) {
    if (!save) {
        geophoneEdit_->setText(FormatDistance(geophoneToTip));
        hammerEdit_->setText(FormatDistance(hammerToRod));
        membersShown_ = true;
        return true;
    }
    float geophone = 0.0f;
    float hammer = 0.0f;
    for (auto [edit, target] : {std::pair{geophoneEdit_, &geophone}, {hammerEdit_, &hammer}}) {
        if (!ParseDistance(edit->text(), *target)) {
            prompts_.ShowMessage("Please enter a number.");
            edit->setFocus();
            edit->selectAll();
            return false;
        }
    }
    geophoneToTip = geophone;
    hammerToRod = hammer;
    return true;
}

void CConfigDialog::showEvent(QShowEvent* event) {
    if (!membersShown_)
        UpdateData(false);
    QDialog::showEvent(event);
}

void CConfigDialog::accept() {
    if (!UpdateData(true))
        return;
    const auto path = QDir::current().filePath(GeometryFile::kFileName);
    if (!GeometryFile::Write(path.toStdString(), geophoneToTip, hammerToRod))
        prompts_.ShowMessage(QString("%1 could not be written.").arg(GeometryFile::kFileName));
    QDialog::accept();
}

} // namespace korvane
