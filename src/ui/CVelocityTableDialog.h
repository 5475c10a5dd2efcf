#pragma once

#include <QDialog>

class QTreeWidget;

namespace korvane {

class CKorvaneDoc;
class UserPrompts;

// "Wave Velocity": one row per interval, shallowest first, with mid-depth and cross-correlation
// velocity to two decimals and r^2 to four, and a Save button that exports the rows as text.
// When the document holds interval analysis results, each row also shows what the analysis
// found for its interval: the delay in ms, the velocity of the analysis' method, its standard
// error and the quality flags; Export CSV writes them. A note above the list says when the
// results are out of date. It only reads the document, which cannot change while the dialog is
// modal. The dialog is resizable; it opens tall enough for every row of an ordinary sounding,
// or at the size it last closed with (kept in the profile). Object names: the list "1003", Save
// "1005", Export CSV "exportCsv", the closing button "1" (captioned "Cancel"), the note
// "staleNote".
class CVelocityTableDialog final : public QDialog {
    Q_OBJECT
public:
    CVelocityTableDialog(const CKorvaneDoc& doc, UserPrompts& prompts, QWidget* parent = nullptr);

    // Closing by any way keeps the size in the profile.
    void done(int result) override;

    // Asks for a file (".txt" is added to a name without an extension), confirms replacing an
    // existing one, writes the export and reports an error; the dialog stays open either way.
    void OnSaveTable();
    // The same for the interval analysis CSV (".csv" added).
    void OnExportCsv();

    static constexpr const char* kFilter = "Text Files (*.txt)";
    static constexpr const char* kCsvFilter = "CSV Files (*.csv)";
    static constexpr const char* kSizeKey = "Settings/VelocityTableSize";

private:
    void FillTable();
    // Asks for the name of a file to write (suffix added to a name without one) and confirms
    // replacing an existing file; empty when the user declined.
    QString AskFileName(const QString& filter, const QString& suffix);
    // The size that shows up to rows rows, within the screen.
    QSize SizeForRows(int rows) const;

    const CKorvaneDoc& doc_;
    UserPrompts& prompts_;
    QTreeWidget* list_ = nullptr;
};

} // namespace korvane
