#pragma once

#include "dsp/ProgressReporter.h"
#include "ui/UserPrompts.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>

namespace korvane {

class CProgressPanel;

// Prompts for the GUI tests: answers from queues, modal dialogs handed to a script, and the
// real progress panel with a hook run at every checkpoint before it steps and pumps.
class ScriptedPrompts final : public UserPrompts {
public:
    void ShowMessage(const QString& text) override { messages.append(text); }
    QStringList AskOpenFileNames(const QString& filter) override;
    QString AskOpenFileName(const QString& filter) override;
    QString AskSaveFileName(const QString& filter, const QString& defaultSuffix) override;
    SaveChangesAnswer AskSaveChanges(const QString& title) override;
    bool Confirm(const QString& text) override;
    int RunDialog(QDialog& dialog) override;
    std::unique_ptr<ProgressReporter> CreateProgress(QWidget* parent) override;

    // Answers, taken from the front; an empty queue answers "cancelled" (or No).
    std::deque<QStringList> openFileNamesAnswers;
    std::deque<QString> openFileNameAnswers;
    std::deque<QString> saveFileNameAnswers;
    std::deque<SaveChangesAnswer> saveChangesAnswers;
    std::deque<bool> confirmAnswers;

    // What was asked and shown.
    QStringList messages;
    QStringList filters; // filter of every file dialog, in order
    QStringList saveChangesTitles;
    QStringList confirmTexts;
    QStringList dialogTitles;
    int fileDialogs = 0;

    // Runs a shown dialog; returns its result. Without a script the dialog is cancelled.
    std::function<int(QDialog&)> dialogScript;
    // Called at checkpoint n (from 1) of every long command.
    std::function<void(int n, CProgressPanel& panel)> onCheckpoint;
};

} // namespace korvane
