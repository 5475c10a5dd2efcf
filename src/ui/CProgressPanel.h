#pragma once

#include "dsp/ProgressReporter.h"

#include <QString>
#include <QWidget>

#include <cstdint>

class QLabel;
class QProgressBar;
class QPushButton;

namespace korvane {

// The small always-on-top window a long command shows while it runs on the GUI thread: a
// status text sized for four lines, a bar, a Cancel button, and the percentage in the caption.
// It does no work itself: the command's loop steps it and asks it to pump events, so the rest
// of the program stays responsive, and polls the cancel flag. It never takes the focus, so
// Escape keeps reaching the main window, where the pump notices it. Its position is kept in
// the profile ("Settings", "X"/"Y") from one use to the next.
class CProgressPanel final : public QWidget, public ProgressReporter {
    Q_OBJECT
public:
    // parent: the window the panel belongs to (it stays a separate, owned top-level window).
    explicit CProgressPanel(QWidget* parent = nullptr, const QString& title = "Progress",
                            bool smooth = true);
    ~CProgressPanel() override;

    // ProgressReporter: range with a step of 1, status text, and one step + pump + poll.
    void SetRange(int lower, int upper) override { SetRange(lower, upper, 1); }
    void SetStatusText(const std::string& text) override;
    bool Checkpoint() override;

    void SetRange(int lower, int upper, int stepSize);
    // Moves the bar; returns the bar's previous position. A hidden panel reappears.
    int SetPos(int newPosition);
    int StepIt();
    // Handles the pending events until none is left or the user cancelled. With
    // cancelOnEscape, an Escape key press anywhere in the program cancels.
    void PumpMessages(bool cancelOnEscape);
    bool IsCancelled() const { return cancelled != 0; }

    // What the Cancel button does: sets the flag for good and hides the panel.
    void OnCancelButton();

    int Position() const { return position; }
    int LastPercent() const { return lastPercent; }
    QString StatusText() const;

    static constexpr int kTextWidth = 390; // pixels
    static constexpr int kLineCount = 4;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LayoutControls(int lines, int width);
    void RestorePosition();
    void SavePosition();
    void ShowPanel();
    void HidePanel();

    int32_t cancelled = 0;
    int32_t position = 0;
    int32_t lastPercent = 0;
    int32_t step = 1;
    int32_t upperBound = 100;
    int32_t lowerBound = 0;
    int32_t lineCount = kLineCount;
    QLabel* statusText = nullptr;
    QProgressBar* progressBar = nullptr;
    QPushButton* cancelButton = nullptr;
    QString title;
    QString cancelLabel = " Cancel ";
    int barPosition = 0; // what the bar shows: the position clamped to the range
    bool escapeCancels = false;
};

} // namespace korvane
