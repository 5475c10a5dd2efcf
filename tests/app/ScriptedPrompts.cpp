#include "ScriptedPrompts.h"

#include "ui/CProgressPanel.h"

#include <QCoreApplication>
#include <QDialog>

namespace korvane {

namespace {

// Records what was asked (and counts it), then answers from the front of the queue.
template <typename T>
T Take(std::deque<T>& queue, T otherwise, QStringList& log, const QString& asked,
       int* count = nullptr) {
    log.append(asked);
    if (count)
        ++*count;
    if (queue.empty())
        return otherwise;
    T answer = std::move(queue.front());
    queue.pop_front();
    return answer;
}

// The real panel, with the test's hook before every checkpoint.
class ScriptedProgress final : public ProgressReporter {
public:
    ScriptedProgress(QWidget* parent, std::function<void(int, CProgressPanel&)> hook)
        : panel_(parent), hook_(std::move(hook)) {}

    void SetRange(int lower, int upper) override { panel_.SetRange(lower, upper); }
    void SetStatusText(const std::string& text) override { panel_.SetStatusText(text); }
    bool Checkpoint() override {
        if (hook_)
            hook_(++count_, panel_);
        return panel_.Checkpoint();
    }

private:
    CProgressPanel panel_;
    std::function<void(int, CProgressPanel&)> hook_;
    int count_ = 0;
};

} // namespace

QStringList ScriptedPrompts::AskOpenFileNames(const QString& filter) {
    return Take(openFileNamesAnswers, QStringList(), filters, filter, &fileDialogs);
}

QString ScriptedPrompts::AskOpenFileName(const QString& filter) {
    return Take(openFileNameAnswers, QString(), filters, filter, &fileDialogs);
}

QString ScriptedPrompts::AskSaveFileName(const QString& filter, const QString&) {
    return Take(saveFileNameAnswers, QString(), filters, filter, &fileDialogs);
}

SaveChangesAnswer ScriptedPrompts::AskSaveChanges(const QString& title) {
    return Take(saveChangesAnswers, SaveChangesAnswer::Cancel, saveChangesTitles, title);
}

bool ScriptedPrompts::Confirm(const QString& text) {
    return Take(confirmAnswers, false, confirmTexts, text);
}

int ScriptedPrompts::RunDialog(QDialog& dialog) {
    dialogTitles.append(dialog.windowTitle());
    dialog.show();
    QCoreApplication::processEvents();
    if (!dialogScript)
        dialog.reject();
    const int result = dialogScript ? dialogScript(dialog) : int(QDialog::Rejected);
    dialog.hide();
    return result;
}

std::unique_ptr<ProgressReporter> ScriptedPrompts::CreateProgress(QWidget* parent) {
    return std::make_unique<ScriptedProgress>(parent, onCheckpoint);
}

} // namespace korvane
