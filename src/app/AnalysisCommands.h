#pragma once

#include "app/CommandTarget.h"

class QWidget;

namespace korvane {

class CKorvaneDoc;
class DocumentHistory;
class UserPrompts;

// The Run menu's commands that prepare the interval analysis: Propose Windows and Analysis
// Settings. Each change is one step of the undo history, which marks the document modified;
// neither runs an analysis. Owns nothing.
class AnalysisCommands final : public CommandTarget {
public:
    AnalysisCommands(CKorvaneDoc& doc, DocumentHistory& history, UserPrompts& prompts,
                     QWidget& view);

    bool OnCommand(int id) override;

    // Sets every record's window to the one proposed with the document's settings and shows
    // the filtered waves with them.
    void OnProposeWindows();
    // Edits the document's analysis settings in a dialog.
    void OnAnalysisSettings();

private:
    CKorvaneDoc& doc_;
    DocumentHistory& history_;
    UserPrompts& prompts_;
    QWidget& view_;
};

} // namespace korvane
