#pragma once

#include "analysis/AnalysisSettings.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace korvane {

class UserPrompts;

// "Analysis Settings": every choice and threshold of the interval analysis. The caller puts
// the document's settings into `settings` before running it and takes them back only when it
// was accepted. OK refuses text that is no number ("Please enter a number.") and settings out
// of range (the reason, from AnalysisSettings::Check), keeping the dialog open with the focus
// on the edit concerned; Defaults fills in the defaults. Controls carry the names of the
// settings as object names ("window_before_ms", ..., "lag", "fit", "strike_pairs"), the
// buttons "1" (OK), "2" (Cancel) and "defaults".
class CAnalysisSettingsDialog final : public QDialog {
    Q_OBJECT
public:
    explicit CAnalysisSettingsDialog(UserPrompts& prompts, QWidget* parent = nullptr);

    AnalysisSettings settings;

    // Moves `settings` into the controls, or (save) the controls into `settings`. Returns
    // false, after telling the user, when they hold no valid settings; `settings` is then
    // unchanged.
    bool UpdateData(bool save);
    // The controls show the defaults; `settings` is unchanged until OK.
    void OnDefaults();

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    static constexpr std::size_t kRealFields = 9;

    void Show(const AnalysisSettings& shown);
    // The edit whose value alone breaks the ranges of Check, or null.
    QLineEdit* EditOutOfRange(const AnalysisSettings& candidate) const;

    UserPrompts& prompts_;
    std::array<QLineEdit*, kRealFields> edits_{};
    QComboBox* lag_ = nullptr;
    QComboBox* fit_ = nullptr;
    QCheckBox* strikePairs_ = nullptr;
    bool settingsShown_ = false;
};

} // namespace korvane
