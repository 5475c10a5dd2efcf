#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QDialog;
class QWidget;

namespace korvane {

class ProgressReporter;

enum class SaveChangesAnswer { Yes, No, Cancel };

// Every question the program asks the user and every message it shows goes through here, so
// the GUI tests can answer file dialogs with prepared paths, read the messages and script the
// modal dialogs and the progress panel. The real implementation is QtUserPrompts.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // A message with an OK button under the application title.
    virtual void ShowMessage(const QString& text) = 0;
    // File dialogs; an empty answer means the user cancelled. filter is a Qt name filter,
    // for example "Korvane Files(*.kvn)".
    virtual QStringList AskOpenFileNames(const QString& filter) = 0;
    virtual QString AskOpenFileName(const QString& filter) = 0;
    // Does not ask about replacing an existing file: callers use Confirm for that.
    virtual QString AskSaveFileName(const QString& filter, const QString& defaultSuffix) = 0;
    // "Save changes to <title>?" with Yes, No and Cancel.
    virtual SaveChangesAnswer AskSaveChanges(const QString& title) = 0;
    // A Yes/No question; true for Yes.
    virtual bool Confirm(const QString& text) = 0;
    // Runs a modal dialog and returns its QDialog::DialogCode.
    virtual int RunDialog(QDialog& dialog) = 0;
    // The progress window of a long command, owned by the caller for the command's duration.
    virtual std::unique_ptr<ProgressReporter> CreateProgress(QWidget* parent) = 0;
};

} // namespace korvane
