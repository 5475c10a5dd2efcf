#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace korvane {

class UserPrompts;

// "Configurations": edits the two test distances (metres). The caller copies the document's
// values into the members before running it and copies them back only when it was accepted.
// Confirming also writes "ConfigData.txt" into the working directory. Controls carry their
// ids as object names: edits "1006" (hammer to rod) and "1007" (geophone to tip), buttons
// "1" (OK) and "2" (Cancel).
class CConfigDialog final : public QDialog {
    Q_OBJECT
public:
    explicit CConfigDialog(UserPrompts& prompts, QWidget* parent = nullptr);

    float geophoneToTip = 0.0f; // metres
    float hammerToRod = 0.0f;   // metres

    // Moves the members into the edits, or (save) the edits into the members. Returns false,
    // after telling the user and putting the focus on the offending edit, when an edit does
    // not hold a number; the members are then unchanged.
    bool UpdateData(bool save);

    // Accepted text: a decimal number (no hexadecimal, no "inf") with a point or the decimal
    // separator of the user's locale, blanks around it allowed, within the range of a 32-bit
    // float.
    static bool ParseDistance(const QString& text, float& value);
    // Six significant digits, as "%g" in the C locale: 0.18, 1.22.
    static QString FormatDistance(float value);

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    UserPrompts& prompts_;
    QLineEdit* hammerEdit_ = nullptr;
    QLineEdit* geophoneEdit_ = nullptr;
    QPushButton* okButton_ = nullptr;
    bool membersShown_ = false;
};

} // namespace korvane
