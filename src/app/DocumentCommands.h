#pragma once

#include "app/CommandTarget.h"
#include "sounding/CKorvaneDoc.h"

#include <QString>

#include <functional>
#include <vector>

namespace korvane {

class RecentFileList;
class UserPrompts;

// The document's file commands: new (Ctrl+N), open, the recent documents, close, save, save
// as and exit, with the save prompt for a modified document. It keeps the document's path and
// title; the Sounding itself lives in the document. A new document keeps the Sounding and only
// forgets the path; Close empties it. Every command that puts another Sounding in the
// document (open, close, and a load through SoundingCommands) ends in DocumentReplaced.
class DocumentCommands final : public CommandTarget {
public:
    static constexpr const char* kFilter = "Korvane Files(*.kvn)";
    static constexpr const char* kExtension = ".kvn";
    static constexpr const char* kUntitled = "Untitled";
    static constexpr const char* kStaleSaveWarning =
        "The results being saved are out of date: the windows or the geometry changed after "
        "the last Cross-Correlation run.\nRun Cross-Correlation and save again to store "
        "current results.";

    DocumentCommands(CKorvaneDoc& doc, UserPrompts& prompts, RecentFileList& recent);

    bool OnCommand(int id) override;

    void OnFileNew();
    void OnFileOpen();
    void OnFileClose();
    // Opens the recent document at index (0 = newest); one that cannot be opened leaves the
    // list.
    void OnOpenRecentFile(int index);
    bool OnFileSave();
    bool OnFileSaveAs();

    // Reads a document file into the document. On failure the user is told why and the
    // document is as it was before; what the reader warns about is shown once it opened.
    bool OpenDocumentFile(const QString& path);
    // Asks to save a modified document, then opens path (a dropped or recent document).
    bool OpenAfterSaveModified(const QString& path);
    // Writes the document to path; on failure the user is told and the old file is kept.
    bool DoSave(const QString& path);
    // Asks whether to save a modified document; false when the user cancelled (or the save
    // failed), so the caller must stop.
    bool SaveModified();

    // The one place that follows every replacement of the document's Sounding: the path
    // becomes path (empty: untitled), the stale-results warning is rearmed, onDocumentReplaced
    // is told, then the document's observers.
    void DocumentReplaced(const QString& path);

    QString Title() const { return title_; }
    QString PathName() const { return pathName_; }

    // Told when the title changes (to update the caption), and when Exit asks the frame to
    // close.
    std::function<void()> onTitleChanged;
    std::function<void()> onExit;
    // Told when another Sounding has replaced the document's (open, close, load).
    std::function<void()> onDocumentReplaced;

private:
    void SetPathName(const QString& path);
    // Tells the user, once for the same results, that the results about to be saved are out
    // of date.
    void WarnIfStale();

    CKorvaneDoc& doc_;
    UserPrompts& prompts_;
    RecentFileList& recent_;
    QString pathName_;
    QString title_ = kUntitled;
    // The result inputs of the last stale save warned about.
    std::vector<IntervalBasis> warnedBases_;
};

} // namespace korvane
