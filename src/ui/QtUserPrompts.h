#pragma once

#include "ui/UserPrompts.h"

#include <QPointer>

namespace korvane {

// The prompts as the user sees them: message boxes and file dialogs captioned with the
// application title, and the real progress panel.
class QtUserPrompts final : public UserPrompts {
public:
    explicit QtUserPrompts(QWidget* parent = nullptr) : parent_(parent) {}

    // Window that owns the dialogs (the main frame once it exists).
    void SetParentWidget(QWidget* parent) { parent_ = parent; }

    void ShowMessage(const QString& text) override;
    QStringList AskOpenFileNames(const QString& filter) override;
    QString AskOpenFileName(const QString& filter) override;
    QString AskSaveFileName(const QString& filter, const QString& defaultSuffix) override;
    SaveChangesAnswer AskSaveChanges(const QString& title) override;
    bool Confirm(const QString& text) override;
    int RunDialog(QDialog& dialog) override;
    std::unique_ptr<ProgressReporter> CreateProgress(QWidget* parent) override;

private:
    QPointer<QWidget> parent_;
};

} // namespace korvane
