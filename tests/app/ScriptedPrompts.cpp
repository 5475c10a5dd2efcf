#include "ScriptedPrompts.h"

#include "ui/CProgressPanel.h"

#include <QCoreApplication>
#include <QDialog>

namespace korvane {

namespace {

template <typename T> T Take(std::deque<T>& queue, T otherwise) {
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
        ++count_;
        if (hook_)
            hook_(count_, panel_);
        return panel_.Checkpoint();
    }

private:
    CProgressPanel panel_;
    std::function<void(int, CProgressPanel&)> hook_;
    int count_ = 0;
};

} // namespace

QStringList ScriptedPrompts::AskOpenFileNames(const QString& filter) {
    ++fileDialogs;
    filters.append(filter);
    return Take(openFileNamesAnswers, QStringList());
}

QString ScriptedPrompts::AskOpenFileName(const QString& filter) {
    ++fileDialogs;
    filters.append(filter);
    return Take(openFileNameAnswers, QString());
}

QString ScriptedPrompts::AskSaveFileName(const QString& filter, const QString&) {
    ++fileDialogs;
    filters.append(filter);
    return Take(saveFileNameAnswers, QString());
}

SaveChangesAnswer ScriptedPrompts::AskSaveChanges(const QString& title) {
    saveChangesTitles.append(title);
    return Take(saveChangesAnswers, SaveChangesAnswer::Cancel);
}

bool ScriptedPrompts::Confirm(const QString& text) {
    confirmTexts.append(text);
    return Take(confirmAnswers, false);
}

int ScriptedPrompts::RunDialog(QDialog& dialog) {
    dialogTitles.append(dialog.windowTitle());
    dialog.show();
    QCoreApplication::processEvents();
    int result = QDialog::Rejected;
    if (dialogScript) {
        result = dialogScript(dialog);
    } else {
        dialog.reject();
    }
    dialog.hide();
    return result;
}

std::unique_ptr<ProgressReporter> ScriptedPrompts::CreateProgress(QWidget* parent) {
    ++progressPanels;
    return std::make_unique<ScriptedProgress>(parent, onCheckpoint);
}

} // namespace korvane
