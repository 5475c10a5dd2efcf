#include "ui/QtUserPrompts.h"

#include "ui/CProgressPanel.h"
#include "ui/ProfileSettings.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace korvane {

void QtUserPrompts::ShowMessage(const QString& text) {
    QMessageBox box(QMessageBox::Warning, ProfileSettings::kApplication, text, QMessageBox::Ok,
                    parent_);
    box.exec();
}

QStringList QtUserPrompts::AskOpenFileNames(const QString& filter) {
    return QFileDialog::getOpenFileNames(parent_, QObject::tr("Open"), QString(), filter);
}

QString QtUserPrompts::AskOpenFileName(const QString& filter) {
    return QFileDialog::getOpenFileName(parent_, QObject::tr("Open"), QString(), filter);
}

QString QtUserPrompts::AskSaveFileName(const QString& filter, const QString& defaultSuffix) {
    QFileDialog dialog(parent_, QObject::tr("Save As"), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Replacing is confirmed by the caller, after the default suffix has been applied.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

SaveChangesAnswer QtUserPrompts::AskSaveChanges(const QString& title) {
    const auto answer = QMessageBox::question(
        parent_, ProfileSettings::kApplication, QObject::tr("Save changes to %1?").arg(title),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Yes)
        return SaveChangesAnswer::Yes;
    if (answer == QMessageBox::No)
        return SaveChangesAnswer::No;
    return SaveChangesAnswer::Cancel;
}

bool QtUserPrompts::Confirm(const QString& text) {
    return QMessageBox::question(parent_, ProfileSettings::kApplication, text,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

int QtUserPrompts::RunDialog(QDialog& dialog) {
    return dialog.exec();
}

std::unique_ptr<ProgressReporter> QtUserPrompts::CreateProgress(QWidget* parent) {
    return std::make_unique<CProgressPanel>(parent);
}

} // namespace korvane
