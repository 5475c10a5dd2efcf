#pragma once

#include <QDialog>

class QTreeWidget;

namespace korvane {

class CKorvaneDoc;
class UserPrompts;

// "Wave Velocity": one row per interval, shallowest first, with mid-depth, cross-correlation
// velocity and r^2 to two decimals, and a Save button that exports the same rows as text. It
// only reads the document, which cannot change while the dialog is modal. Object names: the
// list "1003", Save "1005", the closing button "1" (captioned "Cancel").
class CVelocityTableDialog final : public QDialog {
    Q_OBJECT
public:
    CVelocityTableDialog(const CKorvaneDoc& doc, UserPrompts& prompts, QWidget* parent = nullptr);

    // Asks for a file, confirms replacing an existing one, writes the export and reports an
    // error; the dialog stays open either way.
    void OnSaveTable();

    static constexpr const char* kFilter = "Text Files (*.txt)";

private:
    void FillTable();

    const CKorvaneDoc& doc_;
    UserPrompts& prompts_;
    QTreeWidget* list_ = nullptr;
};

} // namespace korvane
