#pragma once

#include "app/ActionRegistry.h"
#include "app/CommandRouter.h"
#include "app/CommandTarget.h"
#include "app/RecentFileList.h"
#include "sounding/CKorvaneDoc.h"
#include "ui/UserPrompts.h"

#include <QStringList>

#include <memory>

namespace korvane {

class AnalysisCommands;
class CKorvaneView;
class CMainFrame;
class DocumentCommands;
class DocumentHistory;
class ExportCommands;
class SoundingCommands;

// The application: one document, one frame with one view, the command registry and router,
// the profile's recent-file list, the About command and the files dropped on the frame. Everything
// is created at start-up and lives until the program ends. Runs on a QApplication created by the
// caller.
class CKorvaneApp final : public CommandTarget {
public:
    // prompts: the dialogs and messages to use; null for the real ones.
    explicit CKorvaneApp(std::unique_ptr<UserPrompts> prompts = nullptr);
    ~CKorvaneApp() override;

    // Builds the frame, opens the document named by the first of arguments (without the
    // program name) if any, and shows the frame maximised. False when the document cannot be
    // opened; the user has been told why.
    bool InitInstance(const QStringList& arguments);

    bool OnCommand(int id) override; // About
    void OnAppAbout();
    // Files dropped on the main window: one document opens, other files load as a sounding.
    void OnFilesDropped(const QStringList& files);

    CKorvaneDoc& Document() { return doc_; }
    CMainFrame& Frame() { return *frame_; }
    CKorvaneView& View() { return *view_; }
    CommandRouter& Router() { return router_; }
    ActionRegistry& Registry() { return registry_; }
    UserPrompts& Prompts() { return *prompts_; }
    DocumentCommands& Documents() { return *documents_; }
    RecentFileList& RecentFiles() { return *recent_; }
    DocumentHistory& History() { return *history_; }

private:
    void UpdateCaption();
    // The caption's modified mark and the status bar's note on the results.
    void UpdateDocumentState();
    // The File menu's recent documents, from the profile's list.
    void UpdateRecentFileItems();
    // The undo history and the plot view: edits, document notices, readout with the analysis'
    // notes, the row-scaling check mark and the Edit menu's texts.
    void ConnectPlotView();

    std::unique_ptr<UserPrompts> prompts_;
    CKorvaneDoc doc_;
    ActionRegistry registry_;
    CommandRouter router_;
    std::unique_ptr<RecentFileList> recent_;
    std::unique_ptr<CMainFrame> frame_;
    CKorvaneView* view_ = nullptr; // owned by the frame
    std::unique_ptr<DocumentCommands> documents_;
    std::unique_ptr<SoundingCommands> sounding_;
    std::unique_ptr<DocumentHistory> history_;
    std::unique_ptr<AnalysisCommands> analysis_;
    std::unique_ptr<ExportCommands> exports_;
};

} // namespace korvane
