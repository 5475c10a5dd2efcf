#pragma once

#include "app/CommandTarget.h"

#include <QString>

class QWidget;

namespace korvane {

class CKorvaneDoc;
class CommandRouter;
class DocumentHistory;
class UserPrompts;

// The File menu's commands for the client: Sounding Properties (the details and unit weights,
// one undo step), Export AGS... and Export Report.... The exports take the results there are
// and run no correlation: they refuse results that are out of date, and run only the interval
// analysis (with a progress panel) when the results lack it, as a document read from a file
// does, because its quality flags belong in both files. Owns nothing.
class ExportCommands final : public CommandTarget {
public:
    static constexpr const char* kAgsFilter = "AGS Files(*.ags)";
    static constexpr const char* kReportFilter = "PDF Documents(*.pdf)";

    ExportCommands(CKorvaneDoc& doc, DocumentHistory& history, UserPrompts& prompts, QWidget& view,
                   CommandRouter& router);

    bool OnCommand(int id) override;

    // Edits the details in a dialog; true when it was accepted (a change is one undo step).
    bool OnSoundingProperties();
    // The AGS 4.2 file. A missing project id or location id is named, and the properties
    // dialog opens to take it.
    void OnExportAgs();
    // The PDF report, on the paper of the user's locale.
    void OnExportReport();

private:
    // True when the document holds current interval results with their analysis.
    bool ResultsReady();
    // The file to write: the name asked for with the suffix added when it lacks it, after
    // confirming a replacement; empty when the user cancelled.
    QString AskPath(const char* filter, const char* suffix);
    // What the AGS file needs and the sounding lacks, empty when nothing.
    QString MissingIdentifiers() const;

    CKorvaneDoc& doc_;
    DocumentHistory& history_;
    UserPrompts& prompts_;
    QWidget& view_;
    CommandRouter& router_;
};

} // namespace korvane
